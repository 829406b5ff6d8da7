#include "sim/engine_model.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <vector>

#include "sim/factory.h"

namespace kelvo6::sim {
namespace {

// Runs the model in 50 ms steps and collects a snapshot after each.
std::vector<LiveSnapshot> run(EngineModel& e, const EcuMemory& m, int ms, std::int64_t& now,
                              const std::function<void(std::int64_t)>& each = {}) {
  std::vector<LiveSnapshot> out;
  for (int t = 0; t < ms; t += 50) {
    now += 50;
    e.advanceTo(now, m);
    out.push_back(e.snapshot(m));
    if (each) each(now);
  }
  return out;
}

// The distinct state codes in order of appearance.
std::vector<int> stateSequence(const std::vector<LiveSnapshot>& run) {
  std::vector<int> codes;
  for (const LiveSnapshot& s : run)
    if (codes.empty() || codes.back() != s.state) codes.push_back(s.state);
  return codes;
}

TEST(EngineModel, IdlesNear800WithAnOccasionalRevAndTimesFollowingTheLoad) {
  EcuMemory m = factoryMemory();
  EngineModel e;
  std::int64_t now = 0;
  auto samples = run(e, m, 60000, now);
  int maxRpm = 0, idleSamples = 0, changes = 0;
  int idleTime = 0, revTime = 0;
  for (std::size_t i = 0; i < samples.size(); ++i) {
    const LiveSnapshot& s = samples[i];
    maxRpm = std::max(maxRpm, s.rpm);
    if (s.rpm >= 740 && s.rpm <= 860) {
      ++idleSamples;
      idleTime = std::max(idleTime, s.petrolTime[0]);
    }
    if (s.rpm > 2500) revTime = std::max(revTime, s.petrolTime[0]);
    if (i > 0 && s.rpm != samples[i - 1].rpm) ++changes;
  }
  EXPECT_GT(idleSamples, static_cast<int>(samples.size()) * 3 / 4);
  EXPECT_GT(maxRpm, 2500);  // at least one rev in a minute
  EXPECT_LT(maxRpm, 4000);
  EXPECT_GT(changes, static_cast<int>(samples.size()) / 2);  // never frozen
  EXPECT_GT(revTime, idleTime + 1000);
  // Four injectors fitted (parameter 1): the other four read 0.
  const LiveSnapshot& last = samples.back();
  for (int i = 0; i < 4; ++i) EXPECT_GT(last.petrolTime[static_cast<std::size_t>(i)], 1500) << i;
  for (int i = 4; i < 8; ++i) EXPECT_EQ(last.petrolTime[static_cast<std::size_t>(i)], 0) << i;
  m.params[1] = 6;
  EXPECT_GT(e.snapshot(m).petrolTime[5], 0);
  EXPECT_EQ(e.snapshot(m).petrolTime[6], 0);
}

TEST(EngineModel, LambdaProbesSwitchAboutOnceASecondWithinTheirScale) {
  EcuMemory m = factoryMemory();  // probe 1 type 2 (0-1 V), probe 2 type 2
  m.params[50] = 0;               // probe 2 straight 0-5 V
  EngineModel e;
  std::int64_t now = 0;
  auto samples = run(e, m, 20000, now);
  int switches = 0;
  for (std::size_t i = 1; i < samples.size(); ++i)
    if ((samples[i].lambda1 > 500) != (samples[i - 1].lambda1 > 500)) ++switches;
  EXPECT_GE(switches, 16);
  EXPECT_LE(switches, 24);
  for (const LiveSnapshot& s : samples) {
    EXPECT_LE(s.lambda1, 1000);
    EXPECT_LE(s.lambda2, 5000);
  }
  auto [lo, hi] = std::minmax_element(samples.begin(), samples.end(),
                                      [](auto& a, auto& b) { return a.lambda2 < b.lambda2; });
  EXPECT_LT(lo->lambda2, 1000);
  EXPECT_GT(hi->lambda2, 4000);
}

TEST(EngineModel, AMixtureOffTheCarsNeedKeepsTheProbesLongerOnThatSide) {
  EcuMemory m = factoryMemory();  // probe 1 type 2: lean below 500 mV
  auto leanShare = [&](int error) {
    EngineModel e;
    e.setMixtureError(error);
    std::int64_t now = 0;
    auto samples = run(e, m, 60000, now);
    int lean = 0;
    for (const LiveSnapshot& s : samples) lean += s.lambda1 < 500;
    return static_cast<double>(lean) / static_cast<double>(samples.size());
  };
  EXPECT_NEAR(leanShare(0), 0.5, 0.06);
  EXPECT_NEAR(leanShare(6), 0.8, 0.06);
  EXPECT_NEAR(leanShare(-6), 0.2, 0.06);
  EXPECT_NEAR(leanShare(40), 0.85, 0.06);  // never stuck on one side
}

TEST(EngineModel, WarmsUpHoldsThePressureAndReportsTheTank) {
  EcuMemory m = factoryMemory();
  m.params[29] = 1100;
  m.params[19] = 4500;  // a falling sender: 4500 mV empty, 500 mV full
  m.params[20] = 500;
  EngineModel e;
  std::int64_t now = 0;
  auto start = run(e, m, 1000, now).back();
  EXPECT_LE(start.temperature1, 22);
  EXPECT_EQ(start.fuelFlag, 1);  // petrol at start
  auto warm = run(e, m, 10 * 60 * 1000, now).back();
  EXPECT_GE(warm.temperature1, 80);
  EXPECT_LE(warm.temperature1, 85);
  EXPECT_GT(warm.temperature2Raw, start.temperature2Raw);
  EXPECT_NEAR(warm.pressure1, 1100, 100);
  EXPECT_EQ(warm.pressure2, 10);  // single-pressure sensor model
  EXPECT_GT(warm.level, 500);
  EXPECT_LT(warm.level, 1800);  // three quarters full on a falling sender
  e.setLevel(2222);
  EXPECT_EQ(e.snapshot(m).level, 2222);
}

TEST(EngineModel, ChangeOverOnDecelerationWithTheStateCodesOfEachGeneration) {
  for (int generation : {4, 5}) {
    EcuMemory m = factoryMemory();  // change-over at 2300 rpm on deceleration, 50 degrees
    m.version = {2, generation, 1};
    m.params[15] = 400;  // overlap petrol to gas
    EngineModel e;
    std::int64_t now = 0;
    auto samples = run(e, m, 240000, now);
    std::vector<int> expected = generation == 4 ? std::vector<int>{12, 2, 3, 4, 5, 0}
                                                : std::vector<int>{4, 3, 5, 6, 7, 0};
    EXPECT_EQ(stateSequence(samples), expected) << generation;
    EXPECT_TRUE(e.onGas());
    // Gas only after the overlap, and only below the change-over speed minus 200.
    auto firstGas = std::find_if(samples.begin(), samples.end(), [](auto& s) { return s.fuelFlag == 0; });
    ASSERT_NE(firstGas, samples.end());
    EXPECT_GE(firstGas->temperature1, 50);
    EXPECT_EQ((firstGas - 1)->state, expected[4]);
  }
}

TEST(EngineModel, RisingChangeOverAndWarmRestart) {
  EcuMemory m = factoryMemory();
  m.params[59] = 0;  // change over while the speed rises
  m.params[61] = 0;
  EngineModel e;
  e.setTemperature(60);
  std::int64_t now = 0;
  auto samples = run(e, m, 60000, now);
  EXPECT_EQ(stateSequence(samples), (std::vector<int>{12, 3, 0}));
  auto firstGas = std::find_if(samples.begin(), samples.end(), [](auto& s) { return s.fuelFlag == 0; });
  ASSERT_NE(firstGas, samples.end());
  EXPECT_GT(firstGas->rpm, 2300);

  // Warm at start and warm change-over allowed: no wait for the engine speed.
  m.params[61] = 1;
  EngineModel warm;
  warm.setTemperature(60);
  now = 0;
  auto quick = run(warm, m, 2000, now);
  EXPECT_EQ(stateSequence(quick), (std::vector<int>{12, 0}));
  EXPECT_TRUE(warm.onGas());
}

TEST(EngineModel, FuelSwitchTogglesThroughTheOverlapTimes) {
  EcuMemory m = factoryMemory();
  m.params[14] = 500;  // gas to petrol overlap
  m.params[61] = 1;
  EngineModel e;
  e.setTemperature(70);
  std::int64_t now = 0;
  run(e, m, 1500, now);
  ASSERT_TRUE(e.onGas());
  e.requestFuelSwitch();
  auto back = run(e, m, 3000, now);
  EXPECT_EQ(stateSequence(back), (std::vector<int>{1, 0}));
  EXPECT_FALSE(e.onGas());
  EXPECT_EQ(back.back().fuelFlag, 1);
  // Chosen by the fitter: petrol stays, even though every condition for gas holds.
  run(e, m, 60000, now);
  EXPECT_FALSE(e.onGas());
  e.requestFuelSwitch();
  run(e, m, 100, now);
  EXPECT_TRUE(e.onGas());  // overlap petrol to gas is 0 ms
}

TEST(EngineModel, SameSeedSameEngine) {
  EcuMemory m = factoryMemory();
  EngineModel a(7), b(7), c(8);
  std::int64_t ta = 0, tb = 0, tc = 0;
  auto ra = run(a, m, 30000, ta), rb = run(b, m, 30000, tb), rc = run(c, m, 30000, tc);
  bool same = true, differs = false;
  for (std::size_t i = 0; i < ra.size(); ++i) {
    same = same && ra[i].rpm == rb[i].rpm && ra[i].lambda1 == rb[i].lambda1 && ra[i].petrolTime == rb[i].petrolTime;
    differs = differs || ra[i].rpm != rc[i].rpm;
  }
  EXPECT_TRUE(same);
  EXPECT_TRUE(differs);
}

}  // namespace
}  // namespace kelvo6::sim
