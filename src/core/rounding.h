#pragma once
#include <cmath>
#include <cstdint>

namespace kelvo6::core {

// Nearest integer, halves to the even neighbour (the rounding of every computed
// display value and of workbook cells).
inline std::int64_t roundHalfEven(double x) {
  double r = std::nearbyint(x);  // default FP mode rounds to nearest, ties to even
  return static_cast<std::int64_t>(r);
}

// Integer part, toward zero (the Int()/Fix() of the screens' arithmetic for
// positive values; negative values are truncated toward zero too).
inline std::int64_t truncate(double x) { return static_cast<std::int64_t>(std::trunc(x)); }

// num / den (den > 0) to the nearest integer, halves to the even neighbour,
// computed on integers: an average or scale that lands exactly on a boundary
// (451 mV, 2.5) never slips to its neighbour through a floating-point sum.
constexpr std::int64_t roundedQuotient(std::int64_t num, std::int64_t den) {
  std::int64_t q = num / den, r = num % den;  // q truncated toward zero
  if (r < 0) {  // floor division, so that the remainder is 0..den-1
    q -= 1;
    r += den;
  }
  if (2 * r > den || (2 * r == den && q % 2 != 0)) ++q;
  return q;
}

}  // namespace kelvo6::core
