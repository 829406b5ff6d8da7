#include "params/level.h"

#include <cstdint>
#include <vector>

namespace kelvo6::params {

namespace {

// n / 100 rounded to the nearest integer, halves to the even neighbour, in
// integers: the percentage of a span is exact where a double is not (a span of
// 109 mV at 50 % is 54.5, which a double product rounds up to 55).
std::int64_t hundredthRoundedHalfEven(std::int64_t n) {
  bool negative = n < 0;
  std::int64_t a = negative ? -n : n;
  std::int64_t q = a / 100, r = a % 100;
  if (r > 50 || (r == 50 && q % 2 != 0)) ++q;
  return negative ? -q : q;
}

}  // namespace

int thresholdReading(int min, int max, int percent) {
  std::int64_t span = min < max ? std::int64_t{max} - min : std::int64_t{min} - max;
  std::int64_t step = hundredthRoundedHalfEven(span * percent);
  return static_cast<int>(min < max ? min + step : min - step);
}

std::optional<LevelLamps> levelLamps(int switchModel, int min, int max, int t1, int t2, int t3, int level) {
  bool rising = min < max;
  // L against V(p) = min + (max - min) * p / 100, both sides times 100 so that
  // the comparison is exact.
  auto past = [&](int percent) {
    std::int64_t l = std::int64_t{level} * 100;
    std::int64_t v = std::int64_t{min} * 100 + (std::int64_t{max} - min) * percent;
    return rising ? l >= v : l <= v;
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
