#include <gtest/gtest.h>

#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <algorithm>
#include <set>

#include "core/shared.h"
#include "link/requests.h"
#include "sim/ecu.h"
#include "status_support.h"

namespace kelvo6::testing {
namespace {

const QColor kYellow(255, 255, 0);

// The distinct state lines shown, polled once per tick for `ms`.
std::vector<QString> watchStateLine(Harness& h, int ms) {
  std::vector<QString> seen;
  for (int t = 0; t < ms; t += 300) {
    h.advance(300);
    QString line = text(h, "Text1")->text();
    if (seen.empty() || seen.back() != line) seen.push_back(line);
  }
  return seen;
}

bool contains(const std::vector<QString>& v, const QString& s) { return std::find(v.begin(), v.end(), s) != v.end(); }

TEST(StatusWindow, PollsEvery300msAndWatchesTheChangeOverToGas) {
  Harness h;
  h.ecu()->engine().setTemperature(46);  // a few degrees below the change-over temperature (50)
  h.ecu()->setParam(15, 900);            // overlap petrol to gas, long enough to be seen
  openStatus(h);
  ASSERT_TRUE(h.window("Form3"));
  EXPECT_EQ(h.window("Form3")->windowTitle(), "KELVO6 - Visualizza stato vettura");
  EXPECT_TRUE(h.control<QPushButton>("Form3", "Command2")->isEnabled());

  h.clearSent();
  h.advance(3000);
  EXPECT_EQ(h.sent().size(), 10u);
  EXPECT_EQ(h.sentWithCommand(3).size(), 10u);
  EXPECT_EQ(fill(h, "Shape6"), QColor(255, 0, 0));  // petrol at start
  EXPECT_EQ(fill(h, "Shape7"), QColor(0, 150, 0));
  int rpm = text(h, "Text6")->text().toInt();
  EXPECT_GT(rpm, 700);
  EXPECT_LT(rpm, 900);
  EXPECT_EQ(text(h, "Text5_4")->text(), "0");  // four injectors: the fifth never changes

  auto lines = watchStateLine(h, 90000);
  EXPECT_TRUE(contains(lines, "B->G ATTESA TEMPERATURA  50"));
  EXPECT_TRUE(contains(lines, "B->G ATTESA GIRI MAGGIORI DI SOGLIA  2300"));
  EXPECT_TRUE(contains(lines, "B->G ATTESA GIRI MINORI DI SOGLIA  2100"));
  EXPECT_TRUE(contains(lines, "B->G ATTESA TEMPO SOVRAPPOSIZIONE"));
  EXPECT_EQ(lines.back(), " ");  // running on gas: no state to report
  EXPECT_EQ(fill(h, "Shape6"), QColor(150, 0, 0));
  EXPECT_EQ(fill(h, "Shape7"), QColor(0, 255, 0));
  EXPECT_EQ(text(h, "Text5_4")->text(), "NC");
  EXPECT_FALSE(text(h, "Text5_12")->isEnabled());
}

TEST(StatusWindow, SecondGenerationTextsInEnglish) {
  Harness h;
  h.ecu()->setVersion(3, 5, 2);
  h.ecu()->engine().setTemperature(47);
  h.click("Form1", "Command4");
  openStatus(h);
  ASSERT_TRUE(h.window("Form3"));
  EXPECT_EQ(h.window("Form3")->windowTitle(), "KELVO6 - Display status of vehicle ");
  auto lines = watchStateLine(h, 90000);
  EXPECT_TRUE(contains(lines, "P->G WAITING TEMPERATURE ABOVE THRESHOLD  50"));
  EXPECT_TRUE(contains(lines, "P->G WAITING RPM ABOVE THRESHOLD  2300"));
  EXPECT_TRUE(contains(lines, "P->G WAITING RPM BELOW THRESHOLD  2100"));
  EXPECT_EQ(fill(h, "Shape7"), QColor(0, 255, 0));
}

TEST(StatusWindow, FuelSwitchIsRepeatedOnEachPollUntilAcknowledged) {
  Harness h;
  openStatus(h);
  ASSERT_TRUE(h.window("Form3"));
  h.ecu()->setSilent(true);
  h.clearSent();
  h.click("Form3", "Command2");
  ASSERT_EQ(h.sent().size(), 1u);
  EXPECT_EQ(h.sent()[0], link::switchFuel());
  EXPECT_FALSE(h.shared().received.fuelSwitchAck);
  h.advance(900);
  EXPECT_EQ(h.sentWithCommand(4).size(), 4u);
  EXPECT_TRUE(h.sentWithCommand(3).empty());
  h.ecu()->setSilent(false);
  h.advance(310);  // this switch request is answered
  EXPECT_TRUE(h.shared().received.fuelSwitchAck);
  EXPECT_EQ(h.sentWithCommand(4).size(), 5u);
  h.advance(590);
  EXPECT_EQ(h.sentWithCommand(4).size(), 5u);
  EXPECT_EQ(h.sentWithCommand(3).size(), 2u);
}

TEST(StatusWindow, SilentEcuIsReportedThenTheWindowAndTheMenuClose) {
  Harness h;
  openStatus(h);
  ASSERT_TRUE(h.window("Form3"));
  h.ecu()->setSilent(true);
  // The first watchdog period still finds the answers that came before.
  h.advance(3999);
  EXPECT_NE(text(h, "Text1")->text(), "COMUNICAZIONE INTERROTTA - CHIUDO FINESTRA DI VISUALIZZAZIONE");
  h.advance(1);
  EXPECT_EQ(h.shared().lostLinkCounter, 1);
  EXPECT_EQ(text(h, "Text1")->text(), "COMUNICAZIONE INTERROTTA - CHIUDO FINESTRA DI VISUALIZZAZIONE");
  h.advance(1999);  // the poll ticks go on but leave the warning on the line
  ASSERT_TRUE(h.window("Form3"));
  EXPECT_EQ(text(h, "Text1")->text(), "COMUNICAZIONE INTERROTTA - CHIUDO FINESTRA DI VISUALIZZAZIONE");
  h.advance(1);
  EXPECT_FALSE(h.window("Form3"));
  EXPECT_FALSE(h.window("Form2"));
  EXPECT_TRUE(h.window("Form1"));
  EXPECT_FALSE(h.programEnded());
  h.clearSent();
  h.advance(3000);
  EXPECT_TRUE(h.sent().empty());
}

TEST(StatusWindow, ASilentEcuIsLostInTheSameTimeWhetherOrNotASwitchIsPending) {
  for (bool switchPending : {false, true}) {
    SCOPED_TRACE(switchPending);
    Harness h;
    openStatus(h);
    ASSERT_TRUE(h.window("Form3"));
    h.ecu()->setSilent(true);
    if (switchPending) h.click("Form3", "Command2");
    h.advance(5999);  // the period still holding answers, then two silent ones
    ASSERT_TRUE(h.window("Form3"));
    h.advance(1);
    EXPECT_FALSE(h.window("Form3"));
    EXPECT_FALSE(h.window("Form2"));
  }
}

TEST(StatusWindow, ASlowFuelSwitchAcknowledgementWithAnswersFlowingKeepsTheWindow) {
  HarnessOptions o;
  o.simulatedEcu = false;
  Harness h(o);
  Live v;
  openStatusByHand(h, {{1, 4}}, v);
  ASSERT_TRUE(h.window("Form3"));
  h.clearSent();
  h.click("Form3", "Command2");
  for (int i = 0; i < 20; ++i) feed(h, v);  // 6 s of answers, none of them the acknowledgement
  ASSERT_TRUE(h.window("Form3"));
  EXPECT_EQ(h.shared().lostLinkCounter, 0);
  EXPECT_TRUE(h.sentWithCommand(3).empty());  // the described traffic: switch requests only
  EXPECT_GE(h.sentWithCommand(4).size(), 20u);
  h.reply(link::buildRequest(4));
  EXPECT_TRUE(h.shared().received.fuelSwitchAck);
}

TEST(StatusWindow, AnsweringEcuKeepsTheWatchdogQuiet) {
  Harness h;
  h.click("Form1", "Command5");  // Turkish
  openStatus(h);
  h.advance(20000);
  ASSERT_TRUE(h.window("Form3"));
  EXPECT_EQ(h.shared().lostLinkCounter, 0);
  // A short break: one warning, then the link is back and the window stays.
  h.ecu()->setSilent(true);
  h.advance(2100);
  EXPECT_EQ(h.shared().lostLinkCounter, 1);
  EXPECT_EQ(text(h, "Text1")->text(), "ILETISIM KESILDI - PENCERE KAPATILIYOR");
  h.ecu()->setSilent(false);
  h.advance(4000);
  ASSERT_TRUE(h.window("Form3"));
  EXPECT_EQ(h.shared().lostLinkCounter, 0);
  EXPECT_NE(text(h, "Text1")->text(), "ILETISIM KESILDI - PENCERE KAPATILIYOR");
  h.click("Form3", "Command1");
  EXPECT_FALSE(h.window("Form3"));
  EXPECT_TRUE(h.window("Form2"));  // back at the main menu
}

TEST(StatusWindow, NotConnectedShowsAStaticScreen) {
  Harness h;
  h.click("Form1", "Command4");
  h.click("Form1", "Command7");
  h.click("Form1", "Command1");
  h.click("Form2", "Command3");
  ASSERT_TRUE(h.window("Form3"));
  EXPECT_EQ(h.window("Form3")->windowTitle(), "KELVO6 - Display status of vehicle Not connected");
  EXPECT_FALSE(h.control<QPushButton>("Form3", "Command2")->isEnabled());
  h.advance(3000);
  EXPECT_TRUE(h.sent().empty());
  for (const char* s : {"Shape1_18", "Shape1_19", "Shape5_18", "Shape5_19", "Shape2_0", "Shape3_0", "Shape3_1",
                        "Shape4_0", "Shape4_1", "Shape6", "Shape7"})
    EXPECT_EQ(fill(h, s), kYellow) << s;
  EXPECT_EQ(fill(h, "Shape1_0"), QColor(150, 0, 0));
  EXPECT_EQ(fill(h, "Shape1_10"), QColor(0, 190, 0));
  EXPECT_EQ(fill(h, "Shape3_2"), QColor(150, 0, 0));
  EXPECT_EQ(fill(h, "Shape2_1"), QColor(150, 0, 0));
  EXPECT_EQ(fill(h, "Shape2_4"), QColor(0, 150, 0));
  for (const char* f : {"Text2", "Text3", "Text6", "Text10", "Text5_0", "Text5_15"})
    EXPECT_EQ(text(h, f)->text(), "0") << f;
  EXPECT_EQ(h.control<QPushButton>("Form3", "Command1")->text(), "EXIT");
  EXPECT_EQ(h.control<QPushButton>("Form3", "Command2")->text(), "Switch");
}

TEST(StatusWindow, FieldsBarsAndCaptionsFromTheAnswers) {
  HarnessOptions o;
  o.simulatedEcu = false;
  Harness h(o);
  h.click("Form1", "Command4");  // English
  Live v;
  v.lambda1 = 450;
  v.level = 600;
  openStatusByHand(h, {{1, 4}, {3, 2}, {50, 2}, {19, 200}, {20, 1000}, {57, 0}, {62, 1}, {12, 2300}, {13, 50}}, v);
  ASSERT_TRUE(h.window("Form3"));
  EXPECT_EQ(h.control<QGroupBox>("Form3", "Frame2")->title(), "OXYGEN sensor - 0-1V Straight mV");
  EXPECT_EQ(h.control<QLabel>("Form3", "Label12")->text(), "CNG");
  EXPECT_EQ(h.control<QLabel>("Form3", "Label28")->text(), "LEAN");
  EXPECT_FALSE(h.control<QGroupBox>("Form3", "Frame11")->isVisibleTo(h.window("Form3")));
  EXPECT_FALSE(h.control<QGroupBox>("Form3", "Frame8")->isVisibleTo(h.window("Form3")));
  EXPECT_FALSE(h.control<QGroupBox>("Form3", "Frame10")->isVisibleTo(h.window("Form3")));

  v.kgbTable = 105;
  v.kgbCorrected = 120;
  v.state = 3;
  v.fuelFlag = 0;
  v.temperature2Raw = 130;
  v.pressure2 = 10;
  feed(h, v);
  EXPECT_EQ(text(h, "Text5_0")->text(), "3000");
  EXPECT_EQ(text(h, "Text5_8")->text(), "3600");
  EXPECT_EQ(text(h, "Text7")->text(), "105");
  EXPECT_EQ(text(h, "Text9")->text(), "120");
  EXPECT_EQ(text(h, "Text3")->text(), "450");
  EXPECT_EQ(text(h, "Text2")->text(), "450");  // the average starts at the reading on opening
  EXPECT_EQ(text(h, "Text4")->text(), "600");
  EXPECT_EQ(text(h, "Text11")->text(), "90");
  EXPECT_EQ(text(h, "Text6")->text(), "800");
  EXPECT_EQ(text(h, "Text1")->text(), "P->G WAITING RPM ABOVE THRESHOLD  2300");
  EXPECT_EQ(fill(h, "Shape7"), QColor(0, 255, 0));
  EXPECT_EQ(fill(h, "Shape6"), QColor(150, 0, 0));

  h.advance(100);  // the bar tick
  EXPECT_EQ(fill(h, "Shape1_10"), kYellow);
  EXPECT_EQ(fill(h, "Shape1_11"), kYellow);
  EXPECT_EQ(fill(h, "Shape1_9"), QColor(0, 190, 0));
  EXPECT_EQ(fill(h, "Shape1_12"), QColor(50, 150, 0));
  for (int i = 0; i < 16; ++i)  // 600 mV between 200 and 1000: segments 0-8 lit
    EXPECT_EQ(fill(h, QStringLiteral("Shape2_%1").arg(i)),
              i < 4 ? QColor(255, 0, 0) : i <= 8 ? QColor(0, 255, 0) : QColor(0, 150, 0))
        << i;
  EXPECT_EQ(fill(h, "Shape3_7"), kYellow);   // 1200 mbar
  EXPECT_EQ(fill(h, "Shape3_9"), QColor(150, 0, 0));
  EXPECT_EQ(fill(h, "Shape4_5"), QColor(150, 0, 0));  // no second sensor: its bar is never drawn

  // A state the version does not list clears the line.
  v.state = 11;
  feed(h, v);
  EXPECT_EQ(text(h, "Text1")->text(), " ");
}

TEST(StatusWindow, SensorsWithoutReadingTurnNcAfterTheirLimits) {
  HarnessOptions o;
  o.simulatedEcu = false;
  Harness h(o);
  Live v;
  openStatusByHand(h, {{1, 4}, {3, 2}, {50, 2}, {57, 1}}, v);
  ASSERT_TRUE(h.window("Form3"));
  EXPECT_TRUE(h.control<QGroupBox>("Form3", "Frame11")->isVisibleTo(h.window("Form3")));
  v.temperature2Raw = 0;
  v.pressure1 = 10;
  v.lambda2 = 5;
  v.rpm = 0;
  for (int tick = 1; tick <= 100; ++tick) {
    // Injector 1 keeps changing; injector 2 holds 3010 from the first tick on.
    v.petrol[0] = 3000 + tick % 2;
    feed(h, v);
    if (tick == 10) {
      EXPECT_EQ(text(h, "Text6")->text(), "0");
      EXPECT_TRUE(text(h, "Text6")->isEnabled());
    }
    if (tick == 11) {
      // Engine speed 0 from the first tick on, as it was before: still for 11 ticks.
      EXPECT_EQ(text(h, "Text6")->text(), "NC");
      EXPECT_FALSE(text(h, "Text6")->isEnabled());
      EXPECT_EQ(text(h, "Text5_1")->text(), "3010");  // the first tick set it; ten unchanged ticks keep it
    }
    if (tick == 12) {
      EXPECT_EQ(text(h, "Text5_1")->text(), "NC");  // the 11th tick without a change
      EXPECT_FALSE(text(h, "Text5_9")->isEnabled());
      EXPECT_TRUE(text(h, "Text5_0")->isEnabled());
    }
    if (tick == 20) {
      EXPECT_EQ(text(h, "Text10")->text(), "10");
    }
    if (tick == 21) {
      EXPECT_EQ(text(h, "Text10")->text(), "NC");
      EXPECT_FALSE(text(h, "Text10")->isEnabled());
    }
  }
  EXPECT_EQ(text(h, "Text11")->text(), "-40");
  EXPECT_TRUE(text(h, "Text11")->isEnabled());
  EXPECT_EQ(text(h, "Text13")->text(), "5");
  feed(h, v);  // the 101st tick
  EXPECT_EQ(text(h, "Text11")->text(), "NC");
  EXPECT_FALSE(text(h, "Text11")->isEnabled());
  EXPECT_EQ(text(h, "Text13")->text(), "NC");
  EXPECT_EQ(text(h, "Text14")->text(), "NC");
  h.advance(100);  // a bar tick leaves the grey lambda 2 bar alone
  for (int i = 0; i < 20; ++i) EXPECT_EQ(fill(h, QStringLiteral("Shape5_%1").arg(i)), QColor(190, 190, 190)) << i;

  // The first fresh readings bring the fields back.
  v.temperature2Raw = 100;
  v.pressure1 = 1300;
  v.lambda2 = 700;
  v.rpm = 810;
  v.petrol[1] = 3020;
  feed(h, v);
  EXPECT_EQ(text(h, "Text11")->text(), "60");
  EXPECT_TRUE(text(h, "Text11")->isEnabled());
  EXPECT_EQ(text(h, "Text10")->text(), "1300");
  EXPECT_TRUE(text(h, "Text13")->isEnabled());
  EXPECT_EQ(text(h, "Text6")->text(), "810");
  EXPECT_TRUE(text(h, "Text6")->isEnabled());
  EXPECT_EQ(text(h, "Text5_1")->text(), "3020");
  EXPECT_TRUE(text(h, "Text5_9")->isEnabled());
}

TEST(StatusWindow, StillEngineSpeedGreysOutAndCutoffKeepsTheInjectors) {
  HarnessOptions o;
  o.simulatedEcu = false;
  Harness h(o);
  Live v;
  openStatusByHand(h, {{1, 4}}, v);
  v.state = 8;  // cutoff: unchanged injection times are expected
  for (int tick = 1; tick <= 12; ++tick) feed(h, v);
  EXPECT_EQ(text(h, "Text6")->text(), "800");
  EXPECT_FALSE(text(h, "Text6")->isEnabled());
  EXPECT_EQ(text(h, "Text5_0")->text(), "3000");
  EXPECT_TRUE(text(h, "Text5_0")->isEnabled());
}

TEST(StatusWindow, CountersCarryOverWhenTheWindowIsOpenedAgain) {
  HarnessOptions o;
  o.simulatedEcu = false;
  Harness h(o);
  Live v;
  v.pressure1 = 10;
  openStatusByHand(h, {{1, 4}}, v);
  for (int tick = 1; tick <= 15; ++tick) feed(h, v);
  h.click("Form3", "Command1");
  ASSERT_FALSE(h.window("Form3"));
  h.click("Form2", "Command3");
  h.reply(liveFrame(v));
  h.advance(500);
  ASSERT_TRUE(h.window("Form3"));
  for (int tick = 16; tick <= 20; ++tick) feed(h, v);
  EXPECT_EQ(text(h, "Text10")->text(), "10");
  feed(h, v);  // the 21st tick with no pressure reading, across the two openings
  EXPECT_EQ(text(h, "Text10")->text(), "NC");
}

}  // namespace
}  // namespace kelvo6::testing
