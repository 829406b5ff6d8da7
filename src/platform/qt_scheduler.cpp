#include "platform/qt_scheduler.h"

#include <QTimer>

namespace kelvo6::platform {

namespace {

class QtTimer : public Timer {
 public:
  QtTimer(std::string name, int interval, std::function<void()> onTick) : name_(std::move(name)) {
    timer_.setTimerType(Qt::PreciseTimer);
    timer_.setInterval(interval);
    QObject::connect(&timer_, &QTimer::timeout, [fn = std::move(onTick)] { fn(); });
  }
  void setInterval(int ms) override { timer_.setInterval(ms); }  // QTimer restarts a running countdown
  int interval() const override { return timer_.interval(); }
  void start() override {
    if (!timer_.isActive()) timer_.start();
  }
  void stop() override { timer_.stop(); }
  bool isRunning() const override { return timer_.isActive(); }
  const std::string& name() const override { return name_; }

 private:
  std::string name_;
  QTimer timer_;
};

}  // namespace

QtScheduler::QtScheduler() { clock_.start(); }

std::unique_ptr<Timer> QtScheduler::createTimer(std::string name, int intervalMs, std::function<void()> onTick) {
  return std::make_unique<QtTimer>(std::move(name), intervalMs, std::move(onTick));
}

void QtScheduler::post(int delayMs, std::function<void()> fn) { QTimer::singleShot(delayMs, Qt::PreciseTimer, std::move(fn)); }

}  // namespace kelvo6::platform
