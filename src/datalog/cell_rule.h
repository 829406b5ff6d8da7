#pragma once
// Which KGB table cell an operating point falls in: on each axis the nearest
// axis point, a value halfway between two points going to the upper one, and
// values beyond either end to the end point (as the calibration window's
// marker, which never leaves the grid).

#include <array>

namespace kelvo6::datalog {

struct GridCell {
  int row = 0;     // TINJ point - 1
  int column = 0;  // RPM point - 1
};

int nearestAxisPoint(int value, const std::array<int, 8>& axis);
GridCell cellAt(int rpm, int tinj, const std::array<int, 8>& rpmAxis, const std::array<int, 8>& tinjAxis);

}  // namespace kelvo6::datalog
