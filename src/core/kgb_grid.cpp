#include "core/kgb_grid.h"

#include <algorithm>

#include "core/rounding.h"

namespace kelvo6::core {

int axisTwips(int value, const std::array<int, 8>& axis, int below, int start, int step, int above) {
  if (value <= axis[0]) return below;
  if (value > axis[7]) return above;
  for (int i = 0; i < 7; ++i) {
    int lo = axis[static_cast<std::size_t>(i)], hi = axis[static_cast<std::size_t>(i + 1)];
    if (lo < value && value <= hi) {
      double inside = static_cast<double>(step) * (value - lo) / (hi - lo);
      return start + step * i + static_cast<int>(core::roundHalfEven(inside));
    }
  }
  return above;  // not reached: a value between the first and last point crosses some interval
}

int markerX(int rpm, const std::array<int, 8>& rpmAxis) {
  return axisTwips(rpm, rpmAxis, 960, 1320, 840, 7440);
}

int markerY(int injectionTime, const std::array<int, 8>& tinjAxis) {
  return axisTwips(injectionTime, tinjAxis, 720, 840, 480, 4320);
}

namespace {
// The grid line index under a centre coordinate; floor division, kept on the grid.
int lineUnder(int centre, int origin, int size) {
  int offset = centre - origin;
  int index = offset >= 0 ? offset / size : -((-offset + size - 1) / size);
  return std::clamp(index, 0, 7);
}
}  // namespace

int columnAt(int rpm, const std::array<int, 8>& rpmAxis) {
  return lineUnder(markerX(rpm, rpmAxis) + kMarkerTwips / 2, kGridLeftTwips, kGridColumnTwips);
}

int rowAt(int injectionTime, const std::array<int, 8>& tinjAxis) {
  return lineUnder(markerY(injectionTime, tinjAxis) + kMarkerTwips / 2, kGridTopTwips, kGridRowTwips);
}

GridCell cellAt(int rpm, int injectionTime, const std::array<int, 8>& rpmAxis, const std::array<int, 8>& tinjAxis) {
  return {rowAt(injectionTime, tinjAxis), columnAt(rpm, rpmAxis)};
}

}  // namespace kelvo6::core
