#include <gtest/gtest.h>

#include <QDir>
#include <QImage>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>
#include <functional>

#include "core/shared.h"
#include "link/requests.h"
#include "sim/ecu.h"
#include "support/harness.h"

namespace kelvo6::testing {
namespace {

const QColor kRed(255, 0, 0);
const QColor kGreen(0, 255, 0);
constexpr int kTick = 200;

QString lampName(int n) { return QStringLiteral("Shape1_%1").arg(n); }
QColor lamp(Harness& h, int n) { return h.control<QWidget>("Form9", lampName(n))->property("fillColor").value<QColor>(); }
bool shown(Harness& h, const QString& name) {
  QWidget* w = h.control<QWidget>("Form9", name);
  return w && w->isVisibleTo(h.window("Form9"));
}
QString message(Harness& h) { return h.control<QLabel>("Form9", "Label12")->text(); }

// Connected through the handshake, then TEST EOL on the main menu.
void openEndOfLine(Harness& h) {
  h.click("Form1", "Command1");
  if (h.ecu()) {
    h.advance(2500);
  } else {
    // Nothing answers by itself: play the handshake's answers by hand.
    h.advance(50);
    h.reply(link::buildRequest(link::kReadSoftwareVersion, {1, 2, 3}));
    h.advance(50);
    h.reply(link::buildRequest(link::kReadParameterSet, Frame(124, 0)));
    h.advance(1000);
    h.reply(link::buildRequest(link::kReadTable, Frame(64, 100)));
    h.advance(1000);
  }
  ASSERT_TRUE(h.control<QPushButton>("Form2", "Command2")->isEnabled());
  h.click("Form2", "Command2");
  ASSERT_TRUE(h.window("Form9"));
  h.clearSent();
}

Frame ack() { return link::buildRequest(link::kStartEndOfLineTest, {}); }
Frame report(int state, const std::array<int, 8>& injectors = {}, const std::array<int, 9>& checks = {}) {
  Frame d{static_cast<std::uint8_t>(state)};
  for (int v : injectors) d.push_back(static_cast<std::uint8_t>(v));
  for (int v : checks) d.push_back(static_cast<std::uint8_t>(v));
  return link::buildRequest(link::kReadEndOfLineData, d);
}

// Ticks until `done` holds (at most `limit` ticks), noting each new prompt.
void tickUntil(Harness& h, std::vector<QString>& prompts, const std::function<bool()>& done, int limit = 200) {
  for (int i = 0; i < limit && !done(); ++i) {
    h.advance(kTick);
    if (prompts.empty() || prompts.back() != message(h)) prompts.push_back(message(h));
  }
}

TEST(EndOfLineWindow, OpensIdleWithFourCylindersAndRedLamps) {
  Harness h;
  openEndOfLine(h);
  QWidget* w = h.window("Form9");
  EXPECT_EQ(w->windowTitle(), "KELVO6 - EndOfLine");
  EXPECT_EQ(w->property("backColor").value<QColor>(), QColor(225, 225, 225));
  EXPECT_EQ(h.control<QWidget>("Form9", "Frame2")->property("backColor").value<QColor>(), QColor(225, 225, 225));
  EXPECT_EQ(message(h), "SELEZIONARE IL NUMERO DI CILINDRI PRIMA DI INIZIARE IL TEST");
  EXPECT_EQ(h.control<QPushButton>("Form9", "Command2")->text(), "EOL");
  EXPECT_TRUE(h.control<QPushButton>("Form9", "Command2")->isEnabled());
  EXPECT_TRUE(h.control<QRadioButton>("Form9", "Option1_0")->isChecked());
  for (int n = 0; n <= 60; ++n) {
    bool visible = n <= 15 || (n >= 32 && n <= 58);
    EXPECT_EQ(shown(h, lampName(n)), visible) << n;
    if (visible) {
      EXPECT_EQ(lamp(h, n), kRed) << n;
    }
  }
  for (int row = 1; row <= 8; ++row) EXPECT_EQ(shown(h, QStringLiteral("RowLabel_%1").arg(row)), row <= 4) << row;
  h.advance(2000);
  EXPECT_TRUE(h.sent().empty()) << "nothing is polled before the start button";
}

// The whole production run against the simulated ECU with an operator at the key.
TEST(EndOfLineWindow, FullRunFromCylinderChoiceToResetOkAndAgain) {
  Harness h;
  openEndOfLine(h);
  sim::Ecu& ecu = *h.ecu();
  h.click("Form9", "Option1_2");
  h.click("Form9", "Command2");
  ASSERT_FALSE(h.sent().empty());
  EXPECT_EQ(h.sent().front(), link::startEndOfLineTest(8));
  EXPECT_EQ(ecu.selfTest().cylinders(), 8);

  std::vector<QString> prompts;
  tickUntil(h, prompts, [&] { return message(h) == "CHIAVE OFF ENTRO 8 SEC"; });
  ecu.selfTest().setKeyOff(true, h.nowMs());
  tickUntil(h, prompts, [&] { return message(h) == "CHIAVE OFF - PORTARLA SU ON"; });
  ecu.selfTest().setKeyOff(false, h.nowMs());
  tickUntil(h, prompts, [&] { return message(h) == "RESET OK"; });

  const std::vector<QString> expected{
      "TEST IN CORSO",          "CHIAVE OFF ENTRO 10 SEC", "CHIAVE OFF ENTRO 9 SEC", "CHIAVE OFF ENTRO 8 SEC",
      "CHIAVE OFF ENTRO 7 SEC", "CHIAVE OFF ENTRO 6 SEC",  "CHIAVE OFF - PORTARLA SU ON",
      "RESET PARAMETRI EEPROM", "ATTENDERE RESET ECU 0",   "ATTENDERE RESET ECU 1",
      "ATTENDERE RESET ECU 2",  "ATTENDERE RESET ECU 3",   "RESET OK"};
  EXPECT_EQ(prompts, expected);
  // Everything passed, and the reset lit POWER LATCH and WATCH DOG.
  for (int n = 0; n <= 60; ++n) EXPECT_EQ(lamp(h, n), kGreen) << n;
  // One start, then only reads; polling has stopped.
  EXPECT_EQ(h.sentWithCommand(link::kStartEndOfLineTest).size(), 1u);
  EXPECT_EQ(h.sentWithCommand(link::kReadEndOfLineData).size(), h.sent().size() - 1);
  std::size_t sentAtEnd = h.sent().size();
  h.advance(3000);
  EXPECT_EQ(h.sent().size(), sentAtEnd);
  EXPECT_EQ(message(h), "RESET OK");

  // The start button begins a new test.
  h.click("Form9", "Command2");
  EXPECT_EQ(h.sent().back(), link::startEndOfLineTest(8));
  for (int n = 0; n <= 60; ++n) EXPECT_EQ(lamp(h, n), kRed) << n;
  h.advance(kTick);
  EXPECT_EQ(message(h), "TEST IN CORSO");
  EXPECT_EQ(h.sent().back(), link::readEndOfLineData());
  h.advance(2200);
  EXPECT_EQ(message(h), "CHIAVE OFF ENTRO 10 SEC");
}

TEST(EndOfLineWindow, StartIsRepeatedEveryTickUntilAcknowledgedThenReadsMarkAnAnswerPending) {
  Harness h({.simulatedEcu = false});
  openEndOfLine(h);
  h.click("Form9", "Option1_1");
  h.click("Form9", "Command2");
  h.advance(3 * kTick);
  ASSERT_EQ(h.sent().size(), 4u);
  for (const Frame& f : h.sent()) EXPECT_EQ(f, link::startEndOfLineTest(6));
  EXPECT_EQ(message(h), "TEST IN CORSO");

  h.reply(ack());
  h.advance(kTick);
  EXPECT_EQ(h.sent().back(), link::readEndOfLineData());
  EXPECT_TRUE(h.shared().received.eolAnswerPending);
  h.reply(report(1));
  EXPECT_FALSE(h.shared().received.eolAnswerPending);
  h.advance(4 * kTick);
  EXPECT_EQ(h.sentWithCommand(link::kStartEndOfLineTest).size(), 4u);
  EXPECT_EQ(h.sent().size(), 9u) << "one request per tick";
}

TEST(EndOfLineWindow, CountdownLosesASecondEveryFiveTicksAndStartsAgainWhenTheKeyStaysOn) {
  Harness h({.simulatedEcu = false});
  openEndOfLine(h);
  h.click("Form9", "Command2");
  h.reply(ack());
  h.advance(kTick);
  std::vector<QString> seen(1);  // seen[r]: the prompt after r ticks with results
  for (int r = 1; r <= 55; ++r) {
    h.reply(report(2));
    h.advance(kTick);
    seen.push_back(message(h));
  }
  EXPECT_EQ(seen[1], "CHIAVE OFF ENTRO 10 SEC");
  EXPECT_EQ(seen[4], "CHIAVE OFF ENTRO 10 SEC");
  EXPECT_EQ(seen[5], "CHIAVE OFF ENTRO 9 SEC");
  EXPECT_EQ(seen[45], "CHIAVE OFF ENTRO 1 SEC");
  EXPECT_EQ(seen[49], "CHIAVE OFF ENTRO 1 SEC");
  EXPECT_EQ(seen[50], "SEGNALE DI CHIAVE NON ABBASSATO. RIPROVARE");
  EXPECT_EQ(seen[51], "CHIAVE OFF ENTRO 10 SEC");
  EXPECT_EQ(seen[54], "CHIAVE OFF ENTRO 10 SEC");
  EXPECT_EQ(seen[55], "CHIAVE OFF ENTRO 9 SEC");
}

TEST(EndOfLineWindow, TenSilentTicksWithResultsMeanTheKeyIsOff) {
  Harness h({.simulatedEcu = false});
  openEndOfLine(h);
  h.click("Form9", "Command2");
  h.reply(ack());
  h.advance(kTick);
  std::array<int, 9> failing{};
  failing[8] = 1;
  h.reply(report(2, {}, failing));
  h.advance(kTick);
  EXPECT_EQ(lamp(h, 54), kRed);
  EXPECT_EQ(lamp(h, 53), kGreen);
  std::size_t reads = h.sentWithCommand(link::kReadEndOfLineData).size();
  for (int silent = 1; silent <= 9; ++silent) {
    h.advance(kTick);
    EXPECT_TRUE(message(h).startsWith("CHIAVE OFF ENTRO ")) << silent;
  }
  h.advance(kTick);
  EXPECT_EQ(message(h), "CHIAVE OFF - PORTARLA SU ON");
  EXPECT_EQ(h.sentWithCommand(link::kReadEndOfLineData).size(), reads + 10) << "reads go on while silent";
  EXPECT_EQ(lamp(h, 54), kRed) << "the display keeps the last results";

  // Key on again: the ECU answers with its EEPROM reset.
  h.reply(report(3, {}, failing));
  h.advance(kTick);
  EXPECT_EQ(message(h), "RESET PARAMETRI EEPROM");
  EXPECT_EQ(lamp(h, 55), kGreen);
}

TEST(EndOfLineWindow, StateZeroEndsTheTestOnlyAfterTheEcuReset) {
  Harness h({.simulatedEcu = false});
  openEndOfLine(h);
  h.click("Form9", "Command2");
  h.reply(ack());
  h.advance(kTick);
  h.reply(report(0));
  h.advance(kTick);
  EXPECT_EQ(message(h), "TEST IN CORSO");
  EXPECT_EQ(lamp(h, 56), kRed);

  h.reply(report(2));
  h.advance(kTick);
  EXPECT_EQ(lamp(h, 42), kGreen);
  h.reply(report(1));  // any other state: running again, all lamps red
  h.advance(kTick);
  EXPECT_EQ(message(h), "TEST IN CORSO");
  EXPECT_EQ(lamp(h, 42), kRed);

  h.reply(report(4));
  for (int i = 0; i < 5; ++i) h.advance(kTick);
  EXPECT_EQ(message(h), "ATTENDERE RESET ECU 1");
  EXPECT_EQ(lamp(h, 55), kGreen);
  h.reply(report(0));
  h.advance(kTick);
  EXPECT_EQ(message(h), "RESET OK");
  EXPECT_EQ(lamp(h, 56), kGreen);
  std::size_t sent = h.sent().size();
  h.advance(10 * kTick);
  EXPECT_EQ(h.sent().size(), sent);
}

TEST(EndOfLineWindow, SixCylindersHideRowsSevenAndEightAndRepaintTheInjectorLamps) {
  Harness h({.simulatedEcu = false});
  openEndOfLine(h);
  h.click("Form9", "Option1_2");
  h.click("Form9", "Command2");
  h.reply(ack());
  h.advance(kTick);
  h.reply(report(2));
  h.advance(kTick);
  EXPECT_EQ(lamp(h, 0), kGreen);

  h.click("Form9", "Option1_1");
  for (int n = 0; n <= 31; ++n) {
    EXPECT_EQ(shown(h, lampName(n)), n <= 23) << n;
    EXPECT_EQ(lamp(h, n), kRed) << n;
  }
  EXPECT_TRUE(shown(h, lampName(59)));
  EXPECT_FALSE(shown(h, lampName(60)));
  EXPECT_EQ(lamp(h, 60), kRed);
  EXPECT_TRUE(shown(h, "RowLabel_6"));
  EXPECT_FALSE(shown(h, "RowLabel_7"));
  EXPECT_FALSE(shown(h, "RowLabel_8"));
  EXPECT_EQ(lamp(h, 42), kGreen) << "check lamps are left as they were";
  EXPECT_EQ(h.control<QWidget>("Form9", "Option1_1")->property("foreColor").value<QColor>(), kRed);
  EXPECT_EQ(h.control<QWidget>("Form9", "Option1_2")->property("foreColor").value<QColor>(), QColor(0, 0, 255));
}

TEST(EndOfLineWindow, NotConnectedDisablesTheStartAndSendsNothing) {
  Harness h;
  h.click("Form1", "Command7");
  h.click("Form1", "Command1");
  h.click("Form2", "Command2");
  ASSERT_TRUE(h.window("Form9"));
  EXPECT_EQ(h.window("Form9")->windowTitle(), "KELVO6 - EndOfLine Non Connesso");
  EXPECT_FALSE(h.control<QPushButton>("Form9", "Command2")->isEnabled());
  h.click("Form9", "Command2");
  h.advance(3000);
  EXPECT_TRUE(h.sent().empty());
  EXPECT_EQ(message(h), "SELEZIONARE IL NUMERO DI CILINDRI PRIMA DI INIZIARE IL TEST");
  h.click("Form9", "Command1");
  EXPECT_FALSE(h.window("Form9"));
}

TEST(EndOfLineWindow, MainMenuPresetsTheReportBeforeOpening) {
  Harness h;
  h.click("Form1", "Command1");
  h.advance(2500);
  auto& e = h.shared().eol;
  e.injectorStatus.fill(0);
  e.checkBytes.fill(0);
  e.emulationFlags.fill(false);
  h.click("Form2", "Command2");
  ASSERT_TRUE(h.window("Form9"));
  for (int v : e.injectorStatus) EXPECT_EQ(v, 15);
  for (int v : e.checkBytes) EXPECT_EQ(v, 15);
  for (bool f : e.emulationFlags) EXPECT_TRUE(f);
}

// A test in progress goes on when the operator looks at another window and back.
TEST(EndOfLineWindow, ReturningToTheWindowDoesNotStopARunningTest) {
  Harness h;
  openEndOfLine(h);
  h.click("Form9", "Command2");
  h.advance(kTick);
  h.activate("Form2");
  h.activate("Form9");
  std::size_t sent = h.sent().size();
  h.advance(5 * kTick);
  EXPECT_EQ(h.sent().size(), sent + 5);
  h.click("Form9", "Command1");
  EXPECT_FALSE(h.window("Form9"));
  sent = h.sent().size();
  h.advance(5 * kTick);
  EXPECT_EQ(h.sent().size(), sent) << "EXIT stops polling";
}

// Results of an earlier test are not shown while a new one waits for its start.
TEST(EndOfLineWindow, NewTestDoesNotShowTheResultsOfTheLastOne) {
  Harness h({.simulatedEcu = false});
  openEndOfLine(h);
  h.click("Form9", "Command2");
  h.reply(ack());
  h.advance(kTick);
  h.reply(report(2));
  h.advance(kTick);
  ASSERT_EQ(lamp(h, 42), kGreen);
  h.click("Form9", "Command1");
  h.click("Form2", "Command2");
  h.click("Form9", "Command2");
  for (int i = 0; i < 12; ++i) {
    h.advance(kTick);
    EXPECT_EQ(message(h), "TEST IN CORSO") << i;
  }
  EXPECT_EQ(lamp(h, 42), kRed);
}

// What is drawn matches the lamp colours; with a failing EEPROM check only
// that lamp is red among the results.
TEST(EndOfLineWindow, DrawnLampsMatchTheirColoursDuringARunWithOneFailingCheck) {
  Harness h;
  openEndOfLine(h);
  h.ecu()->selfTest().failOneCheck();
  h.click("Form9", "Option1_2");
  h.click("Form9", "Command2");
  std::vector<QString> prompts;
  tickUntil(h, prompts, [&] { return message(h) == "CHIAVE OFF ENTRO 9 SEC"; });
  QWidget* w = h.window("Form9");
  QImage image = w->grab().toImage();
  if (qEnvironmentVariableIsSet("KELVO6_PNG_DIR"))
    image.save(QDir(qEnvironmentVariable("KELVO6_PNG_DIR")).filePath("form9-one-failing-check.png"));
  for (int n = 0; n <= 60; ++n) {
    QWidget* l = h.control<QWidget>("Form9", lampName(n));
    QColor expected = (n == 54 || n == 55 || n == 56) ? kRed : kGreen;
    EXPECT_EQ(lamp(h, n), expected) << n;
    QPoint centre = l->mapTo(w, l->rect().center());
    EXPECT_EQ(image.pixelColor(centre * image.devicePixelRatio()), expected) << n;
  }
}

}  // namespace
}  // namespace kelvo6::testing
