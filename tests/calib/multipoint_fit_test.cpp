// The multi-point fit on hand-made points: the cell of each point, a trend
// carried beyond the points, refining the ECU's table, limits and bounds, and
// the suggested next cell.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "calib/auto_calibration.h"
#include "calib/kgb_table.h"
#include "calib/multipoint_drive.h"
#include "calib/multipoint_fit.h"

namespace kelvo6::calib {
namespace {

// The example axes: RPM 650 ... 7000, TINJ 2000 ... 15000. An operating point
// exactly on axis points (column c, row r) lies in the cell 8 r + c + 1.
MeasuredPoint at(int column, int row, int k, bool atLimit = false) {
  return {kExampleRpmAxis[static_cast<std::size_t>(column)], kExampleTinjAxis[static_cast<std::size_t>(row)], k, atLimit, 2};
}

TableFit fit(std::initializer_list<MeasuredPoint> points, const BaseTable& base = std::nullopt) {
  std::vector<MeasuredPoint> v(points);
  auto result = fitTable(v, kExampleRpmAxis, kExampleTinjAxis, base);
  EXPECT_TRUE(result.has_value());
  return result.value_or(TableFit{});
}

int cellOf(const TableFit& f, int column, int row) { return f.cells[static_cast<std::size_t>(cellNumber(row, column) - 1)]; }
CellBasis basisOf(const TableFit& f, int column, int row) {
  return f.basis[static_cast<std::size_t>(cellNumber(row, column) - 1)];
}

TEST(MultiPointFit, NoPointProposesNothingAndOnePointGivesTheStandardFill) {
  EXPECT_FALSE(fitTable({}, kExampleRpmAxis, kExampleTinjAxis).has_value());
  TableFit f = fit({{1800, 4600, 109, false, 3}});  // under the marker in the cell of 2000 rpm, 5000 us: 19
  EXPECT_EQ(f.cells, *fillCells(FillPattern::kStandard, 109));
  EXPECT_EQ(f.basis[18], CellBasis::kMeasured);
  EXPECT_EQ(f.basis[63], CellBasis::kExtrapolated);
}

TEST(MultiPointFit, ATiltedCarIsFollowedBeyondItsOutermostPointsAndMeasuredCellsStayExact) {
  // Points in the middle of the table only; the car keeps rising with speed
  // and falling with load out to the corners.
  auto car = [](int column, int row) { return 104 + column - row / 2; };
  std::initializer_list<MeasuredPoint> points{at(2, 2, car(2, 2)), at(5, 2, car(5, 2)), at(2, 5, car(2, 5)),
                                              at(5, 5, car(5, 5)), at(3, 4, car(3, 4))};
  TableFit f = fit(points);
  for (int row = 0; row < 8; ++row)
    for (int column = 0; column < 8; ++column) {
      bool inside = row >= 2 && row <= 5 && column >= 2 && column <= 5;
      EXPECT_NEAR(cellOf(f, column, row), car(column, row), inside ? 1 : 2) << column << "," << row;
    }
  // Beyond the last column of points the rise goes on, rather than the edge's value.
  for (int row = 0; row < 8; ++row) EXPECT_GT(cellOf(f, 7, row), cellOf(f, 5, row)) << row;
  EXPECT_EQ(cellOf(fit({at(2, 2, 106), at(3, 2, 112)}), 3, 2), 112);  // as measured, however steep
  EXPECT_EQ(basisOf(f, 3, 3), CellBasis::kInterpolated);
  EXPECT_EQ(basisOf(f, 7, 0), CellBasis::kExtrapolated);
}

TEST(MultiPointFit, RefiningTheEcusTableCorrectsItNearThePointsOnly) {
  std::array<int, 64> ecu{};
  for (int n = 0; n < 64; ++n) ecu[static_cast<std::size_t>(n)] = 105 + n % 8;  // rising with speed
  TableFit f = fit({at(1, 1, 111)}, ecu);
  EXPECT_EQ(cellOf(f, 1, 1), 111);
  EXPECT_GT(cellOf(f, 2, 1), ecu[10]);  // pulled up beside the point
  for (int row = 5; row < 8; ++row)
    for (int column = 5; column < 8; ++column) EXPECT_EQ(cellOf(f, column, row), ecu[static_cast<std::size_t>(8 * row + column)]);
  // A fresh fit from the same point knows nothing of the rise.
  EXPECT_EQ(cellOf(fit({at(1, 1, 111)}), 7, 7), 111);
}

TEST(MultiPointFit, CellsStayWithinWhatAPointCanMeasureAndAreMarkedWhereTheFitWentBeyond) {
  // Steeply rising: the trend would pass 115 beyond the last point.
  TableFit f = fit({at(0, 0, 101), at(2, 0, 107), at(4, 0, 113), at(4, 2, 113)});
  EXPECT_EQ(cellOf(f, 7, 0), 115);
  EXPECT_EQ(basisOf(f, 7, 0), CellBasis::kAtLimit);
  for (int v : f.cells) {
    EXPECT_GE(v, 100);
    EXPECT_LE(v, 115);
  }
  // A limit point is marked; a measured point in its cell outweighs it.
  EXPECT_EQ(basisOf(fit({at(0, 0, 105), at(4, 0, 115, true)}), 4, 0), CellBasis::kAtLimit);
  TableFit both = fit({at(0, 0, 105), at(4, 0, 115, true), at(4, 0, 112)});
  EXPECT_EQ(basisOf(both, 4, 0), CellBasis::kMeasured);
  EXPECT_EQ(cellOf(both, 4, 0), 112);
  // A K no run can give is never wrapped into the byte.
  TableFit big = fit({at(0, 0, 300), at(7, 7, -20)});
  EXPECT_EQ(cellOf(big, 0, 0), 255);
  EXPECT_EQ(cellOf(big, 7, 7), 0);
}

TEST(MultiPointFit, APointOnTheBoundaryBetweenTwoCellsBelongsToTheOneAfter) {
  // 1500 rpm lies halfway between 1000 and 2000: the marker's centre is on the
  // line between columns 1 and 2, which counts as column 2.
  TableFit f = fit({{1500, 5000, 111, false, 2}, at(7, 7, 101)});
  EXPECT_EQ(basisOf(f, 2, 2), CellBasis::kMeasured);
  EXPECT_EQ(cellOf(f, 2, 2), 111);
  EXPECT_NE(basisOf(f, 1, 2), CellBasis::kMeasured);
}

TEST(MultiPointFit, TheSuggestedCellIsAFreeCellThatMovesAsPointsAreAdded) {
  std::vector<MeasuredPoint> points{at(0, 0, 108)};
  std::vector<int> suggested;
  for (int i = 0; i < 6; ++i) {
    auto cell = suggestedCell(points, kExampleRpmAxis, kExampleTinjAxis);
    ASSERT_TRUE(cell);
    ASSERT_GE(*cell, 1);
    ASSERT_LE(*cell, 64);
    EXPECT_EQ(std::count(suggested.begin(), suggested.end(), *cell), 0) << "suggested again: " << *cell;
    suggested.push_back(*cell);
    points.push_back(at((*cell - 1) % 8, (*cell - 1) / 8, 108));
  }
  // Spread out: the first suggestions reach the far side of the table.
  EXPECT_GE((suggested[0] - 1) / 8 + (suggested[0] - 1) % 8, 7);
  std::vector<MeasuredPoint> all;
  for (int n = 0; n < 64; ++n) all.push_back(at(n % 8, n / 8, 108));
  EXPECT_FALSE(suggestedCell(all, kExampleRpmAxis, kExampleTinjAxis));
}

TEST(MultiPointFit, ARecordedDriveDrawsTheSuggestionToTheCellsTheCarUses) {
  datalog::CellMap drive;
  drive.cells[1][0][6].count = 900;  // on gas at the shortest time and 6000 rpm: cell 7
  drive.cells[0][1][6].count = 100;  // on petrol just below: cell 15
  auto weights = driveWeights(drive);
  EXPECT_DOUBLE_EQ(weights[6], 1 + 63 * 0.9);
  EXPECT_DOUBLE_EQ(weights[0], 1);
  std::vector<MeasuredPoint> idle{at(0, 0, 108)};
  auto plain = suggestedCell(idle, kExampleRpmAxis, kExampleTinjAxis);
  auto driven = suggestedCell(idle, kExampleRpmAxis, kExampleTinjAxis, weights);
  ASSERT_TRUE(plain && driven);
  EXPECT_NE(*plain, *driven);
  EXPECT_LE(std::abs((*driven - 1) / 8 - 0) + std::abs((*driven - 1) % 8 - 6), 1) << *driven;
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
