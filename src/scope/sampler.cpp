#include "scope/sampler.h"

namespace kelvo6::scope {

namespace {
constexpr int kRequestBytes = 5;
constexpr int kAnswerBytes = 43;
}  // namespace

Sampler::Sampler(platform::Scheduler& scheduler, const std::string& timerName, std::function<void()> sendRequest)
    : scheduler_(scheduler), send_(std::move(sendRequest)) {
  timeout_ = scheduler_.createTimer(timerName, kTimeoutMs, [this] { timedOut(); });
}

void Sampler::start() {
  if (running_) return;
  running_ = true;
  startedMs_ = scheduler_.nowMs();
  answers_.clear();
  send_();
  timeout_->start();
}

void Sampler::stop() {
  running_ = false;
  timeout_->stop();
}

void Sampler::answered(std::int64_t atMs) {
  if (!running_) return;
  answers_.push_back(atMs);
  while (!answers_.empty() && answers_.front() <= atMs - kRateWindowMs) answers_.pop_front();
  timeout_->stop();
  send_();
  timeout_->start();
}

void Sampler::timedOut() {
  timeout_->stop();
  if (!running_) return;
  send_();
  timeout_->start();
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
