#pragma once
// Geometry of the graphical calibration chart, in window client pixels: one
// curve per RPM axis point 1-6, KGB against TINJ axis points 1-7, the hit test
// of a click, and the example table of not-connected mode.

#include <array>
#include <cstdint>
#include <vector>

#include "core/colour.h"

namespace kelvo6::calib {

constexpr int kCurves = 6;
constexpr int kColumns = 7;

// x(c) = 88 + 64 (c - 1), c = 1..7.
inline int chartX(int column) { return 88 + 64 * (column - 1); }
// y = 368 - (32 KGB - 3200) / 10, rounded (ties to even), kept as a 16-bit integer.
std::int16_t chartY(int kgb);
// The KGB cell of curve r (RPM point) at column c (TINJ point): 8 (c - 1) + r.
inline int chartCell(int curve, int column) { return 8 * (column - 1) + curve; }

extern const std::array<core::Rgb, kCurves> kCurveColours;

using CurveYs = std::array<std::array<std::int16_t, kColumns>, kCurves>;  // [curve-1][column-1]

struct ChartPoint {
  int curve;   // 1..6
  int column;  // 1..7
  friend bool operator==(const ChartPoint&, const ChartPoint&) = default;
};
// Every point within 2 pixels of (x, y) in both directions, curve 1 column 1 first.
std::vector<ChartPoint> hitPoints(int x, int y, const CurveYs& ys);

// Not-connected example: KGB per curve and column, and the two axes.
extern const std::array<std::array<int, kColumns>, kCurves> kExampleChart;
extern const std::array<int, kColumns> kExampleChartTinj;
extern const std::array<int, kCurves> kExampleChartRpm;

}  // namespace kelvo6::calib
