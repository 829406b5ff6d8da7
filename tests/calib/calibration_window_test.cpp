// The vehicle calibration window against the simulated ECU: edits and their
// write order, the whole-table fill, calibration mode, the guided stores, the
// coil calibration, the live display and EXIT.

#include <gtest/gtest.h>

#include <QLabel>

#include "calib/session.h"
#include "link/requests.h"
#include "sim/factory.h"

namespace kelvo6::testing {
namespace {

TEST(CalibrationWindow, OpensWithTheEcuTableAxesAndCorrectives) {
  Harness h;
  h.ecu()->setCell(20, 104);
  h.ecu()->setParam(36, 2100);
  h.ecu()->setParam(25, 1700);
  openCalibration(h);
  ASSERT_TRUE(h.window("Form16"));
  EXPECT_EQ(h.window("Form16")->windowTitle(), "KELVO6 - Taratura vettura");
  EXPECT_EQ(grid(h, 0), "650");
  EXPECT_EQ(grid(h, 2), "2100");
  EXPECT_EQ(grid(h, 8), "2000");
  EXPECT_EQ(grid(h, 35), "104");
  EXPECT_EQ(grid(h, 79), "115");
  EXPECT_EQ(text(h, "Form16", "Text24"), "1700");
  EXPECT_EQ(text(h, "Form16", "Text10"), "100");
  EXPECT_FALSE(enabled(h, "Form16", "Command5"));  // until a write completes
  EXPECT_FALSE(shown(h, "Form16", "Command3"));
  EXPECT_FALSE(shown(h, "Form16", "FramePressure2"));  // sensor model 0
  // Live polling carries the trial KGB, which starts at the KGB in use.
  h.clearSent();
  h.advance(300);
  auto polls = h.sentWithCommand(10);
  ASSERT_EQ(polls.size(), 1u);
  EXPECT_EQ(polls[0][5] * 256 + polls[0][6], 115);
  EXPECT_EQ(text(h, "Form16", "Text11"), "115");
}

TEST(CalibrationWindow, EditedAxisPointGoesOutBeforeTheEditedCellOneTickLater) {
  Harness h;
  openCalibration(h);
  h.setText("Form16", "Text6_2", "2500");  // RPM axis point 3
  h.setText("Form16", "Text6_25", "120");  // cell 10
  h.clearSent();
  h.click("Form16", "Command7");
  EXPECT_EQ(h.window("Form16")->cursor().shape(), Qt::WaitCursor);
  EXPECT_FALSE(enabled(h, "Form16", "Command11"));
  EXPECT_TRUE(enabled(h, "Form16", "Command1"));
  h.advance(100);
  EXPECT_EQ(writesSent(h, 2), (std::vector<std::pair<int, int>>{{36, 2500}}));
  EXPECT_TRUE(writesSent(h, 9).empty());
  h.advance(100);
  EXPECT_EQ(writesSent(h, 9), (std::vector<std::pair<int, int>>{{10, 120}}));
  h.advance(100);
  EXPECT_EQ(h.sentWithCommand(2).size(), 1u);
  EXPECT_EQ(h.sentWithCommand(9).size(), 1u);
  EXPECT_EQ(h.ecu()->param(36), 2500);
  EXPECT_EQ(h.ecu()->cell(10), 120);
  EXPECT_NE(h.window("Form16")->cursor().shape(), Qt::WaitCursor);
  EXPECT_TRUE(enabled(h, "Form16", "Command5"));
  // Live polling is back.
  h.clearSent();
  h.advance(300);
  EXPECT_EQ(h.sentWithCommand(10).size(), 1u);
}

TEST(CalibrationWindow, ModifyWithoutAChangeSendsNothingAndCompletesAtOnce) {
  Harness h;
  openCalibration(h);
  h.clearSent();
  h.click("Form16", "Command7");
  h.advance(100);
  EXPECT_TRUE(h.sentWithCommand(2).empty());
  EXPECT_TRUE(h.sentWithCommand(9).empty());
  EXPECT_TRUE(enabled(h, "Form16", "Command5"));
  EXPECT_TRUE(enabled(h, "Form16", "Command7"));
}

TEST(CalibrationWindow, CorrectivesGoOutFirstInTheirOrder) {
  Harness h;
  openCalibration(h);
  h.setScroll("Form16", "VScroll3", 2);  // parameter 26
  EXPECT_EQ(text(h, "Form16", "Text19"), "2");
  h.setText("Form16", "Text25", "1300");  // parameter 23
  h.setScroll("Form16", "VScroll4", 4);   // parameter 21
  h.setText("Form16", "Text6_9", "3600");  // TINJ point 2
  h.clearSent();
  h.click("Form16", "Command7");
  h.advance(500);
  EXPECT_EQ(writesSent(h, 2), (std::vector<std::pair<int, int>>{{21, 4}, {26, 2}, {23, 1300}, {43, 3600}}));
  // The echoes are shown in their fields.
  EXPECT_EQ(text(h, "Form16", "Text25"), "1300");
  EXPECT_EQ(h.control<QScrollBar>("Form16", "VScroll4")->value(), 4);
}

TEST(CalibrationWindow, WholeTableFillSendsOnlyTheDifferingCellsAndNoCorrective) {
  Harness h;
  for (int n = 1; n <= 64; ++n) h.ecu()->setCell(n, 110);
  h.ecu()->setCell(3, 115);
  h.ecu()->setCell(40, 104);
  h.ecu()->engine().setRpm(850);
  h.ecu()->engine().setPetrolTime(3000);
  openCalibration(h);
  ASSERT_EQ(text(h, "Form16", "Text11"), "110");  // the KGB in use at this point
  h.shared().param(21).pending = 3;  // a corrective left differing
  h.clearSent();
  h.click("Form16", "Command11");
  h.advance(400);
  EXPECT_EQ(writesSent(h, 9), (std::vector<std::pair<int, int>>{{3, 110}, {40, 110}}));
  EXPECT_TRUE(h.sentWithCommand(2).empty());
  EXPECT_EQ(grid(h, 18), "110");
  EXPECT_EQ(grid(h, 55), "110");
  EXPECT_FALSE(h.shared().calib.wholeTableFill);
  EXPECT_TRUE(enabled(h, "Form16", "Command11"));
}

TEST(CalibrationWindow, FillWithTheValueTheTableHoldsSendsNothing) {
  Harness h;
  openCalibration(h);
  h.clearSent();
  h.click("Form16", "Command11");
  h.advance(100);
  EXPECT_TRUE(h.sentWithCommand(9).empty());
  EXPECT_NE(h.window("Form16")->cursor().shape(), Qt::WaitCursor);
}

TEST(CalibrationWindow, CalibrationModeTogglesWithTitleCaptionAndTrialKgb) {
  Harness h;
  h.ecu()->engine().setRpm(850);
  h.ecu()->engine().setPetrolTime(3000);
  openCalibration(h);
  EXPECT_FALSE(enabled(h, "Form16", "VScroll1"));
  EXPECT_EQ(h.control<QPushButton>("Form16", "Command9")->text(), "TARATURA NON ATTIVA");
  h.clearSent();
  h.click("Form16", "Command9");
  EXPECT_EQ(h.sentWithCommand(11).size(), 1u);
  EXPECT_EQ(colourOf(h, "Form16", "Text11", "backColor"), QColor(0, 0, 0));
  EXPECT_FALSE(enabled(h, "Form16", "VScroll5"));
  EXPECT_FALSE(enabled(h, "Form16", "Command11"));  // until the ECU confirms
  h.advance(20);
  EXPECT_EQ(h.window("Form16")->windowTitle(), "KELVO6 - Taratura vettura Attivata");
  EXPECT_TRUE(enabled(h, "Form16", "Command11"));
  EXPECT_EQ(h.control<QPushButton>("Form16", "Command9")->text(), "TARATURA ATTIVA");
  EXPECT_TRUE(h.ecu()->memory().calibrationOn);
  // The confirmation ends the handshake; live polling carries the trial KGB.
  h.advance(500);
  h.setScroll("Form16", "VScroll1", 104);
  EXPECT_EQ(text(h, "Form16", "Text11"), "104");
  h.advance(700);
  EXPECT_EQ(text(h, "Form16", "Text14"), "104");  // the ECU applies it
  h.clearSent();
  h.click("Form16", "Command9");
  EXPECT_EQ(h.sentWithCommand(12).size(), 1u);
  h.advance(20);
  EXPECT_EQ(h.window("Form16")->windowTitle(), "KELVO6 - Taratura vettura Non attiva");
  EXPECT_EQ(h.control<QPushButton>("Form16", "Command9")->text(), "TARATURA NON ATTIVA");
  EXPECT_EQ(colourOf(h, "Form16", "Text11", "backColor"), QColor(255, 255, 255));
  EXPECT_FALSE(enabled(h, "Form16", "VScroll1"));
  EXPECT_TRUE(enabled(h, "Form16", "VScroll5"));
  EXPECT_FALSE(h.ecu()->memory().calibrationOn);
}

TEST(CalibrationWindow, UnconfirmedCalibrationOnIsRepeatedEveryHalfSecond) {
  Harness h;
  openCalibration(h);
  h.ecu()->setSilent(true);
  h.clearSent();
  h.click("Form16", "Command9");
  h.advance(1500);
  EXPECT_EQ(h.sentWithCommand(11).size(), 4u);  // the press, then three handshake ticks
  EXPECT_TRUE(h.sentWithCommand(10).empty());   // no polling meanwhile
}

TEST(CalibrationWindow, CalibrationModeTextsInEnglishAndTurkish) {
  for (int lang : {2, 3}) {
    Harness h;
    openCalibration(h, lang == 2 ? 4 : 5);
    EXPECT_EQ(h.window("Form16")->windowTitle(), lang == 2 ? "KELVO6 - Calibration Vehicle" : "KELVO6 - Arac Kalibrasyonu");
    EXPECT_EQ(h.control<QLabel>("Form16", "LabelRpm")->text(), "RPM");  // the grid headings in every language
    EXPECT_EQ(h.control<QLabel>("Form16", "LabelTinj")->text(), "TINJ");
    h.click("Form16", "Command9");
    h.advance(20);
    EXPECT_EQ(h.window("Form16")->windowTitle(), lang == 2 ? "KELVO6 - Calibration Active" : "KELVO6 - Kalibrasyon Aktif");
    EXPECT_EQ(h.control<QPushButton>("Form16", "Command9")->text(),
              lang == 2 ? "CALIBRATION ACTIVE" : "KALIBRASYON AKTIF");
  }
}

TEST(CalibrationWindow, WritesGoOnWhenTheFitterClicksAwayAndBack) {
  Harness h;
  openCalibration(h);
  h.ecu()->faults().extraLatencyMs = 250;  // each echo takes a few writer ticks
  auto clickAwayAndBack = [&h] {
    h.activate("Form2");
    h.activate("Form16");
  };
  auto idle = [&h] { return h.window("Form16")->cursor().shape() != Qt::WaitCursor && enabled(h, "Form16", "Command11"); };

  h.setText("Form16", "Text6_2", "2500");
  h.setText("Form16", "Text6_30", "109");
  h.click("Form16", "Command7");
  h.advance(150);
  clickAwayAndBack();
  ASSERT_TRUE(advanceUntil(h, idle, 5000));
  EXPECT_EQ(h.ecu()->param(36), 2500);
  EXPECT_EQ(h.ecu()->cell(15), 109);
  EXPECT_EQ(grid(h, 30), "109");

  h.click("Form16", "Command11");  // the trial KGB, 115: only cell 15 differs
  h.advance(150);
  clickAwayAndBack();
  ASSERT_TRUE(advanceUntil(h, idle, 5000));
  EXPECT_EQ(h.ecu()->cell(15), 115);

  h.ecu()->engine().setRpm(2345);
  h.setScroll("Form16", "VScroll5", 2);
  h.click("Form16", "Command4");
  h.advance(600);
  h.click("Form16", "Command7");
  h.advance(250);
  clickAwayAndBack();
  ASSERT_TRUE(advanceUntil(h, idle, 5000));
  EXPECT_EQ(h.ecu()->param(12), 2345);
  EXPECT_FALSE(h.shared().calib.storeRpm);
}

TEST(CalibrationWindow, NoButtonDropsAHandshakeThatWaitsForTheEcu) {
  {
    // Calibration on not yet confirmed: the fill cannot cancel its repetition.
    Harness h;
    openCalibration(h);
    h.ecu()->setSilent(true);
    h.click("Form16", "Command9");
    for (const char* b : {"Command11", "Command7", "Command5"}) EXPECT_FALSE(enabled(h, "Form16", b)) << b;
    h.click("Form16", "Command11");
    h.clearSent();
    h.advance(1000);
    EXPECT_EQ(h.sentWithCommand(11).size(), 2u);
    EXPECT_TRUE(h.sentWithCommand(9).empty());
    h.ecu()->setSilent(false);
    h.advance(1000);
    EXPECT_TRUE(h.ecu()->memory().calibrationOn);
    EXPECT_TRUE(enabled(h, "Form16", "Command11"));
    EXPECT_FALSE(enabled(h, "Form16", "Command5"));  // still waits for a first completed write
  }
  {
    // EXIT's closing handshake, even with a late confirmation of calibration
    // on: a press of the fill does not keep the window open.
    Harness h;
    openCalibration(h);
    h.ecu()->setSilent(true);
    h.click("Form16", "Command9");
    h.click("Form16", "Command1");
    h.reply(answer(11, {}));
    h.clearSent();
    h.click("Form16", "Command11");
    h.click("Form16", "Command9");
    h.advance(600);
    h.ecu()->setSilent(false);
    ASSERT_TRUE(advanceUntil(h, [&h] { return h.window("Form16") == nullptr; }, 2000));
    EXPECT_TRUE(h.sentWithCommand(11).empty());
    EXPECT_TRUE(h.sentWithCommand(9).empty());
  }
}

TEST(GuidedFunctions, SelectorIsCyclic) {
  Harness h;
  openCalibration(h);
  auto* selector = h.control<QScrollBar>("Form16", "VScroll5");
  EXPECT_EQ(selector->value(), 1);
  EXPECT_EQ(h.control<QPushButton>("Form16", "Command4")->text(), "VISUALIZZA CORRETTIVI");
  h.setScroll("Form16", "VScroll5", 0);
  EXPECT_EQ(selector->value(), 5);
  EXPECT_EQ(h.control<QPushButton>("Form16", "Command4")->text(), "TARATURA BOBINE E INIETTORI");
  h.setScroll("Form16", "VScroll5", 6);
  EXPECT_EQ(selector->value(), 1);
  h.setScroll("Form16", "VScroll5", 3);
  EXPECT_EQ(h.control<QPushButton>("Form16", "Command4")->text(), "MEMORIZZA PRESSIONE DI TARATURA");
  EXPECT_TRUE(shown(h, "Form16", "Text9"));
  EXPECT_EQ(text(h, "Form16", "Text9"), "1300");  // calibration pressure in the ECU
  h.setScroll("Form16", "VScroll5", 1);
  EXPECT_FALSE(shown(h, "Form16", "Text9"));
}

TEST(GuidedFunctions, SwitchingRpmStoreWritesParameter12FromTheLiveRpm) {
  Harness h;
  h.ecu()->engine().setRpm(2345);
  openCalibration(h);
  h.setScroll("Form16", "VScroll5", 2);
  h.click("Form16", "Command4");
  EXPECT_FALSE(shown(h, "Form16", "FrameLambda"));
  EXPECT_FALSE(enabled(h, "Form16", "Command9"));
  EXPECT_TRUE(enabled(h, "Form16", "Text9"));
  h.advance(600);
  EXPECT_EQ(text(h, "Form16", "Text9"), "2345");
  EXPECT_EQ(text(h, "Form16", "Text15").left(12), "B->G ATTESA ");  // the engine's state has a text
  h.clearSent();
  h.click("Form16", "Command7");
  h.advance(400);
  EXPECT_EQ(writesSent(h, 2), (std::vector<std::pair<int, int>>{{12, 2345}}));
  EXPECT_EQ(h.ecu()->param(12), 2345);
  EXPECT_FALSE(h.shared().calib.storeRpm);
  EXPECT_FALSE(enabled(h, "Form16", "Text9"));
  EXPECT_TRUE(shown(h, "Form16", "FrameLambda"));
  EXPECT_TRUE(enabled(h, "Form16", "VScroll5"));
  EXPECT_TRUE(enabled(h, "Form16", "Command9"));
}

TEST(GuidedFunctions, PressureStoreWritesTheSmoothedPressureAndTemperatureStoreTemperatureOne) {
  Harness h;
  openCalibration(h);
  h.setScroll("Form16", "VScroll5", 3);
  h.click("Form16", "Command4");
  h.advance(3000);  // the smoothed pressure settles on the ECU's pressure
  int smoothed = text(h, "Form16", "Text9").toInt();
  EXPECT_NEAR(smoothed, 1300, 20);
  h.click("Form16", "Command7");
  h.advance(400);
  EXPECT_EQ(h.ecu()->param(29), smoothed);
  EXPECT_FALSE(h.shared().calib.storePressure);

  h.setScroll("Form16", "VScroll5", 4);
  h.click("Form16", "Command4");
  h.advance(300);
  int temperature = text(h, "Form16", "Text22").toInt();
  h.click("Form16", "Command7");
  h.advance(400);
  EXPECT_EQ(h.ecu()->param(28), temperature);
  EXPECT_EQ(writesSent(h, 2).back(), std::make_pair(28, temperature));
}

TEST(GuidedFunctions, ExitCancelsAStoreAndShowsTheEcuValueAgain) {
  Harness h;
  h.ecu()->engine().setRpm(3100);
  openCalibration(h);
  h.setScroll("Form16", "VScroll5", 2);
  h.click("Form16", "Command4");
  h.advance(600);
  EXPECT_EQ(text(h, "Form16", "Text9"), "3100");
  h.clearSent();
  h.click("Form16", "Command1");
  EXPECT_TRUE(h.window("Form16"));
  EXPECT_EQ(text(h, "Form16", "Text9"), "2300");
  EXPECT_FALSE(enabled(h, "Form16", "Text9"));
  EXPECT_FALSE(h.shared().calib.storeRpm);
  EXPECT_TRUE(h.sentWithCommand(12).empty());
  h.advance(600);
  EXPECT_TRUE(h.sentWithCommand(2).empty());
  EXPECT_EQ(h.ecu()->param(12), 2300);
}

TEST(CoilCalibration, CountFromTheRpmThenInjectorsThenCoilsBeforeInjectors) {
  Harness h;
  h.ecu()->engine().setRpm(800);
  h.ecu()->calibration().setCarCoils(2);
  h.ecu()->calibration().setWorkingInjectors({true, true, true, false, true, false, false, false});
  h.ecu()->setParam(1, 0);
  h.ecu()->setParam(13, 0);  // warm enough at once: no change-over text on the message line
  openCalibration(h);
  h.setScroll("Form16", "VScroll5", 5);
  h.click("Form16", "Command4");
  EXPECT_TRUE(shown(h, "Form16", "Command3"));
  EXPECT_TRUE(shown(h, "Form16", "VScroll6"));
  EXPECT_FALSE(enabled(h, "Form16", "Command7"));
  h.clearSent();
  h.advance(600);  // the display shows the answer to the tick before
  auto coilPolls = h.sentWithCommand(13);
  ASSERT_EQ(coilPolls.size(), 2u);
  EXPECT_EQ(coilPolls[0][5], 1);
  EXPECT_EQ(text(h, "Form16", "Text5"), "1600");  // counted with one coil: wrong
  EXPECT_EQ(text(h, "Form16", "Text15"), "Premere OK quando giri corretti");
  h.setScroll("Form16", "VScroll6", 2);
  EXPECT_EQ(text(h, "Form16", "Text8"), "2");
  h.advance(600);
  EXPECT_EQ(text(h, "Form16", "Text5"), "800");
  h.clearSent();
  h.click("Form16", "Command3");
  EXPECT_FALSE(enabled(h, "Form16", "VScroll6"));
  h.advance(1400);  // flags asked at 500 ms, shown at 1000 ms, polling again at 1300 ms
  EXPECT_EQ(h.sentWithCommand(16).size(), 1u);
  for (int k : {1, 2, 3, 5}) {
    EXPECT_TRUE(shown(h, "Form16", QStringLiteral("Label5_%1").arg(k - 1).toLatin1())) << k;
    EXPECT_FALSE(shown(h, "Form16", QStringLiteral("Label5_%1").arg(k + 7).toLatin1())) << k;
  }
  for (int k : {4, 6, 7, 8}) {
    EXPECT_FALSE(shown(h, "Form16", QStringLiteral("Label5_%1").arg(k - 1).toLatin1())) << k;
    EXPECT_TRUE(shown(h, "Form16", QStringLiteral("Label5_%1").arg(k + 7).toLatin1())) << k;
  }
  EXPECT_EQ(h.control<QLabel>("Form16", "Label5_0")->text(), "INJ1     ON");
  EXPECT_EQ(h.control<QLabel>("Form16", "Label5_11")->text(), "INJ4              OFF");
  EXPECT_TRUE(enabled(h, "Form16", "Command7"));
  EXPECT_EQ(text(h, "Form16", "Text15"), "Premere MODIFICA per memorizzare Premere EXIT altrimenti");
  h.clearSent();
  h.click("Form16", "Command7");
  h.advance(600);
  EXPECT_EQ(writesSent(h, 2), (std::vector<std::pair<int, int>>{{2, 2}, {1, 4}}));
  EXPECT_EQ(h.ecu()->param(2), 2);
  EXPECT_EQ(h.ecu()->param(1), 4);
  EXPECT_FALSE(shown(h, "Form16", "Command3"));
  EXPECT_FALSE(h.shared().calib.coilCalibration);
}

TEST(CoilCalibration, ExitAsksForTheFlagsOnceAndRestoresTheWindow) {
  Harness h;
  openCalibration(h);
  h.setScroll("Form16", "VScroll5", 5);
  h.click("Form16", "Command4");
  h.advance(300);
  h.clearSent();
  h.click("Form16", "Command1");
  EXPECT_EQ(h.sentWithCommand(16).size(), 1u);
  h.advance(500);
  EXPECT_TRUE(h.window("Form16"));
  EXPECT_FALSE(shown(h, "Form16", "VScroll6"));
  EXPECT_FALSE(shown(h, "Form16", "Label5_0"));
  EXPECT_TRUE(shown(h, "Form16", "FramePressure"));
  EXPECT_FALSE(h.shared().calib.coilCalibration);
  EXPECT_TRUE(enabled(h, "Form16", "Command9"));
  EXPECT_TRUE(h.sentWithCommand(2).empty());
  EXPECT_TRUE(h.sentWithCommand(12).empty());
}

TEST(CalibrationExit, SwitchesCalibrationOffAndClosesOnlyWhenConfirmed) {
  Harness h;
  openCalibration(h);
  h.ecu()->setSilent(true);
  h.clearSent();
  h.click("Form16", "Command1");
  EXPECT_EQ(h.sentWithCommand(12).size(), 1u);
  EXPECT_EQ(h.window("Form16")->cursor().shape(), Qt::WaitCursor);
  h.advance(1000);
  EXPECT_TRUE(h.window("Form16"));
  EXPECT_EQ(h.sentWithCommand(12).size(), 3u);
  EXPECT_TRUE(h.sentWithCommand(10).empty());
  h.ecu()->setSilent(false);
  h.advance(500);
  EXPECT_TRUE(h.window("Form16"));  // confirmed now; the next tick closes
  h.advance(500);
  EXPECT_FALSE(h.window("Form16"));
  EXPECT_TRUE(h.window("Form2"));
}

TEST(CalibrationExit, TheFrameSwitchesCalibrationModeOffFirstAndOtherwiseClosesAtOnce) {
  {
    Harness h;
    openCalibration(h);
    h.click("Form16", "Command9");
    h.advance(600);
    ASSERT_TRUE(h.ecu()->memory().calibrationOn);
    h.clearSent();
    h.close("Form16");
    EXPECT_TRUE(h.window("Form16")) << "open until the ECU confirms";
    EXPECT_EQ(h.sentWithCommand(12).size(), 1u);
    ASSERT_TRUE(advanceUntil(h, [&] { return h.window("Form16") == nullptr; }, 2000));
    EXPECT_FALSE(h.ecu()->memory().calibrationOn);
    EXPECT_TRUE(h.window("Form2"));
  }
  {
    Harness h;
    openCalibration(h);
    h.clearSent();
    h.close("Form16");
    EXPECT_FALSE(h.window("Form16"));
    EXPECT_TRUE(h.sent().empty());
  }
}

TEST(CalibrationExit, DuringATableWriteStopsTheWriterAndLeavesTheRestPending) {
  Harness h;
  openCalibration(h);
  h.ecu()->faults().extraLatencyMs = 1000;  // echoes come too late to matter
  h.setText("Form16", "Text6_16", "101");
  h.click("Form16", "Command7");
  h.advance(300);
  h.click("Form16", "Command1");
  h.clearSent();
  h.advance(3000);
  EXPECT_TRUE(h.sentWithCommand(9).empty());
  EXPECT_EQ(h.shared().cell(1).pending, 101);
}

TEST(CalibrationExit, AfterTheLineIsLostClosesWithoutWaitingForTheEcu) {
  {
    // Lost during a whole-table fill: EXIT closes at once.
    Harness h;
    openCalibration(h);
    h.click("Form16", "Command11");
    h.losePort();
    ASSERT_TRUE(h.window("Form12"));
    h.click("Form12", "Command1");
    h.click("Form16", "Command1");
    EXPECT_FALSE(h.window("Form16"));
    EXPECT_TRUE(h.window("Form2"));
  }
  {
    // Lost while waiting for calibration off: the next closing tick closes.
    Harness h;
    openCalibration(h);
    h.ecu()->setSilent(true);
    h.click("Form16", "Command1");
    h.advance(500);
    h.losePort();
    h.advance(500);
    EXPECT_FALSE(h.window("Form16"));
  }
}

TEST(LiveDisplay, FuelColourAveragedTimeAndMarkerOnPetrol) {
  Harness h;
  h.ecu()->engine().setRpm(1500);
  h.ecu()->engine().setPetrolTime(4250);
  openCalibration(h);
  h.advance(3000);
  EXPECT_EQ(text(h, "Form16", "Text5"), "1500");
  EXPECT_EQ(text(h, "Form16", "Text3"), "4250");
  EXPECT_EQ(text(h, "Form16", "Text12"), "4250");
  QWidget* marker = h.control<QWidget>("Form16", "Shape1");
  EXPECT_EQ(marker->property("twipX").toInt(), 1320 + 840 + 420);
  EXPECT_EQ(marker->property("twipY").toInt(), 840 + 480 + 240);
  // Drawn over the grid cell of that point: RPM column 1, TINJ row 1.
  QRect cell = h.control<QWidget>("Form16", "Text6_25")->geometry();
  EXPECT_TRUE(cell.intersects(marker->geometry()));
  EXPECT_EQ(marker->pos(), QPoint(2580 / 15, 1560 / 15));
}

TEST(LiveDisplay, GasFieldAndGreenTextOnGas) {
  Harness h;
  h.ecu()->engine().setPetrolTime(4000);
  h.ecu()->engine().setTrueKgb(115);
  openCalibration(h);
  h.click("Form16", "Command9");  // calibration mode holds the fuel the fitter chooses
  h.advance(600);
  h.click("Form16", "Command2");
  h.advance(4000);
  EXPECT_EQ(h.shared().live.fuelFlag, 0);
  EXPECT_EQ(text(h, "Form16", "Text4"), "4000");  // KGB in use equals the car's: no trim
  EXPECT_EQ(colourOf(h, "Form16", "Text1", "foreColor"), QColor(0, 255, 0));
  EXPECT_EQ(colourOf(h, "Form16", "Text6_40", "foreColor"), QColor(0, 255, 0));
  EXPECT_FALSE(h.control<QWidget>("Form16", "Text15")->property("foreColor").isValid());
}

TEST(NotConnected, ExampleTableAndDisabledTraffic) {
  Harness h;
  openCalibrationNotConnected(h);
  ASSERT_TRUE(h.window("Form16"));
  EXPECT_EQ(h.window("Form16")->windowTitle(), "KELVO6 - Taratura vettura Non connesso");
  EXPECT_EQ(grid(h, 0), "650");
  EXPECT_EQ(grid(h, 15), "15000");
  EXPECT_EQ(grid(h, 47), "115");
  EXPECT_EQ(text(h, "Form16", "Text24"), "1500");
  EXPECT_EQ(text(h, "Form16", "Text25"), "1100");
  EXPECT_EQ(text(h, "Form16", "Text10"), "100");
  EXPECT_EQ(text(h, "Form16", "Text26"), "10");
  EXPECT_EQ(text(h, "Form16", "Text11"), "115");
  for (const char* b : {"Command7", "Command3", "Command2", "Command9", "Command11"})
    EXPECT_FALSE(enabled(h, "Form16", b)) << b;
  EXPECT_TRUE(enabled(h, "Form16", "Command5"));
  EXPECT_FALSE(enabled(h, "Form16", "VScroll2"));
  h.click("Form16", "Command1");
  EXPECT_FALSE(h.window("Form16"));
  EXPECT_TRUE(h.sent().empty());
}

}  // namespace
}  // namespace kelvo6::testing
