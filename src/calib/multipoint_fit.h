#pragma once
// The multi-point fit: from the KGB values measured at a few operating points,
// a proposal for all 64 cells of the table, how well each cell is supported,
// and which operating point would tell the most if measured next.
//
// Method. Each point belongs to the cell its operating point falls in (the
// cell under the calibration window's marker, core::cellAt), because that is
// the one cell the ECU applies there; points in one cell count as their mean.
// Cells are placed at (column, row). The surface is a Gaussian-process
// (kriging) fit: a trend plus a smooth correction that passes through every
// measured cell and fades with distance from the points.
// - Fresh fit: the trend is a plane (a constant with one or two points) whose
//   slopes are held back gently, so that a car's rise with speed or fall with
//   load is carried beyond the outermost points rather than flattened. The
//   correction follows the bends and ridges between points.
// - Refining the ECU's table: the trend is the ECU's current table itself; the
//   points correct it near them, and far from every point it stays as it is.
// Measured cells take their measured value exactly. Every other cell is kept
// to 100..115, the range a point can measure; one held at that bound is
// marked at a limit, like a point that stopped there.
//
// The fit's spread at each cell (how far the car may lie from the proposal
// given the points) says how well the cell is supported and drives the
// suggestion of the next point.

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
  kAtLimit,       // only points that stopped at a limit lie here, or the fit was held at 100 or 115
  kInterpolated,  // near the points: the fit is well supported
  kExtrapolated,  // far from every point: mostly the trend (or the ECU's table)
};

struct TableFit {
  std::array<int, 64> cells{};  // cell 1 at index 0
  std::array<CellBasis, 64> basis{};
  std::array<double, 64> spread{};  // the fit's spread at each cell, KGB units (0 where measured)
};

// The ECU's current table when the points refine it (cell 1 first); none for a fresh fit.
using BaseTable = std::optional<std::array<int, 64>>;

// The proposal for the table on these axes; nullopt without points.
std::optional<TableFit> fitTable(std::span<const MeasuredPoint> points, const std::array<int, 8>& rpmAxis,
                                 const std::array<int, 8>& tinjAxis, const BaseTable& base = std::nullopt);

// Where a new point's search starts: the proposal of the points so far at the
// cell of this operating point, or `fallback` without points; kept to 100..115.
int startingKgb(std::span<const MeasuredPoint> points, int rpm, int injectionTime, const std::array<int, 8>& rpmAxis,
                const std::array<int, 8>& tinjAxis, int fallback, const BaseTable& base = std::nullopt);

// The cell (1..64) whose measurement would most reduce the fit's spread over
// the table, each cell weighed by `weights` (all equal when empty), leaving
// out the cells in `skip` (1..64); nullopt when no cell is left.
std::optional<int> suggestedCell(std::span<const MeasuredPoint> points, const std::array<int, 8>& rpmAxis,
                                 const std::array<int, 8>& tinjAxis, std::span<const double> weights = {},
                                 std::span<const int> skip = {});

}  // namespace kelvo6::calib
