#include "params/level.h"

#include <vector>

#include "core/rounding.h"

namespace kelvo6::params {

int thresholdReading(int min, int max, int percent) {
  if (min < max) return min + static_cast<int>(core::roundHalfEven((max - min) / 100.0 * percent));
  return min - static_cast<int>(core::roundHalfEven((min - max) / 100.0 * percent));
}

std::optional<LevelLamps> levelLamps(int switchModel, int min, int max, int t1, int t2, int t3, int level) {
  bool rising = min < max;
  auto past = [&](int percent) {
    double v = min + (max - min) * static_cast<double>(percent) / 100.0;
    return rising ? level >= v : level <= v;
  };
  // The rows of the display from the bottom: the first threshold not passed
  // decides how many lamps are lit.
  std::vector<int> steps;       // thresholds in lamp order
  std::vector<int> lampOrder;   // index into levelLit for each step
  if (switchModel == 0 || switchModel == 1) {
    steps = {t1, t2, t3};
    lampOrder = {0, 1, 2};
  } else if (switchModel == 2) {
    steps = {kModel2ReservePercent, t1, t2, t3};
    lampOrder = {3, 0, 1, 2};
  } else {
    return std::nullopt;
  }
  LevelLamps lamps;
  std::size_t passed = 0;
  while (passed < steps.size() && past(steps[passed])) ++passed;
  lamps.reserve = passed == 0;
  for (std::size_t i = 0; i < passed; ++i) lamps.levelLit[static_cast<std::size_t>(lampOrder[i])] = true;
  return lamps;
}

ReserveBlink reserveBlink(int counter) {
  int next = counter + 1;
  if (next >= 6) next = 0;
  return {next, next >= 3};
}

std::optional<std::array<int, 3>> switchModelThresholds(int switchModel) {
  switch (switchModel) {
    case 1: return std::array<int, 3>{10, 30, 60};
    case 2: return std::array<int, 3>{25, 50, 75};
    default: return std::nullopt;
  }
}

}  // namespace kelvo6::params
