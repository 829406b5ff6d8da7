#include "status/gauges.h"

#include <cmath>
#include <cstdint>

namespace kelvo6::status {

namespace {
using core::Rgb;

constexpr Rgb kLambdaColours[kLambdaSegments] = {
    {150, 0, 0},  {150, 10, 0}, {160, 30, 0},  {180, 70, 0},  {200, 110, 0}, {220, 150, 0}, {100, 130, 0},
    {50, 150, 0}, {0, 170, 0},  {0, 190, 0},   {0, 190, 0},   {0, 170, 0},   {50, 150, 0},  {100, 130, 0},
    {220, 150, 0}, {200, 110, 0}, {180, 70, 0}, {160, 30, 0}, {150, 10, 0},  {150, 0, 0},
};
constexpr int kLevelReserveSegments = 4;

bool inverted(int probeType) { return probeType == 1 || probeType == 3; }
bool straight(int probeType) { return probeType == 0 || probeType == 2; }
}  // namespace

void LambdaAverage::add(int mV) {
  // Fifths of each sample summed, then a tenth of the sum: the mean of the 50.
  ++count;
  sum += mV;
  if (count >= kAverageSamples) {
    count = 0;
    average = sum / (5 * 10);
    sum = 0;
  }
}

void LevelAverage::add(int mV) {
  ++count;
  sum += mV / 10;
  if (count >= kAverageSamples) {
    average = sum / 5;
    count = 0;
    sum = 0;
  }
}

Reading track(int& counter, bool implausible, int limit) {
  if (!implausible) {
    counter = 0;
    return Reading::kFresh;
  }
  if (counter >= limit) return Reading::kAbsent;
  ++counter;
  return Reading::kHeld;
}

int gasTime(int petrolUs, int kgbCorrected) {
  return static_cast<int>(static_cast<std::int64_t>(petrolUs) * kgbCorrected / 100);
}

bool showsStillInjection(int state) { return state == 8 || state == 9; }

Rgb lambdaSegmentColour(int i) { return kLambdaColours[i]; }

LambdaBar lambdaBarAtRest() {
  LambdaBar bar;
  for (int i = 0; i < kLambdaSegments; ++i) bar[static_cast<std::size_t>(i)] = kLambdaColours[i];
  return bar;
}

LambdaBar lambdaBar(int x, int probeType, core::BarRange range) {
  LambdaBar bar = lambdaBarAtRest();
  const int v = range.fullScale;
  const int d = range.step;
  auto pointer = [&](int i) { bar[static_cast<std::size_t>(i)] = core::colour::kYellow; };
  if (inverted(probeType)) {
    if (x >= v) {
      pointer(kLambdaSegments - 1);
      return bar;
    }
    for (int i = 0; i < kLambdaSegments; ++i)
      if (i * d <= x && x <= (i + 1) * d) pointer(i);
  } else if (straight(probeType)) {
    if (x >= v) {
      pointer(0);
      return bar;
    }
    for (int i = 0; i < kLambdaSegments; ++i)
      if (v - (i + 1) * d <= x && x <= v - i * d) pointer(i);
  }
  return bar;
}

PressureBar pressureBar(int mbar) {
  PressureBar bar;
  for (int i = 0; i < kPressureSegments; ++i)
    bar[static_cast<std::size_t>(i)] = mbar >= kPressureSegmentMbar * i ? core::colour::kYellow : core::colour::kDimRed;
  return bar;
}

std::array<bool, kLevelSegments> levelLit(int average, int minLevel, int maxLevel, double step) {
  // Threshold i is the minimum level minus (falling) or plus i steps.
  const std::int64_t step16 = std::llround(step * 16.0);
  const std::int64_t average16 = std::int64_t{average} * 16;
  const std::int64_t min16 = std::int64_t{minLevel} * 16;
  std::array<bool, kLevelSegments> lit{};
  for (int i = 0; i < kLevelSegments; ++i) {
    if (minLevel >= maxLevel) {
      lit[static_cast<std::size_t>(i)] = !(average16 >= min16 - step16 * i);
    } else {
      lit[static_cast<std::size_t>(i)] = average16 >= min16 + step16 * i;
    }
  }
  return lit;
}

Rgb levelColour(int i, bool lit) {
  if (i < kLevelReserveSegments) return lit ? core::colour::kRed : core::colour::kDimRed;
  return lit ? core::colour::kGreen : core::colour::kDimGreen;
}

LevelBar levelBar(int average, int minLevel, int maxLevel, double step) {
  auto lit = levelLit(average, minLevel, maxLevel, step);
  LevelBar bar;
  for (int i = 0; i < kLevelSegments; ++i)
    bar[static_cast<std::size_t>(i)] = levelColour(i, lit[static_cast<std::size_t>(i)]);
  return bar;
}

FuelLamps fuelLamps(int fuelFlag) {
  if (fuelFlag == 1) return {core::colour::kRed, core::colour::kDimGreen};
  return {core::colour::kDimRed, core::colour::kGreen};
}

}  // namespace kelvo6::status
