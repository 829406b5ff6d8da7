// Keyboard use of the windows: Enter and Escape on the dialogs, Tab in
// reading order.

#include <gtest/gtest.h>

#include <QComboBox>
#include <QTest>

#include "core/shared.h"
#include "sim/ecu.h"
#include "support/harness.h"

namespace kelvo6::testing {
namespace {

// The named controls that Tab visits from the window's first one, in order.
QStringList tabChain(QWidget* window) {
  QStringList names;
  for (QWidget* w = window->nextInFocusChain(); w && w != window; w = w->nextInFocusChain()) {
    if (names.size() > 200) break;
    bool takesTab = (w->focusPolicy() & Qt::TabFocus) && w->isVisibleTo(window) && w->isEnabled() && !w->focusProxy();
    if (takesTab && window->isAncestorOf(w) && !w->objectName().isEmpty()) names << w->objectName();
  }
  return names;
}

TEST(DialogKeys, SerialSettingsEnterIsOkAndEscapeIsCancel) {
  Harness h;
  h.click("Form1", "Command6");
  h.setCombo("Form4", "Combo2", 7);
  // Escape from inside a list: nothing changes.
  QTest::keyClick(h.control<QComboBox>("Form4", "Combo2"), Qt::Key_Escape);
  EXPECT_FALSE(h.window("Form4"));
  EXPECT_EQ(h.shared().portSettings, "9600,n,8,1");

  h.click("Form1", "Command6");
  h.setCombo("Form4", "Combo1", 2);
  h.setCombo("Form4", "Combo2", 7);
  QTest::keyClick(h.control<QComboBox>("Form4", "Combo2"), Qt::Key_Return);
  EXPECT_FALSE(h.window("Form4"));
  EXPECT_EQ(h.shared().portNumber, 3);
  EXPECT_EQ(h.shared().portSettings, "19200,n,8,1");

  // The keypad's Enter, pressed on the window itself, is OK as well.
  h.click("Form1", "Command6");
  h.setCombo("Form4", "Combo4", 2);
  QTest::keyClick(h.window("Form4"), Qt::Key_Enter, Qt::KeypadModifier);
  EXPECT_FALSE(h.window("Form4"));
  EXPECT_EQ(h.shared().portSettings, "9600,e,8,1");
}

TEST(DialogKeys, MessageWindowClosesOnEnterOrEscapeLikeItsExit) {
  Harness h;
  h.ecu()->setSilent(true);
  h.click("Form1", "Command1");
  h.advance(1000);
  ASSERT_TRUE(h.window("Form12"));
  QTest::keyClick(h.window("Form12"), Qt::Key_Return);
  EXPECT_FALSE(h.window("Form12"));
  EXPECT_FALSE(h.programEnded());
  EXPECT_TRUE(h.window("Form1"));

  // After a port failure, EXIT ends the program: so does Escape.
  HarnessOptions o;
  o.portOpens = false;
  Harness failed(o);
  failed.click("Form1", "Command1");
  ASSERT_TRUE(failed.window("Form12"));
  QTest::keyClick(failed.window("Form12"), Qt::Key_Escape);
  EXPECT_TRUE(failed.programEnded());
}

TEST(TabOrder, FollowsTheReadingOrderOfTheFields) {
  Harness h;
  h.click("Form1", "Command6");
  EXPECT_EQ(tabChain(h.window("Form4")).join(' ').toStdString(),
            "Combo1 Combo2 Combo3 Combo4 Combo5 Command1 Command2");
  h.close("Form4");

  // The parameter hub: its buttons were made in number order, but Tab goes
  // down the editors' frame, then the archive frame (with the compare
  // buttons at its end), then EXIT.
  h.click("Form1", "Command1");
  h.advance(2500);
  h.click("Form2", "Command4");
  h.advance(600);
  EXPECT_EQ(tabChain(h.window("Form5")).join(' ').toStdString(),
            "Command1 Command2 Command3 Command4 Command6 Command5 Command9 Command7 Command10 Command11 Command8");
}

}  // namespace
}  // namespace kelvo6::testing
