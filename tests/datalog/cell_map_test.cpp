// The cell map of a small hand-made log against hand-computed counts and
// averages, and the thinning of long traces for drawing.

#include <gtest/gtest.h>

#include "datalog/cell_stats.h"
#include "datalog/channels.h"
#include "datalog/decimate.h"

namespace kelvo6::datalog {
namespace {

constexpr std::array<int, 8> kRpm{1000, 2000, 3000, 4000, 5000, 6000, 7000, 8000};
constexpr std::array<int, 8> kTinj{2000, 3000, 4000, 5000, 6000, 8000, 10000, 12000};

LogData logOf(std::initializer_list<std::array<int, 4>> rows, Ch timeChannel = Ch::kPetrol1) {
  ChannelSet set;
  for (Ch c : {Ch::kRpm, timeChannel, Ch::kLambda1, Ch::kFuelFlag}) set.set(static_cast<std::size_t>(index(c)));
  LogData log(set);
  std::int64_t t = 0;
  for (const auto& [rpm, tinj, lambda, fuel] : rows) {
    Sample s;
    s.tMs = t += 50;
    s[Ch::kRpm] = rpm;
    s[timeChannel] = tinj;
    s[Ch::kLambda1] = lambda;
    s[Ch::kFuelFlag] = fuel;
    log.append(s);
  }
  return log;
}

TEST(CellMap, CountsAndAveragesEqualHandComputedValues) {
  const LogData log = logOf({
      // rpm, petrol time, lambda 1, fuel flag (1 petrol)
      {2000, 4000, 400, 1},    // on both axis points: row 2, column 1
      {2400, 4400, 600, 1},    // under halfway on both: the same cell
      {2500, 4000, 500, 1},    // halfway between 2000 and 3000: column 2
      {2000, 4000, 800, 0},    // the first cell again, on gas
      {999, 1500, 100, 0},     // below both axes: the first cell
      {9000, 20000, 900, 0},   // above both: the last cell
      {8000, 12000, 700, 0},   // on the last points: the last cell
      {1000, 2000, 300, 2},    // a fuel flag other than 1 is gas
  });
  const CellMap map = cellMap(log, kRpm, kTinj);
  EXPECT_EQ(map.samples, 8);

  const CellTally& p = map.at(Fuel::kPetrol, 2, 1);
  EXPECT_EQ(p.count, 2);
  EXPECT_DOUBLE_EQ(p.lambdaAverage(), 500.0);
  EXPECT_DOUBLE_EQ(p.timeAverage(), 4200.0);
  EXPECT_EQ(map.at(Fuel::kPetrol, 2, 2).count, 1);
  EXPECT_EQ(map.at(Fuel::kGas, 2, 1).count, 1);
  EXPECT_DOUBLE_EQ(map.at(Fuel::kGas, 2, 1).lambdaAverage(), 800.0);

  const CellTally& first = map.at(Fuel::kGas, 0, 0);
  EXPECT_EQ(first.count, 2);
  EXPECT_DOUBLE_EQ(first.lambdaAverage(), 200.0);
  EXPECT_DOUBLE_EQ(first.timeAverage(), 1750.0);
  const CellTally& last = map.at(Fuel::kGas, 7, 7);
  EXPECT_EQ(last.count, 2);
  EXPECT_DOUBLE_EQ(last.lambdaAverage(), 800.0);
  EXPECT_DOUBLE_EQ(last.timeAverage(), 16000.0);

  int total = 0;
  for (Fuel f : {Fuel::kPetrol, Fuel::kGas})
    for (int r = 0; r < 8; ++r)
      for (int c = 0; c < 8; ++c) total += map.at(f, r, c).count;
  EXPECT_EQ(total, 8);
  EXPECT_EQ(map.at(Fuel::kPetrol, 0, 0).lambdaAverage(), 0.0);  // an empty cell has no average
}

TEST(CellMap, RowsChangeWhereTheMarkersCentreCrossesAGridLine) {
  // Rows are 480 twips and the marker 360: from 6000 to 8000 us its centre
  // crosses into the next row five eighths of the way, at 7250 us.
  const CellMap map = cellMap(logOf({{1000, 7250, 450, 1}, {1000, 7240, 450, 1}, {1000, 7000, 450, 1}}), kRpm, kTinj);
  EXPECT_EQ(map.at(Fuel::kPetrol, 5, 0).count, 1);
  EXPECT_EQ(map.at(Fuel::kPetrol, 4, 0).count, 2);
  // An axis that does not rise everywhere still places every sample somewhere.
  const std::array<int, 8> flat{1000, 1000, 1000, 1000, 1000, 1000, 1000, 1000};
  EXPECT_EQ(cellMap(logOf({{5000, 5000, 1, 1}}), flat, flat).samples, 1);
}

TEST(CellMap, CalibrationLogsArePlacedByTheirInjectionTime) {
  const LogData log = logOf({{3000, 10000, 450, 0}}, Ch::kInjectionTime);
  EXPECT_EQ(placingTime(log), Ch::kInjectionTime);
  EXPECT_EQ(cellMap(log, kRpm, kTinj).at(Fuel::kGas, 6, 2).count, 1);
  // A log without lambda 1 has nothing to show.
  LogData noLambda(ChannelSet().set(static_cast<std::size_t>(index(Ch::kRpm))));
  EXPECT_EQ(cellMap(noLambda, kRpm, kTinj).samples, 0);
}

TEST(Decimate, KeepsEveryExtremeOfALongTraceAndTheEdges) {
  std::vector<std::int64_t> t;
  std::vector<std::int32_t> v;
  for (int i = 0; i < 140000; ++i) {
    t.push_back(i * 50);
    v.push_back(800 + i % 7);
  }
  v[70001] = 6500;  // one spike among 140,000 samples
  v[90000] = 0;     // and one drop
  const auto points = decimate(t, v, 0, t.back(), 1000);
  EXPECT_LE(points.size(), 2004u);
  bool spike = false, drop = false;
  for (std::size_t i = 0; i < points.size(); ++i) {
    spike |= points[i].value == 6500;
    drop |= points[i].value == 0;
    if (i) {
      EXPECT_LE(points[i - 1].tMs, points[i].tMs);
    }
  }
  EXPECT_TRUE(spike);
  EXPECT_TRUE(drop);
  EXPECT_EQ(points.front().tMs, 0);
  EXPECT_EQ(points.back().tMs, t.back());

  // A short span comes back whole, with one sample either side of it.
  const auto few = decimate(t, v, 1000, 1200, 1000);
  ASSERT_EQ(few.size(), 7u);
  EXPECT_EQ(few.front().tMs, 950);
  EXPECT_EQ(few.back().tMs, 1250);
  EXPECT_TRUE(decimate({}, {}, 0, 1000, 100).empty());
}

TEST(Channels, GasTimeAndTemperatureFollowTheStatusWindowsArithmetic) {
  core::LiveValues live;
  live.petrolTime[0] = 3000;
  live.kgbCorrected = 120;
  live.temperature2 = 130;
  Sample s = sampleOf(live, 0);
  EXPECT_EQ(s[Ch::kGasTime], 3600);
  EXPECT_EQ(s[Ch::kTemperature2], 90);
  EXPECT_EQ(gasTime(65535, 65535), 42948362);  // no overflow at the top of both ranges
  EXPECT_EQ(gasTime(999, 101), 1008);          // 1008.99 rounds down
  for (const Channel& c : channels()) {
    EXPECT_EQ(channelByHeading(heading(c.id)), c.id);
    EXPECT_LE(c.valueMin, c.scaleMin);
  }
}

}  // namespace
}  // namespace kelvo6::datalog
