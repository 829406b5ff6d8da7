#pragma once
// Paces the oscilloscope's live-data requests by the line: the next request
// goes out as soon as the answer to the last one has been handled, and one
// whose answer has not come within the time-out is sent again. The sample
// rate is therefore set by the line and the ECU, not by a fixed timer. At most
// one request of its own waits for an answer, and only answers to its own
// requests count: another window's live-data answers neither start a request
// nor pass as samples.

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>

#include "platform/scheduler.h"
#include "platform/serial_settings.h"
#include "scope/request_ledger.h"

namespace kelvo6::scope {

class Sampler {
 public:
  static constexpr int kTimeoutMs = 250;
  static constexpr int kRateWindowMs = 2000;

  // `sendRequest` writes one live-data request; it returns false when the
  // window may not talk to the ECU now, which stops the sampling.
  Sampler(platform::Scheduler& scheduler, const std::string& timerName, std::function<bool()> sendRequest);

  void start();  // sends the first request unless one of ours still waits
  void stop();
  bool running() const { return running_; }
  // The time-out: never shorter than three request-and-answer times of the line.
  void setLine(const platform::SerialSettings& settings);
  int timeoutMs() const { return timeoutMs_; }
  // Every live-data request written to the line, ours or another window's.
  void requestSent(std::int64_t atMs);
  // A live-data answer was handled at `atMs`: true when it answers one of our
  // requests while sampling (a sample); the next request then goes out.
  bool answered(std::int64_t atMs);
  int ownWaiting() { return ledger_.ownWaiting(scheduler_.nowMs(), timeoutMs_); }
  // Our answers per second over the last two seconds (or since the start).
  double rate(std::int64_t nowMs);

 private:
  void sendOwn();
  void timedOut();

  platform::Scheduler& scheduler_;
  std::function<bool()> send_;
  std::unique_ptr<platform::Timer> timeout_;
  RequestLedger ledger_;
  int timeoutMs_ = kTimeoutMs;
  bool running_ = false;
  bool sendingOwn_ = false;
  std::int64_t startedMs_ = 0;
  std::deque<std::int64_t> answers_;
};

// The most live-data samples a second the line can carry: one 5-byte request
// and one 43-byte answer, each byte with its start, data, parity and stop bits.
double lineLimitPerSecond(const platform::SerialSettings& settings);

}  // namespace kelvo6::scope
