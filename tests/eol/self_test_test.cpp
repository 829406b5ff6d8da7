#include "sim/self_test.h"

#include <gtest/gtest.h>

#include "link/requests.h"
#include "sim/ecu.h"

namespace kelvo6::sim {
namespace {

// The test state the ECU reports to a read end-of-line data request at `t`,
// or -1 when it does not answer.
int stateAt(Ecu& ecu, std::int64_t t) {
  ecu.receive(link::readEndOfLineData(), t);
  auto out = ecu.takeDue(t);
  if (out.empty()) return -1;
  return out.back().size() == 23 ? out.back()[5] : -2;
}

TEST(SelfTest, RunsResultsKeyOffAndResetByItselfWithTheAutomaticKey) {
  Ecu ecu(0);
  ecu.selfTest().setAutomaticKey(true);
  ecu.receive(link::startEndOfLineTest(6), 0);
  EXPECT_EQ(ecu.takeDue(0).size(), 1u) << "start acknowledged";
  EXPECT_EQ(ecu.selfTest().cylinders(), 6);
  EXPECT_EQ(stateAt(ecu, 1999), 1);
  EXPECT_EQ(stateAt(ecu, 2000), 2);
  EXPECT_EQ(stateAt(ecu, 4999), 2);
  EXPECT_EQ(stateAt(ecu, 5000), -1) << "key off: no power, no answer";
  EXPECT_EQ(stateAt(ecu, 7999), -1);
  EXPECT_EQ(stateAt(ecu, 8000), 3);
  EXPECT_EQ(stateAt(ecu, 9500), 4);
  EXPECT_EQ(stateAt(ecu, 12499), 4);
  EXPECT_EQ(stateAt(ecu, 12500), 0);
  EXPECT_EQ(stateAt(ecu, 20000), 0) << "the key is not cycled again";
}

TEST(SelfTest, ManualKeyWaitsForTheOperatorAndAKeyOffOutsideTheResultsLosesTheTest) {
  SelfTest t;
  t.start(4, 0);
  t.advanceTo(60000);
  EXPECT_EQ(t.report().state, 2) << "results stay until the key is cycled";
  t.setKeyOff(true, 60000);
  EXPECT_TRUE(t.keyOff());
  t.setKeyOff(false, 61000);
  EXPECT_EQ(t.report().state, 3);

  t.start(4, 70000);
  t.setKeyOff(true, 70500);
  t.start(8, 70600);  // no power: the request is not taken
  EXPECT_EQ(t.cylinders(), 4);
  t.setKeyOff(false, 71000);
  t.advanceTo(80000);
  EXPECT_EQ(t.report().state, 0) << "power lost while running: the ECU comes back idle";
}

TEST(SelfTest, ReportsTheConfiguredResultsOnlyOnceTheyAreKnown) {
  SelfTest t;
  t.failOneCheck();
  t.setInjectorStatus(3, 0x0D);
  t.start(8, 0);
  SelfTest::Report running = t.report();
  EXPECT_EQ(running.state, 1);
  EXPECT_EQ(running.checkBytes, (std::array<int, 9>{}));
  t.advanceTo(2000);
  SelfTest::Report r = t.report();
  EXPECT_EQ(r.checkBytes, (std::array<int, 9>{0, 0, 0, 0, 0, 0, 0, 0, 1}));
  EXPECT_EQ(r.injectorStatus, (std::array<int, 8>{0, 0, 0x0D, 0, 0, 0, 0, 0}));
}

}  // namespace
}  // namespace kelvo6::sim
