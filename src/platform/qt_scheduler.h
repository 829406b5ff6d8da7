#pragma once
// Timers on the Qt event loop, for the program itself.

#include <QElapsedTimer>

#include "platform/scheduler.h"

namespace kelvo6::platform {

class QtScheduler : public Scheduler {
 public:
  QtScheduler();
  std::unique_ptr<Timer> createTimer(std::string name, int intervalMs, std::function<void()> onTick) override;
  void post(int delayMs, std::function<void()> fn) override;
  std::int64_t nowMs() const override { return clock_.elapsed(); }

 private:
  QElapsedTimer clock_;
};

}  // namespace kelvo6::platform
