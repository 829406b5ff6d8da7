#include "platform/telnet_com_port.h"

namespace kelvo6::platform::telnet {

namespace {

// Parity and stop-size codes of RFC 2217.
std::uint8_t parityCode(char p) { return p == 'o' ? 2 : (p == 'e' ? 3 : 1); }
char parityFromCode(std::uint8_t c) { return c == 2 ? 'o' : (c == 3 ? 'e' : 'n'); }
std::uint8_t stopCode(int tenths) { return tenths == 20 ? 2 : (tenths == 15 ? 3 : 1); }
int stopFromCode(std::uint8_t c) { return c == 2 ? 20 : (c == 3 ? 15 : 10); }

Bytes subnegotiation(std::uint8_t command, const Bytes& value) {
  Bytes out{kIac, kSb, kComPort, command};
  Bytes escaped = escape(value);
  out.insert(out.end(), escaped.begin(), escaped.end());
  out.insert(out.end(), {kIac, kSe});
  return out;
}

Bytes baudBytes(std::uint32_t baud) {
  return {static_cast<std::uint8_t>(baud >> 24), static_cast<std::uint8_t>(baud >> 16),
          static_cast<std::uint8_t>(baud >> 8), static_cast<std::uint8_t>(baud)};
}

}  // namespace

void Decoder::feed(const std::uint8_t* bytes, std::size_t size, Bytes* data, std::vector<Event>* events) {
  for (std::size_t i = 0; i < size; ++i) {
    const std::uint8_t b = bytes[i];
    switch (state_) {
      case State::kData:
        if (b == kIac) state_ = State::kIac;
        else data->push_back(b);
        break;
      case State::kIac:
        if (b == kIac) {
          data->push_back(kIac);
          state_ = State::kData;
        } else if (b >= kWill && b <= kDont) {
          pending_ = Event{b, 0, {}};
          state_ = State::kVerb;
        } else if (b == kSb) {
          pending_ = Event{kSb, 0, {}};
          state_ = State::kSb;
        } else {
          state_ = State::kData;  // NOP, GA and the like carry nothing for us
        }
        break;
      case State::kVerb:
        pending_.option = b;
        events->push_back(pending_);
        state_ = State::kData;
        break;
      case State::kSb:
        if (b == kIac) state_ = State::kSbIac;
        else pending_.payload.push_back(b);
        break;
      case State::kSbIac:
        if (b == kIac) {
          pending_.payload.push_back(kIac);
          state_ = State::kSb;
        } else {  // SE (or a broken command): the subnegotiation ends here
          if (!pending_.payload.empty()) {
            pending_.option = pending_.payload.front();
            pending_.payload.erase(pending_.payload.begin());
            events->push_back(pending_);
          }
          state_ = State::kData;
        }
        break;
    }
  }
}

Bytes escape(const std::uint8_t* bytes, std::size_t size) {
  Bytes out;
  out.reserve(size + 4);
  for (std::size_t i = 0; i < size; ++i) {
    out.push_back(bytes[i]);
    if (bytes[i] == kIac) out.push_back(kIac);
  }
  return out;
}

Bytes option(std::uint8_t verb, std::uint8_t opt) { return {kIac, verb, opt}; }

Bytes answerTo(const Event& request) {
  const bool wanted = request.option == kBinary || request.option == kSuppressGoAhead || request.option == kComPort;
  switch (request.verb) {
    case kDo: return option(wanted ? kWill : kWont, request.option);
    case kWill: return option(wanted && request.option != kComPort ? kDo : kDont, request.option);
    default: return {};  // WONT and DONT are taken as they are
  }
}

Bytes setLine(const SerialSettings& s) {
  Bytes out = option(kWill, kComPort);
  for (const Bytes& part : {subnegotiation(kSetBaud, baudBytes(static_cast<std::uint32_t>(s.baud))),
                            subnegotiation(kSetDataSize, {static_cast<std::uint8_t>(s.dataBits)}),
                            subnegotiation(kSetParity, {parityCode(s.parity)}),
                            subnegotiation(kSetStopSize, {stopCode(s.stopTenths)})})
    out.insert(out.end(), part.begin(), part.end());
  return out;
}

Bytes askBaud() { return subnegotiation(kSetBaud, baudBytes(0)); }

std::optional<ComPortCommand> takeAnswer(const Event& e, SerialSettings* confirmed) {
  if (e.verb != kSb || e.option != kComPort || e.payload.empty()) return std::nullopt;
  const std::uint8_t command = static_cast<std::uint8_t>(e.payload[0] - kServerOffset);
  const Bytes v(e.payload.begin() + 1, e.payload.end());
  switch (command) {
    case kSetBaud:
      if (v.size() != 4) return std::nullopt;
      confirmed->baud = static_cast<int>((std::uint32_t{v[0]} << 24) | (std::uint32_t{v[1]} << 16) |
                                         (std::uint32_t{v[2]} << 8) | v[3]);
      return kSetBaud;
    case kSetDataSize:
      if (v.size() != 1) return std::nullopt;
      confirmed->dataBits = v[0];
      return kSetDataSize;
    case kSetParity:
      if (v.size() != 1) return std::nullopt;
      confirmed->parity = parityFromCode(v[0]);
      return kSetParity;
    case kSetStopSize:
      if (v.size() != 1) return std::nullopt;
      confirmed->stopTenths = stopFromCode(v[0]);
      return kSetStopSize;
    default:
      return std::nullopt;
  }
}

}  // namespace kelvo6::platform::telnet
