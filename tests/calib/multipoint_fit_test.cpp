// The multi-point fit on hand-made points: the cell of each point, the values
// between and beyond the points worked out by hand, limit points, rounding,
// and the bounds of a cell value.

#include <gtest/gtest.h>

#include "calib/auto_calibration.h"
#include "calib/kgb_table.h"
#include "calib/multipoint_fit.h"

namespace kelvo6::calib {
namespace {

// The example axes: RPM 650 ... 7000, TINJ 2000 ... 15000. An operating point
// exactly on axis points (column c, row r) lies in the cell 8 r + c + 1.
MeasuredPoint at(int column, int row, int k, bool atLimit = false) {
  return {kExampleRpmAxis[static_cast<std::size_t>(column)], kExampleTinjAxis[static_cast<std::size_t>(row)], k, atLimit, 2};
}

TableFit fit(std::initializer_list<MeasuredPoint> points) {
  std::vector<MeasuredPoint> v(points);
  auto result = fitTable(v, kExampleRpmAxis, kExampleTinjAxis);
  EXPECT_TRUE(result.has_value());
  return result.value_or(TableFit{});
}

int cellOf(const TableFit& f, int column, int row) { return f.cells[static_cast<std::size_t>(cellNumber(row, column) - 1)]; }
CellBasis basisOf(const TableFit& f, int column, int row) {
  return f.basis[static_cast<std::size_t>(cellNumber(row, column) - 1)];
}

TEST(MultiPointFit, NoPointProposesNothing) {
  EXPECT_FALSE(fitTable({}, kExampleRpmAxis, kExampleTinjAxis).has_value());
}

TEST(MultiPointFit, OnePointGivesTheStandardFillWithEveryOtherCellExtrapolated) {
  TableFit f = fit({{1800, 4600, 109, false, 3}});  // under the marker in the cell of 2000 rpm, 5000 us: 19
  auto standard = fillCells(FillPattern::kStandard, 109);
  ASSERT_TRUE(standard);
  EXPECT_EQ(f.cells, *standard);
  for (int n = 1; n <= 64; ++n)
    EXPECT_EQ(f.basis[static_cast<std::size_t>(n - 1)], n == 19 ? CellBasis::kMeasured : CellBasis::kExtrapolated) << n;
}

TEST(MultiPointFit, ATriangleOfPointsIsFilledEvenlyInsideAndFromItsNearestEdgeOutside) {
  // 100 + 2 per column + 1 per row inside the triangle (0,0), (4,0), (0,4).
  TableFit f = fit({at(0, 0, 100), at(4, 0, 108), at(0, 4, 104)});
  EXPECT_EQ(cellOf(f, 2, 1), 105);
  EXPECT_EQ(basisOf(f, 2, 1), CellBasis::kInterpolated);
  EXPECT_EQ(cellOf(f, 2, 2), 106);  // on the long edge: still inside
  EXPECT_EQ(basisOf(f, 2, 2), CellBasis::kInterpolated);
  // Beyond the long edge, the nearest point of it: halfway between 108 and 104.
  EXPECT_EQ(cellOf(f, 4, 4), 106);
  EXPECT_EQ(basisOf(f, 4, 4), CellBasis::kExtrapolated);
  // Past a corner, that corner's value.
  EXPECT_EQ(cellOf(f, 7, 0), 108);
  EXPECT_EQ(cellOf(f, 0, 7), 104);
  EXPECT_EQ(cellOf(f, 7, 7), 106);
}

TEST(MultiPointFit, FourPointsOnOneCircleTakeTheMeanOfBothTriangulations) {
  TableFit f = fit({at(0, 0, 100), at(2, 0, 104), at(0, 2, 108), at(2, 2, 116)});
  EXPECT_EQ(cellOf(f, 1, 1), 107);  // (100 + 116) / 2 and (104 + 108) / 2
  EXPECT_EQ(cellOf(f, 1, 0), 102);
  EXPECT_EQ(cellOf(f, 2, 1), 110);
}

TEST(MultiPointFit, PointsOutsideTheAxesBelongToTheOuterCells) {
  // Below the first and beyond the last axis point: cells 57 and 8.
  TableFit f = fit({{400, 20000, 100, false, 2}, {9000, 1000, 114, false, 2}});
  EXPECT_EQ(basisOf(f, 0, 7), CellBasis::kMeasured);
  EXPECT_EQ(basisOf(f, 7, 0), CellBasis::kMeasured);
  // Along the line between them 2 per step, beside it its nearest point.
  for (int c = 0; c < 8; ++c) {
    EXPECT_EQ(cellOf(f, c, 7 - c), 100 + 2 * c);
    EXPECT_NE(basisOf(f, c, 7 - c), CellBasis::kExtrapolated);
  }
  EXPECT_EQ(cellOf(f, 0, 0), 107);
  EXPECT_EQ(cellOf(f, 1, 0), 108);  // 4/7 of the way
  EXPECT_EQ(basisOf(f, 0, 0), CellBasis::kExtrapolated);
}

TEST(MultiPointFit, APointOnTheBoundaryBetweenTwoCellsBelongsToTheOneAfter) {
  // 1500 rpm lies halfway between 1000 and 2000: the marker's centre is on the
  // line between columns 1 and 2, which counts as column 2.
  TableFit f = fit({{1500, 5000, 111, false, 2}, at(7, 7, 101)});
  EXPECT_EQ(basisOf(f, 2, 2), CellBasis::kMeasured);
  EXPECT_EQ(cellOf(f, 2, 2), 111);
  EXPECT_EQ(basisOf(f, 1, 2), CellBasis::kExtrapolated);
}

TEST(MultiPointFit, LimitPointsAreMarkedAndCountWithTheirLimit) {
  TableFit f = fit({at(0, 0, 105), at(4, 0, 115, true)});
  EXPECT_EQ(basisOf(f, 4, 0), CellBasis::kAtLimit);
  EXPECT_EQ(cellOf(f, 4, 0), 115);
  EXPECT_EQ(cellOf(f, 2, 0), 110);  // halfway towards the limit
  // A measured point in the same cell outweighs the limit one.
  TableFit both = fit({at(0, 0, 105), at(4, 0, 115, true), at(4, 0, 112)});
  EXPECT_EQ(basisOf(both, 4, 0), CellBasis::kMeasured);
  EXPECT_EQ(cellOf(both, 4, 0), 112);
  // Only limit points: they are all there is.
  TableFit limits = fit({at(3, 3, 100, true)});
  EXPECT_EQ(limits.cells[0], 100);
  EXPECT_EQ(basisOf(limits, 3, 3), CellBasis::kAtLimit);
}

TEST(MultiPointFit, HalvesRoundToTheEvenValueAndCellsStayInTheirByte) {
  TableFit halves = fit({at(0, 0, 100), at(2, 0, 101), at(5, 5, 110), at(5, 5, 111)});
  EXPECT_EQ(cellOf(halves, 1, 0), 100);  // 100.5
  EXPECT_EQ(cellOf(halves, 5, 5), 110);  // the mean of 110 and 111
  // A K no run can give is never wrapped into the byte.
  TableFit big = fit({at(0, 0, 300), at(7, 7, -20)});
  for (int v : big.cells) {
    EXPECT_GE(v, 0);
    EXPECT_LE(v, 255);
  }
  EXPECT_EQ(cellOf(big, 0, 0), 255);
  EXPECT_EQ(cellOf(big, 7, 7), 0);
}

TEST(MultiPointFit, ANewPointStartsFromTheProposalThereWithinTheRunsLimits) {
  std::vector<MeasuredPoint> none;
  EXPECT_EQ(startingKgb(none, 800, 2000, kExampleRpmAxis, kExampleTinjAxis, 120), 115);
  std::vector<MeasuredPoint> two{at(0, 0, 104), at(4, 0, 112)};
  EXPECT_EQ(startingKgb(two, 2000, 2000, kExampleRpmAxis, kExampleTinjAxis, 115), 108);
  std::vector<MeasuredPoint> low{at(0, 0, 90)};
  EXPECT_EQ(startingKgb(low, 2000, 2000, kExampleRpmAxis, kExampleTinjAxis, 115), 100);
}

}  // namespace
}  // namespace kelvo6::calib
