// Advice shown beneath the port message: the table filled per failure kind,
// and the message window after real failed opens (missing, no access, in use).

#include <fcntl.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QLabel>
#include <QSerialPort>
#include <filesystem>
#include <fstream>

#include "core/shared.h"
#include "shell/port_hint.h"
#include "support/harness.h"

namespace kelvo6::testing {
namespace {

using platform::OpenFailure;
using shell::portFailureHint;

bool contains(const std::string& s, const std::string& part) { return s.find(part) != std::string::npos; }

TEST(PortHint, EachUsualCauseNamesTheDeviceInEveryLanguage) {
  for (int lang : {1, 2, 3}) {
    for (OpenFailure k : {OpenFailure::Missing, OpenFailure::PermissionDenied, OpenFailure::Busy}) {
      std::string hint = portFailureHint(k, "/dev/ttyUSB3", {}, lang);
      EXPECT_TRUE(contains(hint, "/dev/ttyUSB3")) << lang << ": " << hint;
      EXPECT_FALSE(contains(hint, "%")) << hint;  // no placeholder left behind
    }
    std::string denied = portFailureHint(OpenFailure::PermissionDenied, "/dev/ttyUSB0", {}, lang);
    EXPECT_TRUE(contains(denied, "sudo usermod -aG dialout $USER")) << denied;
  }
  EXPECT_TRUE(contains(portFailureHint(OpenFailure::Busy, "/dev/ttyS0", {}, 2), "in use"));
  EXPECT_TRUE(contains(portFailureHint(OpenFailure::Missing, "/dev/ttyS0", {}, 2), "\"Serial parameters\""));
}

TEST(PortHint, MissingDeviceListsTheAdaptersPresentOrSaysThereAreNone) {
  std::string some = portFailureHint(OpenFailure::Missing, "/dev/ttyUSB1", {"/dev/ttyACM0", "/dev/ttyUSB0"}, 2);
  EXPECT_TRUE(contains(some, "Adapters present: /dev/ttyACM0, /dev/ttyUSB0")) << some;
  std::string none = portFailureHint(OpenFailure::Missing, "/dev/ttyUSB1", {}, 1);
  EXPECT_TRUE(contains(none, "Nessun adattatore")) << none;
  // Only a missing device gets the list.
  EXPECT_FALSE(contains(portFailureHint(OpenFailure::Busy, "/dev/ttyUSB1", {"/dev/ttyUSB0"}, 2), "Adapters"));
}

TEST(PortHint, NoAdviceWithoutAUsualCauseAndForAnUnknownLanguage) {
  EXPECT_EQ(portFailureHint(OpenFailure::Other, "/dev/ttyS0", {}, 2), "");
  EXPECT_EQ(portFailureHint(OpenFailure::None, "/dev/ttyS0", {}, 2), "");
  EXPECT_TRUE(contains(portFailureHint(OpenFailure::Busy, "/dev/ttyS0", {}, 7), "occupato"));  // Italian fallback
}

TEST(PortHint, PresentAdaptersFindsOnlyUsbAndAcmNodesSorted) {
  auto dir = std::filesystem::temp_directory_path() / ("kelvo6-dev-" + std::to_string(::getpid()));
  std::filesystem::create_directories(dir);
  for (const char* n : {"ttyUSB1", "ttyS0", "ttyACM0", "ttyUSB0", "null"}) std::ofstream(dir / n) << "";
  auto found = shell::presentAdapters(dir.string());
  std::filesystem::remove_all(dir);
  ASSERT_EQ(found.size(), 3u);
  EXPECT_EQ(found[0], (dir / "ttyACM0").string());
  EXPECT_EQ(found[2], (dir / "ttyUSB1").string());
  EXPECT_TRUE(shell::presentAdapters("/no/such/dir").empty());
}

// A pseudo-terminal of the test's own, to stand in for an adapter.
struct OwnPty {
  OwnPty() {
    master = ::posix_openpt(O_RDWR | O_NOCTTY);
    ::grantpt(master);
    ::unlockpt(master);
    path = ::ptsname(master);
  }
  ~OwnPty() { ::close(master); }
  int master;
  std::string path;
};

QString detail(Harness& h) { return h.control<QLabel>("Form12", "Label2")->text(); }

// MENU in English, on `device` as port 1 when one is given.
void menuInEnglish(Harness& h, const std::string& device = {}) {
  if (!device.empty()) h.shared().portDevice = device;
  h.click("Form1", "Command4");
  h.click("Form1", "Command1");
}

TEST(PortFailureWindow, PermissionDeniedShowsTheReasonAndTheDialoutHint) {
  Harness h;
  OwnPty pty;
  ASSERT_EQ(::chmod(pty.path.c_str(), 0), 0);
  // Root reads any node; run the open as an ordinary user so the mode counts.
  bool asRoot = ::geteuid() == 0;
  if (asRoot) {
    ASSERT_EQ(::seteuid(65534), 0);
  }
  menuInEnglish(h, pty.path);
  if (asRoot) {
    ASSERT_EQ(::seteuid(0), 0);
  }
  ASSERT_TRUE(h.window("Form12"));
  EXPECT_TRUE(h.control<QLabel>("Form12", "Label1")->text().startsWith("Problems on communication port."));
  QString d = detail(h);
  EXPECT_TRUE(d.startsWith(QString::fromStdString(pty.path + ": "))) << d.toStdString();  // the system's reason
  EXPECT_TRUE(d.contains("sudo usermod -aG dialout $USER")) << d.toStdString();
  EXPECT_TRUE(h.control<QLabel>("Form12", "Label2")->isVisibleTo(h.window("Form12")));
}

TEST(PortFailureWindow, MissingDeviceIsNamedWithThePlugInHint) {
  HarnessOptions o;
  o.portOpens = false;
  Harness h(o);
  menuInEnglish(h);
  ASSERT_TRUE(h.window("Form12"));
  QString d = detail(h);
  EXPECT_TRUE(d.contains("The device /dev/kelvo6-test-no-such-port does not exist. Plug in")) << d.toStdString();
  EXPECT_TRUE(d.contains("adapter")) << d.toStdString();
  // The window, already on show, grows to the wrapped lines of the hint.
  auto* label = h.control<QLabel>("Form12", "Label2");
  EXPECT_GE(label->height(), label->heightForWidth(label->width()));
}

TEST(PortFailureWindow, DeviceHeldByAnotherProgramIsReportedInUse) {
  Harness h;
  OwnPty pty;
  QSerialPort holder(QString::fromStdString(pty.path));
  ASSERT_TRUE(holder.open(QIODevice::ReadWrite));
  menuInEnglish(h, pty.path);
  ASSERT_TRUE(h.window("Form12"));
  EXPECT_TRUE(detail(h).contains("is in use by another program")) << detail(h).toStdString();
}

TEST(PortFailureWindow, UnusableSettingsGiveNoDeviceAdvice) {
  Harness h;
  h.shared().portSettings = "9600,n,4,1";
  menuInEnglish(h);
  ASSERT_TRUE(h.window("Form12"));
  EXPECT_FALSE(detail(h).contains("\n\n")) << detail(h).toStdString();
  EXPECT_FALSE(detail(h).isEmpty());
}

}  // namespace
}  // namespace kelvo6::testing
