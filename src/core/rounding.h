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

}  // namespace kelvo6::core
