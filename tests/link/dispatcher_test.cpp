#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "link/dispatcher.h"
#include "link/requests.h"

namespace kelvo6::link {
namespace {

struct RecordingDisplay : Display {
  void parameterConfirmed(int n, int v) override { params.push_back({n, v}); }
  void cellConfirmed(int c, int v) override { cells.push_back({c, v}); }
  void versionText(const std::string& t) override { versions.push_back(t); }
  void calibrationMode(bool on, const std::string& title, const std::string& caption) override {
    modes.push_back({on, title + "|" + caption});
  }
  std::vector<std::pair<int, int>> params, cells;
  std::vector<std::string> versions;
  std::vector<std::pair<bool, std::string>> modes;
};

Bytes answer(int type, const Bytes& data) { return buildRequest(type, data); }
Bytes word(int v) { return {static_cast<std::uint8_t>(v / 256), static_cast<std::uint8_t>(v % 256)}; }

Bytes parameterSet(const std::vector<int>& values) {
  Bytes d;
  for (int k = 1; k <= 62; ++k) {
    Bytes w = word(values.at(static_cast<std::size_t>(k - 1)));
    d.insert(d.end(), w.begin(), w.end());
  }
  return answer(1, d);
}

Bytes echo(int number, int value) {
  Bytes d{0x00, static_cast<std::uint8_t>(number)};
  Bytes w = word(value);
  d.insert(d.end(), w.begin(), w.end());
  return answer(2, d);
}

Bytes live(int lambda2) {
  Bytes d;
  for (int i = 0; i < 18; ++i) {
    Bytes w = word(i == 1 ? lambda2 : 100 + i);
    d.insert(d.end(), w.begin(), w.end());
  }
  d.push_back(7);  // state
  d.push_back(1);  // fuel flag
  return answer(3, d);
}

class DispatcherTest : public ::testing::Test {
 protected:
  core::Shared s;
  RecordingDisplay display;
  Dispatcher d{s, display};
};

TEST_F(DispatcherTest, ParameterSetFillsAllSixtyTwoOnceAndDerivesRanges) {
  std::vector<int> v(62);
  for (int k = 1; k <= 62; ++k) v[static_cast<std::size_t>(k - 1)] = k * 100;
  v[2] = 2;      // parameter 3: probe 1 type 2
  v[49] = 0;     // parameter 50: probe 2 type 0
  v[18] = 200;   // 19
  v[19] = 1000;  // 20
  v[61] = 65535; // 62, the last two bytes
  Bytes frame = parameterSet(v);
  ASSERT_EQ(frame.size(), 129u);
  EXPECT_TRUE(d.handle(frame));
  EXPECT_TRUE(s.received.paramSet);
  EXPECT_EQ(s.param(1).ecu, 100);
  EXPECT_EQ(s.param(62).ecu, 65535);
  EXPECT_EQ(s.lambdaRange[0].fullScale, 1000);
  EXPECT_EQ(s.lambdaRange[0].step, 50);
  EXPECT_EQ(s.lambdaRange[1].fullScale, 5000);
  EXPECT_DOUBLE_EQ(s.levelStep, 50.0);
  EXPECT_TRUE(display.params.empty());

  // Guarded: a second answer before the flag is cleared changes nothing.
  v[0] = 1;
  EXPECT_FALSE(d.handle(parameterSet(v)));
  EXPECT_EQ(s.param(1).ecu, 100);
}

TEST_F(DispatcherTest, LevelStepIsTheAbsoluteSpanOverSixteen) {
  std::vector<int> v(62, 0);
  v[18] = 1000;
  v[19] = 200;
  d.handle(parameterSet(v));
  EXPECT_DOUBLE_EQ(s.levelStep, 50.0);
  s.received.paramSet = false;
  v[18] = 3000;
  v[19] = 600;
  d.handle(parameterSet(v));
  EXPECT_DOUBLE_EQ(s.levelStep, 150.0);
}

TEST_F(DispatcherTest, EchoConfirmsOnlyThePendingValue) {
  s.param(4).ecu = 400;
  s.param(4).pending = 400;
  EXPECT_FALSE(d.handle(echo(4, 350)));
  EXPECT_EQ(s.param(4).ecu, 400);
  EXPECT_TRUE(display.params.empty());

  s.param(4).pending = 350;
  EXPECT_TRUE(d.handle(echo(4, 350)));
  EXPECT_EQ(s.param(4).ecu, 350);
  ASSERT_EQ(display.params.size(), 1u);
  EXPECT_EQ(display.params[0], std::make_pair(4, 350));

  // Numbers outside 1..62 are not parameters.
  s.param(4).pending = 0;
  EXPECT_FALSE(d.handle(echo(0, 0)));
  EXPECT_FALSE(d.handle(echo(63, 0)));
}

TEST_F(DispatcherTest, BulkTransferStoresButShowsNothingExceptVersionAndCalibrationTexts) {
  s.bulkTransfer = true;
  s.param(12).pending = 2300;
  s.cell(5).pending = 110;
  EXPECT_TRUE(d.handle(echo(12, 2300)));
  EXPECT_TRUE(d.handle(answer(9, {5, 110})));
  EXPECT_EQ(s.param(12).ecu, 2300);
  EXPECT_EQ(s.cell(5).ecu, 110);
  EXPECT_TRUE(display.params.empty());
  EXPECT_TRUE(display.cells.empty());
  EXPECT_TRUE(d.handle(answer(7, {2, 0, 15})));
  ASSERT_EQ(display.versions.size(), 1u);
  EXPECT_EQ(display.versions[0], "2.0.15");
  s.language = 2;
  EXPECT_TRUE(d.handle(answer(11, {})));
  ASSERT_EQ(display.modes.size(), 1u);
  EXPECT_EQ(display.modes[0].second, "KELVO6 - Calibration Active|CALIBRATION ACTIVE");
}

TEST_F(DispatcherTest, EchoOfProbeTypeOrLevelLimitRecomputesOutsideBulkTransfer) {
  s.param(50).pending = 3;
  d.handle(echo(50, 3));
  EXPECT_EQ(s.lambdaRange[1].fullScale, 1000);
  s.param(20).pending = 1600;
  d.handle(echo(20, 1600));
  EXPECT_DOUBLE_EQ(s.levelStep, 100.0);
  s.bulkTransfer = true;
  s.param(50).pending = 0;
  d.handle(echo(50, 0));
  EXPECT_EQ(s.lambdaRange[1].fullScale, 1000);  // unchanged during a bulk transfer
}

TEST_F(DispatcherTest, LiveDataLimitsLambdaTwoByProbeType) {
  s.param(50).ecu = 3;
  d.handle(live(6000));
  EXPECT_EQ(s.live.lambda2, 1000);
  EXPECT_TRUE(s.received.liveData);
  EXPECT_TRUE(s.received.liveWatchdog);
  EXPECT_EQ(s.live.state, 7);
  EXPECT_EQ(s.live.fuelFlag, 1);
  EXPECT_EQ(s.live.petrolTime[7], 117);
  s.param(50).ecu = 0;
  d.handle(live(6000));
  EXPECT_EQ(s.live.lambda2, 5000);
  // The calibration block is not limited.
  Bytes block;
  for (int i = 0; i < 9; ++i) {
    Bytes w = word(i == 1 ? 6000 : i);
    block.insert(block.end(), w.begin(), w.end());
  }
  block.push_back(3);
  block.push_back(0);
  d.handle(answer(10, block));
  EXPECT_EQ(s.live.lambda2, 6000);
  EXPECT_EQ(s.live.kgbInUse, 6);
  EXPECT_EQ(s.live.injectionTime, 8);
  EXPECT_EQ(s.live.calState, 3);
  EXPECT_TRUE(s.received.calData);
}

TEST_F(DispatcherTest, TableIsStoredOnceUntilTheFlagIsCleared) {
  Bytes cells(64);
  for (int n = 0; n < 64; ++n) cells[static_cast<std::size_t>(n)] = static_cast<std::uint8_t>(n + 1);
  EXPECT_TRUE(d.handle(answer(8, cells)));
  EXPECT_EQ(s.cell(1).ecu, 1);
  EXPECT_EQ(s.cell(64).ecu, 64);
  cells.assign(64, 200);
  EXPECT_FALSE(d.handle(answer(8, cells)));
  EXPECT_EQ(s.cell(64).ecu, 64);
}

TEST_F(DispatcherTest, AcknowledgementsAreGuardedAndUnguardedTypesAreNot) {
  EXPECT_TRUE(d.handle(answer(4, {})));
  EXPECT_TRUE(s.received.fuelSwitchAck);
  EXPECT_FALSE(d.handle(answer(4, {})));
  EXPECT_TRUE(d.handle(answer(5, {})));
  EXPECT_TRUE(d.handle(answer(6, {})));
  EXPECT_TRUE(d.handle(answer(14, {})));
  EXPECT_TRUE(s.received.defaultsAck && s.received.downloadAck && s.received.eolStartAck);
  EXPECT_TRUE(d.handle(answer(12, {})));
  EXPECT_FALSE(d.handle(answer(12, {})));
  EXPECT_EQ(display.modes.size(), 1u);
}

TEST_F(DispatcherTest, EndOfLineAndInjectorFlags) {
  s.received.eolAnswerPending = true;
  Bytes eol{2};
  for (int i = 0; i < 8; ++i) eol.push_back(static_cast<std::uint8_t>(i));
  for (int i = 0; i < 9; ++i) eol.push_back(static_cast<std::uint8_t>(20 + i));
  d.handle(answer(15, eol));
  eol[0] = 3;
  d.handle(answer(15, eol));
  EXPECT_EQ(s.eol.testState, 3);
  EXPECT_EQ(s.eol.previousTestState, 2);
  EXPECT_FALSE(s.received.eolAnswerPending);
  EXPECT_EQ(s.eol.injectorStatus[7], 7);
  EXPECT_EQ(s.eol.checkBytes[8], 28);
  d.handle(answer(16, {1, 1, 0, 1, 0, 0, 0, 1}));
  EXPECT_TRUE(s.received.injectorFlags);
  EXPECT_EQ(s.calib.injectorFlags[3], 1);
  EXPECT_EQ(s.calib.injectorFlags[2], 0);
}

TEST_F(DispatcherTest, ShortUnknownOrBadChunksChangeNothing) {
  core::Shared before = s;
  EXPECT_FALSE(d.handle(answer(17, {1, 2, 3})));
  EXPECT_FALSE(d.handle(answer(0, {})));
  EXPECT_FALSE(d.handle(answer(3, {1, 2, 3})));   // live data too short
  EXPECT_FALSE(d.handle(answer(1, Bytes(100))));  // parameter set too short
  EXPECT_FALSE(d.handle({0x50, 0x43, 0x00, 0x04}));
  Bytes bad = live(0);
  bad.push_back(0);
  EXPECT_FALSE(d.handle(bad));
  EXPECT_EQ(s.live.lambda1, before.live.lambda1);
  EXPECT_FALSE(s.received.liveData);
  EXPECT_FALSE(s.received.paramSet);
}

TEST_F(DispatcherTest, LongerAnswerOfTheRightTypeIsReadAtItsPositions) {
  Bytes v = answer(7, {1, 12, 3, 99, 99});
  EXPECT_TRUE(d.handle(v));
  EXPECT_EQ(display.versions.back(), "1.12.3");
}

}  // namespace
}  // namespace kelvo6::link
