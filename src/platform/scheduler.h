#pragma once
// Periodic timers and one-shot callbacks behind one interface, so that windows
// run on the Qt event loop in the program and on virtual time in tests.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace kelvo6::platform {

class Timer {
 public:
  virtual ~Timer() = default;
  // Changing the interval of a running timer restarts its countdown.
  virtual void setInterval(int ms) = 0;
  virtual int interval() const = 0;
  // Starting a running timer does not restart its countdown.
  virtual void start() = 0;
  virtual void stop() = 0;
  virtual bool isRunning() const = 0;
  virtual const std::string& name() const = 0;
};

class Scheduler {
 public:
  virtual ~Scheduler() = default;
  // A periodic timer, stopped. `onTick` runs on every expiry while it runs.
  virtual std::unique_ptr<Timer> createTimer(std::string name, int intervalMs, std::function<void()> onTick) = 0;
  // Runs `fn` once, `delayMs` from now.
  virtual void post(int delayMs, std::function<void()> fn) = 0;
  virtual std::int64_t nowMs() const = 0;
};

}  // namespace kelvo6::platform
