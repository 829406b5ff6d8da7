// The end-of-line window keeps every unit that reached its results in the day's
// production record, and writes a unit's PDF report for its box.

#include <gtest/gtest.h>

#include <signal.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <functional>

#include "core/shared.h"
#include "eol/records_file.h"
#include "eol/records_report.h"
#include "eol/records_row.h"
#include "app/app.h"
#include "platform/end_signals.h"
#include "sim/ecu.h"
#include "support/harness.h"

namespace kelvo6::testing {
namespace {

constexpr int kTick = 200;

QString message(Harness& h) { return h.control<QLabel>("Form9", "Label12")->text(); }

// HOME in a folder of the test's own, so that the record can be read back.
class Home {
 public:
  Home() : previous_(qgetenv("HOME")) { qputenv("HOME", dir_.path().toUtf8()); }
  ~Home() { qputenv("HOME", previous_); }
  QString path() const { return dir_.path(); }
  QString records() const { return dir_.path() + "/TAVRIN_IE/EndOfLine"; }
  // The rows of the one day's file (a run does not cross midnight here).
  eol::RecordsRead read() const {
    QStringList days = QDir(records()).entryList({"*.csv"}, QDir::Files);
    if (days.size() != 1) return {"expected one day file, found " + std::to_string(days.size()), false, {}, 0};
    return eol::readRecords((records() + "/" + days.first()).toStdString());
  }

 private:
  QTemporaryDir dir_;
  QByteArray previous_;
};

std::string field(const std::vector<std::string>& row, const std::string& name) {
  const auto header = eol::recordHeader();
  auto at = std::find(header.begin(), header.end(), name);
  return at == header.end() ? "no such column" : row[static_cast<std::size_t>(at - header.begin())];
}

void openEndOfLine(Harness& h) {
  h.click("Form1", "Command1");
  h.advance(2500);
  h.click("Form2", "Command2");
  ASSERT_TRUE(h.window("Form9"));
}

void tickUntil(Harness& h, const std::function<bool()>& done, int limit = 200) {
  for (int i = 0; i < limit && !done(); ++i) h.advance(kTick);
}

// A whole test (cylinder option 0, 1, 2: 4, 6, 8 cylinders) against the simulated ECU, the operator
// switching the key off and on when asked.
void runToResetOk(Harness& h, int cylinderOption) {
  h.click("Form9", QStringLiteral("Option1_%1").arg(cylinderOption));
  h.click("Form9", "Command2");
  tickUntil(h, [&] { return message(h).startsWith("CHIAVE OFF ENTRO"); });
  h.ecu()->selfTest().setKeyOff(true, h.nowMs());
  tickUntil(h, [&] { return message(h) == "CHIAVE OFF - PORTARLA SU ON"; });
  h.ecu()->selfTest().setKeyOff(false, h.nowMs());
  tickUntil(h, [&] { return message(h) == "RESET OK"; });
  ASSERT_EQ(message(h), "RESET OK");
}

bool enabled(Harness& h, const char* name) { return h.control<QPushButton>("Form9", name)->isEnabled(); }

TEST(EndOfLineRecords, PassingAndFailingUnitsEachAppendTheirRow) {
  Home home;
  Harness h;
  h.ecu()->setVersion(3, 2, 7);
  openEndOfLine(h);
  EXPECT_FALSE(enabled(h, "Command3")) << "no unit to report yet";
  runToResetOk(h, 2);
  EXPECT_TRUE(enabled(h, "Command3"));

  h.ecu()->selfTest().failOneCheck();  // what kelvo6-ecusim --eol-fail does
  runToResetOk(h, 0);

  eol::RecordsRead r = home.read();
  ASSERT_EQ(r.error, "");
  EXPECT_TRUE(r.headerFirst);
  ASSERT_EQ(r.rows.size(), 2u);
  const auto& pass = r.rows[0];
  EXPECT_TRUE(QDateTime::fromString(QString::fromStdString(pass[0]), Qt::ISODate).isValid()) << pass[0];
  EXPECT_EQ(field(pass, "ECU VERSION"), "3.2.7");
  EXPECT_EQ(field(pass, "CYLINDERS"), "8");
  EXPECT_EQ(field(pass, "INJ8 IN"), "PASS");
  EXPECT_EQ(field(pass, "EEPROM"), "PASS");
  EXPECT_EQ(field(pass, "WATCH DOG"), "PASS");
  EXPECT_EQ(field(pass, "RESULT"), "PASS");

  const auto& fail = r.rows[1];
  EXPECT_EQ(field(fail, "CYLINDERS"), "4");
  EXPECT_EQ(field(fail, "INJ5 STAT"), "") << "not shown for four cylinders";
  EXPECT_EQ(field(fail, "EEPROM"), "FAIL");
  EXPECT_EQ(field(fail, "BATTERIA"), "PASS");
  EXPECT_EQ(field(fail, "POWER LATCH"), "PASS");
  EXPECT_EQ(field(fail, "RESULT"), "FAIL");

  h.click("Form9", "Command2");
  EXPECT_FALSE(enabled(h, "Command3")) << "a new unit is under test";
}

// A unit whose results were shown and which was then left (EXIT, or EOL for
// the next one) is recorded as failed; a test that never showed results is not.
TEST(EndOfLineRecords, AUnitLeftBeforeItsResetIsRecordedAsFailed) {
  Home home;
  Harness h;
  openEndOfLine(h);
  h.click("Form9", "Command2");
  h.advance(3 * kTick);  // still running: no results yet
  h.click("Form9", "Command1");
  EXPECT_FALSE(QDir(home.records()).exists());

  h.click("Form2", "Command2");
  h.click("Form9", "Command2");
  tickUntil(h, [&] { return message(h).startsWith("CHIAVE OFF ENTRO"); });
  h.click("Form9", "Command2");  // the next unit, without the key cycle
  h.advance(kTick);  // the prompt of the unit before goes
  tickUntil(h, [&] { return message(h).startsWith("CHIAVE OFF ENTRO"); });
  h.click("Form9", "Command1");

  eol::RecordsRead r = home.read();
  ASSERT_EQ(r.rows.size(), 2u);
  for (const auto& row : r.rows) {
    EXPECT_EQ(field(row, "EEPROM"), "PASS");
    EXPECT_EQ(field(row, "WATCH DOG"), "FAIL");
    EXPECT_EQ(field(row, "RESULT"), "FAIL");
  }
}

// Ended by the session (logout, shutdown) or Ctrl+C while a unit's results are
// on show: the program ends through its windows, and the unit has its row.
TEST(EndOfLineRecords, SigtermOrSigintWhileResultsAreShownLeavesTheUnitsRow) {
  for (int signal : {SIGTERM, SIGINT}) {
    Home home;
    Harness h;
    openEndOfLine(h);
    h.click("Form9", "Command2");
    tickUntil(h, [&] { return message(h).startsWith("CHIAVE OFF ENTRO"); });
    platform::EndSignals endSignals([&h] { h.app().endProgram(); });
    ASSERT_EQ(::kill(::getpid(), signal), 0);
    for (int i = 0; i < 100 && !h.programEnded(); ++i) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    EXPECT_TRUE(h.programEnded()) << signal;
    eol::RecordsRead r = home.read();
    ASSERT_EQ(r.rows.size(), 1u) << signal << r.error;
    EXPECT_EQ(field(r.rows[0], "RESULT"), "FAIL");
  }
}

TEST(EndOfLineRecords, ARecordThatCannotBeWrittenIsReportedAndTheTestGoesOn) {
  QTemporaryDir dir;
  QFile blocker(dir.path() + "/home");
  ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));  // HOME is a file: no folder can be made in it
  blocker.close();
  const QByteArray previous = qgetenv("HOME");
  qputenv("HOME", blocker.fileName().toUtf8());
  {
    Harness h;
    openEndOfLine(h);
    runToResetOk(h, 0);
    QWidget* m = h.window("Form12");
    ASSERT_TRUE(m);
    EXPECT_TRUE(m->findChild<QLabel*>("Label1")->text().contains("TAVRIN_IE"));
    EXPECT_FALSE(m->findChild<QLabel*>("Label2")->text().isEmpty()) << "the system's reason";
    EXPECT_TRUE(enabled(h, "Command3")) << "the report can still be written elsewhere";
  }
  qputenv("HOME", previous);
}

// The names the record and the report give the check lamps are the window's.
TEST(EndOfLineRecords, LampNamesAreTheWindowsLabels) {
  Harness h;
  openEndOfLine(h);
  for (int lamp = 32; lamp <= 56; ++lamp) {
    auto* label = h.control<QLabel>("Form9", QStringLiteral("LampLabel_%1").arg(lamp));
    if (lamp == 54) {
      EXPECT_EQ(label, nullptr) << "EEPROM's lamp stands under its frame's caption";
      continue;
    }
    ASSERT_TRUE(label) << lamp;
    EXPECT_EQ(label->text().toStdString(), eol::lampName(lamp)) << lamp;
  }
  for (const eol::LampGroup& g : eol::checkGroups()) {
    bool found = false;
    for (QObject* o : h.window("Form9")->children())
      if (auto* box = qobject_cast<QGroupBox*>(o)) found = found || box->title() == QLatin1String(g.caption);
    EXPECT_TRUE(found) << g.caption;
  }
}

// Renders the PDF's pages with pdftoppm; the PNG files made, in page order.
QStringList renderPages(const QString& pdf, const QString& prefix) {
  QString tool = QStandardPaths::findExecutable(QStringLiteral("pdftoppm"));
  if (tool.isEmpty()) return {QStringLiteral("pdftoppm missing: scripts/install-deps.sh installs poppler-utils")};
  QProcess p;
  p.start(tool, {"-r", "60", "-png", pdf, prefix});
  if (!p.waitForFinished(30000) || p.exitCode() != 0) return {QStringLiteral("pdftoppm failed")};
  QFileInfo f(prefix);
  QStringList pages = QDir(f.path()).entryList({f.fileName() + "*.png"}, QDir::Files, QDir::Name);
  for (QString& page : pages) page = f.path() + "/" + page;
  return pages;
}

int pixelsOf(const QImage& image, QColor colour) {
  int n = 0;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x) n += image.pixelColor(x, y) == colour;
  return n;
}

TEST(EndOfLineRecords, ReportIsOneA4PageWithTheLampsInTheirColours) {
  Home home;
  Harness h;
  h.click("Form1", "Command4");  // English
  openEndOfLine(h);
  h.ecu()->selfTest().failOneCheck();
  runToResetOk(h, 1);
  ASSERT_TRUE(enabled(h, "Command3"));
  h.setNextFileName(home.path() + "/unit-0042");
  h.click("Form9", "Command3");
  const QString pdf = home.path() + "/unit-0042.pdf";
  ASSERT_TRUE(QFile::exists(pdf));
  EXPECT_EQ(h.lastDialogFolder(), home.records());
  QWidget* m = h.window("Form12");
  ASSERT_TRUE(m);
  EXPECT_TRUE(m->findChild<QLabel*>("Label1")->text().contains("unit-0042.pdf"));

  QStringList pages = renderPages(pdf, home.path() + "/page");
  ASSERT_EQ(pages.size(), 1) << pages.join(", ").toStdString();
  QImage page(pages.first());
  ASSERT_FALSE(page.isNull());
  EXPECT_NEAR(double(page.height()) / page.width(), 297.0 / 210.0, 0.01) << "A4 portrait";
  // Lamps are drawn in the window's colours: the passed checks green, the
  // failed EEPROM and the overall result red.
  EXPECT_GT(pixelsOf(page, QColor(0, 255, 0)), 0);
  EXPECT_GT(pixelsOf(page, QColor(255, 0, 0)), 0);
  // Each result in words too: the failed check can be read and searched.
  QProcess text;
  text.start("pdftotext", {"-layout", pdf, "-"});
  ASSERT_TRUE(text.waitForFinished(30000));
  const QString words = QString::fromUtf8(text.readAllStandardOutput());
  EXPECT_TRUE(words.contains(QRegularExpression("Failed checks\\s+EEPROM"))) << words.toStdString();
  EXPECT_TRUE(words.contains(QRegularExpression("EEPROM\\s+FAILED"))) << words.toStdString();
  EXPECT_TRUE(words.contains(QRegularExpression("BATTERIA\\s+passed"))) << words.toStdString();
  if (qEnvironmentVariableIsSet("KELVO6_PNG_DIR"))
    page.save(QDir(qEnvironmentVariable("KELVO6_PNG_DIR")).filePath("end-of-line-report.png"));
}

TEST(EndOfLineRecords, AReportNameTypedWithoutPdfThatExistsIsReplacedOnlyWhenTheFitterSaysSo) {
  Home home;
  Harness h;
  openEndOfLine(h);
  runToResetOk(h, 0);
  const QString pdf = home.path() + "/unit-0042.pdf";
  for (bool replace : {false, true}) {
    QFile earlier(pdf);
    ASSERT_TRUE(earlier.open(QIODevice::WriteOnly));
    earlier.write("earlier unit's report");
    earlier.close();
    h.setNextConfirmation(replace);
    h.setNextFileName(home.path() + "/unit-0042");
    h.click("Form9", "Command3");
    EXPECT_TRUE(h.lastConfirmation().contains("unit-0042.pdf")) << h.lastConfirmation().toStdString();
    QFile after(pdf);
    ASSERT_TRUE(after.open(QIODevice::ReadOnly));
    EXPECT_EQ(after.readAll() == "earlier unit's report", !replace);
    if (h.window("Form12")) h.close("Form12");
  }
}

TEST(EndOfLineRecords, ReportThatCannotBeWrittenSaysSoAndLeavesNoFile) {
  QTemporaryDir dir;
  eol::UnitResult unit{"2024-05-17T14:03:22", "1.2.3", 4, {}};
  const QString inMissingFolder = dir.path() + "/no/such/folder/unit.pdf";
  EXPECT_FALSE(eol::writeReport(inMissingFolder, unit, 2).isEmpty());
  EXPECT_FALSE(QFile::exists(inMissingFolder));
}

}  // namespace
}  // namespace kelvo6::testing
