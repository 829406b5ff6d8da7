#pragma once
// Where an operating point sits on the KGB table: the calibration window's
// marker, interpolated between the axis points, and the one rule for which
// table cell a point (engine speed, petrol injection time) falls in. The
// simulated ECU's table lookup, the true map of the simulated car, the logs'
// cell map and the multi-point fit all use this rule, so that the cell the
// marker covers is the cell the ECU applies.

#include <array>

namespace kelvo6::core {

// The window is laid out in twips, 15 to a pixel.
constexpr int kTwipsPerPixel = 15;
// Grid geometry in twips: column c starts at 1080 + 840 c, cell row r at 840 + 480 r.
constexpr int kGridColumnTwips = 840, kGridRowTwips = 480, kGridLeftTwips = 1080, kGridTopTwips = 840;
// The marker is a 24-pixel square; its position is that of its top-left corner.
constexpr int kMarkerTwips = 360;

// Interpolated position on one axis: `below` up to the first point, `start` +
// `step` x i + interpolation inside the first interval i that holds the value
// (axis points that do not rise are skipped), `above` past the last point.
int axisTwips(int value, const std::array<int, 8>& axis, int below, int start, int step, int above);
// Marker position in twips: the marker's left edge follows the engine speed
// over the RPM axis, its top edge the injection time over the TINJ axis.
int markerX(int rpm, const std::array<int, 8>& rpmAxis);
int markerY(int injectionTime, const std::array<int, 8>& tinjAxis);

// A table cell by its grid position: row r on the TINJ axis, column c on the
// RPM axis, both 0..7; the cell number is 8 r + c + 1.
struct GridCell {
  int row = 0;
  int column = 0;
  int number() const { return 8 * row + column + 1; }
  bool operator==(const GridCell&) const = default;
};

// The cell under the marker's centre. Every position the marker can take lies
// over the grid, so every operating point has a cell; a centre exactly on a
// grid line belongs to the cell after it.
GridCell cellAt(int rpm, int injectionTime, const std::array<int, 8>& rpmAxis, const std::array<int, 8>& tinjAxis);
// The column or row alone, for a caller that needs one axis.
int columnAt(int rpm, const std::array<int, 8>& rpmAxis);
int rowAt(int injectionTime, const std::array<int, 8>& tinjAxis);

}  // namespace kelvo6::core
