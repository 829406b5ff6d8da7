#include "sim/self_test.h"

namespace kelvo6::sim {

namespace {
constexpr std::int64_t kRunningMs = 2000;
constexpr std::int64_t kAutomaticKeyOffAfterMs = 3000;
constexpr std::int64_t kAutomaticKeyOnAfterMs = 3000;
constexpr std::int64_t kEepromResetMs = 1500;
constexpr std::int64_t kEcuResetMs = 3000;
}  // namespace

void SelfTest::start(int cylinders, std::int64_t nowMs) {
  cylinders_ = cylinders;
  keyOff_ = false;
  keyWasOff_ = false;
  nowMs_ = nowMs;
  enter(Phase::kRunning, nowMs);
}

void SelfTest::setKeyOff(bool off, std::int64_t nowMs) {
  advanceTo(nowMs);
  if (off && !keyOff_) keyWasOff_ = true;
  if (!off && keyOff_ && phase_ == Phase::kResults) enter(Phase::kEepromReset, nowMs);
  keyOff_ = off;
}

void SelfTest::advanceTo(std::int64_t nowMs) {
  if (nowMs < nowMs_) return;
  nowMs_ = nowMs;
  std::int64_t inPhase = nowMs - phaseStartMs_;
  switch (phase_) {
    case Phase::kRunning:
      if (inPhase >= kRunningMs) enter(Phase::kResults, phaseStartMs_ + kRunningMs);
      break;
    case Phase::kResults:
      if (automaticKey_) {
        if (!keyOff_ && !keyWasOff_ && inPhase >= kAutomaticKeyOffAfterMs) {
          keyOff_ = true;
          keyWasOff_ = true;
        } else if (keyOff_ && inPhase >= kAutomaticKeyOffAfterMs + kAutomaticKeyOnAfterMs) {
          keyOff_ = false;
          enter(Phase::kEepromReset, nowMs);
        }
      }
      break;
    case Phase::kEepromReset:
      if (inPhase >= kEepromResetMs) enter(Phase::kEcuReset, nowMs);
      break;
    case Phase::kEcuReset:
      if (inPhase >= kEcuResetMs) enter(Phase::kDone, nowMs);
      break;
    case Phase::kIdle:
    case Phase::kDone: break;
  }
}

SelfTest::Report SelfTest::report() const {
  Report r;
  switch (phase_) {
    case Phase::kIdle:
    case Phase::kDone: r.state = 0; break;
    case Phase::kRunning: r.state = 1; break;
    case Phase::kResults: r.state = 2; break;
    case Phase::kEepromReset: r.state = 3; break;
    case Phase::kEcuReset: r.state = 4; break;
  }
  if (phase_ == Phase::kResults || phase_ == Phase::kEepromReset || phase_ == Phase::kEcuReset) {
    r.injectorStatus = injectorStatus_;
    r.checkBytes = checkBytes_;
  }
  (void)cylinders_;
  return r;
}

}  // namespace kelvo6::sim
