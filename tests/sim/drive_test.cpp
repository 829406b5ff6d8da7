// Scripted drives and held points: the file format, the order and timing of
// steps, and an engine that follows them.

#include "sim/drive.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "sim/ecu.h"
#include "sim/engine_model.h"
#include "sim/factory.h"

namespace kelvo6::sim {
namespace {

TEST(DriveFile, StepsWithEveryKindOfLoadAndDuration) {
  std::string error;
  auto d = Drive::parse(
      "# warm-up\n"
      "800   8%     20s    # idle\n"
      "\n"
      "2500  4200us 1.5s\n"
      "1800  cutoff 500ms\n"
      "  3000 100% hold\n"
      "loop\n",
      &error);
  ASSERT_TRUE(d) << error;
  EXPECT_TRUE(d->loop);
  ASSERT_EQ(d->steps.size(), 4u);
  EXPECT_EQ(d->steps[0], (DriveStep{800, Load::percent(8), 20000, false}));
  EXPECT_EQ(d->steps[1], (DriveStep{2500, Load::petrolTime(4200), 1500, false}));
  EXPECT_EQ(d->steps[2], (DriveStep{1800, Load::cutoff(), 500, false}));
  EXPECT_EQ(d->steps[3], (DriveStep{3000, Load::percent(100), 0, true}));
  EXPECT_EQ(d->lengthMs(), 22000);
  EXPECT_FALSE(Drive::parse("800 8% 20s\n", &error)->loop);
}

TEST(DriveFile, ABadLineIsRefusedWithItsNumber) {
  const std::pair<const char*, const char*> cases[] = {
      {"800 8% 20s\n900 8%\n", "line 2: a step is RPM LOAD DURATION, e.g. \"2500 30% 10s\""},
      {"# x\n9001 8% 20s\n", "line 2: \"9001\" is not an engine speed from 0 to 9000"},
      {"-800 8% 20s\n", "line 1: \"-800\" is not an engine speed from 0 to 9000"},
      {"800 101% 20s\n", "line 1: \"101%\" is not a load (0% to 100%, 0us to 65535us, or cutoff)"},
      {"800 70000us 20s\n", "line 1: \"70000us\" is not a load (0% to 100%, 0us to 65535us, or cutoff)"},
      {"800 8 20s\n", "line 1: \"8\" is not a load (0% to 100%, 0us to 65535us, or cutoff)"},
      {"800 8% 20\n", "line 1: \"20\" is not a duration (e.g. 10s, 2.5s, 500ms) or hold"},
      {"800 8% 0s\n", "line 1: \"0s\" is not a duration (e.g. 10s, 2.5s, 500ms) or hold"},
      {"800 8% 1.2.3s\n", "line 1: \"1.2.3s\" is not a duration (e.g. 10s, 2.5s, 500ms) or hold"},
      {"800 8% 1e9s\n", "line 1: \"1e9s\" is not a duration (e.g. 10s, 2.5s, 500ms) or hold"},
      {"# nothing\n\nloop\n", "line 3: the drive has no steps"},
  };
  for (auto [text, message] : cases) {
    std::string error;
    EXPECT_FALSE(Drive::parse(text, &error)) << text;
    EXPECT_EQ(error, message) << text;
  }
  std::string error;
  EXPECT_FALSE(Drive::load("/nonexistent/drive", &error));
  EXPECT_EQ(error, "cannot read /nonexistent/drive");
}

TEST(DrivePlayer, StepsTakeTheirTimeLoopAndHoldUntilReleased) {
  Drive d = *Drive::parse("800 8% 1s\n2000 20% 2s\n2500 30% hold\n3000 30% 1s\n", nullptr);
  DrivePlayer p(d);
  p.advance(999);
  EXPECT_EQ(p.index(), 0u);
  p.advance(1);
  EXPECT_EQ(p.index(), 1u);
  p.advance(5000);  // through the second step into the hold
  EXPECT_EQ(p.index(), 2u);
  EXPECT_TRUE(p.waiting());
  p.advance(600000);
  EXPECT_EQ(p.index(), 2u);
  EXPECT_TRUE(p.release());
  EXPECT_FALSE(p.release());  // not waiting any more
  p.advance(60000);
  EXPECT_EQ(p.index(), 3u);  // without "loop" the engine stays at the last step
  EXPECT_FALSE(p.waiting());

  d.loop = true;
  d.steps.erase(d.steps.begin() + 2);  // no hold
  DrivePlayer looping(d);
  looping.advance(4000 * 10 + 500);  // ten rounds of 4 s and half a step
  EXPECT_EQ(looping.index(), 0u);
}

// Runs the engine in 50 ms steps, collecting a snapshot each time.
std::vector<LiveSnapshot> run(EngineModel& e, const EcuMemory& m, int ms, std::int64_t& now) {
  std::vector<LiveSnapshot> out;
  for (int t = 0; t < ms; t += 50) {
    now += 50;
    e.advanceTo(now, m);
    out.push_back(e.snapshot(m));
  }
  return out;
}

TEST(ScriptedEngine, FollowsTheStepsSmoothlyWithALittleNoiseAndCutsTheFuel) {
  EcuMemory m = factoryMemory();
  m.params[61] = 1;
  EngineModel e;
  e.setTemperature(80);  // warm: on gas at once
  e.setDrive(*Drive::parse("800 8% 5s\n3000 40% 6s\n2000 cutoff 3s\n", nullptr));
  std::int64_t now = 0;
  auto idle = run(e, m, 4500, now);
  EXPECT_NEAR(idle.back().rpm, 800, 50);
  EXPECT_NEAR(idle.back().petrolTime[0], petrolTimeFor(800, 8), 100);
  auto pull = run(e, m, 6000, now);  // to 5.5 s into the second step
  // Smooth: no jump of more than a few hundred rpm between samples 50 ms apart.
  for (std::size_t i = 1; i < pull.size(); ++i) EXPECT_LT(std::abs(pull[i].rpm - pull[i - 1].rpm), 350) << i;
  EXPECT_NEAR(pull.back().rpm, 3000, 60);
  EXPECT_NEAR(pull.back().petrolTime[0], petrolTimeFor(3000, 40), 150);
  std::set<int> speeds;
  for (std::size_t i = pull.size() - 40; i < pull.size(); ++i) speeds.insert(pull[i].rpm);
  EXPECT_GT(speeds.size(), 5u);  // not frozen at the target
  auto cut = run(e, m, 2000, now);
  EXPECT_EQ(cut.back().petrolTime[0], 0);
  EXPECT_EQ(cut.back().state, 8);  // "CUTOFF BY TINJ = 0" (version 2.4)
  EXPECT_LT(cut.back().lambda1, 500);  // only air: the probe reads lean
  m.version = {2, 5, 1};
  EXPECT_EQ(e.snapshot(m).state, 12);  // the same state in the 2.5 table
}

TEST(ScriptedEngine, AHeldPointStaysUntilReleasedWhateverTheDrive) {
  EcuMemory m = factoryMemory();
  EngineModel e;
  e.setDrive(*Drive::parse("800 8% 2s\n4000 50% 2s\nloop\n", nullptr));
  e.hold(2500, Load::petrolTime(5200));
  std::int64_t now = 0;
  run(e, m, 3000, now);
  ASSERT_TRUE(e.waitingAt());
  EXPECT_EQ(e.waitingAt()->rpm, 2500);
  auto held = run(e, m, 10 * 60 * 1000, now);
  auto [slow, fast] = std::minmax_element(held.begin(), held.end(), [](auto& a, auto& b) { return a.rpm < b.rpm; });
  EXPECT_GT(slow->rpm, 2440);
  EXPECT_LT(fast->rpm, 2560);
  for (const LiveSnapshot& s : held) ASSERT_NEAR(s.petrolTime[0], 5200 * 1.015, 5200 * 0.015 + 15);
  EXPECT_TRUE(e.release());
  EXPECT_FALSE(e.waitingAt());
  auto after = run(e, m, 4000, now);
  int highest = 0;
  for (const LiveSnapshot& s : after) highest = std::max(highest, s.rpm);
  EXPECT_GT(highest, 3800);  // the drive goes on where it was
  EXPECT_FALSE(e.release());
}

TEST(ScriptedEngine, WithoutADriveAReleasedHoldGoesBackToIdling) {
  EcuMemory m = factoryMemory();
  EngineModel e;
  e.hold(3000, Load::percent(30));
  std::int64_t now = 0;
  EXPECT_NEAR(run(e, m, 4000, now).back().rpm, 3000, 60);
  e.release();
  EXPECT_NEAR(run(e, m, 4000, now).back().rpm, 800, 60);
}

TEST(ScriptedEngine, TheDemoDriveCoversTheTableAndChangesOverToGas) {
  Ecu ecu;
  Drive demo = Drive::demo();
  EXPECT_GE(demo.lengthMs(), 120000);
  EXPECT_LE(demo.lengthMs(), 300000);
  EXPECT_TRUE(demo.loop);
  ecu.engine().setDrive(demo);
  std::set<int> cells, states;
  int lowest = 9000, highest = 0, longest = 0;
  bool gas = false;
  for (std::int64_t t = 0; t < 2 * demo.lengthMs(); t += 100) {
    ecu.advanceTo(t);
    LiveSnapshot s = ecu.moment();
    cells.insert(ecu.memory().cellAt(s.rpm, s.petrolTime[0]));
    states.insert(s.state);
    lowest = std::min(lowest, s.rpm);
    highest = std::max(highest, s.rpm);
    longest = std::max(longest, s.petrolTime[0]);
    gas = gas || s.fuelFlag == 0;
  }
  EXPECT_TRUE(gas);
  EXPECT_GE(cells.size(), 12u);
  EXPECT_LT(lowest, 850);
  EXPECT_GT(highest, 4000);
  EXPECT_GT(longest, 10000);
  EXPECT_TRUE(states.count(8));  // fuel cut on deceleration
}

}  // namespace
}  // namespace kelvo6::sim
