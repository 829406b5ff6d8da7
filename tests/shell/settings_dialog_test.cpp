#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QPushButton>

#include "core/shared.h"
#include "platform/qt_serial_port.h"
#include "shell/serial_settings_dialog.h"
#include "sim/pty_server.h"
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

TEST(SerialSettings, TheDialogRefusesExactlyWhatTheSerialPortCannotSet) {
  // Every character format the lists offer at the slowest, the usual and the
  // fastest rate, and every rate at the usual format, opened on a real serial
  // line (the simulated ECU's).
  ensureApplication();
  sim::Ecu ecu;
  sim::PtyServer line(ecu);
  std::string error;
  ASSERT_TRUE(line.open(&error)) << error;
  platform::QtSerialPort port;
  int tried = 0, refused = 0;
  auto check = [&](int baud, int data, int parity, int stop) {
    std::string settings = portChoiceFrom(0, "COM1", {}, baud, data, parity, stop).settings;
    auto parsed = platform::parseSerialSettings(settings);
    ASSERT_TRUE(parsed) << settings;
    bool opens = port.open(line.devicePath(), *parsed, &error);
    port.close();
    bool allowed = platform::unsettable(*parsed) == platform::Unsettable::kNothing;
    EXPECT_EQ(opens, allowed) << settings << ": " << error;
    ++tried;
    refused += allowed ? 0 : 1;
  };
  for (int baud : {0, 6, 9})
    for (int data = 0; data < 5; ++data)
      for (int parity = 0; parity < 3; ++parity)
        for (int stop = 0; stop < 3; ++stop) check(baud, data, parity, stop);
  for (int baud = 0; baud < 10; ++baud) check(baud, 4, 0, 0);
  EXPECT_EQ(tried, 3 * 45 + 10);
  EXPECT_EQ(refused, 3 * 9);  // four data bits, and nothing else
}

TEST(SerialSettings, FourDataBitsAreRefusedAtOkAndThePreviousSettingsKept) {
  Harness h;
  h.click("Form1", "Command4");  // English
  h.click("Form1", "Command6");
  h.setCombo("Form4", "Combo2", 7);  // 19200
  h.setCombo("Form4", "Combo3", 0);  // 4 data bits
  h.click("Form4", "Command1");
  ASSERT_TRUE(h.window("Form4"));
  auto* why = h.control<QLabel>("Form4", "Label6");
  EXPECT_TRUE(why->isVisibleTo(h.window("Form4")));
  EXPECT_EQ(why->text(), "This system's serial driver cannot use 4 data bits. Choose 5 to 8 data bits.");
  EXPECT_EQ(h.shared().portSettings, "9600,n,8,1");
  // Another choice is taken, and MENU opens the line with it.
  h.setCombo("Form4", "Combo3", 1);
  h.click("Form4", "Command1");
  EXPECT_FALSE(h.window("Form4"));
  EXPECT_EQ(h.shared().portSettings, "19200,n,5,1");
  h.click("Form1", "Command1");
  EXPECT_TRUE(h.portOpen());
  EXPECT_EQ(h.openedSettings(), "19200,n,5,1");
  EXPECT_FALSE(h.window("Form12"));
}

// Typed entries: a listed rate (115200 too) opens the line with it; a rate the
// port cannot take or a broken network address is refused with the reason, and
// the settings stay as they were.
TEST(SerialSettings, TypedRatesAndAddressesAreTakenOrRefusedWithAReason) {
  struct Case {
    const char* port;
    const char* baud;
    const char* reason;  // empty: taken
  };
  const Case cases[] = {
      {"COM1", "115200", ""},
      {"COM1", "250000", "The port cannot use the rate \"250000\". Choose a rate from the list (110 - 115200 baud)."},
      {"COM1", "", "The port cannot use the rate \"\". Choose a rate from the list (110 - 115200 baud)."},
      {"tcp://127.0.0.1", "9600",
       "Not a usable network address \"tcp://127.0.0.1\": type tcp://HOST:PORT or rfc2217://HOST:PORT."},
      {"rfc2217://127.0.0.1:7000", "19200", ""},
  };
  for (const Case& c : cases) {
    Harness h;
    h.click("Form1", "Command4");  // English
    h.click("Form1", "Command6");
    h.setText("Form4", "Combo1", c.port);
    h.setText("Form4", "Combo2", c.baud);
    h.click("Form4", "Command1");
    if (*c.reason) {
      ASSERT_TRUE(h.window("Form4")) << c.baud;
      EXPECT_EQ(h.control<QLabel>("Form4", "Label6")->text(), c.reason);
      EXPECT_EQ(h.shared().portSettings, "9600,n,8,1");
      continue;
    }
    EXPECT_FALSE(h.window("Form4")) << c.baud;
    EXPECT_EQ(h.shared().portSettings, std::string(c.baud) + ",n,8,1");
    if (std::string(c.port) == "COM1") {
      h.click("Form1", "Command1");
      EXPECT_EQ(h.openedSettings(), "115200,n,8,1");
      EXPECT_TRUE(h.portOpen());
    } else {
      EXPECT_EQ(h.shared().portDevice, c.port);
    }
  }
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
