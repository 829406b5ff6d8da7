// Which table cell an operating point falls in: the cell under the centre of
// the calibration window's marker.

#include "core/kgb_grid.h"

#include <gtest/gtest.h>

namespace kelvo6::core {
namespace {

constexpr std::array<int, 8> kRpm{650, 1000, 2000, 3000, 4000, 5000, 6000, 7000};
constexpr std::array<int, 8> kTinj{2000, 3500, 5000, 7000, 9000, 11000, 13000, 15000};

TEST(CellRule, OnAnAxisPointTheMarkerIsCentredOnThatPointsColumnAndInItsRow) {
  for (int p = 0; p < 8; ++p) {
    EXPECT_EQ(columnAt(kRpm[static_cast<std::size_t>(p)], kRpm), p) << p;
    EXPECT_EQ(rowAt(kTinj[static_cast<std::size_t>(p)], kTinj), p) << p;
  }
  EXPECT_EQ(cellAt(2000, 5000, kRpm, kTinj), (GridCell{2, 2}));
  EXPECT_EQ(cellAt(2000, 5000, kRpm, kTinj).number(), 19);
  EXPECT_EQ(cellAt(7000, 15000, kRpm, kTinj).number(), 64);
}

TEST(CellRule, BetweenPointsTheCellChangesWhereTheMarkersCentreCrossesAGridLine) {
  // Across, the centre reaches the next column half way between two points; a
  // centre on the line belongs to the next cell.
  EXPECT_EQ(columnAt(1499, kRpm), 1);
  EXPECT_EQ(columnAt(1500, kRpm), 2);
  EXPECT_EQ(columnAt(6499, kRpm), 6);
  EXPECT_EQ(columnAt(6500, kRpm), 7);
  // Down, the marker's top edge starts at the row's top, so its centre crosses
  // into the next row 300 of the 480 twips on: at 4436 us between 3500 and 5000
  // (the marker is placed in whole twips).
  EXPECT_EQ(rowAt(4435, kTinj), 1);
  EXPECT_EQ(rowAt(4436, kTinj), 2);
  EXPECT_EQ(rowAt(3600, kTinj), 1);
}

TEST(CellRule, BelowTheFirstAndAboveTheLastPointTheEdgeCellsHoldThePoint) {
  EXPECT_EQ(cellAt(0, 0, kRpm, kTinj), (GridCell{0, 0}));
  EXPECT_EQ(cellAt(649, 1999, kRpm, kTinj), (GridCell{0, 0}));
  EXPECT_EQ(cellAt(7001, 15001, kRpm, kTinj), (GridCell{7, 7}));
  EXPECT_EQ(cellAt(65535, 65535, kRpm, kTinj), (GridCell{7, 7}));
  // The marker stays over the grid at both ends.
  EXPECT_EQ(markerX(0, kRpm), 960);
  EXPECT_EQ(markerY(65535, kTinj), 4320);
}

TEST(CellRule, AxesThatDoNotRiseStillGiveACellOnTheGrid) {
  std::array<int, 8> flat{};
  flat.fill(1000);
  EXPECT_EQ(columnAt(1000, flat), 0);
  EXPECT_EQ(columnAt(1001, flat), 7);
  std::array<int, 8> zero{};
  EXPECT_EQ(rowAt(0, zero), 0);
  EXPECT_EQ(rowAt(1, zero), 7);
  // Falling: everything up to the first point is before it, everything past the
  // last point after it.
  std::array<int, 8> falling{7000, 6000, 5000, 4000, 3000, 2000, 1000, 650};
  EXPECT_EQ(columnAt(5500, falling), 0);
  EXPECT_EQ(columnAt(9000, falling), 7);
  // A dip: the first interval that holds the value decides.
  std::array<int, 8> dip{1000, 3000, 2000, 2500, 4000, 5000, 6000, 7000};
  EXPECT_EQ(markerX(2250, dip), 1320 + 525);
  EXPECT_EQ(columnAt(2250, dip), 1);
  for (int v = 0; v <= 10000; v += 37) {
    int c = columnAt(v, dip);
    EXPECT_TRUE(c >= 0 && c <= 7) << v;
  }
}

}  // namespace
}  // namespace kelvo6::core
