// The automatic calibration window against the simulated car: a run finds the
// car's coefficient, fills and writes the table and leaves calibration mode;
// a car outside 100-115 stops the run at its limit with the advice.

#include <gtest/gtest.h>

#include <QLabel>
#include <QRadioButton>

#include "calib/auto_calibration.h"
#include "calib/session.h"

namespace kelvo6::testing {
namespace {

const QString kFound = "Premere OK per memorizzare il valore in tabella";
const QString kIncrease = "Aumentare pressione o aumentare diametro ugelli";
const QString kDecrease = "Diminuire pressione o diminuire diametro ugelli";

QString message(Harness& h) { return h.control<QLabel>("Form8", "Label1")->text(); }

// A car held at one operating point, the calibration window open, the automatic
// calibration started with a stable-time interval of 100 microseconds.
void startAutomatic(Harness& h, int trueKgb) {
  h.ecu()->engine().setRpm(850);
  h.ecu()->engine().setPetrolTime(4000);
  h.ecu()->engine().setTrueKgb(trueKgb);
  openCalibration(h);
  h.click("Form16", "Command8");
  ASSERT_TRUE(advanceUntil(h, [&] { return h.window("Form8") != nullptr; }, 3000));
  h.setScroll("Form8", "VScroll1", 100);
}

TEST(AutomaticCalibration, FindsTheCarsCoefficientFillsWritesAndLeavesCalibrationMode) {
  Harness h;
  startAutomatic(h, 112);
  EXPECT_EQ(h.window("Form8")->windowTitle(), "KELVO6 - Taratura automatica");
  EXPECT_TRUE(h.ecu()->memory().calibrationOn);
  EXPECT_EQ(text(h, "Form8", "Text7"), "");  // first tick not yet run
  ASSERT_TRUE(advanceUntil(h, [&] { return message(h) == kFound; }, 600000, 300));
  int found = text(h, "Form8", "Text7").toInt();
  EXPECT_NEAR(found, 112, 1);
  // Petrol, gas, petrol (K moves from 115), gas, petrol (found), and one last switch to gas.
  EXPECT_GE(h.sentWithCommand(4).size(), 4u);
  // The message blinks red and blue.
  QSet<QRgb> colours;
  for (int i = 0; i < 5; ++i) {
    h.advance(300);
    colours.insert(colourOf(h, "Form8", "Label1", "foreColor").rgb());
  }
  EXPECT_TRUE(colours.contains(QColor(255, 0, 0).rgb()));
  EXPECT_TRUE(colours.contains(QColor(0, 0, 255).rgb()));

  h.click("Form8", "Option1_1");  // specialised, LPG: the rising pattern
  EXPECT_EQ(colourOf(h, "Form8", "Label12", "foreColor"), QColor(255, 0, 0));
  std::size_t writesBefore = h.ecu()->writes().size();
  h.click("Form8", "Command2");
  EXPECT_FALSE(enabled(h, "Form8", "Command1"));
  ASSERT_TRUE(advanceUntil(h, [&] { return h.window("Form8") == nullptr; }, 20000));

  std::vector<sim::WriteRecord> writes(h.ecu()->writes().begin() + static_cast<std::ptrdiff_t>(writesBefore),
                                       h.ecu()->writes().end());
  ASSERT_GE(writes.size(), 3u);
  EXPECT_FALSE(writes[0].cell);
  EXPECT_EQ(writes[0].number, 29);
  EXPECT_FALSE(writes[1].cell);
  EXPECT_EQ(writes[1].number, 28);
  for (std::size_t i = 2; i < writes.size(); ++i) {
    EXPECT_TRUE(writes[i].cell);
    if (i > 2) {
      EXPECT_GT(writes[i].number, writes[i - 1].number);
    }
  }
  auto expected = *calib::fillCells(calib::FillPattern::kRising, found);
  for (int n = 1; n <= 64; ++n) EXPECT_EQ(h.ecu()->cell(n), expected[static_cast<std::size_t>(n - 1)]) << n;
  EXPECT_EQ(h.ecu()->param(29), h.shared().param(29).pending);
  EXPECT_FALSE(h.ecu()->memory().calibrationOn);
  EXPECT_FALSE(h.shared().calib.autoCalRequested);
  EXPECT_FALSE(h.shared().calib.tableWriteRequested);
  // Back on the calibration window, which shows the new table and polls again.
  ASSERT_TRUE(h.window("Form16"));
  EXPECT_EQ(h.window("Form16")->windowTitle(), "KELVO6 - Taratura vettura Non attiva");
  EXPECT_EQ(grid(h, 18), QString::number(expected[2]));
  h.clearSent();
  h.advance(300);
  EXPECT_EQ(h.sentWithCommand(10).size(), 1u);
}

TEST(AutomaticCalibration, ACarAbove115StopsAt115WithTheIncreasePressureAdvice) {
  Harness h;
  startAutomatic(h, 125);
  ASSERT_TRUE(advanceUntil(h, [&] { return message(h) == kIncrease; }, 600000, 300));
  EXPECT_EQ(text(h, "Form8", "Text7"), "115");
  // No more switching: the run rests on the fuel it is on.
  std::size_t switches = h.sentWithCommand(4).size();
  h.advance(30000);
  EXPECT_EQ(h.sentWithCommand(4).size(), switches);
  EXPECT_EQ(message(h), kIncrease);
  EXPECT_EQ(text(h, "Form8", "Text7"), "115");
}

TEST(AutomaticCalibration, ACarBelow100StopsAt100WithTheDecreasePressureAdvice) {
  Harness h;
  startAutomatic(h, 97);
  ASSERT_TRUE(advanceUntil(h, [&] { return message(h) == kDecrease; }, 600000, 300));
  EXPECT_EQ(text(h, "Form8", "Text7"), "100");
}

TEST(AutomaticCalibration, ArmingTheSwitchAgainDoesNotPostponeIt) {
  Harness h;
  startAutomatic(h, 112);
  // Wait for the gas phase to become stable; every stable tick then arms the switch again.
  ASSERT_TRUE(advanceUntil(h, [&] { return h.sentWithCommand(4).size() == 1; }, 120000));
  ASSERT_TRUE(advanceUntil(
      h, [&] { return h.shared().live.fuelFlag == 0 && shown(h, "Form8", "Label7") && shown(h, "Form8", "Label9"); },
      60000));
  std::int64_t armedAt = h.nowMs();
  ASSERT_TRUE(advanceUntil(h, [&] { return h.sentWithCommand(4).size() == 2; }, 5000));
  EXPECT_LE(h.nowMs() - armedAt, 1300);
  EXPECT_FALSE(shown(h, "Form8", "Label9"));  // a switch hides the stable labels
}

TEST(AutomaticCalibration, GasPhaseShowsTheDeviationFromThePetrolReference) {
  Harness h;
  startAutomatic(h, 112);
  ASSERT_TRUE(advanceUntil(h, [&] { return h.sentWithCommand(4).size() == 1; }, 120000));
  h.advance(3000);
  // K 115 against a car needing 112: the car asks for 4000 x (1 - 0.15) on gas.
  EXPECT_EQ(text(h, "Form8", "Text9"), "3400");
  EXPECT_EQ(text(h, "Form8", "Text2"), "3400");
  EXPECT_EQ(text(h, "Form8", "Text1"), "4000");
  EXPECT_EQ(text(h, "Form8", "Text13"), "600");
  EXPECT_EQ(colourOf(h, "Form8", "Shape3", "fillColor"), QColor(0, 255, 0));
  EXPECT_EQ(colourOf(h, "Form8", "Shape2", "fillColor"), QColor(150, 0, 0));
  EXPECT_EQ(colourOf(h, "Form8", "Shape1_10", "fillColor"), QColor(250, 0, 0));
  EXPECT_EQ(colourOf(h, "Form8", "Shape1_11", "fillColor"), QColor(250, 250, 0));
}

// OK pressed with a run under way and an ECU that no longer answers: the
// window stays in its writer, EXIT disabled.
void startWritingToASilentEcu(Harness& h) {
  startAutomatic(h, 108);
  h.advance(1000);
  h.ecu()->setSilent(true);
  h.click("Form8", "Command2");
  h.advance(300);
}

TEST(AutomaticCalibration, ExitSwitchesCalibrationOffUntilConfirmedThenCloses) {
  Harness h;
  startAutomatic(h, 108);
  h.advance(3000);
  h.ecu()->setSilent(true);
  h.clearSent();
  h.click("Form8", "Command1");
  h.advance(1500);
  EXPECT_TRUE(h.window("Form8"));
  EXPECT_EQ(h.sentWithCommand(12).size(), 6u);  // the press, then every tick
  EXPECT_TRUE(h.sentWithCommand(10).empty());
  h.ecu()->setSilent(false);
  ASSERT_TRUE(advanceUntil(h, [&] { return h.window("Form8") == nullptr; }, 2000));
  EXPECT_FALSE(h.ecu()->memory().calibrationOn);
  EXPECT_FALSE(h.shared().calib.autoCalRequested);
  EXPECT_EQ(h.ecu()->cell(1), 115);  // nothing stored
}

TEST(AutomaticCalibration, ARefusedOkGivesWayToTheRunMessageOnceTheKgbIsValidAgain) {
  Harness h;
  startAutomatic(h, 112);
  ASSERT_TRUE(advanceUntil(h, [&] { return message(h) == kFound; }, 600000, 300));
  h.ecu()->setSilent(true);
  h.advance(300);
  CalibrationBlock noValidKgb;
  noValidKgb.kgbInUse = 300;
  h.reply(noValidKgb.frame());
  h.advance(300);
  ASSERT_EQ(text(h, "Form8", "Text7"), "300");
  h.click("Form8", "Command2");
  const QString refused = "KGB in uso non valido (0-255): nulla e' stato memorizzato";
  EXPECT_EQ(message(h), refused);
  EXPECT_TRUE(enabled(h, "Form8", "Command1"));
  h.advance(1200);
  EXPECT_EQ(message(h), refused);  // still true: the ECU reports no valid KGB
  h.ecu()->setSilent(false);
  h.advance(900);
  EXPECT_EQ(message(h), kFound);
  QSet<QRgb> colours;
  for (int i = 0; i < 4; ++i) {
    h.advance(300);
    colours.insert(colourOf(h, "Form8", "Label1", "foreColor").rgb());
  }
  EXPECT_TRUE(colours.contains(QColor(255, 0, 0).rgb()));
  EXPECT_TRUE(colours.contains(QColor(0, 0, 255).rgb()));
}

TEST(AutomaticCalibration, ClosingFromTheFrameLeavesCalibrationModeAsExitDoes) {
  {
    Harness h;
    startAutomatic(h, 108);
    h.advance(3000);
    h.ecu()->setSilent(true);
    h.clearSent();
    h.close("Form8");
    h.advance(300);
    EXPECT_TRUE(h.window("Form8")) << "open until the ECU confirms";
    EXPECT_EQ(h.sentWithCommand(12).size(), 2u);
    h.ecu()->setSilent(false);
    ASSERT_TRUE(advanceUntil(h, [&] { return h.window("Form8") == nullptr; }, 2000));
    EXPECT_FALSE(h.ecu()->memory().calibrationOn);
    EXPECT_EQ(h.ecu()->cell(1), 115);  // nothing stored
  }
  {
    // While OK writes the table EXIT is off: the frame still closes at once.
    Harness h;
    startWritingToASilentEcu(h);
    ASSERT_FALSE(enabled(h, "Form8", "Command1"));
    h.close("Form8");
    EXPECT_FALSE(h.window("Form8"));
  }
}

TEST(AutomaticCalibration, AfterTheLineIsLostClosesWithoutWaitingForTheEcu) {
  {
    // EXIT pressed after the loss.
    Harness h;
    startAutomatic(h, 108);
    h.advance(1000);
    h.losePort();
    h.click("Form12", "Command1");
    h.click("Form8", "Command1");
    EXPECT_FALSE(h.window("Form8"));
  }
  {
    // Lost while calibration off waits for its confirmation.
    Harness h;
    startAutomatic(h, 108);
    h.ecu()->setSilent(true);
    h.click("Form8", "Command1");
    h.advance(600);
    h.losePort();
    h.advance(300);
    EXPECT_FALSE(h.window("Form8"));
  }
  {
    // Lost while OK writes the table: EXIT is given back and closes.
    Harness h;
    startWritingToASilentEcu(h);
    h.losePort();
    h.advance(100);
    h.click("Form12", "Command1");
    EXPECT_TRUE(enabled(h, "Form8", "Command1"));
    h.click("Form8", "Command1");
    EXPECT_FALSE(h.window("Form8"));
  }
}

TEST(AutomaticCalibration, NotConnectedOpensAtOnceWithOkDisabled) {
  Harness h;
  openCalibrationNotConnected(h, 4);
  h.click("Form16", "Command8");
  ASSERT_TRUE(h.window("Form8"));
  EXPECT_EQ(h.window("Form8")->windowTitle(), "KELVO6 - Automatic calibration");
  EXPECT_EQ(message(h), "Lead the vehicle into the adjustment position");
  EXPECT_FALSE(enabled(h, "Form8", "Command2"));
  EXPECT_TRUE(h.control<QRadioButton>("Form8", "Option1_0")->isChecked());
  h.advance(2000);
  EXPECT_TRUE(h.sent().empty());
  h.click("Form8", "Command1");
  EXPECT_FALSE(h.window("Form8"));
  EXPECT_TRUE(h.window("Form16"));
}

}  // namespace
}  // namespace kelvo6::testing
