#pragma once
// The serial line reached through a network serial server (ser2net and the
// like): tcp://HOST:PORT carries the bytes as they are; rfc2217://HOST:PORT
// speaks telnet, sets the line through RFC 2217 and keeps telnet commands off
// the receive path.

#include <QElapsedTimer>
#include <QTcpSocket>
#include <QTimer>
#include <set>
#include <utility>

#include "platform/network_address.h"
#include "platform/serial_port.h"
#include "platform/telnet_com_port.h"

namespace kelvo6::platform {

class NetworkSerialPort : public SerialPort {
 public:
  // A connection or an RFC 2217 answer must come within these, or the open fails.
  static constexpr int kConnectMs = 3000;
  static constexpr int kNegotiateMs = 3000;
  // Requests that stay unanswered this long while more are sent: the far end is
  // gone without closing (a half-open connection). An RFC 2217 server is asked
  // first whether it is still there, so a silent ECU behind a live server is
  // left to the windows' own time-outs.
  static constexpr int kSilenceMs = 3000;
  static constexpr int kProbeMs = 1500;
  // ser2net holds received bytes up to 20 ms before sending them on, and a
  // busy network or host adds its own pauses; still well under the 300 ms
  // the quickest window waits between its requests.
  static constexpr int kPieceGapMs = 150;

  NetworkSerialPort();
  ~NetworkSerialPort() override;
  bool open(const std::string& device, const SerialSettings& settings, std::string* error) override;
  bool isOpen() const override { return open_; }
  void write(const std::vector<std::uint8_t>& bytes) override;
  void close() override;
  bool waitForInput(int ms) override;
  std::uint64_t bytesWritten() const override { return written_; }
  std::uint64_t bytesReceived() const override { return received_; }
  OpenFailure lastOpenFailure() const override { return failure_; }
  std::string settingsInEffect() const override { return inEffect_; }
  int pieceGapMs() const override { return kPieceGapMs; }

 private:
  bool telnet() const { return address_.kind == NetworkAddress::Kind::kRfc2217; }
  bool negotiate(const SerialSettings& asked, std::string* error);
  void readAll();
  void answer(const telnet::Event& e);
  void send(const telnet::Bytes& bytes);
  void checkSilence();
  void lost(OpenFailure kind, const std::string& reason);
  bool fail(OpenFailure kind, const std::string& reason, std::string* error);

  QTcpSocket socket_;
  QTimer silenceCheck_;
  QElapsedTimer clock_;
  NetworkAddress address_;
  std::string name_;  // the address as the fitter typed it, for messages
  telnet::Decoder decoder_;
  std::set<std::pair<std::uint8_t, std::uint8_t>> said_;  // option answers already sent
  SerialSettings confirmed_;
  unsigned answered_ = 0;  // bit per COM-PORT command the server answered
  bool comPortRefused_ = false;
  bool open_ = false;
  bool negotiating_ = false;
  std::string inEffect_;
  qint64 unansweredSince_ = -1;  // first write since the last byte received
  qint64 lastWrite_ = -1;
  qint64 probeSent_ = -1;
  std::uint64_t written_ = 0;
  std::uint64_t received_ = 0;
  OpenFailure failure_ = OpenFailure::None;
};

}  // namespace kelvo6::platform
