#include "datalog/cell_rule.h"

#include <cstdlib>

namespace kelvo6::datalog {

int nearestAxisPoint(int value, const std::array<int, 8>& axis) {
  if (value <= axis[0]) return 0;
  for (int i = 0; i < 7; ++i) {
    const long lo = axis[static_cast<std::size_t>(i)], hi = axis[static_cast<std::size_t>(i) + 1];
    if (lo < value && value <= hi) return 2 * (value - lo) >= hi - lo ? i + 1 : i;
  }
  // Past the last rising interval (or an axis that does not rise): the nearest point.
  int best = 0;
  for (int i = 1; i < 8; ++i)
    if (std::labs(static_cast<long>(value) - axis[static_cast<std::size_t>(i)]) <=
        std::labs(static_cast<long>(value) - axis[static_cast<std::size_t>(best)]))
      best = i;
  return best;
}

GridCell cellAt(int rpm, int tinj, const std::array<int, 8>& rpmAxis, const std::array<int, 8>& tinjAxis) {
  return {nearestAxisPoint(tinj, tinjAxis), nearestAxisPoint(rpm, rpmAxis)};
}

}  // namespace kelvo6::datalog
