// Arithmetic of the automatic calibration (evaluation, bar, fill patterns),
// of the graphical chart, and of the simulated car the calibration runs against.

#include <gtest/gtest.h>

#include "calib/auto_calibration.h"
#include "calib/chart_geometry.h"
#include "calib/kgb_table.h"
#include "sim/calibration_model.h"

namespace kelvo6::calib {
namespace {

// Feeds a run with the same live sample until it arms the fuel switch (or the
// tick limit is reached); returns the ticks fed.
int feedUntilArmed(AutoCalibrationRun& run, References& refs, AutoSample s, int interval, int limit = 200) {
  for (int i = 1; i <= limit; ++i)
    if (run.measure(s, refs, interval)) return i;
  return -1;
}

TEST(AutoRun, FirstPetrolPhaseSwitchesAfterThirtyStableTicksWithoutEvaluating) {
  AutoCalibrationRun run(108);
  References refs;
  int ticks = feedUntilArmed(run, refs, {4000, 850, 500, 500, 1}, 100);
  // 20 ticks for a stable engine speed (first average after 10), then 30 stable ticks.
  EXPECT_GT(ticks, 30);
  EXPECT_EQ(run.k, 108);
  EXPECT_EQ(run.runState, 0);
  EXPECT_EQ(refs.petrol, 4000);
  EXPECT_EQ(refs.gas, 4000);  // no gas measurement yet
}

TEST(AutoRun, GasPhaseArmsOnceStableAndKeepsItsOwnReference) {
  AutoCalibrationRun run(108);
  References refs{4000, 4000};
  run.fuelSwitched();
  int ticks = feedUntilArmed(run, refs, {4800, 850, 500, 500, 0}, 100);
  EXPECT_GT(ticks, 10);
  EXPECT_EQ(refs.gas, 4800);
  EXPECT_EQ(refs.petrol, 4000);
  // Still stable: every further tick asks to arm again (the timer ignores it while armed).
  EXPECT_TRUE(run.measure({4800, 850, 500, 500, 0}, refs, 100));
}

class Evaluation : public ::testing::Test {
 protected:
  // A run on petrol after one switch, stable, about to reach 30 stable ticks.
  AutoCalibrationRun atEvaluation(int k, int above, int below, int largest) {
    AutoCalibrationRun run(k);
    run.switchCount = 1;
    run.injectionAverage = 4000;
    run.injectionStableCount = 40;
    run.rpmAverage = 850;
    run.rpmStableCount = 40;
    run.stableTicks = 29;
    run.aboveCount = above;
    run.belowCount = below;
    run.largestDeviation = largest;
    return run;
  }
  // The sample at the gas reference, so it counts neither above nor below.
  bool evaluate(AutoCalibrationRun& run) {
    References refs{0, 4000};
    return run.measure({4000, 850, 500, 500, 1}, refs, 100);
  }
};

TEST_F(Evaluation, MoreTicksBelowRaisesKByTheStep) {
  auto run = atEvaluation(108, 0, 7, 650);
  EXPECT_TRUE(evaluate(run));
  EXPECT_EQ(run.k, 111);
  EXPECT_EQ(run.runState, 0);
  EXPECT_EQ(run.stableTicks, 0);
  EXPECT_EQ(run.belowCount, 0);
}

TEST_F(Evaluation, MoreTicksAboveLowersK) {
  auto run = atEvaluation(108, 6, 0, 450);
  evaluate(run);
  EXPECT_EQ(run.k, 106);
}

TEST_F(Evaluation, BothCountsDecideByTheLargerOne) {
  auto more = atEvaluation(108, 2, 3, 400);
  evaluate(more);
  EXPECT_EQ(more.k, 110);
  auto equal = atEvaluation(108, 3, 3, 400);
  evaluate(equal);
  EXPECT_EQ(equal.k, 108);
}

TEST_F(Evaluation, FewTicksOnOneSideChangeNothingAndTheCycleContinues) {
  auto run = atEvaluation(108, 3, 0, 900);
  EXPECT_TRUE(evaluate(run));
  EXPECT_EQ(run.k, 108);
  EXPECT_EQ(run.runState, 0);
}

TEST_F(Evaluation, BothCountsZeroFindsTheValueAndSwitchesOnceMore) {
  auto run = atEvaluation(110, 0, 0, 0);
  EXPECT_TRUE(evaluate(run));
  EXPECT_EQ(run.runState, 1);
  EXPECT_EQ(run.k, 110);
  // In state 1 the gas phase no longer arms a switch.
  run.fuelSwitched();
  References refs{4000, 4000};
  EXPECT_EQ(feedUntilArmed(run, refs, {4000, 850, 500, 500, 0}, 100, 80), -1);
}

TEST_F(Evaluation, ClampedAtTheLimitWithTheAdviceAndNoMoreSwitching) {
  auto run = atEvaluation(114, 0, 6, 600);
  EXPECT_FALSE(evaluate(run));
  EXPECT_EQ(run.k, 115);
  EXPECT_EQ(run.runState, 2);
  // Counts are not restarted: the evaluation repeats and K stays at its limit.
  EXPECT_FALSE(evaluate(run));
  EXPECT_EQ(run.k, 115);
  auto low = atEvaluation(101, 8, 0, 800);
  evaluate(low);
  EXPECT_EQ(low.k, 100);
  EXPECT_EQ(low.runState, 2);
}

TEST_F(Evaluation, ReachingTheLimitExactlyIsNotYetTheLimitState) {
  auto run = atEvaluation(112, 0, 6, 600);
  evaluate(run);
  EXPECT_EQ(run.k, 115);
  EXPECT_EQ(run.runState, 0);
}

TEST(AutoRun, AnAnswerStillReportingTheOldFuelKeepsItsReference) {
  AutoCalibrationRun run(108);
  References refs{4000, 4000};
  run.fuelSwitched();
  feedUntilArmed(run, refs, {4800, 850, 500, 500, 0}, 100);
  ASSERT_EQ(refs.gas, 4800);
  run.fuelSwitched();  // back to petrol; the next answer was asked for before the switch
  run.measure({4800, 850, 500, 500, 0}, refs, 100);
  EXPECT_EQ(refs.gas, 4800);
  for (int i = 0; i < 9; ++i) run.measure({4000, 850, 500, 500, 1}, refs, 100);  // the second average is all petrol
  EXPECT_EQ(refs.petrol, 4000);
  EXPECT_EQ(refs.gas, 4800);
}

TEST(AutoRun, BlinkRedAtTwoBlueAtFour) {
  AutoCalibrationRun run(100);
  EXPECT_FALSE(run.blink());
  EXPECT_EQ(run.blink(), core::colour::kRed);
  EXPECT_FALSE(run.blink());
  EXPECT_EQ(run.blink(), core::colour::kBlue);
  EXPECT_FALSE(run.blink());
  EXPECT_EQ(run.blink(), core::colour::kRed);
}

TEST(DeviationBar, GrowsRightOnPetrolAndLeftOnGas) {
  References refs{4000, 4210};
  DeviationBar petrol = deviationBar(4000, true, refs);
  EXPECT_EQ(petrol.deviation, 210);
  EXPECT_EQ(petrol.segments[0], kBarRed);
  for (int j = 1; j <= 10; ++j) EXPECT_EQ(petrol.segments[j], kBarYellow) << j;
  for (int j = 11; j <= 14; ++j) EXPECT_EQ(petrol.segments[j], kBarRed) << j;
  EXPECT_EQ(petrol.segments[15], kBarYellow);
  DeviationBar gas = deviationBar(4149, false, refs);
  EXPECT_EQ(gas.deviation, 149);
  for (int j = 1; j <= 2; ++j) EXPECT_EQ(gas.segments[j], kBarRed) << j;
  EXPECT_EQ(gas.segments[3], kBarYellow);
  for (int j = 11; j <= 20; ++j) EXPECT_EQ(gas.segments[j], kBarYellow) << j;
}

TEST(FillPattern, ChosenByOptionAndFuel) {
  EXPECT_EQ(fillPatternFor(false, 1), FillPattern::kStandard);
  EXPECT_EQ(fillPatternFor(true, 0), FillPattern::kRising);
  EXPECT_EQ(fillPatternFor(true, 1), FillPattern::kFalling);
  EXPECT_EQ(fillPatternFor(true, 2), FillPattern::kNone);
  EXPECT_FALSE(fillCells(FillPattern::kNone, 110));
}

TEST(FillPattern, StandardFillsEveryCell) {
  auto cells = *fillCells(FillPattern::kStandard, 112);
  for (int v : cells) EXPECT_EQ(v, 112);
}

TEST(FillPattern, RisingForLpgIsCappedAt115) {
  auto cells = *fillCells(FillPattern::kRising, 110);
  auto cell = [&](int n) { return cells[static_cast<std::size_t>(n - 1)]; };
  for (int n : {1, 2, 9, 10}) EXPECT_EQ(cell(n), 110);
  std::vector<int> row0{cell(3), cell(4), cell(5), cell(6), cell(7), cell(8)};
  EXPECT_EQ(row0, (std::vector<int>{112, 114, 115, 115, 115, 115}));
  for (int c = 2; c < 8; ++c) EXPECT_EQ(cell(cellNumber(1, c)), cell(cellNumber(0, c)));
  for (int r = 2; r < 8; ++r) {
    EXPECT_EQ(cell(cellNumber(r, 0)), row0[static_cast<std::size_t>(r - 2)]) << r;
    EXPECT_EQ(cell(cellNumber(r, 1)), row0[static_cast<std::size_t>(r - 2)]) << r;
    for (int c = 2; c < 8; ++c) EXPECT_EQ(cell(cellNumber(r, c)), 110) << r << c;
  }
}

TEST(FillPattern, FallingForCngIsRaisedTo100AndLowersTheLongestTimes) {
  auto cells = *fillCells(FillPattern::kFalling, 104);
  auto cell = [&](int n) { return cells[static_cast<std::size_t>(n - 1)]; };
  EXPECT_EQ(cell(3), 101);
  EXPECT_EQ(cell(4), 100);  // 99.84 is raised to the floor
  EXPECT_EQ(cell(17), 101);
  for (int r = 2; r < 6; ++r)
    for (int c = 2; c < 8; ++c) EXPECT_EQ(cell(cellNumber(r, c)), 104);
  for (int r = 6; r < 8; ++r)
    for (int c = 2; c < 8; ++c) EXPECT_EQ(cell(cellNumber(r, c)), 100);
  // Exact hundredths: 100 x 0.98 is 98, not 97.
  EXPECT_EQ((*fillCells(FillPattern::kFalling, 200))[2], 196);
}

TEST(Chart, PixelPositionsOfColumnsAndKgb) {
  EXPECT_EQ(chartX(1), 88);
  EXPECT_EQ(chartX(7), 472);
  EXPECT_EQ(chartY(100), 368);
  EXPECT_EQ(chartY(200), 48);
  EXPECT_EQ(chartY(180), 112);
  EXPECT_EQ(chartY(90), 400);    // below the labelled range, not clipped
  EXPECT_EQ(chartY(105), 352);
  EXPECT_EQ(chartY(101), 365);   // 364.8
  EXPECT_EQ(chartY(255), -128);
  EXPECT_EQ(chartCell(3, 3), 19);
  EXPECT_EQ(chartCell(6, 7), 54);
}

TEST(Chart, HitTestIsAFiveByFiveSquareEdgesIncluded) {
  CurveYs ys{};
  for (auto& curve : ys) curve.fill(368);
  ys[2][2] = 300;  // curve 3, column 3
  EXPECT_EQ(hitPoints(216, 300, ys), (std::vector<ChartPoint>{{3, 3}}));
  EXPECT_EQ(hitPoints(218, 302, ys), (std::vector<ChartPoint>{{3, 3}}));
  EXPECT_EQ(hitPoints(214, 298, ys), (std::vector<ChartPoint>{{3, 3}}));
  EXPECT_TRUE(hitPoints(219, 300, ys).empty());
  EXPECT_TRUE(hitPoints(216, 303, ys).empty());
  // Overlapping points of different curves are all hit, curve 1 first.
  auto all = hitPoints(88, 368, ys);
  ASSERT_EQ(all.size(), 6u);
  EXPECT_EQ(all.front(), (ChartPoint{1, 1}));
  EXPECT_EQ(all.back(), (ChartPoint{6, 1}));
}

TEST(SimulatedCar, GasDemandFollowsTheDistanceFromTheTrueCoefficient) {
  EXPECT_EQ(sim::demandedInjectionTime(4000, 108, 108), 4000);
  EXPECT_EQ(sim::demandedInjectionTime(4000, 104, 108), 4800);  // lean: the car asks for more
  EXPECT_EQ(sim::demandedInjectionTime(4000, 115, 108), 2600);
  EXPECT_EQ(sim::demandedInjectionTime(4000, 100, 200), 24000);
  EXPECT_EQ(sim::demandedInjectionTime(40000, 100, 200), 65535);
  EXPECT_EQ(sim::demandedInjectionTime(4000, 255, 100), 0);
  EXPECT_EQ(sim::kgbApplied(true, 112, 115), 112);
  EXPECT_EQ(sim::kgbApplied(false, 112, 115), 115);
  EXPECT_EQ(sim::kgbApplied(true, 0, 115), 115);
  EXPECT_EQ(sim::countedRpm(800, 4, 2), 1600);
  EXPECT_EQ(sim::countedRpm(800, 4, 4), 800);
}

TEST(SimulatedCar, CalibrationModeHoldsTheFuelItFound) {
  sim::CalibrationModel m;
  EXPECT_FALSE(m.switchFuel());
  m.modeOn(false);
  EXPECT_TRUE(m.switchFuel());
  EXPECT_TRUE(m.heldOnGas());
  m.modeOn(false);  // already on: the held fuel stays
  EXPECT_TRUE(m.heldOnGas());
  sim::LiveSnapshot engine;
  engine.petrolTime[0] = 4000;
  engine.fuelFlag = 1;
  engine.calState = 2;  // the engine would still wait for temperature
  engine.kgbTable = 115;
  sim::EcuMemory memory;
  memory.trialKgb = 104;
  sim::LiveSnapshot block = m.block(engine, memory, 108, 0);
  EXPECT_EQ(block.fuelFlag, 0);
  EXPECT_EQ(block.calState, 0);
  EXPECT_EQ(block.kgbInUse, 104);
  EXPECT_EQ(block.injectionTime, 4800);
}

}  // namespace
}  // namespace kelvo6::calib
