#pragma once
// The port the program opens: a local serial device (a USB adapter, a
// pseudo-terminal, /dev/rfcomm0) through Qt, or a network serial server when
// the device is tcp://HOST:PORT or rfc2217://HOST:PORT. The receive path above
// never knows which.

#include <QElapsedTimer>

#include "platform/network_serial_port.h"
#include "platform/qt_serial_port.h"

namespace kelvo6::platform {

class LinePort : public SerialPort {
 public:
  LinePort();
  bool open(const std::string& device, const SerialSettings& settings, std::string* error) override;
  bool isOpen() const override { return active_->isOpen(); }
  void write(const std::vector<std::uint8_t>& bytes) override;
  void close() override { active_->close(); }
  bool waitForInput(int ms) override { return active_->waitForInput(ms); }
  std::uint64_t bytesWritten() const override { return local_.bytesWritten() + network_.bytesWritten(); }
  std::uint64_t bytesReceived() const override { return local_.bytesReceived() + network_.bytesReceived(); }
  OpenFailure lastOpenFailure() const override { return active_->lastOpenFailure(); }
  std::string settingsInEffect() const override { return active_->settingsInEffect(); }
  int roundTripMs() const override { return roundTripMs_; }
  int pieceGapMs() const override { return active_->pieceGapMs(); }

 private:
  QtSerialPort local_;
  NetworkSerialPort network_;
  SerialPort* active_ = &local_;
  QElapsedTimer clock_;
  qint64 sentAt_ = -1;  // the first request not yet answered by any byte
  int roundTripMs_ = -1;
};

}  // namespace kelvo6::platform
