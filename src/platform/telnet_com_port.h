#pragma once
// The telnet side of an RFC 2217 serial server: data bytes with IAC (255)
// doubled, option negotiation, and the COM-PORT-OPTION subnegotiations that set
// baud rate, data bits, parity and stop bits and carry the server's answers.
// Pure byte work, so the transport only moves bytes.

#include <cstdint>
#include <optional>
#include <vector>

#include "platform/serial_settings.h"

namespace kelvo6::platform::telnet {

using Bytes = std::vector<std::uint8_t>;

constexpr std::uint8_t kIac = 255, kDont = 254, kDo = 253, kWont = 252, kWill = 251, kSb = 250, kSe = 240;
constexpr std::uint8_t kBinary = 0, kSuppressGoAhead = 3, kComPort = 44;
// COM-PORT-OPTION commands from the client; the server answers with +100.
enum ComPortCommand : std::uint8_t { kSetBaud = 1, kSetDataSize = 2, kSetParity = 3, kSetStopSize = 4 };
constexpr std::uint8_t kServerOffset = 100;

// An option request (WILL/WONT/DO/DONT) or a whole subnegotiation from the far end.
struct Event {
  std::uint8_t verb = 0;  // kWill, kWont, kDo, kDont, or kSb
  std::uint8_t option = 0;
  Bytes payload;  // subnegotiation bytes after the option, IAC IAC undone
};

// Splits the received stream into data bytes and telnet events; a command cut
// between two reads is completed by the next.
class Decoder {
 public:
  void feed(const std::uint8_t* bytes, std::size_t size, Bytes* data, std::vector<Event>* events);
  void reset() { *this = Decoder(); }

 private:
  enum class State { kData, kIac, kVerb, kSb, kSbIac };
  State state_ = State::kData;
  Event pending_;
};

// Data for the line, with IAC doubled.
Bytes escape(const std::uint8_t* bytes, std::size_t size);
inline Bytes escape(const Bytes& b) { return escape(b.data(), b.size()); }

Bytes option(std::uint8_t verb, std::uint8_t opt);
// Our answer to an option request: binary, suppress-go-ahead and COM-PORT-OPTION
// are taken, everything else refused. Empty when the request needs no answer.
Bytes answerTo(const Event& request);

// IAC WILL COM-PORT-OPTION and the four commands that set the line to `s`.
Bytes setLine(const SerialSettings& s);
// Asks the current baud rate (SET-BAUDRATE 0): a server that is still there answers.
Bytes askBaud();

// The line settings a server answer confirms, merged into `confirmed`; which
// of the four it was (kSetBaud..kSetStopSize), or nullopt when `e` is none.
std::optional<ComPortCommand> takeAnswer(const Event& e, SerialSettings* confirmed);

}  // namespace kelvo6::platform::telnet
