#include "app/connection.h"

#include <algorithm>

namespace kelvo6::app {

Connection::Connection(core::Shared& shared, platform::SerialPort& port, platform::Scheduler& clock,
                       link::Display& display)
    : shared_(shared), port_(port), clock_(clock), dispatcher_(shared, display) {
  port_.onReceived = [this](const std::uint8_t* d, std::size_t n) { received(d, n); };
  port_.onLost = [this](const std::string& reason) {
    chunker_.reset();
    if (onLost) onLost(reason);
  };
}

std::string Connection::selectedDevice() const {
  if (!shared_.portDevice.empty()) return shared_.portDevice;
  if (shared_.portNumber == 1 && !shared_.commandLineDevice.empty()) return shared_.commandLineDevice;
  return platform::conventionalDevice(shared_.portNumber);
}

bool Connection::open(std::string* error) {
  std::string why;
  auto settings = platform::parseSerialSettings(shared_.portSettings, &why);
  if (!settings) {
    failure_ = platform::OpenFailure::Other;
    if (error) *error = "serial settings \"" + shared_.portSettings + "\": " + why;
    return false;
  }
  std::string device = selectedDevice();
  openedPort_ = shared_.portNumber;
  openedSettings_ = shared_.portSettings;
  openedDevice_ = device;
  chunker_.reset();
  chunker_.setIdleGapMs(link::Chunker::idleGapForBaud(settings->baud));
  if (!port_.open(device, *settings, &why)) {
    failure_ = port_.lastOpenFailure();
    if (error) *error = device + ": " + why;
    return false;
  }
  failure_ = platform::OpenFailure::None;
  // A network port delivers an answer in pieces with pauses of its own.
  chunker_.setIdleGapMs(std::max(chunker_.idleGapMs(), port_.pieceGapMs()));
  return true;
}

void Connection::send(const link::Bytes& frame) {
  if (port_.isOpen()) port_.write(frame);
}

void Connection::received(const std::uint8_t* data, std::size_t size) {
  // The one place where a whole answer is handed to the dispatcher.
  for (const link::Bytes& chunk : chunker_.feed(data, size, clock_.nowMs())) {
    ++answersReceived_;
    if (!dispatcher_.handle(chunk) || observers_.empty()) continue;
    const int type = chunk[4];
    const std::int64_t at = clock_.nowMs();
    // A copy: observers may come and go while they are told.
    const std::vector<link::AnswerObserver*> observers = observers_;
    for (link::AnswerObserver* o : observers)
      if (std::find(observers_.begin(), observers_.end(), o) != observers_.end()) o->answerHandled(type, at);
  }
}

void Connection::addObserver(link::AnswerObserver* observer) {
  if (std::find(observers_.begin(), observers_.end(), observer) == observers_.end()) observers_.push_back(observer);
}

void Connection::removeObserver(link::AnswerObserver* observer) { std::erase(observers_, observer); }

}  // namespace kelvo6::app
