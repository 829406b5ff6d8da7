// What the calibration window refuses before anything reaches the wire, and
// values from the ECU that its controls cannot show.

#include <gtest/gtest.h>

#include "calib/session.h"
#include "sim/factory.h"
#include "support/caption_fit.h"

namespace kelvo6::testing {
namespace {

constexpr QColor kMarked{255, 255, 0};

TEST(Entries, BadGridEntriesRefuseModifyMarkTheFieldsAndSendNothing) {
  Harness h;
  openCalibration(h);
  h.setText("Form16", "Text6_16", "300");   // cell 1 out of range
  h.setText("Form16", "Text6_3", "");       // RPM point 4 empty
  h.setText("Form16", "Text6_9", "35OO");   // TINJ point 2 not a number
  h.setText("Form16", "Text6_17", "111");   // a good edit: must not go out alone
  h.clearSent();
  h.click("Form16", "Command7");
  h.advance(1000);
  EXPECT_TRUE(h.sentWithCommand(2).empty());
  EXPECT_TRUE(h.sentWithCommand(9).empty());
  EXPECT_NE(h.shared().cell(2).pending, 111);
  for (const char* f : {"Text6_16", "Text6_3", "Text6_9"}) EXPECT_EQ(colourOf(h, "Form16", f, "backColor"), kMarked) << f;
  EXPECT_NE(colourOf(h, "Form16", "Text6_17", "backColor"), kMarked);
  // The first refused field in grid order gives the reason.
  EXPECT_EQ(text(h, "Form16", "Text15"), "Valore mancante nel campo evidenziato: nulla e' stato inviato");
  h.advance(600);  // the reason stays on the message line while a field is marked
  EXPECT_EQ(text(h, "Form16", "Text15"), "Valore mancante nel campo evidenziato: nulla e' stato inviato");
  EXPECT_TRUE(enabled(h, "Form16", "Command7"));  // still editing
  EXPECT_FALSE(h.shared().calib.wholeTableFill);
  // Mending the fields clears the marks and the message; the store then goes out.
  h.setText("Form16", "Text6_16", "255");
  h.setText("Form16", "Text6_3", "3000");
  h.setText("Form16", "Text6_9", "3500");
  EXPECT_EQ(colourOf(h, "Form16", "Text6_16", "backColor"), QColor(255, 255, 255));
  h.advance(300);
  EXPECT_NE(text(h, "Form16", "Text15").left(6), "Valore");
  h.click("Form16", "Command7");
  h.advance(400);
  EXPECT_EQ(writesSent(h, 9), (std::vector<std::pair<int, int>>{{1, 255}, {2, 111}}));
}

TEST(Entries, ARefusalEndsAtTheNextEditAndKeepsTheLayout) {
  const char* reason[] = {"", "Valore fuori campo nel campo evidenziato: nulla e' stato inviato",
                          "A highlighted field holds a value out of range: nothing was sent",
                          "Isaretli alandaki deger aralik disinda: hicbir sey gonderilmedi"};
  for (int lang = 1; lang <= 3; ++lang) {
    Harness h;
    openCalibration(h, 2 + lang);
    h.setText("Form16", "Text6_16", "300");
    h.setText("Form16", "Text6_17", "301");
    h.click("Form16", "Command7");
    ASSERT_EQ(text(h, "Form16", "Text15"), reason[lang]);
    EXPECT_TRUE(layoutProblems(h.window("Form16")).isEmpty()) << layoutProblems(h.window("Form16")).join('\n').toStdString();
    // Mending one field ends the message; the other keeps its mark while it holds the refused text.
    h.setText("Form16", "Text6_16", "120");
    EXPECT_NE(text(h, "Form16", "Text15"), reason[lang]);
    EXPECT_NE(colourOf(h, "Form16", "Text6_16", "backColor"), kMarked);
    EXPECT_EQ(colourOf(h, "Form16", "Text6_17", "backColor"), kMarked);
    // Shown again from the ECU on return to the window: no refused text, no mark.
    h.activate("Form2");
    h.activate("Form16");
    EXPECT_EQ(grid(h, 17), "115");
    EXPECT_NE(colourOf(h, "Form16", "Text6_17", "backColor"), kMarked);
  }
  // A guided function started after a refused store shows its own prompt.
  Harness h;
  h.ecu()->engine().setRpm(800);
  h.ecu()->setParam(13, 0);  // warm enough at once: no change-over text on the message line
  openCalibration(h);
  h.setText("Form16", "Text6_16", "");
  h.click("Form16", "Command7");
  h.setScroll("Form16", "VScroll5", 3);
  h.click("Form16", "Command4");
  EXPECT_EQ(colourOf(h, "Form16", "Text6_16", "backColor"), QColor(255, 255, 255));
  h.advance(300);
  EXPECT_EQ(text(h, "Form16", "Text15"), "Premere MODIFICA quando pronti");
}

TEST(Entries, AnAxisPointBeyondSixteenBitsIsNeverWrapped) {
  Harness h;
  openCalibration(h);
  h.setText("Form16", "Text6_7", "70000");
  h.clearSent();
  h.click("Form16", "Command7");
  h.advance(500);
  EXPECT_TRUE(h.sentWithCommand(2).empty());
  EXPECT_EQ(h.ecu()->param(41), 7000);
  EXPECT_EQ(colourOf(h, "Form16", "Text6_7", "backColor"), kMarked);
}

TEST(Entries, CorrectiveBeyondItsScrollRangeIsRefused) {
  Harness h;
  openCalibration(h, 4);  // English
  h.setText("Form16", "Text19", "7");  // temperature variation, 0-3
  EXPECT_EQ(h.control<QScrollBar>("Form16", "VScroll3")->value(), 0);  // the bar cannot show 7
  h.clearSent();
  h.click("Form16", "Command7");
  h.advance(300);
  EXPECT_TRUE(h.sentWithCommand(2).empty());
  EXPECT_EQ(text(h, "Form16", "Text15"), "A highlighted field holds a value out of range: nothing was sent");
  h.setText("Form16", "Text19", "2");
  EXPECT_EQ(h.control<QScrollBar>("Form16", "VScroll3")->value(), 2);  // typed in range: the bar follows
  h.click("Form16", "Command7");
  h.advance(300);
  EXPECT_EQ(writesSent(h, 2), (std::vector<std::pair<int, int>>{{26, 2}}));
}

TEST(Entries, AnEmptyStoreValueIsRefused) {
  Harness h;
  openCalibration(h);
  h.setScroll("Form16", "VScroll5", 2);
  h.click("Form16", "Command4");
  h.setText("Form16", "Text9", "");
  h.clearSent();
  h.click("Form16", "Command7");
  h.advance(400);
  EXPECT_TRUE(h.sentWithCommand(2).empty());
  EXPECT_EQ(colourOf(h, "Form16", "Text9", "backColor"), kMarked);
  EXPECT_TRUE(h.shared().calib.storeRpm);  // the store is still running
}

TEST(EcuValues, CorrectiveOutsideItsScrollRangeIsShownAndLeftAlone) {
  Harness h;
  h.ecu()->setParam(26, 9);  // temperature variation, bar 0-3
  h.ecu()->setParam(24, 12);  // lambda variation, bar 0-8
  openCalibration(h);
  EXPECT_EQ(text(h, "Form16", "Text19"), "9");
  EXPECT_EQ(h.control<QScrollBar>("Form16", "VScroll3")->value(), 3);
  EXPECT_EQ(text(h, "Form16", "Text20"), "12");
  EXPECT_EQ(h.control<QScrollBar>("Form16", "VScroll2")->value(), 8);
  h.setText("Form16", "Text6_30", "109");
  h.clearSent();
  h.click("Form16", "Command7");
  h.advance(400);
  EXPECT_TRUE(h.sentWithCommand(2).empty());
  EXPECT_EQ(writesSent(h, 9), (std::vector<std::pair<int, int>>{{15, 109}}));
  EXPECT_EQ(h.ecu()->param(26), 9);
}

TEST(TrialKgb, WhatTheFieldShowsIsWhatPollingSendsAndTheFillWrites) {
  // 130 and 90 lie outside the trial range; above 255 is no valid KGB at all.
  for (int kgb : {130, 300, 90}) {
    HarnessOptions o;
    o.simulatedEcu = false;
    Harness h(o);
    CalibrationBlock block;
    block.kgbInUse = kgb;
    openCalibrationByHand(h, sim::factoryParameters(), 110, block);
    ASSERT_TRUE(h.window("Form16")) << kgb;
    int trial = text(h, "Form16", "Text11").toInt();
    EXPECT_EQ(trial, kgb > 115 ? 115 : 100) << kgb;
    EXPECT_EQ(h.control<QScrollBar>("Form16", "VScroll1")->value(), trial);
    h.clearSent();
    h.advance(300);
    auto polls = h.sentWithCommand(10);
    ASSERT_EQ(polls.size(), 1u);
    EXPECT_EQ(polls[0][5] * 256 + polls[0][6], trial);
    h.click("Form16", "Command11");
    h.advance(100);
    EXPECT_EQ(writesSent(h, 9), (std::vector<std::pair<int, int>>{{1, trial}})) << kgb;
  }
}

TEST(TrialKgb, ATypedValueOutsideTheRangeIsNotFilledAndClearsOnTheNextEdit) {
  HarnessOptions o;
  o.simulatedEcu = false;
  Harness h(o);
  openCalibrationByHand(h, sim::factoryParameters(), 110, CalibrationBlock{});
  h.click("Form16", "Command9");
  h.reply(answer(11, {}));
  h.advance(500);
  h.setText("Form16", "Text11", "130");
  EXPECT_EQ(colourOf(h, "Form16", "Text11", "backColor"), kMarked);  // not in effect
  h.clearSent();
  h.click("Form16", "Command11");
  h.advance(300);
  EXPECT_TRUE(h.sentWithCommand(9).empty());
  EXPECT_EQ(text(h, "Form16", "Text15"), "KGB TARATURA fuori campo 100-115: nulla e' stato inviato");
  auto polls = h.sentWithCommand(10);
  ASSERT_FALSE(polls.empty());
  EXPECT_EQ(polls.back()[6], 110);  // the ECU keeps the last valid trial
  h.setText("Form16", "Text11", "112");
  EXPECT_EQ(colourOf(h, "Form16", "Text11", "backColor"), QColor(0, 0, 0));
  EXPECT_NE(text(h, "Form16", "Text15").left(3), "KGB");
  h.click("Form16", "Command11");
  h.advance(100);
  EXPECT_EQ(writesSent(h, 9), (std::vector<std::pair<int, int>>{{1, 112}}));
}

TEST(EcuValues, MarkerAt720ForAnInjectionTimeOf0) {
  HarnessOptions o;
  o.simulatedEcu = false;
  Harness h(o);
  CalibrationBlock block;
  block.injectionTime = 0;
  block.rpm = 7500;
  openCalibrationByHand(h, sim::factoryParameters(), 115, block);
  h.advance(300);
  h.reply(block.frame());
  h.advance(300);
  QWidget* marker = h.control<QWidget>("Form16", "Shape1");
  EXPECT_EQ(marker->property("twipY").toInt(), 720);
  EXPECT_EQ(marker->property("twipX").toInt(), 7440);
  EXPECT_EQ(text(h, "Form16", "Text12"), "0");  // no average yet: the live value
  // Drawn inside the grid: the 80 fields span the rectangle from field 8's left to field 7's right.
  QRect gridArea = h.control<QWidget>("Form16", "Text6_0")->geometry().united(
      h.control<QWidget>("Form16", "Text6_79")->geometry()).united(h.control<QWidget>("Form16", "Text6_8")->geometry());
  EXPECT_TRUE(gridArea.contains(marker->geometry()));
}

TEST(EcuValues, CellEchoWithAnotherValueLeavesTheCellPendingAndRepeatsIt) {
  HarnessOptions o;
  o.simulatedEcu = false;
  Harness h(o);
  openCalibrationByHand(h, sim::factoryParameters(), 115, CalibrationBlock{});
  h.setText("Form16", "Text6_20", "108");  // cell 5
  h.clearSent();
  h.click("Form16", "Command7");
  h.advance(100);
  ASSERT_EQ(writesSent(h, 9), (std::vector<std::pair<int, int>>{{5, 108}}));
  h.reply(answer(9, {5, 107}));
  EXPECT_EQ(h.shared().cell(5).ecu, 115);
  h.advance(100);
  EXPECT_EQ(writesSent(h, 9), (std::vector<std::pair<int, int>>{{5, 108}, {5, 108}}));
  h.reply(answer(9, {5, 108}));
  EXPECT_EQ(grid(h, 20), "108");
  h.advance(100);
  EXPECT_EQ(h.sentWithCommand(9).size(), 2u);
  EXPECT_TRUE(enabled(h, "Form16", "Command5"));
}

TEST(EcuValues, MessageLineShowsTheStateTextWithItsThreshold) {
  HarnessOptions o;
  o.simulatedEcu = false;
  Harness h(o);
  CalibrationBlock block;
  block.state = 4;
  openCalibrationByHand(h, sim::factoryParameters(), 115, block);
  h.advance(300);
  EXPECT_EQ(text(h, "Form16", "Text15"), "B->G ATTESA GIRI MINORI DI SOGLIA  2100");
  block.state = 11;  // no text: a blank while no workflow runs
  h.reply(block.frame());
  h.advance(300);
  EXPECT_EQ(text(h, "Form16", "Text15"), " ");
}

}  // namespace
}  // namespace kelvo6::testing
