#pragma once
// Virtual time: nothing moves until advance() is called; due timers and
// callbacks fire in due-time order, ties in the order they were scheduled.

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <tuple>

#include "platform/scheduler.h"

namespace kelvo6::platform {

class VirtualScheduler : public Scheduler {
 public:
  VirtualScheduler();
  ~VirtualScheduler() override;

  std::unique_ptr<Timer> createTimer(std::string name, int intervalMs, std::function<void()> onTick) override;
  void post(int delayMs, std::function<void()> fn) override;
  std::int64_t nowMs() const override { return now_; }

  // Moves time forward by ms, firing everything due on the way.
  void advance(std::int64_t ms);
  // Fires everything due at or before `t`, then sets the time to t.
  void advanceTo(std::int64_t t);
  // Called after every fired timer or callback (the harness moves bytes then).
  std::function<void()> afterEach;

 private:
  class VTimer;
  friend class VTimer;
  struct Key {
    std::int64_t due;
    std::uint64_t seq;
    bool operator<(const Key& o) const { return std::tie(due, seq) < std::tie(o.due, o.seq); }
  };
  struct Entry {
    VTimer* timer = nullptr;        // a timer expiry, or
    std::function<void()> callback;  // a one-shot callback
  };
  Key schedule(std::int64_t due, Entry e);
  void unschedule(const Key& k);

  std::int64_t now_ = 0;
  std::uint64_t seq_ = 0;
  std::map<Key, Entry> queue_;
  std::shared_ptr<bool> alive_;
};

}  // namespace kelvo6::platform
