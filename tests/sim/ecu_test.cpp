#include <gtest/gtest.h>

#include "link/dispatcher.h"
#include "link/requests.h"
#include "sim/ecu.h"

namespace kelvo6::sim {
namespace {

using link::Bytes;

// Sends one request at `now` and returns everything the ECU wrote by `until`.
std::vector<Bytes> ask(Ecu& ecu, const Bytes& request, std::int64_t now = 0, std::int64_t until = 1000) {
  ecu.receive(request, now);
  return ecu.takeDue(until);
}

TEST(SimEcu, AnswersEveryRequestWithItsTypeAndLength) {
  Ecu ecu;
  const Bytes requests[] = {link::readParameterSet(),   link::writeParameter(4, 350), link::readLiveData(),
                            link::switchFuel(),          link::restoreDefaults(),       link::enterDownloadMode(),
                            link::readSoftwareVersion(), link::readTable(),             link::cellWrite(1, 110),
                            link::readCalibrationData(0), link::calibrationOn(),         link::calibrationOff(),
                            link::readCoilModeData(4),   link::startEndOfLineTest(4),    link::readEndOfLineData(),
                            link::readInjectorFlags()};
  for (const Bytes& q : requests) {
    auto out = ask(ecu, q);
    ASSERT_EQ(out.size(), 1u) << int(q[4]);
    EXPECT_EQ(out[0][4], q[4]);
    EXPECT_EQ(static_cast<int>(out[0].size()), link::answerLength(q[4])) << int(q[4]);
    EXPECT_EQ(out[0][3], out[0].size());
  }
}

TEST(SimEcu, AnswersDecodeIntoTheSharedStateAsTheEcuHoldsThem) {
  Ecu ecu;
  core::Shared s;
  link::NullDisplay display;
  link::Dispatcher d(s, display);
  ecu.setParam(62, 1);
  ecu.setCell(64, 99);
  ecu.setVersion(3, 5, 7);
  for (const Bytes& q : {link::readParameterSet(), link::readTable(), link::readSoftwareVersion()})
    for (const Bytes& a : ask(ecu, q)) EXPECT_TRUE(d.handle(a));
  EXPECT_EQ(s.param(62).ecu, 1);
  EXPECT_EQ(s.param(34).ecu, 650);
  EXPECT_EQ(s.param(49).ecu, 15000);
  EXPECT_EQ(s.cell(64).ecu, 99);
  EXPECT_EQ(s.cell(1).ecu, 115);
  EXPECT_EQ(s.version[1], 5);
}

TEST(SimEcu, WritesAreStoredAndEchoed) {
  Ecu ecu;
  auto out = ask(ecu, link::writeParameter(30, 850));
  EXPECT_EQ(out[0], (Bytes{0x50, 0x43, 0x00, 0x09, 0x02, 0x00, 30, 0x03, 0x52}));
  EXPECT_EQ(ecu.param(30), 850);
  ask(ecu, link::cellWrite(17, 200));
  EXPECT_EQ(ecu.cell(17), 200);
  ASSERT_EQ(ecu.writes().size(), 2u);
  EXPECT_TRUE(ecu.writes()[1].cell);
  ask(ecu, link::restoreDefaults());
  EXPECT_EQ(ecu.param(30), 400);
  EXPECT_EQ(ecu.cell(17), 115);
}

TEST(SimEcu, AnswersArriveAfterTheLatencyInOrder) {
  Ecu ecu(5);
  ecu.receive(link::readSoftwareVersion(), 100);
  ecu.receive(link::switchFuel(), 101);
  EXPECT_TRUE(ecu.takeDue(104).empty());
  EXPECT_EQ(ecu.nextDueMs(), 105);
  auto out = ecu.takeDue(106);
  ASSERT_EQ(out.size(), 2u);
  EXPECT_EQ(out[0][4], 7);
  EXPECT_EQ(out[1][4], 4);
}

TEST(SimEcu, RequestsSplitOrGluedOnTheLineAreStillUnderstood) {
  Ecu ecu;
  Bytes two = link::readSoftwareVersion();
  Bytes second = link::readTable();
  two.insert(two.end(), second.begin(), second.end());
  ecu.receive(Bytes(two.begin(), two.begin() + 3), 0);
  ecu.receive(Bytes(two.begin() + 3, two.end()), 1);
  EXPECT_EQ(ecu.takeDue(100).size(), 2u);
}

TEST(SimEcu, FaultKnobs) {
  Ecu ecu;
  ecu.faults().dropEvery = 2;
  int answered = 0;
  for (int i = 0; i < 6; ++i) answered += static_cast<int>(ask(ecu, link::switchFuel(), i * 10, i * 10 + 9).size());
  EXPECT_EQ(answered, 3);

  Ecu split;
  split.faults().splitGapMs = 3;
  auto halves = ask(split, link::readLiveData());
  ASSERT_EQ(halves.size(), 2u);
  EXPECT_EQ(halves[0].size() + halves[1].size(), 43u);

  Ecu late;
  late.faults().extraLatencyMs = 200;
  late.receive(link::readSoftwareVersion(), 0);
  EXPECT_TRUE(late.takeDue(100).empty());
  EXPECT_EQ(late.takeDue(205).size(), 1u);

  Ecu wrong;
  wrong.faults().wrongEchoParam = 4;
  wrong.faults().wrongEchoCount = 1;
  wrong.setParam(4, 400);
  auto bad = ask(wrong, link::writeParameter(4, 350));
  EXPECT_NE(bad[0][7] * 256 + bad[0][8], 350);
  EXPECT_EQ(wrong.param(4), 400);  // a wrong echo means the ECU did not take the value
  auto good = ask(wrong, link::writeParameter(4, 350));
  EXPECT_EQ(good[0][7] * 256 + good[0][8], 350);
  EXPECT_EQ(wrong.param(4), 350);

  Ecu silent;
  silent.setSilent(true);
  EXPECT_TRUE(ask(silent, link::readSoftwareVersion()).empty());

  Ecu stray;
  stray.faults().strayByteEvery = 1;
  auto withStray = ask(stray, link::switchFuel());
  ASSERT_EQ(withStray.size(), 2u);
  EXPECT_EQ(withStray[1].size(), 1u);
}

TEST(SimEcu, LiveDataRespectsTheInjectorCount) {
  Ecu ecu;
  ecu.setParam(1, 3);
  ecu.advanceTo(5000);
  auto out = ask(ecu, link::readLiveData(), 5000, 6000);
  link::Response r(out[0]);
  EXPECT_GT(r.word(26), 0);
  EXPECT_GT(r.word(30), 0);
  EXPECT_EQ(r.word(32), 0);
  EXPECT_EQ(r.word(40), 0);
  EXPECT_EQ(r.byte(43), 1);  // petrol at start
}

}  // namespace
}  // namespace kelvo6::sim
