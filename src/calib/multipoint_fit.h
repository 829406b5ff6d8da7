#pragma once
// The multi-point fit: from the KGB values measured at a few operating points,
// a proposal for all 64 cells of the table.
//
// Method. Each point belongs to the cell its operating point falls in (the
// cell under the calibration window's marker, core::cellAt), because that is
// the one cell the ECU applies there. Points in one cell count as their mean.
// The measured cells are then joined into triangles: three measured cells
// whose circle holds no other measured cell span a triangle (a Delaunay
// triangulation), and every cell inside a triangle takes the value that
// changes evenly from one corner to the others, along the RPM and TINJ axes
// alike (where two such triangles overlap, four cells on one circle, the mean
// of both). A cell outside every triangle has no measured cell on one side: it
// takes the value at the nearest edge of the measured area (the nearest
// point's value, or the value between the two points of that edge) and is
// marked extrapolated. One point thus gives all 64 cells its value, the
// standard fill. A value between measured ones never lies outside them, so
// every cell stays between the lowest and the highest K measured (0..255).
//
// A point whose run stopped at 100 or 115 only says that the car needs that
// much or more (or less): it takes part with its limit value, the closest the
// run could come, and its cell is marked as at a limit rather than measured.
//
// All arithmetic is exact on whole numbers; a cell's value is rounded to the
// nearest whole number, halves to the even one.

#include <array>
#include <optional>
#include <span>

#include "core/kgb_grid.h"

namespace kelvo6::calib {

// One accepted point of a multi-point run.
struct MeasuredPoint {
  int rpm = 0;            // engine speed average on petrol where it was measured
  int injectionTime = 0;  // petrol injection time average there, microseconds
  int k = 0;              // KGB found
  bool atLimit = false;   // the run stopped at 100 or 115
  int cycles = 0;         // petrol/gas comparisons it took
};

enum class CellBasis {
  kMeasured,      // a point was measured in this cell
  kAtLimit,       // only points that stopped at a limit lie in this cell
  kInterpolated,  // inside the area the measured cells span
  kExtrapolated,  // outside it: the value of its nearest edge
};

struct TableFit {
  std::array<int, 64> cells{};  // cell 1 at index 0
  std::array<CellBasis, 64> basis{};
};

// The proposal for the table on these axes; nullopt without points.
std::optional<TableFit> fitTable(std::span<const MeasuredPoint> points, const std::array<int, 8>& rpmAxis,
                                 const std::array<int, 8>& tinjAxis);

// Where a new point's search starts: the proposal of the points so far at the
// cell of this operating point, or `fallback` without points; kept to 100..115.
int startingKgb(std::span<const MeasuredPoint> points, int rpm, int injectionTime, const std::array<int, 8>& rpmAxis,
                const std::array<int, 8>& tinjAxis, int fallback);

}  // namespace kelvo6::calib
