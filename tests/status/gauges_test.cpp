#include "status/gauges.h"

#include <gtest/gtest.h>

#include <set>

namespace kelvo6::status {
namespace {

using core::Rgb;
constexpr Rgb kYellow = core::colour::kYellow;

std::set<int> yellowSegments(const LambdaBar& bar) {
  std::set<int> out;
  for (int i = 0; i < kLambdaSegments; ++i)
    if (bar[static_cast<std::size_t>(i)] == kYellow) out.insert(i);
  return out;
}

void expectOwnColoursExcept(const LambdaBar& bar, const std::set<int>& pointer) {
  for (int i = 0; i < kLambdaSegments; ++i)
    if (!pointer.count(i)) {
      EXPECT_EQ(bar[static_cast<std::size_t>(i)], lambdaSegmentColour(i)) << i;
    }
}

constexpr core::BarRange kOneVolt{1000, 50};
constexpr core::BarRange kFiveVolt{5000, 250};

TEST(LambdaBar, StraightProbeMarksTheSegmentHoldingTheVoltageAndBothAtABoundary) {
  LambdaBar at450 = lambdaBar(450, 2, kOneVolt);
  EXPECT_EQ(yellowSegments(at450), (std::set<int>{10, 11}));
  expectOwnColoursExcept(at450, {10, 11});
  EXPECT_EQ(yellowSegments(lambdaBar(451, 2, kOneVolt)), (std::set<int>{10}));
  EXPECT_EQ(yellowSegments(lambdaBar(449, 2, kOneVolt)), (std::set<int>{11}));
  EXPECT_EQ(yellowSegments(lambdaBar(0, 2, kOneVolt)), (std::set<int>{19}));  // lean end
  EXPECT_EQ(yellowSegments(lambdaBar(999, 2, kOneVolt)), (std::set<int>{0}));
  // At or above full scale: only the rich end.
  LambdaBar full = lambdaBar(5000, 0, kFiveVolt);
  EXPECT_EQ(yellowSegments(full), (std::set<int>{0}));
  expectOwnColoursExcept(full, {0});
  EXPECT_EQ(yellowSegments(lambdaBar(65535, 2, kOneVolt)), (std::set<int>{0}));
}

TEST(LambdaBar, InvertedProbeRunsTheOtherWay) {
  EXPECT_EQ(yellowSegments(lambdaBar(0, 3, kOneVolt)), (std::set<int>{0}));
  EXPECT_EQ(yellowSegments(lambdaBar(450, 3, kOneVolt)), (std::set<int>{8, 9}));
  EXPECT_EQ(yellowSegments(lambdaBar(1250, 1, kFiveVolt)), (std::set<int>{4, 5}));
  EXPECT_EQ(yellowSegments(lambdaBar(1000, 3, kOneVolt)), (std::set<int>{19}));
  EXPECT_EQ(yellowSegments(lambdaBar(4999, 1, kFiveVolt)), (std::set<int>{19}));
}

TEST(LambdaBar, UnknownProbeTypeHasNoPointer) {
  EXPECT_TRUE(yellowSegments(lambdaBar(450, 4, kOneVolt)).empty());
  EXPECT_EQ(lambdaBar(450, 7, kOneVolt), lambdaBarAtRest());
}

TEST(PressureBar, LightsOneSegmentPer150Mbar) {
  PressureBar bar = pressureBar(1500);
  for (int i = 0; i <= 10; ++i) EXPECT_EQ(bar[static_cast<std::size_t>(i)], kYellow) << i;
  for (int i = 11; i < kPressureSegments; ++i) EXPECT_EQ(bar[static_cast<std::size_t>(i)], core::colour::kDimRed) << i;
  EXPECT_EQ(pressureBar(1499)[10], core::colour::kDimRed);
  EXPECT_EQ(pressureBar(0)[0], kYellow);
  EXPECT_EQ(pressureBar(3000)[19], kYellow);
}

int litCount(const std::array<bool, kLevelSegments>& lit) { return static_cast<int>(std::count(lit.begin(), lit.end(), true)); }

TEST(LevelBar, RisingSenderLightsFromTheReserveUp) {
  // 200 mV empty, 1000 mV full: step 50.
  EXPECT_EQ(litCount(levelLit(1000, 200, 1000, 50.0)), 16);
  EXPECT_EQ(litCount(levelLit(600, 200, 1000, 50.0)), 9);  // thresholds 200..600 reached
  EXPECT_EQ(litCount(levelLit(599, 200, 1000, 50.0)), 8);
  EXPECT_EQ(litCount(levelLit(100, 200, 1000, 50.0)), 0);
  auto quarter = levelLit(400, 200, 1000, 50.0);
  for (int i = 0; i < kLevelSegments; ++i) EXPECT_EQ(quarter[static_cast<std::size_t>(i)], i <= 4) << i;
}

TEST(LevelBar, FallingSenderLightsAsTheVoltageDrops) {
  // 1000 mV empty, 200 mV full: the same step, the bar fills as the voltage falls.
  EXPECT_EQ(litCount(levelLit(1000, 1000, 200, 50.0)), 0);
  EXPECT_EQ(litCount(levelLit(999, 1000, 200, 50.0)), 1);
  EXPECT_EQ(litCount(levelLit(600, 1000, 200, 50.0)), 8);
  EXPECT_EQ(litCount(levelLit(200, 1000, 200, 50.0)), 16);
  auto lit = levelLit(700, 1000, 200, 50.0);
  for (int i = 0; i < kLevelSegments; ++i) EXPECT_EQ(lit[static_cast<std::size_t>(i)], i <= 5) << i;
  // Equal limits give no step: nothing divides by it, and the bar is simply empty or full.
  EXPECT_EQ(litCount(levelLit(500, 500, 500, 0.0)), 0);
  EXPECT_EQ(litCount(levelLit(400, 500, 500, 0.0)), 16);
}

TEST(LevelBar, ReserveIsRedTheRestGreen) {
  LevelBar bar = levelBar(400, 200, 1000, 50.0);
  EXPECT_EQ(bar[0], core::colour::kRed);
  EXPECT_EQ(bar[3], core::colour::kRed);
  EXPECT_EQ(bar[4], core::colour::kGreen);
  EXPECT_EQ(bar[5], core::colour::kDimGreen);
  EXPECT_EQ(levelColour(2, false), core::colour::kDimRed);
}

TEST(Averages, ChangeOncePerFiftySamples) {
  LambdaAverage lambda;
  for (int i = 0; i < 49; ++i) lambda.add(i % 2 ? 900 : 101);
  EXPECT_EQ(lambda.average, 0);
  lambda.add(900);
  EXPECT_EQ(lambda.average, 500);  // (25 x 101 + 25 x 900) / 50 = 500.5, integer part
  EXPECT_EQ(lambda.count, 0);
  LevelAverage level;
  for (int i = 0; i < 50; ++i) level.add(3009);  // summed in tens of mV
  EXPECT_EQ(level.average, 3000);
  for (int i = 0; i < 50; ++i) level.add(i < 25 ? 1000 : 2000);
  EXPECT_EQ(level.average, 1500);
}

TEST(Averages, ASteadyReadingAveragesToItself) {
  // Every reading the line can carry, held for 50 samples.
  for (int mV = 0; mV <= 65535; ++mV) {
    LambdaAverage lambda;
    for (int i = 0; i < kAverageSamples; ++i) lambda.add(mV);
    ASSERT_EQ(lambda.average, mV);
    LevelAverage level;
    for (int i = 0; i < kAverageSamples; ++i) level.add(mV);
    ASSERT_EQ(level.average, mV / 10 * 10) << mV;  // the level is summed in whole tens of mV
  }
}

TEST(NotConnectedJudgement, FieldsTurnNcOnlyAfterTheirLimit) {
  int counter = 0;
  for (int tick = 1; tick <= 100; ++tick) ASSERT_EQ(track(counter, true, kLambdaLowLimit), Reading::kHeld) << tick;
  EXPECT_EQ(track(counter, true, kLambdaLowLimit), Reading::kAbsent);  // the 101st tick
  EXPECT_EQ(track(counter, true, kLambdaLowLimit), Reading::kAbsent);
  EXPECT_EQ(track(counter, false, kLambdaLowLimit), Reading::kFresh);  // the first fresh reading
  EXPECT_EQ(counter, 0);
  for (int tick = 1; tick <= 10; ++tick) ASSERT_EQ(track(counter, true, kUnchangedLimit), Reading::kHeld);
  EXPECT_EQ(track(counter, true, kUnchangedLimit), Reading::kAbsent);  // the 11th tick
}

TEST(GasTime, PetrolTimeScaledByTheCorrectedKgb) {
  EXPECT_EQ(gasTime(3000, 120), 3600);
  EXPECT_EQ(gasTime(3001, 115), 3451);  // 3451.15, rounded down
  EXPECT_EQ(gasTime(2564, 100), 2564);  // petrol / 10 x KGB / 10 in floating point gives 2563.99...
  EXPECT_EQ(gasTime(65535, 65535), 42948362);
  EXPECT_EQ(gasTime(0, 115), 0);
}

}  // namespace
}  // namespace kelvo6::status
