#include "app/connection.h"

#include <algorithm>

namespace kelvo6::app {

Connection::Connection(core::Shared& shared, platform::SerialPort& port, platform::Scheduler& clock,
                       link::Display& display)
    : shared_(shared), port_(port), clock_(clock), dispatcher_(shared, display) {
  port_.onReceived = [this](const std::uint8_t* d, std::size_t n) { received(d, n); };
  // Bytes held when the line falls quiet are judged at once rather than when
  // the next bytes come, which may be never.
  idleTimer_ = clock_.createTimer("ReceiveIdle", chunker_.idleGapMs() + 1, [this] { idleTick(); });
  port_.onLost = [this](const std::string& reason) {
    idleTimer_->stop();
    chunker_.reset();
    headerLearner_.reset();
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
  headerLearner_.reset();
  chunker_.setIdleGapMs(link::Chunker::idleGapForBaud(settings->baud));
  idleTimer_->stop();
  idleTimer_->setInterval(chunker_.idleGapMs() + 1);
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
  if (!port_.isOpen()) return;
  port_.write(frame);
  if (frame.size() < 5) return;
  const std::vector<link::AnswerObserver*> observers = observers_;
  for (link::AnswerObserver* o : observers)
    if (std::find(observers_.begin(), observers_.end(), o) != observers_.end()) o->requestSent(frame[4], clock_.nowMs());
}

void Connection::forgetHeader() {
  chunker_.forgetHeader();
  headerLearner_.reset();
}

void Connection::received(const std::uint8_t* data, std::size_t size) {
  handleFrames(chunker_.feed(data, size, clock_.nowMs()));
  if (chunker_.buffered() > 0) idleTimer_->start();
}

void Connection::idleTick() {
  idleTimer_->stop();
  handleFrames(chunker_.idle(clock_.nowMs()));
  if (chunker_.buffered() > 0) idleTimer_->start();  // bytes came since: wait for the gap after them
}

void Connection::handleFrames(const std::vector<link::Bytes>& frames) {
  // The one place where a whole answer is handed to the dispatcher.
  for (const link::Bytes& chunk : frames) {
    ++answersReceived_;
    if (!dispatcher_.handle(chunk)) continue;
    if (auto header = headerLearner_.observe(chunk); header && !chunker_.expectedHeader())
      chunker_.expectHeader(*header);
    if (observers_.empty()) continue;
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
