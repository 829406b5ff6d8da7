#pragma once
#include <QSerialPort>
#include <QTimer>

#include "platform/serial_port.h"

namespace kelvo6::platform {

class QtSerialPort : public SerialPort {
 public:
  QtSerialPort();
  ~QtSerialPort() override;
  bool open(const std::string& device, const SerialSettings& settings, std::string* error) override;
  bool isOpen() const override { return port_.isOpen(); }
  void write(const std::vector<std::uint8_t>& bytes) override;
  void close() override;
  bool waitForInput(int ms) override;
  std::uint64_t bytesWritten() const override { return written_; }
  std::uint64_t bytesReceived() const override { return received_; }
  OpenFailure lastOpenFailure() const override { return failure_; }

 private:
  void readAll();
  void onError(QSerialPort::SerialPortError error);
  void checkHangup();
  void lost(const std::string& reason);

  QSerialPort port_;
  QTimer hangupCheck_;
  std::uint64_t written_ = 0;
  std::uint64_t received_ = 0;
  OpenFailure failure_ = OpenFailure::None;
};

}  // namespace kelvo6::platform
