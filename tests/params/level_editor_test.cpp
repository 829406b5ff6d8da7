// The level indicator editor: readings, scroll bars, learning the limits from
// the live reading, and the simulated dashboard lamps.

#include <gtest/gtest.h>

#include "params_support.h"

namespace kelvo6::testing {
namespace {

const QColor kRedLit(255, 0, 0), kRedDark(192, 0, 0), kGreenLit(0, 255, 0), kGreenDark(0, 192, 0);

// Opens the editor and completes an empty write, which starts the live display.
void openLive(Harness& h, const std::function<void(sim::Ecu&)>& setUp = {}) {
  openHub(h, setUp);
  h.click("Form5", "Command4");
  h.click("Form14", "Option2");
  h.click("Form14", "Command2");
  h.advance(300);  // nothing to write: read mode, live display running
}

TEST(LevelEditor, ShowsLimitsThresholdsAndTheirReadings) {
  Harness h;
  openHub(h);
  h.click("Form5", "Command4");
  EXPECT_EQ(text(h, "Form14", "Text1"), "0");
  EXPECT_EQ(text(h, "Form14", "Text2"), "5000");
  EXPECT_EQ(text(h, "Form14", "Text4"), "30");
  EXPECT_EQ(h.control<QScrollBar>("Form14", "VScroll2")->value(), 30);
  EXPECT_EQ(h.control<QLabel>("Form14", "Label14")->text(), "1500");
  EXPECT_EQ(h.control<QLabel>("Form14", "Label23")->text(), "SWT 318");
  EXPECT_FALSE(h.control<QWidget>("Form14", "Shape5")->isVisibleTo(h.window("Form14")));
  EXPECT_FALSE(h.control<QPushButton>("Form14", "Command3")->isEnabled());
  EXPECT_FALSE(h.control<QScrollBar>("Form14", "VScroll2")->isEnabled());
}

TEST(LevelEditor, ScrollBarWritesItsFieldAndReading) {
  Harness h;
  openHub(h);
  h.click("Form5", "Command4");
  h.click("Form14", "Option2");
  h.setScroll("Form14", "VScroll2", 45);
  EXPECT_EQ(text(h, "Form14", "Text4"), "45");
  EXPECT_EQ(h.control<QLabel>("Form14", "Label14")->text(), "2250");
  h.clearSent();
  h.click("Form14", "Command2");
  h.advance(900);
  EXPECT_EQ(writtenParameters(h), (std::vector<int>{17}));
  EXPECT_EQ(h.ecu()->param(17), 45);
  EXPECT_TRUE(checked(h, "Form14", "Option1"));
}

TEST(LevelEditor, ModifyWritesInOrderMinMaxThenThresholds) {
  Harness h;
  openHub(h);
  h.click("Form5", "Command4");
  h.click("Form14", "Option2");
  h.setText("Form14", "Text5", "70");
  h.setText("Form14", "Text2", "4500");
  h.setText("Form14", "Text1", "200");
  h.clearSent();
  h.click("Form14", "Command2");
  h.advance(1200);
  EXPECT_EQ(writtenParameters(h), (std::vector<int>{19, 20, 18}));
  EXPECT_EQ(h.control<QLabel>("Form14", "Label17")->text(), "3210");  // 200 + 4300 * 70 %
}

TEST(LevelEditor, LearningTheMinimumSendsOnlyThatLimit) {
  Harness h;
  openLive(h, [](sim::Ecu& e) { e.engine().setLevel(420); });
  h.advance(600);
  EXPECT_EQ(text(h, "Form14", "Text6"), "420");
  h.click("Form14", "Option2");
  h.clearSent();
  h.click("Form14", "Command4");
  EXPECT_FALSE(h.control<QPushButton>("Form14", "Command3")->isEnabled());
  h.advance(1200);
  EXPECT_EQ(writtenParameters(h), (std::vector<int>{19}));
  EXPECT_EQ(h.ecu()->param(19), 420);
  EXPECT_EQ(text(h, "Form14", "Text1"), "420");
  EXPECT_TRUE(checked(h, "Form14", "Option1"));
  EXPECT_FALSE(h.sentWithCommand(3).empty());  // live display running again
}

TEST(LevelEditor, LearningWithoutALiveReadingIsRefused) {
  Harness h;
  openHub(h);
  h.click("Form5", "Command4");
  h.click("Form14", "Option2");
  h.clearSent();
  h.click("Form14", "Command3");
  h.advance(1200);
  EXPECT_TRUE(h.sent().empty());
  EXPECT_EQ(h.control<QLabel>("Form14", "MessageLine")->text(),
            "Nessuna lettura del livello ancora: compare in Livello attuale dopo aver premuto Modifica.");
  EXPECT_FALSE(h.control<QWidget>("Form14", "Text6")->property("backColor").isValid());  // not an entry
  EXPECT_EQ(h.ecu()->param(20), 5000);
}

TEST(LevelEditor, ActualLevelWaitsForTheEcusAnswer) {
  Harness h;
  openHub(h, [](sim::Ecu& e) { e.engine().setLevel(2100); });
  h.click("Form5", "Command4");
  h.ecu()->setSilent(true);
  h.click("Form14", "Option2");
  h.click("Form14", "Command2");
  h.advance(1500);  // the live display asks, nothing answers
  EXPECT_FALSE(h.sentWithCommand(3).empty());
  EXPECT_EQ(text(h, "Form14", "Text6"), "");  // not the stored 0
  h.click("Form14", "Option2");
  h.click("Form14", "Command4");
  h.advance(900);
  EXPECT_TRUE(h.sentWithCommand(2).empty());  // nothing to learn yet
  h.ecu()->setSilent(false);
  h.advance(900);
  EXPECT_EQ(text(h, "Form14", "Text6"), "2100");
}

TEST(LevelEditor, LampsFollowTheLiveLevel) {
  Harness h;
  openLive(h, [](sim::Ecu& e) { e.engine().setLevel(1499); });
  h.advance(600);
  EXPECT_EQ(fill(h, "Form14", "Shape1"), kRedLit);
  EXPECT_EQ(fill(h, "Form14", "Shape2"), kGreenLit);
  EXPECT_EQ(fill(h, "Form14", "Shape3"), kGreenDark);
  h.ecu()->engine().setLevel(1500);
  h.advance(600);
  EXPECT_EQ(fill(h, "Form14", "Shape3"), kGreenLit);
  EXPECT_EQ(fill(h, "Form14", "Shape4"), kGreenDark);
}

TEST(LevelEditor, ReserveLampBlinksThreeTicksDarkThreeLit) {
  Harness h;
  openLive(h, [](sim::Ecu& e) { e.engine().setLevel(100); });
  h.advance(600);  // the first request, then the first tick with its answer in
  std::string seen;
  for (int tick = 0; tick < 6; ++tick) {
    h.advance(300);
    seen += fill(h, "Form14", "Shape1") == kRedLit ? 'L' : '.';
  }
  EXPECT_EQ(seen, ".LLL..");
  EXPECT_EQ(fill(h, "Form14", "Shape2"), kGreenDark);
}

TEST(LevelEditor, FourLampModelShowsItsExtraLampAndReserveField) {
  Harness h;
  openLive(h, [](sim::Ecu& e) {
    e.setParam(58, 2);
    e.engine().setLevel(450);
  });
  QWidget* w = h.window("Form14");
  EXPECT_TRUE(h.control<QWidget>("Form14", "Shape5")->isVisibleTo(w));
  EXPECT_TRUE(h.control<QWidget>("Form14", "Text7")->isVisibleTo(w));
  EXPECT_EQ(text(h, "Form14", "Text7"), "8");  // the reserve threshold the lamps use
  EXPECT_EQ(h.control<QLabel>("Form14", "Label22")->text(), "Soglia Ris->1/4");
  EXPECT_EQ(h.control<QLabel>("Form14", "Label23")->text(), "SWT 627");
  h.advance(600);
  EXPECT_EQ(fill(h, "Form14", "Shape5"), kGreenLit);  // past 8 % of 5000
  EXPECT_EQ(fill(h, "Form14", "Shape2"), kGreenDark);
  EXPECT_EQ(fill(h, "Form14", "Shape1"), kRedLit);
}

TEST(LevelEditor, TurkishTextsAreSetOnActivation) {
  Harness h;
  openHub(h, {}, 3);
  h.click("Form5", "Command4");
  EXPECT_EQ(h.window("Form14")->windowTitle(), "KELVO6 - Gaz Seviye Gostergesi Degerleri");
  EXPECT_EQ(h.control<QPushButton>("Form14", "Command3")->text(), "Maksimum Deger Olarak Belirle");
  EXPECT_EQ(h.control<QLabel>("Form14", "Label3")->text(), "Doluluk Orani 0->1/3");
  EXPECT_EQ(h.control<QLabel>("Form14", "Label19")->text(), "Seviye");
}

}  // namespace
}  // namespace kelvo6::testing
