#pragma once
// Paces the oscilloscope's live-data requests by the line: the next request
// goes out as soon as the answer to the last one has been handled, and one
// whose answer has not come within the time-out is sent again. The sample
// rate is therefore set by the line and the ECU, not by a fixed timer.

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>

#include "platform/scheduler.h"
#include "platform/serial_settings.h"

namespace kelvo6::scope {

class Sampler {
 public:
  static constexpr int kTimeoutMs = 250;
  static constexpr int kRateWindowMs = 2000;

  Sampler(platform::Scheduler& scheduler, const std::string& timerName, std::function<void()> sendRequest);

  void start();  // sends the first request
  void stop();
  bool running() const { return running_; }
  // An answer to the request was handled at `atMs`: the next one goes out now.
  void answered(std::int64_t atMs);
  // Answers per second over the last two seconds (or since the start).
  double rate(std::int64_t nowMs);

 private:
  void timedOut();

  platform::Scheduler& scheduler_;
  std::function<void()> send_;
  std::unique_ptr<platform::Timer> timeout_;
  bool running_ = false;
  std::int64_t startedMs_ = 0;
  std::deque<std::int64_t> answers_;
};

// The most live-data samples a second the line can carry: one 5-byte request
// and one 43-byte answer, each byte with its start, data, parity and stop bits.
double lineLimitPerSecond(const platform::SerialSettings& settings);

}  // namespace kelvo6::scope
