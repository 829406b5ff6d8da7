#include "sim/engine_model.h"

#include <algorithm>
#include <cmath>

namespace kelvo6::sim {

namespace {

constexpr int kStepMs = 50;
constexpr int kIdleRpm = 800;
constexpr double kWarmTemperature = 85.0;
constexpr double kWarmingTimeConstantMs = 120000.0;
constexpr int kProbeHalfPeriodMs = 1000;  // one rich/lean switch about every second
constexpr double kLeanSharePerKgbUnit = 0.05;  // of the time lean, per KGB unit of lean mixture
constexpr double kTankUsePerMsOnGas = 0.01 / 300000.0;  // 1 % of the tank in five minutes

// Change-over parameters.
constexpr int kSwitchRpm = 12, kSwitchTemperature = 13, kOverlapToPetrol = 14, kOverlapToGas = 15;
constexpr int kLevelMin = 19, kLevelMax = 20, kCalPressure = 29, kPressureModel = 57;
constexpr int kOnDeceleration = 59, kStartFilter = 60, kWarmChangeOver = 61;

// Operating state codes of the change-over phases, per software generation.
struct StateCodes {
  int overlapToPetrol, waitTemperature, waitRpmAbove, waitRpmBelow, overlapToGas, startFilter, cutoff;
};
constexpr StateCodes kGeneration4{1, 2, 3, 4, 5, 12, 8};
constexpr StateCodes kGeneration5{2, 3, 5, 6, 7, 4, 12};

// Probe voltage (mV) when rich and when lean, by sensor type; other types read as type 2.
struct ProbeLevels {
  int rich, lean, noise;
};
ProbeLevels probeLevels(int type) {
  switch (type) {
    case 0: return {4300, 700, 100};
    case 1: return {700, 4300, 100};
    case 3: return {140, 820, 20};
    default: return {820, 140, 20};
  }
}

}  // namespace

EngineModel::EngineModel(std::uint32_t seed) : random_(seed ? seed : 1) {
  for (int& trim : injectorTrim_) trim = noise(15);
  untilRevMs_ = between(12000, 25000);
  probeNextSwitchMs_ = {kProbeHalfPeriodMs, kProbeHalfPeriodMs / 2};
}

int EngineModel::noise(int amplitude) {
  // xorshift32: deterministic for a given seed.
  random_ ^= random_ << 13;
  random_ ^= random_ >> 17;
  random_ ^= random_ << 5;
  if (amplitude <= 0) return 0;
  return static_cast<int>(random_ % static_cast<std::uint32_t>(2 * amplitude + 1)) - amplitude;
}

int EngineModel::between(int low, int high) { return (low + high) / 2 + noise((high - low) / 2); }

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
  stepEngine(dtMs);
  stepProbes(dtMs);
  pressureNoise_ = noise(15);
  levelNoise_ = noise(8);
  if (onGas_) tankFill_ = std::max(0.0, tankFill_ - kTankUsePerMsOnGas * dtMs);
  stepChangeOver(dtMs, memory);
}

bool EngineModel::release() {
  if (held_) {
    held_.reset();
    return true;
  }
  return drive_ && drive_->release();
}

std::optional<DriveStep> EngineModel::waitingAt() const {
  if (held_) return held_;
  if (drive_ && drive_->waiting()) return drive_->step();
  return std::nullopt;
}

void EngineModel::stepEngine(int dtMs) {
  if (held_) {
    stepTowards(*held_);
  } else if (drive_) {
    drive_->advance(dtMs);
    stepTowards(drive_->step());
  } else {
    stepIdleAndRev(dtMs);
  }
  for (int& n : injectorNoise_) n = noise(12);
  temperature_ += (kWarmTemperature - temperature_) * dtMs / kWarmingTimeConstantMs;
}

void EngineModel::stepIdleAndRev(int dtMs) {
  // Idle near 800 rpm with a slow wander; now and then a rev of a few seconds.
  if (revLeftMs_ > 0) {
    revLeftMs_ -= dtMs;
    if (revLeftMs_ <= 0) untilRevMs_ = between(15000, 35000);
  } else {
    untilRevMs_ -= dtMs;
    if (untilRevMs_ <= 0) {
      revLeftMs_ = between(2000, 3500);
      revTarget_ = between(2600, 3600);
    }
  }
  idleDrift_ = std::clamp(idleDrift_ + noise(3), -25, 25);
  const bool revving = revLeftMs_ > 0;
  const int target = revving ? revTarget_ : kIdleRpm + idleDrift_;
  rpmExact_ += (target - rpmExact_) * (revving ? 0.18 : 0.12);
  rpm_ = std::clamp(static_cast<int>(std::lround(rpmExact_)) + noise(6), 500, 7000);

  // Load: open throttle while revving, closed while the engine falls back.
  const double loadTarget = revving ? 1.0 : (rpm_ > kIdleRpm + 150 ? 0.15 : 0.5);
  load_ += (loadTarget - load_) * 0.3;
  petrolBase_ = std::clamp(2200 + static_cast<int>(1100 * load_) + (rpm() - kIdleRpm) * 9 / 10, 1200, 15000);
  petrolExact_ = petrolBase_;
}

void EngineModel::stepTowards(const DriveStep& target) {
  // The speed follows within about a second, with a slow wander and a little
  // noise; the injection time follows the throttle faster, and a fuel cut is at once.
  idleDrift_ = std::clamp(idleDrift_ + noise(3), -25, 25);
  rpmExact_ += (target.rpm - rpmExact_) * 0.12;
  const bool stopped = target.rpm == 0 && rpmExact_ < 50;
  rpm_ = stopped ? 0 : std::clamp(static_cast<int>(std::lround(rpmExact_)) + idleDrift_ + noise(6), 0, 9000);
  const int time = rpm_ == 0 ? 0 : petrolTimeFor(rpm_, target.load);
  if (time == 0) {
    petrolExact_ = 0;
  } else {
    petrolExact_ += (time - petrolExact_) * 0.3;
  }
  petrolBase_ = static_cast<int>(std::lround(petrolExact_));
}

void EngineModel::stepProbes(int dtMs) {
  // A mixture off the car's need leaves the probes longer on the lean (or rich)
  // side, so that the lambda average shows where the table is wrong.
  const double leanShare = std::clamp(0.5 + kLeanSharePerKgbUnit * mixtureError_, 0.15, 0.85);
  const bool fuelCut = basePetrolTime() == 0;
  for (std::size_t p = 0; p < 2; ++p) {
    probeNextSwitchMs_[p] -= dtMs;
    if (fuelCut) {
      probeRich_[p] = false;  // no fuel: only air in the exhaust
    } else if (probeNextSwitchMs_[p] <= 0) {
      probeRich_[p] = !probeRich_[p];
      const double share = probeRich_[p] ? 1.0 - leanShare : leanShare;
      const int halfPeriod = static_cast<int>(std::lround(2 * kProbeHalfPeriodMs * share));
      probeNextSwitchMs_[p] = between(halfPeriod - 150, halfPeriod + 150);
    }
    probeNoise_[p] = noise(1000);  // thousandths of the probe's own noise amplitude
  }
}

void EngineModel::stepChangeOver(int dtMs, const EcuMemory& m) {
  if (switchRequested_) {
    switchRequested_ = false;
    phaseMs_ = 0;
    if (onGas_) {
      phase_ = phase_ == Phase::kOverlapToPetrol ? Phase::kGas : Phase::kOverlapToPetrol;
    } else {
      phase_ = phase_ == Phase::kOverlapToGas ? Phase::kPetrol : Phase::kOverlapToGas;
    }
  }
  phaseMs_ += dtMs;
  // Conditions that already hold pass straight on to the next phase.
  for (int i = 0; i < 8; ++i) {
    Phase before = phase_;
    advancePhase(m);
    if (phase_ == before) break;
  }
}

void EngineModel::advancePhase(const EcuMemory& m) {
  auto enter = [this](Phase next) {
    phase_ = next;
    phaseMs_ = 0;
  };
  switch (phase_) {
    case Phase::kStartFilter:
      if (phaseMs_ >= m.param(kStartFilter)) {
        warmAtStart_ = temperature_ >= m.param(kSwitchTemperature);
        enter(Phase::kWaitTemperature);
      }
      break;
    case Phase::kWaitTemperature:
      if (temperature_ >= m.param(kSwitchTemperature)) {
        // A warm restart may change over at once when the ECU allows it.
        enter(warmAtStart_ && m.param(kWarmChangeOver) == 1 ? Phase::kOverlapToGas : Phase::kWaitRpmAbove);
      }
      break;
    case Phase::kWaitRpmAbove:
      if (rpm() > m.param(kSwitchRpm))
        enter(m.param(kOnDeceleration) == 1 ? Phase::kWaitRpmBelow : Phase::kOverlapToGas);
      break;
    case Phase::kWaitRpmBelow:
      if (rpm() < m.param(kSwitchRpm) - 200) enter(Phase::kOverlapToGas);
      break;
    case Phase::kOverlapToGas:
      if (phaseMs_ >= m.param(kOverlapToGas)) {
        onGas_ = true;
        enter(Phase::kGas);
      }
      break;
    case Phase::kOverlapToPetrol:
      if (phaseMs_ >= m.param(kOverlapToPetrol)) {
        onGas_ = false;
        enter(Phase::kPetrol);
      }
      break;
    case Phase::kGas:
    case Phase::kPetrol: break;
  }
}

int EngineModel::stateCode(const EcuMemory& m) const {
  const StateCodes& c = m.version[1] == 5 ? kGeneration5 : kGeneration4;
  switch (phase_) {
    case Phase::kStartFilter: return c.startFilter;
    case Phase::kWaitTemperature: return c.waitTemperature;
    case Phase::kWaitRpmAbove: return c.waitRpmAbove;
    case Phase::kWaitRpmBelow: return c.waitRpmBelow;
    case Phase::kOverlapToGas: return c.overlapToGas;
    case Phase::kOverlapToPetrol: return c.overlapToPetrol;
    case Phase::kGas:
    case Phase::kPetrol: return basePetrolTime() == 0 && rpm() > 0 ? c.cutoff : 0;  // fuel cut on deceleration
  }
  return 0;
}

int EngineModel::basePetrolTime() const { return fixedPetrolTime_ ? fixedPetrolTime_ : petrolBase_; }

int EngineModel::demandUs(int injector) const {
  const int petrol = basePetrolTime();
  if (petrol <= 0) return 0;
  const auto k = static_cast<std::size_t>(std::clamp(injector, 0, 7));
  if (fixedPetrolTime_) return petrol + 10 * injector;
  return std::max(0, petrol + petrol * injectorTrim_[k] / 1000 + injectorNoise_[k]);
}

LiveSnapshot EngineModel::snapshot(const EcuMemory& m) const {
  LiveSnapshot s;
  const int rpm = this->rpm();

  const std::array<int, 2> types{m.param(3), m.param(50)};
  std::array<int, 2> lambda{};
  for (std::size_t p = 0; p < 2; ++p) {
    ProbeLevels levels = probeLevels(types[p]);
    lambda[p] = std::max(0, (probeRich_[p] ? levels.rich : levels.lean) + levels.noise * probeNoise_[p] / 1000);
  }
  s.lambda1 = lambda[0];
  s.lambda2 = lambda[1];

  // The regulator holds the calibration pressure, sagging a little under load.
  const int sag = std::max(0, rpm - kIdleRpm) / 40;
  s.pressure1 = std::max(0, m.param(kCalPressure) - sag + pressureNoise_);
  s.pressure2 = m.param(kPressureModel) == 1 ? std::max(0, m.param(kCalPressure) + 200 - sag + pressureNoise_) : 10;
  s.temperature1 = static_cast<int>(std::lround(temperature_));
  const double gasTemperature = 15.0 + (temperature_ - 20.0) * 0.5;
  s.temperature2Raw = std::max(0, static_cast<int>(std::lround(gasTemperature)) + 40);
  s.rpm = rpm;

  if (levelPinned_) {
    s.level = pinnedLevel_;
  } else {
    const int empty = m.param(kLevelMin), full = m.param(kLevelMax);
    s.level = std::max(0, static_cast<int>(std::lround(empty + (full - empty) * tankFill_)) + levelNoise_);
  }

  const int injectors = std::clamp(m.param(1), 0, 8);
  for (int i = 0; i < injectors; ++i) s.petrolTime[static_cast<std::size_t>(i)] = demandUs(i);
  s.state = stateCode(m);
  s.fuelFlag = onGas_ ? 0 : 1;
  s.calState = s.state;
  s.injectionTime = demandUs(0);
  return s;
}

}  // namespace kelvo6::sim
