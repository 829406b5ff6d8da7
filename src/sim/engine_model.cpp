#include "sim/engine_model.h"

#include <algorithm>
#include <cmath>

namespace kelvo6::sim {

namespace {
constexpr int kStepMs = 50;
constexpr double kWarmTemperature = 85.0;
}  // namespace

EngineModel::EngineModel(std::uint32_t seed) : random_(seed ? seed : 1) {}

int EngineModel::noise(int amplitude) {
  // xorshift32: deterministic for a given seed.
  random_ ^= random_ << 13;
  random_ ^= random_ >> 17;
  random_ ^= random_ << 5;
  if (amplitude <= 0) return 0;
  return static_cast<int>(random_ % static_cast<std::uint32_t>(2 * amplitude + 1)) - amplitude;
}

void EngineModel::advanceTo(std::int64_t nowMs, const EcuMemory& memory) {
  if (nowMs <= nowMs_) return;
  stepRemainderMs_ += nowMs - nowMs_;
  nowMs_ = nowMs;
  // Long gaps (a simulator left idle) are caught up in bounded work.
  stepRemainderMs_ = std::min<std::int64_t>(stepRemainderMs_, 10 * 60 * 1000);
  while (stepRemainderMs_ >= kStepMs) {
    step(kStepMs, memory);
    stepRemainderMs_ -= kStepMs;
  }
}

void EngineModel::step(int dtMs, const EcuMemory& memory) {
  // Engine speed: idle near 800 rpm, a rev to about 3000 rpm every 20 s for 2 s.
  revTimerMs_ = (revTimerMs_ + dtMs) % 20000;
  int target = revTimerMs_ >= 18000 ? 3000 : 800;
  rpm_ += (target - rpm_) / 4 + noise(10);
  rpm_ = std::clamp(rpm_, 600, 7000);

  petrolBase_ = 2500 + (rpm_ - 800) / 2;

  // Temperatures warm toward 85 degrees with a time constant of about two minutes.
  temperature_ += (kWarmTemperature - temperature_) * dtMs / 120000.0;

  // Lambda probes switch rich/lean about once a second.
  lambdaPhaseMs_ += dtMs;
  if (lambdaPhaseMs_ >= 500 + noise(100)) {
    lambdaPhaseMs_ = 0;
    lambdaRich_ = !lambdaRich_;
  }
  pressureNoise_ = noise(15);

  // Change-over: petrol at start; gas once warm, above the change-over speed
  // and after the start filter, with the overlap time of parameter 15.
  if (switchRequested_) {
    switchRequested_ = false;
    onGas_ = !onGas_;
    state_ = 0;
    overlapMs_ = 0;
  }
  if (!onGas_) {
    int switchTemperature = memory.param(13);
    int switchRpm = memory.param(12);
    filterMs_ += dtMs;
    if (filterMs_ < memory.param(60)) {
      state_ = 12;
    } else if (temperature_ < switchTemperature) {
      state_ = 2;
    } else if (rpm_ < switchRpm && memory.param(59) == 0) {
      state_ = 3;
    } else if (overlapMs_ < memory.param(15)) {
      state_ = 5;
      overlapMs_ += dtMs;
    } else if (memory.param(59) == 0 || rpm_ < switchRpm - 200 || memory.param(61) == 1) {
      onGas_ = true;
      state_ = 0;
    } else {
      state_ = 4;
    }
  } else {
    state_ = 0;
  }
}

int EngineModel::tableKgbAt(int rpm, int petrolTime, const EcuMemory& m) const {
  int c = 0, r = 0;
  while (c < 7 && rpm > m.param(34 + c)) ++c;
  while (r < 7 && petrolTime > m.param(42 + r)) ++r;
  return m.cell(8 * r + c + 1);
}

LiveSnapshot EngineModel::snapshot(const EcuMemory& m) const {
  LiveSnapshot s;
  int rpm = fixedRpm_ ? fixedRpm_ : rpm_;
  int petrol = fixedPetrolTime_ ? fixedPetrolTime_ : petrolBase_;
  bool straight1V = m.param(3) == 2 || m.param(3) == 3;
  int scale = straight1V ? 1 : 5;
  s.lambda1 = (lambdaRich_ ? 800 : 150) * scale;
  s.lambda2 = (lambdaRich_ ? 150 : 800) * scale;
  s.kgbTable = tableKgbAt(rpm, petrol, m);
  s.kgbCorrected = s.kgbTable;
  s.kgbInUse = (m.calibrationOn && m.trialKgb > 0) ? m.trialKgb : s.kgbTable;
  s.pressure1 = std::max(0, m.param(29) + pressureNoise_);
  s.pressure2 = m.param(57) == 1 ? std::max(0, m.param(29) + 200 + pressureNoise_) : 10;
  s.temperature1 = static_cast<int>(std::lround(temperature_));
  s.temperature2Raw = static_cast<int>(std::lround(temperature_ * 0.6)) + 40;
  s.rpm = rpm;
  s.level = level_;
  int injectors = std::clamp(m.param(1), 0, 8);
  for (int i = 0; i < 8; ++i) s.petrolTime[static_cast<std::size_t>(i)] = i < injectors ? petrol + 10 * i : 0;
  s.state = state_;
  s.fuelFlag = onGas_ ? 0 : 1;
  s.calState = state_;
  // The gas time follows the KGB in use; the car needs trueKgb for a stoichiometric mixture.
  s.injectionTime = onGas_ ? petrol * s.kgbInUse / 100 : petrol;
  return s;
}

}  // namespace kelvo6::sim
