#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "core/shared.h"
#include "link/requests.h"
#include "sim/ecu.h"
#include "support/harness.h"

namespace kelvo6::testing {
namespace {

TEST(StartWindow, LoadsWithDefaultsAndItsVersion) {
  Harness h;
  ASSERT_TRUE(h.window("Form1"));
  EXPECT_EQ(h.control<QLineEdit>("Form1", "Text1")->text(), "1.5.0");
  EXPECT_EQ(h.window("Form1")->windowTitle(), "KELVO6");
  EXPECT_EQ(h.shared().portSettings, "9600,n,8,1");
  EXPECT_EQ(h.shared().language, 1);
  EXPECT_TRUE(h.window("Form1")->property("keepOnTop").toBool());
}

TEST(StartWindow, LanguageAndNotConnectedTitles) {
  Harness h;
  h.click("Form1", "Command7");
  EXPECT_EQ(h.window("Form1")->windowTitle(), "KELVO6 - Non connesso");
  EXPECT_FALSE(h.control<QPushButton>("Form1", "Command6")->isEnabled());
  h.click("Form1", "Command4");
  EXPECT_EQ(h.window("Form1")->windowTitle(), "KELVO6 - Not connected");
  EXPECT_EQ(h.control<QPushButton>("Form1", "Command7")->text(), "OFF line");
  h.click("Form1", "Command5");
  EXPECT_EQ(h.window("Form1")->windowTitle(), "KELVO6 - Iletisim Kurulamandi");
  EXPECT_EQ(h.control<QPushButton>("Form1", "Command2")->text(), "CIKIS");
  EXPECT_EQ(h.control<QLabel>("Form1", "Label16")->text(), "YAZILIM VERSIYONU");
  h.activate("Form1");
  EXPECT_EQ(h.window("Form1")->windowTitle(), "KELVO6 - Iletisim Yok");
  EXPECT_FALSE(h.control<QPushButton>("Form1", "Command6")->isEnabled());
  h.click("Form1", "Command7");
  EXPECT_EQ(h.window("Form1")->windowTitle(), "KELVO6");
  EXPECT_TRUE(h.control<QPushButton>("Form1", "Command6")->isEnabled());
}

TEST(StartWindow, MenuWhileNotConnectedShowsTheMenuWithoutThePort) {
  Harness h;
  h.click("Form1", "Command7");
  h.click("Form1", "Command1");
  ASSERT_TRUE(h.window("Form2"));
  EXPECT_EQ(h.window("Form2")->windowTitle(), "KELVO6 - Non Connesso");
  EXPECT_EQ(h.openedPort(), 0);
  h.advance(2000);
  EXPECT_TRUE(h.sent().empty());
  for (const char* b : {"Command2", "Command3", "Command4", "Command5"})
    EXPECT_TRUE(h.control<QPushButton>("Form2", b)->isEnabled()) << b;
  EXPECT_FALSE(h.control<QPushButton>("Form2", "Command6")->isEnabled());
  EXPECT_FALSE(h.control<QWidget>("Form2", "Option1_1")->isEnabled());
}

TEST(StartWindow, PortFailureShowsTheMessageAndEndsTheProgramOnExit) {
  HarnessOptions o;
  o.portOpens = false;
  Harness h(o);
  h.click("Form1", "Command3");  // Italian
  h.click("Form1", "Command1");
  EXPECT_FALSE(h.window("Form2"));
  ASSERT_TRUE(h.window("Form12"));
  EXPECT_EQ(h.window("Form12")->windowTitle(), "KELVO6 - Comunicazione");
  EXPECT_TRUE(h.control<QLabel>("Form12", "Label1")->text().startsWith("Problemi sulla porta di comunicazione."));
  EXPECT_FALSE(h.control<QLabel>("Form12", "Label2")->text().isEmpty());  // the system's reason
  EXPECT_TRUE(h.shared().closeProgramOnMessage);
  h.click("Form12", "Command1");
  EXPECT_TRUE(h.programEnded());
  EXPECT_FALSE(h.window("Form1"));
}

TEST(StartWindow, PortFailureMessageInEnglish) {
  HarnessOptions o;
  o.portOpens = false;
  Harness h(o);
  h.click("Form1", "Command4");
  h.click("Form1", "Command1");
  EXPECT_EQ(h.window("Form12")->windowTitle(), "KELVO6 - Communication");
  EXPECT_EQ(h.control<QLabel>("Form12", "Label1")->text(),
            "Problems on communication port. Please close all the applications using the port selected and try again");
}

TEST(StartWindow, MenuTwiceDoesNotReopenAnOpenPort) {
  Harness h;
  h.click("Form1", "Command1");
  h.advance(3000);
  h.click("Form2", "Command1");  // EXIT
  EXPECT_FALSE(h.window("Form2"));
  h.ecu()->faults().silent = false;
  std::size_t before = h.sent().size();
  h.click("Form1", "Command1");
  ASSERT_TRUE(h.window("Form2"));
  h.advance(3000);
  // The handshake runs again on the port that stayed open.
  EXPECT_GT(h.sent().size(), before);
  EXPECT_EQ(h.control<QPushButton>("Form2", "Command3")->isEnabled(), true);
}

TEST(StartWindow, SerialSettingsCloseThePortAndApplyAtTheNextMenu) {
  Harness h;
  h.click("Form1", "Command1");
  h.advance(3000);
  h.click("Form2", "Command1");
  h.click("Form1", "Command6");
  ASSERT_TRUE(h.window("Form4"));
  h.setCombo("Form4", "Combo2", 7);  // 19200
  h.setCombo("Form4", "Combo4", 2);  // even
  h.setCombo("Form4", "Combo3", 3);  // 7
  h.setCombo("Form4", "Combo5", 2);  // 2
  h.click("Form4", "Command1");
  EXPECT_FALSE(h.window("Form4"));
  EXPECT_EQ(h.shared().portSettings, "19200,e,7,2");
  h.click("Form1", "Command1");
  EXPECT_EQ(h.openedSettings(), "19200,e,7,2");
  EXPECT_EQ(h.openedPort(), 1);
}

TEST(StartWindow, ReturningAfterAStartedUpdateEndsTheProgram) {
  Harness h;
  h.click("Form1", "Command1");
  h.advance(3000);
  h.shared().softwareUpdateStarted = true;
  h.activate("Form2");  // the update screen closed; the menu closes, then the start-up window
  EXPECT_FALSE(h.window("Form2"));
  EXPECT_TRUE(h.programEnded());
}

}  // namespace
}  // namespace kelvo6::testing
