#include "calib/auto_calibration.h"

#include <algorithm>
#include <cstdlib>

#include "core/rounding.h"
#include "calib/kgb_table.h"

namespace kelvo6::calib {

const core::Text3 kAdviceIncrease{"Aumentare pressione o aumentare diametro ugelli",
                                  "Increase pressure or increase nozzles' diameter",
                                  "Increase pressure or increase nozzles' diameter"};
const core::Text3 kAdviceDecrease{"Diminuire pressione o diminuire diametro ugelli",
                                  "Decrease pressure or decrease nozzles' diameter",
                                  "Decrease pressure or decrease nozzles' diameter"};

namespace {
constexpr int kInjectionStableUs = 300;
constexpr int kRpmStable = 200;
constexpr int kStableTicksToEvaluate = 30;
constexpr int kCountsToMove = 5;
}  // namespace

bool AutoCalibrationRun::measure(const AutoSample& s, References& refs, int interval) {
  injectionSum += static_cast<int>(core::roundedQuotient(s.injectionTime, 5));
  if (++injectionCount == 5) {
    injectionAverage = injectionSum / 5 * 5;
    injectionSum = injectionCount = 0;
  }
  injectionStableCount = std::abs(s.injectionTime - injectionAverage) <= kInjectionStableUs ? injectionStableCount + 1 : 0;

  // A reference takes only a completed average: right after a switch the
  // average restarts at 0, and the first answers still report the old fuel,
  // which would otherwise wipe out the reference just measured on it.
  bool onPetrol = s.fuelFlag == 1;
  bool averaged = injectionAverage != 0;
  if (onPetrol) {
    if (averaged) refs.petrol = injectionAverage;
    if (averaged && switchCount == 0) refs.gas = injectionAverage;
    injectionStable = injectionStableCount > 29;
  } else {
    if (averaged) refs.gas = injectionAverage;
    injectionStable = injectionStableCount > 9;
  }

  lambdaSum[0] += s.lambda1;
  lambdaSum[1] += s.lambda2;
  if (++lambdaCount == 10) {
    lambdaAverage[0] = lambdaSum[0] / 10;
    lambdaAverage[1] = lambdaSum[1] / 10;
    lambdaSum[0] = lambdaSum[1] = lambdaCount = 0;
  }
  rpmSum += s.rpm;
  if (++rpmCount == 10) {
    rpmAverage = rpmSum / 10 / 10 * 10;
    rpmSum = rpmCount = 0;
  }
  rpmStableCount = std::abs(s.rpm - rpmAverage) <= kRpmStable ? rpmStableCount + 1 : 0;
  rpmStable = rpmStableCount >= 20;

  if (!(injectionStable && rpmStable)) {
    restartCounts();
    return false;
  }
  if (!onPetrol) {
    if (runState != 0) return false;
    restartCounts();
    return true;
  }
  if (switchCount >= 1) {
    bool above = s.injectionTime >= refs.gas + interval;
    bool below = s.injectionTime <= refs.gas - interval;
    if (above) ++aboveCount;
    if (below) ++belowCount;
    if (above || below) largestDeviation = std::max(largestDeviation, std::abs(s.injectionTime - refs.gas));
  }
  if (++stableTicks < kStableTicksToEvaluate) return false;
  if (switchCount >= 1) adjust(evaluationVerdict(aboveCount, belowCount, largestDeviation));
  if (runState == 2) return false;
  restartCounts();
  return true;
}

Verdict evaluationVerdict(int aboveCount, int belowCount, int largestDeviation) {
  Verdict v;
  v.step = adjustmentStep(largestDeviation);
  if (aboveCount == 0 && belowCount >= kCountsToMove) {
    v.direction = 1;
  } else if (belowCount == 0 && aboveCount >= kCountsToMove) {
    v.direction = -1;
  } else if (aboveCount == 0 && belowCount == 0) {
    v.found = true;
  } else if (aboveCount > 0 && belowCount > 0) {
    v.direction = belowCount > aboveCount ? 1 : aboveCount > belowCount ? -1 : 0;
  }
  return v;
}

void AutoCalibrationRun::adjust(const Verdict& v) {
  if (v.found) runState = 1;
  if (v.direction > 0) {
    k += v.step;
    if (k > kAutoKgbMax) {
      k = kAutoKgbMax;
      runState = 2;
    }
  }
  if (v.direction < 0) {
    k -= v.step;
    if (k < kAutoKgbMin) {
      k = kAutoKgbMin;
      runState = 2;
    }
  }
}

void AutoCalibrationRun::fuelSwitched() {
  injectionSum = injectionCount = injectionAverage = injectionStableCount = 0;
  rpmSum = rpmCount = rpmAverage = rpmStableCount = 0;
  lambdaSum[0] = lambdaSum[1] = lambdaCount = lambdaAverage[0] = lambdaAverage[1] = 0;
  restartCounts();
  largestDeviation = 0;
  injectionStable = rpmStable = false;
  ++switchCount;
}

std::optional<core::Rgb> AutoCalibrationRun::blink() {
  ++blinkCount;
  if (blinkCount == 2) return core::colour::kRed;
  if (blinkCount >= 4) {
    blinkCount = 0;
    return core::colour::kBlue;
  }
  return std::nullopt;
}

DeviationBar deviationBar(int live, bool petrolSide, const References& refs) {
  DeviationBar bar;
  bar.segments.fill(kBarYellow);
  bar.segments[0] = kBarRed;
  bar.deviation = std::abs(live - (petrolSide ? refs.gas : refs.petrol));
  int reach = bar.deviation / 50;
  if (petrolSide) {
    for (int j = 11; j <= 20; ++j)
      if (reach + 10 >= j) bar.segments[static_cast<std::size_t>(j)] = kBarRed;
  } else {
    for (int j = 1; j <= 10; ++j)
      if (reach >= j) bar.segments[static_cast<std::size_t>(j)] = kBarRed;
  }
  return bar;
}

FillPattern fillPatternFor(bool specialised, int fuelType) {
  if (!specialised) return FillPattern::kStandard;
  if (fuelType == 0) return FillPattern::kRising;
  if (fuelType == 1) return FillPattern::kFalling;
  return FillPattern::kNone;
}

std::optional<std::array<int, 64>> fillCells(FillPattern pattern, int v) {
  if (pattern == FillPattern::kNone) return std::nullopt;
  std::array<int, 64> cells{};
  cells.fill(v);
  if (pattern == FillPattern::kStandard) return cells;
  // Factors in hundredths, so that Int(V x f) is exact.
  constexpr int kRising[6] = {102, 104, 106, 108, 110, 110};
  constexpr int kFalling[6] = {98, 96, 94, 92, 90, 90};
  bool rising = pattern == FillPattern::kRising;
  auto value = [&](int i) {
    int scaled = v * (rising ? kRising[i] : kFalling[i]) / 100;
    return rising ? std::min(kAutoKgbMax, scaled) : std::max(kAutoKgbMin, scaled);
  };
  auto at = [&](int row, int column) -> int& { return cells[static_cast<std::size_t>(cellNumber(row, column) - 1)]; };
  for (int i = 0; i < 6; ++i) {
    at(0, 2 + i) = at(1, 2 + i) = value(i);  // the two shortest-time rows, across the speeds
    at(2 + i, 0) = at(2 + i, 1) = value(i);  // the two lowest speeds, down the times
  }
  if (!rising)
    for (int c = 2; c < 8; ++c) at(6, c) = at(7, c) = value(5);
  return cells;
}

}  // namespace kelvo6::calib
