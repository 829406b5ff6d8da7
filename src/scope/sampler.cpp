#include "scope/sampler.h"

#include <algorithm>
#include <cmath>

namespace kelvo6::scope {

namespace {
constexpr int kRequestBytes = 5;
constexpr int kAnswerBytes = 43;
constexpr int kRoundTripsPerTimeout = 3;
}  // namespace

Sampler::Sampler(platform::Scheduler& scheduler, const std::string& timerName, std::function<bool()> sendRequest)
    : scheduler_(scheduler), send_(std::move(sendRequest)) {
  timeout_ = scheduler_.createTimer(timerName, kTimeoutMs, [this] { timedOut(); });
}

void Sampler::setLine(const platform::SerialSettings& settings) {
  // On a slow line an answer takes longer than the fixed time-out to arrive;
  // sending again then would put a second request of ours on the line.
  const double roundTripMs = 1000.0 / lineLimitPerSecond(settings);
  timeoutMs_ = std::max(kTimeoutMs, static_cast<int>(std::ceil(kRoundTripsPerTimeout * roundTripMs)));
  timeout_->setInterval(timeoutMs_);
  if (!running_) timeout_->stop();
}

void Sampler::start() {
  if (running_) return;
  running_ = true;
  startedMs_ = scheduler_.nowMs();
  answers_.clear();
  // A request of ours sent before a pause may still be answered: wait for it.
  if (ownWaiting() == 0) sendOwn();
  if (running_) timeout_->start();
}

void Sampler::stop() {
  running_ = false;
  timeout_->stop();
}

void Sampler::sendOwn() {
  sendingOwn_ = true;
  const bool sent = send_();
  sendingOwn_ = false;
  if (!sent) {
    stop();
    return;
  }
  timeout_->stop();
  timeout_->start();
}

void Sampler::requestSent(std::int64_t atMs) { ledger_.sent(sendingOwn_, atMs); }

bool Sampler::answered(std::int64_t atMs) {
  const bool own = ledger_.answered(atMs, timeoutMs_);
  if (!own || !running_) return false;
  answers_.push_back(atMs);
  while (!answers_.empty() && answers_.front() <= atMs - kRateWindowMs) answers_.pop_front();
  if (ownWaiting() == 0) sendOwn();
  return true;
}

void Sampler::timedOut() {
  timeout_->stop();
  if (!running_) return;
  sendOwn();  // the ledger now takes the unanswered request as lost
}

double Sampler::rate(std::int64_t nowMs) {
  while (!answers_.empty() && answers_.front() <= nowMs - kRateWindowMs) answers_.pop_front();
  std::int64_t span = std::min<std::int64_t>(kRateWindowMs, nowMs - startedMs_);
  if (span <= 0) return 0.0;
  return static_cast<double>(answers_.size()) * 1000.0 / static_cast<double>(span);
}

double lineLimitPerSecond(const platform::SerialSettings& s) {
  const double bitsPerByte = 1.0 + s.dataBits + (s.parity == 'n' ? 0 : 1) + s.stopTenths / 10.0;
  return s.baud / (bitsPerByte * (kRequestBytes + kAnswerBytes));
}

}  // namespace kelvo6::scope
