// The multi-point calibration window against the simulated car: opened after
// calibration mode is on, a held point's K found within one step of the car's
// true coefficient, APPLY writing only the cells that change with pressure
// and temperature, DISCARD and EXIT writing nothing at any stage.

#include <gtest/gtest.h>

#include <QLabel>
#include <QTableWidget>

#include "calib/auto_calibration.h"
#include "calib/multipoint_window.h"
#include "calib/multipoint_session.h"
#include "sim/true_map.h"

namespace kelvo6::testing {
namespace {

TEST(MultiPointWindow, OpensOnceCalibrationIsOnAndPollsWithTheKUnderTestSendingNothingElse) {
  Harness h;
  auto* w = openMultiPoint(h);
  ASSERT_TRUE(w);
  EXPECT_FALSE(h.window("Form8"));
  EXPECT_TRUE(h.ecu()->memory().calibrationOn);
  EXPECT_EQ(w->windowTitle(), "KELVO6 - Taratura multipunto");
  EXPECT_EQ(message(h), "Portare il motore al primo punto, tenerlo fermo e premere MISURA PUNTO");
  EXPECT_EQ(text(h, "MultiPoint", "Text10"), "100");  // no interval chosen yet
  h.setScroll("MultiPoint", "VScroll1", 150);
  EXPECT_EQ(h.shared().calib.autoInterval, 150);  // the automatic calibration's, kept for the run
  EXPECT_FALSE(enabled(h, "MultiPoint", "Command3"));
  EXPECT_FALSE(enabled(h, "MultiPoint", "Command5"));
  h.clearSent();
  h.advance(3000);
  auto polls = h.sentWithCommand(10);
  EXPECT_EQ(polls.size(), 10u);
  for (const Frame& f : polls) EXPECT_EQ(f[5] * 256 + f[6], w->run().trialKgb());
  EXPECT_EQ(polls.size(), h.sent().size());
  h.click("MultiPoint", "Command2");
  EXPECT_EQ(message(h), "Tenere il motore fermo: misura in corso");
  ASSERT_TRUE(advanceUntil(h, [&] { return !h.sentWithCommand(4).empty(); }, 60000));
  EXPECT_TRUE(h.sentWithCommand(2).empty());
  EXPECT_TRUE(h.sentWithCommand(9).empty());
}

TEST(MultiPointWindow, APointsKComesWithinOneStepOfTheCarsCoefficientInItsCell) {
  Harness h;
  auto* w = openMultiPoint(h, 900, 3500);
  ASSERT_TRUE(w);
  const sim::TrueMap car = sim::TrueMap::builtIn();
  struct Held {
    int rpm, petrolTime;
  };
  int accepted = 0;
  // Each held well inside its cell, at light and at heavy load.
  for (Held p : {Held{900, 3500}, Held{5000, 11200}}) {
    h.ecu()->engine().hold(p.rpm, sim::Load::petrolTime(p.petrolTime));
    h.advance(3000);
    ASSERT_TRUE(measure(h)) << p.rpm;
    int cell = h.ecu()->memory().cellAt(p.rpm, p.petrolTime);
    EXPECT_EQ(w->run().phase(), Phase::kFound);
    EXPECT_NEAR(w->run().trialKgb(), car.cell(cell), 1) << "cell " << cell;
    EXPECT_EQ(message(h), "Valore trovato: premere ACCETTA PUNTO");
    h.click("MultiPoint", "Command3");
    ++accepted;
    // Where it was measured: the petrol averages, in the held cell.
    const calib::MeasuredPoint& point = w->run().points().back();
    EXPECT_NEAR(point.rpm, p.rpm, 50);
    EXPECT_NEAR(point.injectionTime, p.petrolTime, p.petrolTime / 50);
    EXPECT_EQ(h.ecu()->memory().cellAt(point.rpm, point.injectionTime), cell);
    auto* list = h.control<QTableWidget>("MultiPoint", "PointList");
    ASSERT_EQ(list->rowCount(), accepted);
    EXPECT_EQ(list->item(accepted - 1, 3)->text(), QString::number(point.k));
    // The point's cell of the ECU's table is marked, and the proposal holds its K there.
    EXPECT_EQ(colourOf(h, "MultiPoint", QStringLiteral("Current_%1").arg(cell), "backColor"), QColor(200, 240, 200));
    EXPECT_EQ(h.control<QLabel>("MultiPoint", QStringLiteral("Proposed_%1").arg(cell))->text(), QString::number(point.k));
  }
  EXPECT_TRUE(h.control<QWidget>("MultiPoint", "Point_2"));
  EXPECT_TRUE(enabled(h, "MultiPoint", "Command5"));
}

TEST(MultiPointWindow, ApplyWritesOnlyTheCellsThatChangeAfterPressureAndTemperatureAndUndoPutsThemBack) {
  Harness h;
  h.ecu()->engine().setTrueKgb(110);
  for (int n = 1; n <= 64; ++n) h.ecu()->setCell(n, n == 5 || n == 20 || n == 41 || n == 64 ? 114 : 110);
  auto* w = openMultiPoint(h);
  ASSERT_TRUE(w);
  h.click("MultiPoint", "Command2");
  EXPECT_FALSE(enabled(h, "MultiPoint", "Command5"));  // nothing to apply while a point is measured
  ASSERT_TRUE(measure(h));
  ASSERT_EQ(w->run().trialKgb(), 110);
  h.click("MultiPoint", "Command3");
  EXPECT_EQ(h.control<QLabel>("MultiPoint", "Proposed_5")->property("backColor").value<QColor>(), QColor(200, 220, 255));
  EXPECT_EQ(h.control<QLabel>("MultiPoint", "Proposed_6")->property("backColor").value<QColor>(), QColor(255, 255, 255));
  EXPECT_TRUE(h.ecu()->writes().empty());  // nothing before APPLY

  h.click("MultiPoint", "Command5");
  int pressure = h.shared().param(29).pending, temperature = h.shared().param(28).pending;
  int pressureBefore = h.shared().param(29).ecu, temperatureBefore = h.shared().param(28).ecu;
  EXPECT_NE(pressure, pressureBefore);
  EXPECT_FALSE(enabled(h, "MultiPoint", "Command7"));
  EXPECT_FALSE(enabled(h, "MultiPoint", "Command1"));
  ASSERT_TRUE(advanceUntil(h, [&] { return enabled(h, "MultiPoint", "Command7"); }, 20000));
  EXPECT_EQ(message(h), "Tabella scritta (4 celle): ANNULLA rimette la tabella precedente");
  EXPECT_TRUE(enabled(h, "MultiPoint", "Command1"));
  auto written = [&] {
    std::vector<std::pair<int, int>> out;
    for (const sim::WriteRecord& r : h.ecu()->writes()) out.emplace_back(r.cell ? 100 + r.number : r.number, r.value);
    return out;
  };
  std::vector<std::pair<int, int>> expected{{29, pressure}, {28, temperature}, {105, 110}, {120, 110}, {141, 110}, {164, 110}};
  EXPECT_EQ(written(), expected);
  EXPECT_TRUE(h.ecu()->memory().calibrationOn);  // still calibrating: more points, or UNDO
  EXPECT_FALSE(h.shared().calib.tableWriteRequested);

  h.click("MultiPoint", "Command7");
  ASSERT_TRUE(advanceUntil(h, [&] { return message(h) == "Tabella precedente rimessa"; }, 20000));
  for (auto [n, v] : {std::pair{29, pressureBefore}, {28, temperatureBefore}, {105, 114}, {120, 114}, {141, 114}, {164, 114}})
    expected.emplace_back(n, v);
  EXPECT_EQ(written(), expected);
  EXPECT_FALSE(enabled(h, "MultiPoint", "Command7"));
  h.click("MultiPoint", "Command1");
  ASSERT_TRUE(advanceUntil(h, [&] { return !h.window("MultiPoint"); }, 3000));
  EXPECT_FALSE(h.ecu()->memory().calibrationOn);
}

// EXIT switches calibration off, repeated until the ECU confirms, and closes
// without writing; `stage` brings the window to the moment EXIT is pressed.
void exitWritesNothing(const char* what, const std::function<void(Harness&)>& stage) {
  SCOPED_TRACE(what);
  Harness h;
  ASSERT_TRUE(openMultiPoint(h));
  stage(h);
  h.ecu()->setSilent(true);
  h.clearSent();
  h.click("MultiPoint", "Command1");
  h.advance(900);
  EXPECT_TRUE(h.window("MultiPoint"));
  EXPECT_EQ(h.sentWithCommand(12).size(), 4u);  // the press, then every tick
  EXPECT_EQ(h.sentWithCommand(12).size(), h.sent().size());
  h.ecu()->setSilent(false);
  ASSERT_TRUE(advanceUntil(h, [&] { return !h.window("MultiPoint"); }, 2000));
  EXPECT_FALSE(h.ecu()->memory().calibrationOn);
  EXPECT_TRUE(h.ecu()->writes().empty());
  EXPECT_FALSE(h.shared().calib.autoCalRequested);
  EXPECT_TRUE(h.window("Form16"));
}

TEST(MultiPointWindow, ExitAtAnyStageAndDiscardWriteNothing) {
  exitWritesNothing("idle", [](Harness& h) { h.advance(1000); });
  exitWritesNothing("measuring", [](Harness& h) {
    h.click("MultiPoint", "Command2");
    h.advance(25000);
  });
  exitWritesNothing("found", [](Harness& h) { ASSERT_TRUE(measure(h)); });
  exitWritesNothing("proposal discarded", [](Harness& h) {
    ASSERT_TRUE(measure(h));
    h.click("MultiPoint", "Command3");
    ASSERT_TRUE(multiPoint(h)->proposal());
    h.click("MultiPoint", "Command6");
    EXPECT_FALSE(multiPoint(h)->proposal());
    EXPECT_TRUE(multiPoint(h)->run().points().empty());
    EXPECT_FALSE(enabled(h, "MultiPoint", "Command5"));
    EXPECT_EQ(h.control<QLabel>("MultiPoint", "Proposed_1")->text(), "");
  });
}

TEST(MultiPointWindow, ClosingFromTheFrameLeavesCalibrationModeAsExitDoes) {
  Harness h;
  ASSERT_TRUE(openMultiPoint(h));
  h.click("MultiPoint", "Command2");
  h.advance(2000);
  h.close("MultiPoint");
  ASSERT_TRUE(advanceUntil(h, [&] { return !h.window("MultiPoint"); }, 2000));
  EXPECT_FALSE(h.ecu()->memory().calibrationOn);
  EXPECT_TRUE(h.ecu()->writes().empty());
  EXPECT_TRUE(h.window("Form16"));
}

TEST(MultiPointWindow, ExitAfterTheLineIsLostClosesAtOnce) {
  Harness h;
  ASSERT_TRUE(openMultiPoint(h));
  h.click("MultiPoint", "Command2");
  h.advance(2000);
  h.losePort();
  h.click("Form12", "Command1");
  h.click("MultiPoint", "Command1");
  EXPECT_FALSE(h.window("MultiPoint"));
}

TEST(MultiPointWindow, ACarBeyond115StopsThePointAtTheLimitWithTheAdviceAndMarksIt) {
  Harness h;
  h.ecu()->engine().setTrueKgb(122);
  auto* w = openMultiPoint(h, 2000, 4000);
  ASSERT_TRUE(w);
  ASSERT_TRUE(measure(h));
  EXPECT_EQ(w->run().phase(), Phase::kAtLimit);
  EXPECT_EQ(w->run().trialKgb(), 115);
  EXPECT_EQ(message(h), core::pickOr(calib::kAdviceIncrease, 1).c_str());
  h.click("MultiPoint", "Command3");
  ASSERT_EQ(w->run().points().size(), 1u);
  EXPECT_TRUE(w->run().points()[0].atLimit);
  EXPECT_EQ(h.control<QTableWidget>("MultiPoint", "PointList")->item(0, 5)->text(), "SI");
  int cell = h.ecu()->memory().cellAt(2000, 4000);
  EXPECT_EQ(colourOf(h, "MultiPoint", QStringLiteral("Proposed_%1").arg(cell), "foreColor"), QColor(255, 0, 0));
}

TEST(MultiPointWindow, NotConnectedOpensAtOnceShowsTheExampleTableAndSendsNothing) {
  Harness h;
  openCalibrationNotConnected(h, 4);
  h.click("Form16", "Command12");
  ASSERT_TRUE(h.window("MultiPoint"));
  EXPECT_EQ(h.window("MultiPoint")->windowTitle(), "KELVO6 - Multi-point calibration Not connected");
  EXPECT_EQ(message(h), "Not connected: points are measured with the ECU connected");
  EXPECT_EQ(h.control<QLabel>("MultiPoint", "LabelNext")->text(), "");
  EXPECT_EQ(h.control<QLabel>("MultiPoint", "Current_1")->text(), "115");
  EXPECT_EQ(h.control<QLabel>("MultiPoint", "CurrentRpm_0")->text(), "650");
  for (const char* b : {"Command2", "Command3", "Command4", "Command5", "Command6", "Command7"}) EXPECT_FALSE(enabled(h, "MultiPoint", b)) << b;
  h.advance(2000);
  EXPECT_TRUE(h.sent().empty());
  h.click("MultiPoint", "Command1");
  EXPECT_FALSE(h.window("MultiPoint"));
  EXPECT_TRUE(h.window("Form16"));
}

}  // namespace
}  // namespace kelvo6::testing
