#include "platform/line_port.h"

#include "platform/network_address.h"

namespace kelvo6::platform {

LinePort::LinePort() {
  clock_.start();
  for (SerialPort* p : {static_cast<SerialPort*>(&local_), static_cast<SerialPort*>(&network_)}) {
    p->onReceived = [this](const std::uint8_t* data, std::size_t size) {
      if (sentAt_ >= 0) {
        const int sample = static_cast<int>(clock_.elapsed() - sentAt_);
        roundTripMs_ = roundTripMs_ < 0 ? sample : (3 * roundTripMs_ + sample) / 4;
        sentAt_ = -1;
      }
      if (onReceived) onReceived(data, size);
    };
    p->onLost = [this](const std::string& reason) {
      if (onLost) onLost(reason);
    };
  }
}

bool LinePort::open(const std::string& device, const SerialSettings& settings, std::string* error) {
  active_->close();
  sentAt_ = -1;
  roundTripMs_ = -1;
  active_ = isNetworkPort(device) ? static_cast<SerialPort*>(&network_) : static_cast<SerialPort*>(&local_);
  return active_->open(device, settings, error);
}

void LinePort::write(const std::vector<std::uint8_t>& bytes) {
  if (sentAt_ < 0 && active_->isOpen() && !bytes.empty()) sentAt_ = clock_.elapsed();
  active_->write(bytes);
}

}  // namespace kelvo6::platform
