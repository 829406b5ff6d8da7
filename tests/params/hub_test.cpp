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
bool shown(Harness& h, const char* name) { return h.control<QWidget>("Form5", name)->isVisibleTo(h.window("Form5")); }
bool busy(Harness& h) { return h.window("Form5")->cursor().shape() == Qt::WaitCursor; }
// The hub's progress line, without the break points a long path is given.
QString progress(Harness& h) {
  return h.control<QLabel>("Form5", "ProgressLine")->text().remove(QChar(0x200B));
}

// The workbook of another car, written by our writer from a prepared set.
QString otherCarWorkbook(const TemporaryHome& home) {
  const QString path = home.path() + "/other.xlsx";
  core::Shared other;
  for (int n = 1; n <= 62; ++n) other.param(n).ecu = 1000 + n * 3;
  for (int c = 1; c <= 64; ++c) other.cell(c).ecu = 255 - c;
  EXPECT_FALSE(params::saveVehicle(path.toStdString(), other));
  return path;
}

// Items of that workbook the factory ECU does not hold.
int differingItems(Harness& h) {
  int n = 0;
  for (const auto& item : params::transferList()) {
    const core::ValuePair& v = item.cell ? h.shared().cell(item.number) : h.shared().param(item.number);
    n += v.needsWrite() ? 1 : 0;
  }
  return n;
}

// STORAGE OF VEHICLE with that workbook; returns how many items it sends.
int storeOtherCar(Harness& h, const TemporaryHome& home) {
  h.setNextFileName(otherCarWorkbook(home));
  h.click("Form5", "Command5");
  return differingItems(h);
}

bool ecuHoldsOtherCar(Harness& h) {
  for (int n = 1; n <= 62; ++n)
    if (h.ecu()->param(n) != 1000 + n * 3) return false;
  for (int c = 1; c <= 64; ++c)
    if (h.ecu()->cell(c) != 255 - c) return false;
  return true;
}

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
  // Every parameter, the gas injector model (33) included.
  for (int n = 1; n <= 62; ++n) EXPECT_EQ(h.ecu()->param(n), 1000 + n * 3) << "parameter " << n;
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
  h.setNextFileName(home.path() + "/same.xlsx");  // the ECU's own values: "Configuration sent: 0 values"
  h.click("Form5", "Command9");
  h.setNextFileName(home.path() + "/same.xlsx");
  h.click("Form5", "Command5");
  h.advance(1000);
  h.clearSent();
  h.setNextFileName(bad);
  h.click("Form5", "Command5");
  h.advance(1000);
  EXPECT_TRUE(h.sentWithCommand(2).empty());
  EXPECT_TRUE(enabled(h, "Command1"));
  QWidget* message = h.window("Form12");
  ASSERT_NE(message, nullptr);
  EXPECT_TRUE(message->findChild<QLabel*>("Label1")->text().contains("notes.xlsx"));
  // The line says so too, in place of what it said of an earlier transfer.
  EXPECT_EQ(progress(h), "Nessun valore inviato: \"notes.xlsx\" è stato rifiutato");
}

TEST(ParameterHub, RestoreDefaultsAsksFirstThenBringsBackTheFactoryConfiguration) {
  Harness h;
  openHub(h, distinctiveVehicle, core::kEnglish);
  const int factory = sim::Ecu().param(1);
  h.clearSent();
  h.setNextConfirmation(false);
  h.click("Form5", "Command7");
  EXPECT_EQ(h.lastConfirmation(), "Restore the ECU's default values? The ECU's whole configuration (parameters and "
                                  "KGB table) will be replaced.");
  h.advance(5000);
  EXPECT_TRUE(h.sent().empty());
  EXPECT_EQ(h.ecu()->param(1), 101);

  h.click("Form5", "Command7");
  EXPECT_FALSE(enabled(h, "Command5"));
  EXPECT_EQ(progress(h), "Restoring the default values");
  h.advance(5000);
  EXPECT_EQ(h.ecu()->param(1), factory);
  EXPECT_EQ(h.shared().param(1).ecu, factory);  // read back after the restore
  EXPECT_TRUE(enabled(h, "Command5"));
  EXPECT_FALSE(h.sentWithCommand(1).empty());
  EXPECT_EQ(progress(h), "Default values restored and read back from the ECU");
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

TEST(ParameterHub, TransferShowsItsProgressAndSaysWhenTheConfigurationIsSent) {
  TemporaryHome home;
  Harness h;
  openHub(h, {}, core::kEnglish);
  EXPECT_FALSE(shown(h, "ProgressLine"));
  const int total = storeOtherCar(h, home);
  EXPECT_EQ(progress(h), QStringLiteral("Sending the configuration: 0 of %1 values sent").arg(total));
  h.advance(1000);
  EXPECT_EQ(progress(h), QStringLiteral("Sending the configuration: 9 of %1 values sent").arg(total));
  // Comparing two workbooks is open meanwhile and leaves the sending running.
  ASSERT_TRUE(enabled(h, "Command11"));
  h.setNextFileNames({otherCarWorkbook(home), otherCarWorkbook(home)});
  h.click("Form5", "Command11");
  EXPECT_TRUE(h.window("Compare"));
  h.advance(1000);
  EXPECT_EQ(progress(h), QStringLiteral("Sending the configuration: 19 of %1 values sent").arg(total));
  h.advance(30000);
  EXPECT_TRUE(ecuHoldsOtherCar(h));
  EXPECT_EQ(progress(h), QStringLiteral("Configuration sent: %1 values").arg(total));
  EXPECT_FALSE(shown(h, "ContinueTransfer"));
  EXPECT_FALSE(busy(h));
}

TEST(ParameterHub, EditorOpenedDuringATransferStopsItTheHubSaysWhatIsLeftAndContinueSendsIt) {
  TemporaryHome home;
  Harness h;
  openHub(h, {}, core::kEnglish);
  const int total = storeOtherCar(h, home);
  h.advance(1000);
  h.click("Form5", "Command2");  // the one editor the hub leaves open to a transfer
  ASSERT_TRUE(h.window("Form10"));
  // Stopped, back to idle, and not silent about it.
  EXPECT_FALSE(h.shared().bulkTransfer);
  EXPECT_FALSE(busy(h));
  for (const char* b : {"Command1", "Command5", "Command7", "Command9"}) EXPECT_TRUE(enabled(h, b)) << b;
  EXPECT_TRUE(shown(h, "ContinueTransfer"));
  const int held = total - differingItems(h);
  EXPECT_TRUE(progress(h).startsWith(QStringLiteral("Sending interrupted: %1 of %2 values sent. Not sent: parameters ")
                                         .arg(held)
                                         .arg(total)))
      << progress(h).toStdString();
  EXPECT_TRUE(progress(h).endsWith("; cells 1-64. CONTINUE sends the rest.")) << progress(h).toStdString();
  h.clearSent();
  h.advance(3000);
  EXPECT_TRUE(h.sent().empty());  // one window talks at a time

  h.click("Form10", "Command1");
  h.click("Form5", "ContinueTransfer");
  EXPECT_TRUE(busy(h));
  EXPECT_FALSE(shown(h, "ContinueTransfer"));
  h.advance(30000);
  EXPECT_TRUE(ecuHoldsOtherCar(h));
  EXPECT_EQ(progress(h), QStringLiteral("Configuration sent: %1 values").arg(total));
  EXPECT_TRUE(enabled(h, "Command1"));
}

TEST(ParameterHub, ExitDuringATransferWarnsThatTheEcuHoldsAPartialConfiguration) {
  TemporaryHome home;
  Harness h;
  openHub(h, {}, core::kEnglish);
  const int total = storeOtherCar(h, home);
  h.advance(500);
  h.setNextConfirmation(false);
  h.click("Form5", "Command8");
  EXPECT_EQ(h.lastConfirmation(),
            QStringLiteral("The configuration has not been sent completely: the ECU holds a partial configuration "
                           "(4 of %1 values sent). Exit anyway?")
                .arg(total));
  ASSERT_TRUE(h.window("Form5"));  // stayed, and the transfer goes on
  h.clearSent();
  h.advance(500);
  EXPECT_EQ(h.sentWithCommand(2).size(), 5u);

  h.click("Form5", "Command8");  // yes
  EXPECT_FALSE(h.window("Form5"));
  EXPECT_FALSE(h.shared().bulkTransfer);
  h.clearSent();
  h.advance(1000);
  EXPECT_TRUE(h.sent().empty());
}

TEST(ParameterHub, RestoreOfDefaultsStoppedByAnEditorCanBeCompleted) {
  Harness h;
  openHub(h, distinctiveVehicle, core::kEnglish);
  h.click("Form5", "Command7");
  h.click("Form5", "Command2");
  EXPECT_FALSE(h.shared().bulkTransfer);
  EXPECT_TRUE(enabled(h, "Command1"));
  EXPECT_EQ(progress(h), "Restoring the default values was interrupted: the ECU's values have not been read back. "
                         "CONTINUE completes it.");
  h.close("Form10");
  h.click("Form5", "ContinueTransfer");
  h.advance(5000);
  EXPECT_EQ(h.shared().param(1).ecu, sim::Ecu().param(1));
  EXPECT_EQ(progress(h), "Default values restored and read back from the ECU");
  EXPECT_FALSE(shown(h, "ContinueTransfer"));
}

TEST(ParameterHub, SavedWorkbookAlwaysCarriesTheXlsxSuffixAndTheHubSaysWhereItWent) {
  TemporaryHome home;
  Harness h;
  openHub(h, distinctiveVehicle, core::kEnglish);
  const QString folder = home.archive();
  h.setNextFileName(folder + "/car.xls");
  h.click("Form5", "Command9");
  EXPECT_FALSE(QFile::exists(folder + "/car.xls"));
  auto read = platform::readVehicleWorkbook((folder + "/car.xlsx").toStdString());
  ASSERT_TRUE(read.ok) << read.error;
  EXPECT_EQ(read.sheet.params[0].number, 101);
  EXPECT_EQ(progress(h), "Configuration saved in " + folder + "/car.xlsx");

  h.setNextFileName(folder + "/Fiat.Punto");
  h.click("Form5", "Command9");
  EXPECT_TRUE(platform::readVehicleWorkbook((folder + "/Fiat.Punto.xlsx").toStdString()).ok);

  // car.xls again: the dialog never asked about replacing car.xlsx, so the hub does.
  QFile other(folder + "/car.xlsx");
  ASSERT_TRUE(other.open(QIODevice::WriteOnly | QIODevice::Truncate));
  other.write("another car's notes");
  other.close();
  h.setNextConfirmation(false);
  h.setNextFileName(folder + "/car.xls");
  h.click("Form5", "Command9");
  EXPECT_EQ(h.lastConfirmation(), "The file \"car.xlsx\" already exists. Replace it?");
  EXPECT_FALSE(platform::readVehicleWorkbook((folder + "/car.xlsx").toStdString()).ok);
  EXPECT_EQ(progress(h), "Configuration not saved: \"car.xlsx\" was kept as it was");
  EXPECT_TRUE(enabled(h, "Command9"));
  h.setNextFileName(folder + "/car.xls");
  h.click("Form5", "Command9");
  EXPECT_TRUE(platform::readVehicleWorkbook((folder + "/car.xlsx").toStdString()).ok);
}
