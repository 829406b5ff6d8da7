#pragma once
// The one serial line to the ECU: opening it with the run's port settings,
// sending frames, and the receive path (chunker, acceptance, dispatcher).

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/shared.h"
#include "link/answer_observer.h"
#include "link/chunker.h"
#include "link/dispatcher.h"
#include "link/header_learner.h"
#include "platform/scheduler.h"
#include "platform/serial_port.h"

namespace kelvo6::app {

class Connection {
 public:
  Connection(core::Shared& shared, platform::SerialPort& port, platform::Scheduler& clock, link::Display& display);

  // Opens the port with the shared port number, device and settings string;
  // false with the reason when the settings are invalid or the device fails.
  bool open(std::string* error);
  bool isOpen() const { return port_.isOpen(); }
  void close() { port_.close(); }
  // A new handshake starts: the ECU's header is learned again from its
  // answers (it may be another ECU behind the same port).
  void forgetHeader();
  // Writes a frame while the port is open; does nothing otherwise.
  void send(const link::Bytes& frame);

  // The device the shared settings select now.
  std::string selectedDevice() const;
  int openedPort() const { return openedPort_; }
  const std::string& openedSettings() const { return openedSettings_; }
  const std::string& openedDevice() const { return openedDevice_; }
  // Why the last open failed; Other for unusable settings.
  platform::OpenFailure lastFailure() const { return failure_; }

  // Answers received so far, whatever they were (each a whole, plausible
  // frame): a window can tell from it that the ECU is still talking.
  std::uint64_t answersReceived() const { return answersReceived_; }

  platform::SerialPort& port() { return port_; }
  // Called when the open port went away (device unplugged, other end gone).
  std::function<void(const std::string& reason)> onLost;

  // Observers told of every answer the dispatcher acted on and of every request
  // written; an observer may send, or remove itself or another, from within the call.
  void addObserver(link::AnswerObserver* observer);
  void removeObserver(link::AnswerObserver* observer);

 private:
  void received(const std::uint8_t* data, std::size_t size);
  // Hands whole frames from the chunker to the dispatcher and the observers.
  void handleFrames(const std::vector<link::Bytes>& frames);
  // The line may have fallen quiet with bytes held: judge them now.
  void idleTick();

  core::Shared& shared_;
  platform::SerialPort& port_;
  platform::Scheduler& clock_;
  link::Chunker chunker_;
  link::Dispatcher dispatcher_;
  link::HeaderLearner headerLearner_;
  std::unique_ptr<platform::Timer> idleTimer_;
  int openedPort_ = 0;
  std::string openedSettings_;
  std::string openedDevice_;
  platform::OpenFailure failure_ = platform::OpenFailure::None;
  std::uint64_t answersReceived_ = 0;
  std::vector<link::AnswerObserver*> observers_;
};

}  // namespace kelvo6::app
