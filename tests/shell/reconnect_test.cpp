// After the link is lost, by a silent ECU or a pulled adapter, MENU connects
// again as on a fresh start once the ECU is back.

#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <string>

#include "core/shared.h"
#include "sim/ecu.h"
#include "support/harness.h"

namespace kelvo6::testing {
namespace {

bool screensEnabled(Harness& h) {
  for (const char* b : {"Command2", "Command3", "Command4", "Command5"})
    if (!h.control<QPushButton>("Form2", b)->isEnabled()) return false;
  return true;
}

void openStatus(Harness& h) {
  h.click("Form1", "Command1");
  h.advance(2500);
  h.click("Form2", "Command3");
  h.advance(500);
}

// MENU with the ECU answering: the handshake runs and the main menu stays.
void expectMenuConnects(Harness& h) {
  h.clearSent();
  h.click("Form1", "Command1");
  ASSERT_TRUE(h.window("Form2"));
  h.advance(2500);
  ASSERT_TRUE(h.window("Form2"));
  EXPECT_EQ(h.sentWithCommand(7).size(), 1u);
  EXPECT_TRUE(screensEnabled(h));
  EXPECT_EQ(h.control<QLineEdit>("Form2", "Text1")->text(), "2.4.1");
  // And the status window opens and stays with the ECU answering.
  h.click("Form2", "Command3");
  h.advance(6000);
  EXPECT_TRUE(h.window("Form3"));
  EXPECT_EQ(h.shared().lostLinkCounter, 0);
}

TEST(Reconnect, AfterTheWatchdogClosedTheWindowsMenuConnectsAgain) {
  Harness h;
  h.ecu()->setVersion(2, 4, 1);
  openStatus(h);
  ASSERT_TRUE(h.window("Form3"));
  h.ecu()->setSilent(true);
  h.advance(6000);
  ASSERT_FALSE(h.window("Form2"));  // the watchdog brought the fitter back to the start
  h.ecu()->setSilent(false);
  expectMenuConnects(h);
}

TEST(Reconnect, AfterAPulledAdapterMenuConnectsAgainOnTheSamePath) {
  Harness h;
  h.ecu()->setVersion(2, 4, 1);
  h.click("Form1", "Command4");  // English
  openStatus(h);
  ASSERT_TRUE(h.window("Form3"));
  h.losePort();
  ASSERT_TRUE(h.window("Form12"));
  EXPECT_FALSE(h.portOpen());
  // What happened and what to do, with the system's reason beneath.
  EXPECT_EQ(h.control<QLabel>("Form12", "Label1")->text(),
            "The ECU or the serial adapter was disconnected. When it is connected again, press MENU to reconnect.");
  EXPECT_FALSE(h.control<QLabel>("Form12", "Label2")->text().isEmpty());
  h.click("Form12", "Command1");
  EXPECT_FALSE(h.programEnded());
  // The fitter walks back to the start-up window while the adapter is out.
  // The watchdog then finds the line silent and brings the fitter back to the start.
  h.advance(8000);
  ASSERT_TRUE(h.window("Form1"));
  ASSERT_FALSE(h.window("Form2"));
  h.restorePort();
  expectMenuConnects(h);
  EXPECT_TRUE(h.portOpen());
}

TEST(Reconnect, AfterAPulledAdapterMenuFromTheStartWindowRestartsTheHandshake) {
  // The fitter does not close the main menu but goes straight to the start-up
  // window and presses MENU there once the adapter is back.
  Harness h;
  h.ecu()->setVersion(2, 4, 1);
  h.click("Form1", "Command1");
  h.advance(2500);
  ASSERT_TRUE(screensEnabled(h));
  h.losePort();
  // No button that would send into nothing: a line says how to connect again.
  EXPECT_FALSE(screensEnabled(h));
  QLabel* note = h.control<QLabel>("Form2", "Label6");
  EXPECT_TRUE(note->isVisibleTo(h.window("Form2")));
  EXPECT_EQ(note->text(), "Linea interrotta: premere MENU nella finestra iniziale per ricollegarsi.");
  h.click("Form12", "Command1");
  h.restorePort();
  h.ecu()->setVersion(2, 4, 7);  // another ECU on the bench now
  h.activate("Form1");
  h.clearSent();
  h.click("Form1", "Command1");
  h.advance(2500);
  ASSERT_TRUE(h.window("Form2"));
  EXPECT_EQ(h.sentWithCommand(7).size(), 1u);
  EXPECT_EQ(h.control<QLineEdit>("Form2", "Text1")->text(), "2.4.7");
  EXPECT_TRUE(screensEnabled(h));
  EXPECT_FALSE(note->isVisibleTo(h.window("Form2")));
}

TEST(Reconnect, WindowsOpenAcrossANewConnectionCloseWithAMessage) {
  // Each window in a state of the old ECU: calibration mode confirmed, an
  // end-of-line test running, live values shown; once with the main menu
  // closed under the window.
  struct Case {
    const char *form, *menuButton, *thenButton;
    bool menuClosed = false;
  };
  for (const Case& c : {Case{"Form16", "Command5", "Command9"}, Case{"Form9", "Command2", "Command2"},
                        Case{"Form3", "Command3", nullptr}, Case{"Form9", "Command2", "Command2", true}}) {
    SCOPED_TRACE(c.form);
    Harness h;
    h.click("Form1", "Command4");  // English
    h.click("Form1", "Command1");
    h.advance(2500);
    h.click("Form2", c.menuButton);
    h.advance(500);
    if (c.thenButton) h.click(c.form, c.thenButton);
    h.advance(300);
    ASSERT_TRUE(h.window(c.form));
    ASSERT_EQ(h.ecu()->memory().calibrationOn, c.form == std::string("Form16"));
    if (c.menuClosed) h.close("Form2");
    h.losePort();
    h.restorePort();
    h.click("Form1", "Command1");
    ASSERT_TRUE(h.window("Form12"));
    EXPECT_EQ(h.control<QLabel>("Form12", "Label1")->text(),
              "The ECU was connected again: the windows opened before are closed. Open them again from the main menu.");
    h.advance(2500);
    EXPECT_FALSE(h.window(c.form));
    EXPECT_TRUE(screensEnabled(h));
    EXPECT_FALSE(h.ecu()->memory().calibrationOn);  // left as the calibration window's EXIT does
  }
}

}  // namespace
}  // namespace kelvo6::testing
