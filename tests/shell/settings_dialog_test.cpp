#include <gtest/gtest.h>

#include <QComboBox>
#include <QPushButton>

#include "core/shared.h"
#include "shell/serial_settings_dialog.h"
#include "support/harness.h"

namespace kelvo6::testing {
namespace {

using shell::portChoiceFrom;

TEST(SerialSettings, NothingChosenGivesPortOneAndTheDefaultString) {
  auto c = portChoiceFrom(-1, "COM1", {}, -1, -1, -1, -1);
  EXPECT_EQ(c.portNumber, 1);
  EXPECT_EQ(c.settings, "9600,n,8,1");
  EXPECT_TRUE(c.device.empty());
}

TEST(SerialSettings, EntriesBuildTheString) {
  EXPECT_EQ(portChoiceFrom(2, "COM3", {}, 7, 3, 2, 2).settings, "19200,e,7,2");
  EXPECT_EQ(portChoiceFrom(2, "COM3", {}, 7, 3, 2, 2).portNumber, 3);
  EXPECT_EQ(portChoiceFrom(-1, "", {}, 0, -1, -1, 1).settings, "110,n,8,1.5");
  EXPECT_EQ(portChoiceFrom(-1, "", {}, -1, -1, 1, -1).settings, "9600,o,8,1");
}

TEST(SerialSettings, DevicePathsTypedOrListedAreUsedAsThePort) {
  auto typed = portChoiceFrom(-1, " /dev/ttyUSB0 ", {}, -1, -1, -1, -1);
  EXPECT_EQ(typed.device, "/dev/ttyUSB0");
  EXPECT_EQ(typed.portNumber, 1);
  auto listed = portChoiceFrom(4, "/dev/ttyACM0  (modem)", {"/dev/ttyACM0"}, -1, -1, -1, -1);
  EXPECT_EQ(listed.device, "/dev/ttyACM0");
  EXPECT_EQ(listed.portNumber, 5);
}

TEST(SerialSettings, DialogListsStartAtTheirInitialTextsAndCancelChangesNothing) {
  Harness h;
  h.click("Form1", "Command6");
  auto* port = h.control<QComboBox>("Form4", "Combo1");
  ASSERT_TRUE(port);
  EXPECT_EQ(port->currentText(), "COM1");
  EXPECT_EQ(port->itemText(3), "COM4");
  EXPECT_EQ(h.control<QComboBox>("Form4", "Combo4")->currentText(), "None");
  EXPECT_EQ(h.control<QComboBox>("Form4", "Combo5")->currentText(), "1");
  h.setCombo("Form4", "Combo1", 2);
  h.setCombo("Form4", "Combo2", 0);
  h.click("Form4", "Command2");
  EXPECT_EQ(h.shared().portNumber, 1);
  EXPECT_EQ(h.shared().portSettings, "9600,n,8,1");
  // OK without touching any list keeps the defaults; a typed path becomes the port.
  h.click("Form1", "Command6");
  h.setText("Form4", "Combo1", "/dev/ttyUSB0");
  h.click("Form4", "Command1");
  EXPECT_EQ(h.shared().portNumber, 1);
  EXPECT_EQ(h.shared().portDevice, "/dev/ttyUSB0");
  EXPECT_EQ(h.shared().portSettings, "9600,n,8,1");
}

TEST(SerialSettings, TurkishCaptions) {
  Harness h;
  h.click("Form1", "Command5");
  h.click("Form1", "Command6");
  EXPECT_EQ(h.window("Form4")->windowTitle(), "SERI PORT PARAMETRELERI");
  EXPECT_EQ(h.control<QPushButton>("Form4", "Command1")->text(), "TAMAM");
  EXPECT_EQ(h.control<QPushButton>("Form4", "Command2")->text(), "Iplat");
}

}  // namespace
}  // namespace kelvo6::testing
