#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include "core/shared.h"
#include "link/requests.h"
#include "sim/ecu.h"
#include "support/harness.h"

namespace kelvo6::testing {
namespace {

QColor fore(Harness& h, const char* form, const char* name) {
  return h.control<QWidget>(form, name)->property("foreColor").value<QColor>();
}

TEST(MainMenu, HandshakeReadsVersionParametersAndTableThenEnablesTheScreens) {
  Harness h;
  h.ecu()->setVersion(2, 4, 17);
  h.ecu()->setParam(62, 1);
  h.click("Form1", "Command1");
  ASSERT_TRUE(h.window("Form2"));
  EXPECT_EQ(h.control<QLineEdit>("Form2", "Text1")->text(), "**.**.**");
  EXPECT_EQ(h.window("Form2")->cursor().shape(), Qt::WaitCursor);
  EXPECT_FALSE(h.control<QPushButton>("Form2", "Command3")->isEnabled());
  h.advance(2500);
  EXPECT_EQ(h.control<QLineEdit>("Form2", "Text1")->text(), "2.4.17");
  for (const char* b : {"Command2", "Command3", "Command4", "Command5"})
    EXPECT_TRUE(h.control<QPushButton>("Form2", b)->isEnabled()) << b;
  EXPECT_FALSE(h.shared().bulkTransfer);
  EXPECT_NE(h.window("Form2")->cursor().shape(), Qt::WaitCursor);
  EXPECT_TRUE(h.control<QRadioButton>("Form2", "Option1_1")->isChecked());
  EXPECT_EQ(fore(h, "Form2", "Label5"), QColor(255, 0, 0));
  EXPECT_EQ(fore(h, "Form2", "Label2"), QColor(0, 0, 255));
  EXPECT_EQ(h.shared().param(29).ecu, h.ecu()->param(29));
  EXPECT_EQ(h.shared().cell(64).ecu, 115);
  auto sent = h.sent();
  ASSERT_GE(sent.size(), 3u);
  EXPECT_EQ(sent[0][4], 7);
  EXPECT_EQ(sent[1][4], 1);
  EXPECT_EQ(sent[2][4], 8);
}

TEST(MainMenu, SilentEcuGetsFiveVersionRequestsThenTheLineFailureMessage) {
  Harness h;
  h.ecu()->setSilent(true);
  h.click("Form1", "Command4");  // English
  h.click("Form1", "Command1");
  h.advance(249);
  EXPECT_EQ(h.sentWithCommand(7).size(), 4u);
  h.advance(1);
  EXPECT_EQ(h.sentWithCommand(7).size(), 5u);
  EXPECT_TRUE(h.window("Form2"));
  h.advance(50);
  EXPECT_EQ(h.sent().size(), 5u);
  EXPECT_FALSE(h.window("Form2"));
  ASSERT_TRUE(h.window("Form12"));
  EXPECT_EQ(h.window("Form12")->windowTitle(), "KELVO6 - Communication");
  EXPECT_EQ(h.control<QLabel>("Form12", "Label1")->text(),
            "Problems on communication line. Check connections and make sure the ECU is powered.");
  // Closing the message leaves the start-up window, and MENU works again.
  h.click("Form12", "Command1");
  EXPECT_FALSE(h.programEnded());
  ASSERT_TRUE(h.window("Form1"));
  h.ecu()->setSilent(false);
  h.click("Form1", "Command1");
  h.advance(3000);
  EXPECT_TRUE(h.control<QPushButton>("Form2", "Command3")->isEnabled());
}

TEST(MainMenu, UnansweredParameterSetRepeatsOnceASecondWithTheVersionShown) {
  HarnessOptions o;
  o.simulatedEcu = false;
  Harness h(o);
  h.click("Form1", "Command1");
  h.advance(50);
  ASSERT_EQ(h.sent().size(), 1u);
  h.reply(link::buildRequest(7, {2, 4, 1}));
  h.advance(50);
  EXPECT_EQ(h.sent().back()[4], 1);
  EXPECT_TRUE(h.shared().bulkTransfer);
  h.advance(3000);
  EXPECT_EQ(h.sentWithCommand(1).size(), 4u);
  EXPECT_EQ(h.control<QLineEdit>("Form2", "Text1")->text(), "2.4.1");
  EXPECT_FALSE(h.control<QPushButton>("Form2", "Command3")->isEnabled());
}

TEST(MainMenu, ChangingFromLpgToCngWritesPressureThenFuelType) {
  Harness h;
  h.click("Form1", "Command1");
  h.advance(2500);
  h.clearSent();
  h.click("Form2", "Option1_1");
  EXPECT_FALSE(h.control<QPushButton>("Form2", "Command3")->isEnabled());
  h.advance(100);
  auto sent = h.sent();
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_EQ(sent[0], link::writeParameter(30, 850));
  h.advance(100);
  ASSERT_EQ(h.sent().size(), 2u);
  EXPECT_EQ(h.sent()[1], link::writeParameter(62, 1));
  h.advance(100);
  EXPECT_EQ(h.sent().size(), 2u);
  EXPECT_TRUE(h.control<QPushButton>("Form2", "Command3")->isEnabled());
  EXPECT_EQ(h.ecu()->param(62), 1);
  EXPECT_EQ(h.ecu()->param(30), 850);
  EXPECT_EQ(fore(h, "Form2", "Label5"), QColor(255, 0, 0));
  // Choosing the fuel the ECU already has does nothing.
  h.clearSent();
  h.click("Form2", "Option1_1");
  h.advance(500);
  EXPECT_TRUE(h.sent().empty());
}

TEST(MainMenu, FuelWriteRepeatsUntilTheEcuConfirms) {
  Harness h;
  h.click("Form1", "Command1");
  h.advance(2500);
  h.ecu()->faults().wrongEchoParam = 30;
  h.ecu()->faults().wrongEchoCount = 3;
  h.clearSent();
  h.click("Form2", "Option1_1");
  h.advance(1000);
  EXPECT_EQ(h.sentWithCommand(2).front(), link::writeParameter(30, 850));
  EXPECT_EQ(h.sentWithCommand(2).size(), 5u);  // three refused, one confirmed, then parameter 62
  EXPECT_EQ(h.shared().param(62).ecu, 1);
}

TEST(MainMenu, LostLinkCounterClosesTheMenuOnActivation) {
  Harness h;
  h.click("Form1", "Command1");
  h.advance(2500);
  h.shared().lostLinkCounter = 2;
  h.activate("Form2");
  EXPECT_FALSE(h.window("Form2"));
  EXPECT_TRUE(h.window("Form1"));
  EXPECT_FALSE(h.programEnded());
}

TEST(MainMenu, EndOfLinePresetBeforeOpening) {
  Harness h;
  h.click("Form1", "Command1");
  h.advance(2500);
  h.click("Form2", "Command2");
  EXPECT_EQ(h.shared().eol.injectorStatus[0], 15);
  EXPECT_EQ(h.shared().eol.checkBytes[8], 15);
  EXPECT_TRUE(h.shared().eol.emulationFlags[7]);
}

TEST(MainMenu, TextsByLanguage) {
  Harness h;
  h.click("Form1", "Command5");  // Turkish
  h.click("Form1", "Command1");
  EXPECT_EQ(h.control<QPushButton>("Form2", "Command1")->text(), "CIKIS");
  EXPECT_EQ(h.control<QPushButton>("Form2", "Command3")->text(), "Aracin Genel Durumu");
  EXPECT_EQ(h.control<QPushButton>("Form2", "Command6")->text(), "ECU Yazilimini Guncelle");
  EXPECT_EQ(h.control<QLabel>("Form2", "Label3")->text(), "ECU YAZILIM VERSIYONU");
  EXPECT_EQ(h.control<QLabel>("Form2", "Label5")->text(), "CNG");
}

}  // namespace
}  // namespace kelvo6::testing
