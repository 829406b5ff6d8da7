#include "sim/self_test.h"

namespace kelvo6::sim {

void SelfTest::start(int cylinders, std::int64_t nowMs) {
  advanceTo(nowMs);
  if (keyOff_) return;
  cylinders_ = cylinders;
  keyCycled_ = false;
  enter(Phase::kRunning, nowMs);
}

void SelfTest::setKeyOff(bool off, std::int64_t nowMs) {
  advanceTo(nowMs);
  if (off == keyOff_) return;
  keyOff_ = off;
  if (off) {
    keyOffSinceMs_ = nowMs;
    if (phase_ == Phase::kResults) {
      keyCycled_ = true;
    } else {
      enter(Phase::kIdle, nowMs);  // power lost in the middle of a test
    }
    return;
  }
  if (phase_ == Phase::kResults) enter(Phase::kEepromReset, nowMs);
}

std::optional<std::int64_t> SelfTest::nextChangeMs() const {
  switch (phase_) {
    case Phase::kRunning: return phaseStartMs_ + timing_.runningMs;
    case Phase::kResults:
      if (!automaticKey_) return std::nullopt;
      if (keyOff_) return keyOffSinceMs_ + timing_.automaticKeyOnAfterMs;
      if (!keyCycled_) return phaseStartMs_ + timing_.automaticKeyOffAfterMs;
      return std::nullopt;
    case Phase::kEepromReset: return phaseStartMs_ + timing_.eepromResetMs;
    case Phase::kEcuReset: return phaseStartMs_ + timing_.ecuResetMs;
    case Phase::kIdle: return std::nullopt;
  }
  return std::nullopt;
}

void SelfTest::change(std::int64_t atMs) {
  switch (phase_) {
    case Phase::kRunning: enter(Phase::kResults, atMs); break;
    case Phase::kResults:
      if (keyOff_) {
        keyOff_ = false;
        enter(Phase::kEepromReset, atMs);
      } else {
        keyOff_ = true;
        keyCycled_ = true;
        keyOffSinceMs_ = atMs;
      }
      break;
    case Phase::kEepromReset: enter(Phase::kEcuReset, atMs); break;
    case Phase::kEcuReset: enter(Phase::kIdle, atMs); break;
    case Phase::kIdle: break;
  }
}

void SelfTest::advanceTo(std::int64_t nowMs) {
  if (nowMs < nowMs_) return;
  nowMs_ = nowMs;
  // Several phases may end within one step of time.
  for (auto next = nextChangeMs(); next && *next <= nowMs; next = nextChangeMs()) change(*next);
}

SelfTest::Report SelfTest::report() const {
  Report r;
  switch (phase_) {
    case Phase::kIdle: r.state = 0; break;
    case Phase::kRunning: r.state = 1; break;
    case Phase::kResults: r.state = 2; break;
    case Phase::kEepromReset: r.state = 3; break;
    case Phase::kEcuReset: r.state = 4; break;
  }
  if (r.state >= 2) {
    r.injectorStatus = injectorStatus_;
    r.checkBytes = checkBytes_;
  }
  return r;
}

}  // namespace kelvo6::sim
