// The multi-point run without a window: the settling step of one point's
// search, a search against the simulated car's trim at light and heavy load,
// the engine leaving a point, a lost line, and the accepting of points.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "calib/kgb_table.h"
#include "calib/multipoint_run.h"
#include "sim/calibration_model.h"

namespace kelvo6::calib {
namespace {

// A car held at one operating point. On gas its engine computer trims the
// petrol time by the simulated car's rule, or, with `proportional`, by 5 % of
// it per KGB unit: at heavy load that is far more than the 200 us a unit the
// automatic calibration's step assumes. Ticks of 300 ms, the fuel switch
// 1000 ms after it is armed, as the window does.
struct HeldCar {
  int rpm = 850;
  int petrolTime = 4000;
  int need = 110;
  bool proportional = false;
  bool onGas = false;
  int gasFlicker = 0;  // on gas the time jumps by this much every other 600 ms

  int gasTime(int k) const {
    if (proportional) return static_cast<int>(petrolTime * (1.0 + 0.05 * (need - k)));
    return sim::demandedInjectionTime(petrolTime, k, need);
  }
  int switchAt = -1;
  // One 300 ms tick.
  void step(MultiPointRun& r, int tick, int interval = 100) {
    int now = tick * 300;
    if (switchAt >= 0 && now >= switchAt) {
      onGas = !onGas;
      r.fuelSwitched();
      switchAt = -1;
    }
    int time = onGas ? gasTime(r.trialKgb()) + (tick % 4 < 2 ? gasFlicker : 0) : petrolTime;
    if (r.tick({time, rpm, 450, 450, onGas ? 0 : 1}, interval) && switchAt < 0) switchAt = now + 1000;
  }
  // Runs until the point is found or at a limit; the ticks it took, or -1.
  int run(MultiPointRun& r, int interval = 100, int maxTicks = 4000) {
    for (int tick = 0; tick < maxTicks; ++tick) {
      step(r, tick, interval);
      auto phase = r.phase();
      if (phase == MultiPointRun::Phase::kFound || phase == MultiPointRun::Phase::kAtLimit) return tick;
    }
    return -1;
  }
};

TEST(PointSearch, FindsTheNeedWithinOneAtEveryLoadAndFromEitherEnd) {
  for (bool proportional : {false, true})
    for (int time : {3500, 7000, 11000, 15000})
      for (int need : {101, 106, 110, 114})
        for (int start : {100, 108, 115}) {
          MultiPointRun r(start);
          r.startPoint(start);
          HeldCar car{1500, time, need, proportional};
          std::string where = std::to_string(time) + " us, need " + std::to_string(need) + ", from " +
                              std::to_string(start) + (proportional ? ", proportional trim" : "");
          ASSERT_GE(car.run(r), 0) << where;
          EXPECT_EQ(r.phase(), MultiPointRun::Phase::kFound) << where;
          EXPECT_NEAR(r.trialKgb(), need, 1) << where;
          EXPECT_LE(r.search()->cycles, 8) << where;
        }
}

// A search on petrol after a gas phase, about to evaluate with these counts.
PointSearch atEvaluation(int k, int above, int below, int largest) {
  PointSearch s(k);
  s.switchCount = 1;
  s.injectionAverage = 4000;
  s.injectionStableCount = 40;
  s.rpmAverage = 850;
  s.rpmStableCount = 40;
  s.stableTicks = 29;
  s.aboveCount = above;
  s.belowCount = below;
  s.largestDeviation = largest;
  return s;
}

void evaluate(PointSearch& s, int above, int below, int largest) {
  s.stableTicks = 29;
  s.aboveCount = above;
  s.belowCount = below;
  s.largestDeviation = largest;
  References refs{0, 4000};
  s.measure({4000, 850, 500, 500, 1}, refs, 100);
}

TEST(PointSearch, ATurnHalvesTheStepForGoodAndATurnAfterOneSettlesOnTheCloserValue) {
  PointSearch s = atEvaluation(104, 0, 8, 1300);  // up by 6
  evaluate(s, 0, 8, 1300);
  EXPECT_EQ(s.k, 110);
  evaluate(s, 8, 0, 1300);  // back: at most 3
  EXPECT_EQ(s.k, 107);
  evaluate(s, 0, 8, 900);  // up again: at most 1 from now on
  EXPECT_EQ(s.k, 108);
  evaluate(s, 0, 8, 900);
  EXPECT_EQ(s.k, 109);
  evaluate(s, 8, 0, 300);  // back after a step of 1: the need is 108 or 109
  EXPECT_EQ(s.runState, 1);
  EXPECT_EQ(s.k, 109);  // 300 was the smaller deviation
  EXPECT_EQ(s.cycles, 5);

  PointSearch back = atEvaluation(108, 0, 8, 100);  // a step of 0 still moves by 1
  evaluate(back, 0, 8, 100);
  EXPECT_EQ(back.k, 109);
  evaluate(back, 8, 0, 400);
  EXPECT_EQ(back.k, 108);  // 400 is further off than 100
  EXPECT_EQ(back.runState, 1);
}

TEST(PointSearch, AStepPastALimitIsMeasuredThereBeforeTheRunStops) {
  PointSearch s = atEvaluation(110, 0, 8, 2000);
  evaluate(s, 0, 8, 2000);
  EXPECT_EQ(s.k, 115);
  EXPECT_EQ(s.runState, 0);
  evaluate(s, 0, 8, 600);
  EXPECT_EQ(s.k, 115);
  EXPECT_EQ(s.runState, 2);
  evaluate(s, 0, 8, 600);  // evaluated again on the next stable tick: stays
  EXPECT_EQ(s.runState, 2);
  EXPECT_EQ(s.cycles, 2);
}

TEST(MultiPointRun, KeepsAPointOnlyOnceFoundOrAtALimitWithWhereItWasMeasured) {
  MultiPointRun r(112);
  EXPECT_EQ(r.trialKgb(), 112);
  EXPECT_FALSE(r.accept(kExampleRpmAxis, kExampleTinjAxis));
  r.startPoint(108);
  HeldCar car{2480, 5200, 111};
  for (int i = 0; i < 40; ++i) r.tick({5200, 2480, 450, 450, 1}, 100);
  EXPECT_EQ(r.phase(), MultiPointRun::Phase::kMeasuring);
  EXPECT_FALSE(r.accept(kExampleRpmAxis, kExampleTinjAxis));
  ASSERT_GE(car.run(r), 0);
  ASSERT_TRUE(r.accept(kExampleRpmAxis, kExampleTinjAxis));
  ASSERT_EQ(r.points().size(), 1u);
  const MeasuredPoint& p = r.points()[0];
  EXPECT_EQ(p.rpm, 2480);
  EXPECT_EQ(p.injectionTime, 5200);
  EXPECT_EQ(p.k, 111);
  EXPECT_FALSE(p.atLimit);
  EXPECT_GE(p.cycles, 1);
  EXPECT_EQ(r.phase(), MultiPointRun::Phase::kIdle);
  EXPECT_EQ(r.trialKgb(), 111);  // held until the next point

  r.startPoint(111);
  HeldCar rich{900, 3000, 122};
  ASSERT_GE(rich.run(r), 0);
  EXPECT_EQ(r.phase(), MultiPointRun::Phase::kAtLimit);
  ASSERT_TRUE(r.accept(kExampleRpmAxis, kExampleTinjAxis));
  EXPECT_TRUE(r.points()[1].atLimit);
  EXPECT_EQ(r.points()[1].k, 115);
  r.removeLastPoint();
  EXPECT_EQ(r.points().size(), 1u);
}

// The engine moves off the point after `settleTicks` and back after `awayTicks`,
// `times` over; the notices seen, in order, without repeats.
std::vector<RunNotice> leaveAndReturn(MultiPointRun& r, HeldCar& car, int rpm, int time, int times) {
  std::vector<RunNotice> seen;
  const int homeRpm = car.rpm, homeTime = car.petrolTime;
  int tick = 0;
  auto ticks = [&](int n) {
    for (int end = tick + n; tick < end; ++tick) {
      car.step(r, tick);
      if (r.takeNotice()) seen.push_back(r.notice());
    }
  };
  ticks(40);  // steady at the point: it is fixed there
  for (int i = 0; i < times; ++i) {
    car.rpm = rpm;
    car.petrolTime = time;
    ticks(20);
    car.rpm = homeRpm;
    car.petrolTime = homeTime;
    ticks(20);
  }
  return seen;
}

TEST(MultiPointRun, LeavingThePointRestartsThePhaseNamingWhatMovedAndTooManyDeparturesGiveItUp) {
  struct Case {
    const char* what;
    int rpm, time;
    RunNotice moved;
  };
  for (const Case& c : {Case{"speed", 2600, 4000, RunNotice::kRpmMoved}, Case{"time", 2000, 5200, RunNotice::kTimeMoved}}) {
    SCOPED_TRACE(c.what);
    MultiPointRun r(108);
    r.startPoint(108);
    HeldCar car{2000, 4000, 112};
    EXPECT_EQ(leaveAndReturn(r, car, c.rpm, c.time, 1), (std::vector<RunNotice>{c.moved, RunNotice::kBackAtPoint}));
    EXPECT_EQ(r.phase(), MultiPointRun::Phase::kMeasuring);
    EXPECT_EQ(r.restarts(), 1);
    EXPECT_EQ(r.anchorRpm() / 100, 20);
    // Back and steady, the point goes on to its value.
    ASSERT_GE(car.run(r), 0);
    EXPECT_NEAR(r.trialKgb(), 112, 1);

    MultiPointRun wanderer(108);
    wanderer.startPoint(108);
    HeldCar again{2000, 4000, 112};
    auto seen = leaveAndReturn(wanderer, again, c.rpm, c.time, kPointRestarts + 1);
    ASSERT_FALSE(seen.empty());
    EXPECT_EQ(seen.back(), RunNotice::kGivenUp);
    EXPECT_EQ(wanderer.phase(), MultiPointRun::Phase::kIdle);
    EXPECT_FALSE(wanderer.accept(kExampleRpmAxis, kExampleTinjAxis));
    EXPECT_TRUE(wanderer.points().empty());
  }
}

TEST(MultiPointRun, APointWhoseGasTimeNeverSettlesIsGivenUpRatherThanMeasuredForEver) {
  MultiPointRun r(115);
  r.startPoint(115);
  HeldCar car{1000, 13000, 112};
  car.gasFlicker = 1500;
  EXPECT_EQ(car.run(r, 100, 2 * kPointSettleTicks), -1);
  EXPECT_EQ(r.notice(), RunNotice::kNotSettling);
  EXPECT_FALSE(r.inProgress());
  EXPECT_TRUE(r.points().empty());
}

TEST(MultiPointRun, ALostLineTakesNoPointAndACellMeasuredAgainKeepsOnlyTheNewValue) {
  MultiPointRun r(110);
  r.startPoint(110);
  HeldCar car{2480, 5200, 111};
  ASSERT_GE(car.run(r), 0);
  r.lineLost();
  EXPECT_EQ(r.notice(), RunNotice::kLineLost);
  EXPECT_FALSE(r.accept(kExampleRpmAxis, kExampleTinjAxis));

  for (auto [rpm, need] : {std::pair{2480, 111}, std::pair{900, 106}, std::pair{2350, 104}}) {
    r.startPoint(110);
    HeldCar held{rpm, 5200, need};
    ASSERT_GE(held.run(r), 0);
    ASSERT_TRUE(r.accept(kExampleRpmAxis, kExampleTinjAxis));
  }
  // 2480 and 2350 rpm lie in one cell: the later value alone stands, in the new place.
  ASSERT_EQ(r.points().size(), 2u);
  EXPECT_NEAR(r.points()[1].k, 104, 1);
  r.removePoint(0);
  ASSERT_EQ(r.points().size(), 1u);
  EXPECT_EQ(r.points()[0].rpm / 10, 235);
}

}  // namespace
}  // namespace kelvo6::calib
