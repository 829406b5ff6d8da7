// The parameter hub's whole-set operations against the simulated ECU: archive
// save and load through the real workbook files, bulk transfer over a lossy
// link, and restoring the defaults.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include "core/language.h"
#include "link/params.h"
#include "params/archive.h"
#include "params/transfer.h"
#include "params_support.h"
#include "platform/workbook.h"

using namespace kelvo6;
using namespace kelvo6::testing;

namespace {

bool enabled(Harness& h, const char* name) { return h.control<QPushButton>("Form5", name)->isEnabled(); }

// Sets a distinctive vehicle into the ECU so that a saved workbook differs from the factory one.
void distinctiveVehicle(sim::Ecu& e) {
  for (int n = 1; n <= 62; ++n) e.setParam(n, 100 + n);
  for (int c = 1; c <= 64; ++c) e.setCell(c, (c * 7) % 256);
}

}  // namespace

TEST(ParameterHub, SaveThenLoadOfAnUnchangedEcuSendsNothing) {
  TemporaryHome home;
  Harness h;
  openHub(h, distinctiveVehicle);
  const QString path = home.path() + "/car.xlsx";
  h.setNextFileName(path);
  h.click("Form5", "Command9");
  ASSERT_TRUE(QFile::exists(path));
  EXPECT_EQ(h.lastDialogFolder(), home.archive());
  EXPECT_TRUE(QDir(home.archive()).exists());  // created for the fitter

  h.setNextFileName(path);
  h.clearSent();
  h.click("Form5", "Command5");
  EXPECT_FALSE(enabled(h, "Command1"));
  h.advance(100);  // the first tick finds nothing to write
  EXPECT_TRUE(h.sent().empty());
  EXPECT_TRUE(enabled(h, "Command1"));
  EXPECT_FALSE(h.shared().bulkTransfer);
}

TEST(ParameterHub, BulkTransferOverALinkThatDropsEveryThirdAnswerEndsWithTheWorkbook) {
  TemporaryHome home;
  const QString path = home.path() + "/car.xlsx";
  {
    // The workbook of another car, written by our writer from a prepared set.
    core::Shared other;
    for (int n = 1; n <= 62; ++n) other.param(n).ecu = 1000 + n * 3;
    for (int c = 1; c <= 64; ++c) other.cell(c).ecu = 255 - c;
    ASSERT_FALSE(params::saveVehicle(path.toStdString(), other));
  }
  Harness h;
  openHub(h);
  h.ecu()->faults().dropEvery = 3;
  h.setNextFileName(path);
  h.click("Form5", "Command5");
  h.advance(60000);
  EXPECT_TRUE(enabled(h, "Command1"));
  for (int n = 1; n <= 62; ++n) {
    if (n == link::param::kInjectorModel) continue;  // not part of the transfer list
    EXPECT_EQ(h.ecu()->param(n), 1000 + n * 3) << "parameter " << n;
  }
  for (int c = 1; c <= 64; ++c) EXPECT_EQ(h.ecu()->cell(c), 255 - c) << "cell " << c;
  // No item was written with two different values.
  std::map<int, int> written;
  for (const Frame& f : h.sentWithCommand(2)) {
    const int value = f[7] * 256 + f[8];
    auto [it, fresh] = written.emplace(f[6], value);
    EXPECT_TRUE(fresh || it->second == value) << "parameter " << int(f[6]);
  }
  EXPECT_GT(h.sentWithCommand(2).size(), written.size());  // dropped echoes were written again
}

TEST(ParameterHub, CancelledOrBadWorkbookLeavesTheHubIdleAndTheEcuAlone) {
  TemporaryHome home;
  Harness h;
  openHub(h);
  h.setNextFileName("");
  h.clearSent();
  h.click("Form5", "Command5");
  EXPECT_TRUE(enabled(h, "Command1"));
  EXPECT_FALSE(h.shared().bulkTransfer);

  const QString bad = home.path() + "/notes.xlsx";
  QFile f(bad);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write("this is not a workbook");
  f.close();
  h.setNextFileName(bad);
  h.click("Form5", "Command5");
  h.advance(1000);
  EXPECT_TRUE(h.sentWithCommand(2).empty());
  EXPECT_TRUE(enabled(h, "Command1"));
  QWidget* message = h.window("Form12");
  ASSERT_NE(message, nullptr);
  EXPECT_TRUE(message->findChild<QLabel*>("Label1")->text().contains("notes.xlsx"));
}

TEST(ParameterHub, RestoreDefaultsBringsBackTheFactoryConfiguration) {
  Harness h;
  openHub(h, distinctiveVehicle);
  const int factory = sim::Ecu().param(1);
  h.clearSent();
  h.click("Form5", "Command7");
  EXPECT_FALSE(enabled(h, "Command5"));
  h.advance(5000);
  EXPECT_EQ(h.ecu()->param(1), factory);
  EXPECT_EQ(h.shared().param(1).ecu, factory);  // read back after the restore
  EXPECT_TRUE(enabled(h, "Command5"));
  EXPECT_FALSE(h.sentWithCommand(1).empty());
}

TEST(ParameterHub, NotConnectedOffersOnlyTheEditors) {
  Harness h;
  openHubNotConnected(h, core::kEnglish);
  EXPECT_TRUE(enabled(h, "Command1"));
  EXPECT_FALSE(enabled(h, "Command5"));
  EXPECT_FALSE(enabled(h, "Command7"));
  EXPECT_FALSE(enabled(h, "Command9"));
  EXPECT_EQ(h.window("Form5")->windowTitle(), "KELVO6 - Display parameters of ECU Not connected");
}
