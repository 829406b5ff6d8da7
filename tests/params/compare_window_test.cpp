// Comparing a vehicle workbook with the ECU (or with another workbook) from
// the parameter hub: what it lists, that it sends nothing, and sending from it.

#include <gtest/gtest.h>

#include <QDir>
#include <QTableWidget>

#include "core/language.h"
#include "params/archive.h"
#include "params/compare_open.h"
#include "params_support.h"
#include "sim/factory.h"

using namespace kelvo6;
using namespace kelvo6::testing;

namespace {

using Changes = std::vector<std::pair<int, int>>;

// The simulated ECU's factory configuration with some parameters and cells
// changed, saved as a workbook.
void writeWorkbook(const QString& path, const Changes& params, const Changes& cells) {
  core::Shared vehicle;
  const auto factoryParams = sim::factoryParameters();
  const auto factoryCells = sim::factoryCells();
  for (int n = 1; n <= 62; ++n) vehicle.param(n).ecu = factoryParams[static_cast<std::size_t>(n)];
  for (int n = 1; n <= 64; ++n) vehicle.cell(n).ecu = factoryCells[static_cast<std::size_t>(n)];
  for (auto [n, v] : params) vehicle.param(n).ecu = v;
  for (auto [n, v] : cells) vehicle.cell(n).ecu = v;
  ASSERT_FALSE(params::saveVehicle(path.toStdString(), vehicle));
}

QTableWidget* list(Harness& h) { return h.control<QTableWidget>("Compare", "ParameterList"); }
QString at(Harness& h, int row, int column) { return list(h)->item(row, column)->text(); }
QString cellText(Harness& h, int n) { return h.control<QLabel>("Compare", QStringLiteral("Cell_%1").arg(n))->text(); }
QColor cellColour(Harness& h, int n) {
  return h.control<QLabel>("Compare", QStringLiteral("Cell_%1").arg(n))->property("backColor").value<QColor>();
}
std::vector<int> listedParameters(Harness& h) {
  std::vector<int> out;
  for (int row = 0; row < list(h)->rowCount(); ++row) out.push_back(at(h, row, 0).toInt());
  return out;
}
std::vector<int> pendingValues(Harness& h) {
  std::vector<int> out;
  for (int n = 1; n <= 62; ++n) out.push_back(h.shared().param(n).pending);
  for (int n = 1; n <= 64; ++n) out.push_back(h.shared().cell(n).pending);
  return out;
}

const QColor kYellow(255, 255, 0), kWhite(255, 255, 255);

TEST(CompareWindow, ListsExactlyWhatTheWorkbookWouldChangeAndSendsNothing) {
  TemporaryHome home;
  const QString path = home.path() + "/golf.xlsx";
  writeWorkbook(path, {{2, 0}, {4, 420}, {12, 2500}, {58, 2}}, {{9, 110}, {64, 120}});
  Harness h;
  openHub(h, {}, core::kEnglish);
  const std::vector<int> pendingBefore = pendingValues(h);
  h.clearSent();
  h.setNextFileName(path);
  h.click("Form5", "Command10");
  ASSERT_TRUE(h.window("Compare"));
  EXPECT_EQ(h.window("Compare")->windowTitle(), "KELVO6 - Compare with ECU");
  EXPECT_EQ(h.lastDialogFolder(), home.archive());

  EXPECT_EQ(listedParameters(h), (std::vector<int>{2, 4, 12, 58}));
  EXPECT_EQ(list(h)->horizontalHeaderItem(3)->text(), "ECU");
  EXPECT_EQ(list(h)->horizontalHeaderItem(4)->text(), "golf.xlsx");
  EXPECT_EQ(at(h, 2, 1), "engine speed for the petrol-to-gas change-over");
  EXPECT_EQ(at(h, 2, 2), "rpm");
  EXPECT_EQ(at(h, 2, 3), "2300");
  EXPECT_EQ(at(h, 2, 4), "2500");
  // No ignition coil is no plausible car: said beside it, and only there.
  EXPECT_EQ(at(h, 0, 5), "golf.xlsx: Unusual value: expected 1 to 8");
  for (int row = 1; row < 4; ++row) EXPECT_EQ(at(h, row, 5), "") << row;

  EXPECT_EQ(cellText(h, 9), QString("115 \u2192 110"));
  EXPECT_EQ(cellColour(h, 9), kYellow);
  EXPECT_EQ(cellText(h, 64), QString("115 \u2192 120"));
  EXPECT_EQ(cellText(h, 1), "115");
  EXPECT_EQ(cellColour(h, 1), kWhite);
  EXPECT_EQ(h.control<QLabel>("Compare", "LabelCount")->text(), "Differences: 6 (parameters 4, KGB cells 2)");

  h.advance(3000);
  EXPECT_TRUE(h.sent().empty()) << "comparing sends nothing";
  EXPECT_EQ(pendingValues(h), pendingBefore) << "nor prepares anything to send";
  h.click("Compare", "Command2");
  EXPECT_FALSE(h.window("Compare"));
  h.advance(3000);
  EXPECT_TRUE(h.sent().empty());
  EXPECT_TRUE(h.control<QPushButton>("Form5", "Command5")->isEnabled());
}

TEST(CompareWindow, SendLeavesTheEcuHoldingTheWorkbook) {
  TemporaryHome home;
  const QString path = home.path() + "/punto.xlsx";
  writeWorkbook(path, {{4, 400}, {5, 650}, {30, 850}, {62, 1}, {40, 6100}}, {{1, 100}, {33, 105}, {64, 130}});
  Harness h;
  openHub(h);
  h.setNextFileName(path);
  h.click("Form5", "Command10");
  ASSERT_TRUE(h.window("Compare"));
  h.clearSent();
  h.click("Compare", "Command1");
  EXPECT_FALSE(h.window("Compare"));
  h.advance(10000);
  params::Configuration workbook;
  ASSERT_FALSE(params::readConfiguration(path.toStdString(), &workbook));
  for (int n = 1; n <= 62; ++n) EXPECT_EQ(h.ecu()->param(n), workbook.params[static_cast<std::size_t>(n - 1)]) << n;
  for (int n = 1; n <= 64; ++n) EXPECT_EQ(h.ecu()->cell(n), workbook.cells[static_cast<std::size_t>(n - 1)]) << n;
  EXPECT_EQ(h.sentWithCommand(2).size() + h.sentWithCommand(9).size(), 8u) << "only what differed";
  EXPECT_FALSE(h.shared().bulkTransfer);
  EXPECT_TRUE(h.control<QPushButton>("Form5", "Command5")->isEnabled());
}

TEST(CompareWindow, TwoWorkbooksCompareWithoutAnEcu) {
  TemporaryHome home;
  const QString first = home.path() + "/before.xlsx", second = home.path() + "/after.xlsx";
  writeWorkbook(first, {}, {});
  writeWorkbook(second, {{13, 60}}, {{20, 112}});
  Harness h;
  openHubNotConnected(h, core::kItalian);
  EXPECT_FALSE(h.control<QPushButton>("Form5", "Command10")->isEnabled()) << "needs the ECU";
  ASSERT_TRUE(h.control<QPushButton>("Form5", "Command11")->isEnabled());
  EXPECT_EQ(h.control<QPushButton>("Form5", "Command11")->text(), "Confronta due vetture");
  h.setNextFileNames({first, second});
  h.click("Form5", "Command11");
  ASSERT_TRUE(h.window("Compare"));
  EXPECT_EQ(h.window("Compare")->windowTitle(), "KELVO6 - Confronta due vetture");
  EXPECT_FALSE(h.control<QPushButton>("Compare", "Command1")->isVisibleTo(h.window("Compare"))) << "nothing to send to";
  EXPECT_EQ(listedParameters(h), std::vector<int>{13});
  EXPECT_EQ(list(h)->horizontalHeaderItem(3)->text(), "before.xlsx");
  EXPECT_EQ(cellText(h, 20), QString("115 \u2192 112"));
  EXPECT_EQ(h.control<QLabel>("Compare", "LabelCount")->text(), "Differenze: 2 (parametri 1, celle KGB 1)");
  EXPECT_TRUE(h.sent().empty());
}

// In the fitter's language: meanings, units and choices as the editors caption
// them; a temperature as the ECU holds it (65526 is no -10); two workbooks of
// one name told apart by their folders.
TEST(CompareWindow, SpeaksTheFittersLanguageAndTellsSameNamedWorkbooksApart) {
  TemporaryHome home;
  const QString first = home.path() + "/golf/car.xlsx", second = home.path() + "/punto/car.xlsx";
  QDir().mkpath(home.path() + "/golf");
  QDir().mkpath(home.path() + "/punto");
  writeWorkbook(first, {}, {});
  writeWorkbook(second, {{3, 0}, {13, 65526}}, {});
  struct Case {
    int language;
    const char *meaning, *before, *after, *note;
  };
  const Case cases[] = {
      {core::kItalian, "sonda lambda 1, tipo sensore", "DIRITTA 0-1V", "DIRITTA 0-5V", "previsto da 0 a 150"},
      {core::kEnglish, "lambda probe 1 sensor type", "STRAIGHT 0-1V", "STRAIGHT 0-5V", "expected 0 to 150"},
      {core::kTurkish, "lambda sensoru 1 tipi", "DUZ 0-1V", "DUZ 0-5V", "beklenen 0 - 150"},
  };
  for (const Case& c : cases) {
    Harness h;
    openHubNotConnected(h, c.language);
    h.setNextFileNames({first, second});
    h.click("Form5", "Command11");
    ASSERT_TRUE(h.window("Compare"));
    ASSERT_EQ(listedParameters(h), (std::vector<int>{3, 13}));
    EXPECT_EQ(list(h)->horizontalHeaderItem(3)->text(), QDir::toNativeSeparators("golf/car.xlsx"));
    EXPECT_EQ(list(h)->horizontalHeaderItem(4)->text(), QDir::toNativeSeparators("punto/car.xlsx"));
    EXPECT_EQ(at(h, 0, 1), c.meaning);
    EXPECT_EQ(at(h, 0, 2), "");
    EXPECT_EQ(at(h, 0, 3), c.before);
    EXPECT_EQ(at(h, 0, 4), c.after);
    EXPECT_EQ(at(h, 1, 2), QString("\u00b0C"));
    EXPECT_EQ(at(h, 1, 4), "65526");
    EXPECT_TRUE(at(h, 1, 5).endsWith(c.note)) << at(h, 1, 5).toStdString();
  }
}

TEST(CompareWindow, WorkbookNamesShowAsMuchOfTheFolderAsTellsThemApart) {
  const struct {
    const char *first, *second, *firstName, *secondName;
  } cases[] = {
      {"/w/a.xlsx", "/w/b.xlsx", "a.xlsx", "b.xlsx"},
      {"/w/golf/car.xlsx", "/w/punto/car.xlsx", "golf/car.xlsx", "punto/car.xlsx"},
      {"/x/golf/car.xlsx", "/y/golf/car.xlsx", "x/golf/car.xlsx", "y/golf/car.xlsx"},
      {"/w/car.xlsx", "/w/old/car.xlsx", "w/car.xlsx", "old/car.xlsx"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(params::distinctNames(c.first, c.second),
              std::make_pair(QDir::toNativeSeparators(c.firstName), QDir::toNativeSeparators(c.secondName)))
        << c.first;
}

TEST(CompareWindow, ACancelledOrRefusedWorkbookOpensNoComparison) {
  TemporaryHome home;
  Harness h;
  openHub(h);
  h.setNextFileName("");
  h.click("Form5", "Command10");
  EXPECT_FALSE(h.window("Compare"));
  EXPECT_FALSE(h.window("Form12"));

  const QString good = home.path() + "/good.xlsx";
  writeWorkbook(good, {}, {});
  h.setNextFileNames({good, KELVO6_FIXTURES_DIR "/cell_out_of_range.ods"});
  h.click("Form5", "Command11");
  EXPECT_FALSE(h.window("Compare"));
  QWidget* message = h.window("Form12");
  ASSERT_TRUE(message);
  EXPECT_TRUE(message->findChild<QLabel*>("Label1")->text().contains("cell_out_of_range.ods"));
  const QString text = message->findChild<QLabel*>("Label1")->text();
  EXPECT_TRUE(text.contains("cell_out_of_range.ods")) << text.toStdString();
}

}  // namespace
