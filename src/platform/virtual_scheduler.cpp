#include "platform/virtual_scheduler.h"

#include <optional>

namespace kelvo6::platform {

class VirtualScheduler::VTimer : public Timer {
 public:
  VTimer(VirtualScheduler& s, std::string name, int interval, std::function<void()> onTick)
      : s_(s), alive_(s.alive_), name_(std::move(name)), interval_(interval), onTick_(std::move(onTick)) {}
  ~VTimer() override {
    if (*alive_) stop();
  }

  void setInterval(int ms) override {
    interval_ = ms;
    if (key_) {
      stop();
      start();
    }
  }
  int interval() const override { return interval_; }
  void start() override {
    if (key_) return;
    key_ = s_.schedule(s_.now_ + (interval_ > 0 ? interval_ : 1), Entry{this, {}});
  }
  void stop() override {
    if (!key_) return;
    s_.unschedule(*key_);
    key_.reset();
  }
  bool isRunning() const override { return key_.has_value(); }
  const std::string& name() const override { return name_; }

  // Expiry: the timer stays running and re-arms one interval later unless its
  // handler stops it (a handler that stops and starts re-arms from now).
  void fire(const Key& k) {
    key_ = s_.schedule(k.due + (interval_ > 0 ? interval_ : 1), Entry{this, {}});
    onTick_();
  }

 private:
  VirtualScheduler& s_;
  std::shared_ptr<bool> alive_;
  std::string name_;
  int interval_;
  std::function<void()> onTick_;
  std::optional<Key> key_;
};

VirtualScheduler::VirtualScheduler() : alive_(std::make_shared<bool>(true)) {}
VirtualScheduler::~VirtualScheduler() { *alive_ = false; }

std::unique_ptr<Timer> VirtualScheduler::createTimer(std::string name, int intervalMs, std::function<void()> onTick) {
  return std::make_unique<VTimer>(*this, std::move(name), intervalMs, std::move(onTick));
}

void VirtualScheduler::post(int delayMs, std::function<void()> fn) {
  schedule(now_ + (delayMs > 0 ? delayMs : 0), Entry{nullptr, std::move(fn)});
}

VirtualScheduler::Key VirtualScheduler::schedule(std::int64_t due, Entry e) {
  Key k{due, seq_++};
  queue_.emplace(k, std::move(e));
  return k;
}

void VirtualScheduler::unschedule(const Key& k) { queue_.erase(k); }

void VirtualScheduler::advance(std::int64_t ms) { advanceTo(now_ + ms); }

void VirtualScheduler::advanceTo(std::int64_t t) {
  while (!queue_.empty() && queue_.begin()->first.due <= t) {
    auto it = queue_.begin();
    Key k = it->first;
    Entry e = std::move(it->second);
    queue_.erase(it);
    now_ = k.due;
    if (e.timer) {
      e.timer->fire(k);
    } else if (e.callback) {
      e.callback();
    }
    if (afterEach) afterEach();
  }
  if (t > now_) now_ = t;
}

}  // namespace kelvo6::platform
