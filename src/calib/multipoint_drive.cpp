#include "calib/multipoint_drive.h"

namespace kelvo6::calib {

std::array<double, 64> driveWeights(const datalog::CellMap& drive) {
  std::array<double, 64> counts{};
  double total = 0;
  for (int fuel = 0; fuel < 2; ++fuel)
    for (int row = 0; row < 8; ++row)
      for (int column = 0; column < 8; ++column) {
        int n = drive.at(static_cast<datalog::Fuel>(fuel), row, column).count;
        counts[static_cast<std::size_t>(8 * row + column)] += n;
        total += n;
      }
  std::array<double, 64> weights{};
  for (std::size_t i = 0; i < 64; ++i) weights[i] = 1.0 + (total > 0 ? 63.0 * counts[i] / total : 0.0);
  return weights;
}

}  // namespace kelvo6::calib
