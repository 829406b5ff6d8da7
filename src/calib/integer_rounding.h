#pragma once
// Quotients of the calibration screens' averages and scales, computed on
// integers so that a value on an exact boundary (451 mV, 2.0) never becomes
// the one below it through a floating-point sum.

#include <cstdint>

namespace kelvo6::calib {

// num / den (den > 0) to the nearest integer, halves to the even neighbour.
constexpr std::int64_t roundedQuotient(std::int64_t num, std::int64_t den) {
  std::int64_t q = num / den, r = num % den;  // q truncated toward zero
  if (r < 0) {  // floor division, so that the remainder is 0..den-1
    q -= 1;
    r += den;
  }
  if (2 * r > den || (2 * r == den && q % 2 != 0)) ++q;
  return q;
}

}  // namespace kelvo6::calib
