// The production record: what a unit's row holds, and that appends survive a
// writer killed between rows, or a row torn by a power cut.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <filesystem>

#include <sys/resource.h>

#include <csignal>

#include "eol/records_file.h"
#include "eol/records_row.h"
#include "records_sample.h"
#include "support/harness.h"

namespace kelvo6::eol {
namespace {

std::size_t column(const std::string& name) {
  const auto header = recordHeader();
  return static_cast<std::size_t>(std::find(header.begin(), header.end(), name) - header.begin());
}

TEST(ProductionRecordRow, HoldsEveryLampShownForTheCylinderCountAndTheOverallResult) {
  UnitResult u{"2024-05-17T14:03:22", "3.1.4", 4, {}};
  u.red[static_cast<std::size_t>(statLamp(6))] = true;  // injector 6: not fitted on a four-cylinder unit
  auto fields = recordFields(u);
  ASSERT_EQ(fields.size(), recordHeader().size());
  EXPECT_EQ(fields[0], "2024-05-17T14:03:22");
  EXPECT_EQ(fields[1], "3.1.4");
  EXPECT_EQ(fields[2], "4");
  EXPECT_EQ(fields[column("INJ4 IN")], "PASS");
  EXPECT_EQ(fields[column("INJ5 STAT")], "");
  EXPECT_EQ(fields[column("INJ6 STAT")], "");
  EXPECT_EQ(fields[column("RELE EMUL INJ 3-4")], "PASS");
  EXPECT_EQ(fields[column("RELE EMUL INJ 5-6")], "");
  EXPECT_EQ(fields[column("WATCH DOG")], "PASS");
  EXPECT_EQ(fields.back(), "PASS") << "a lamp the unit does not show cannot fail it";

  u.cylinders = 6;
  fields = recordFields(u);
  EXPECT_EQ(fields[column("INJ6 STAT")], "FAIL");
  EXPECT_EQ(fields[column("INJ7 STAT")], "");
  EXPECT_EQ(fields.back(), "FAIL");

  u = UnitResult{"2024-05-17T14:03:22", "", 8, {}};
  u.red[54] = true;
  fields = recordFields(u);
  EXPECT_EQ(fields[1], "") << "version not known";
  EXPECT_EQ(fields[column("EEPROM")], "FAIL");
  EXPECT_EQ(fields[column("INJ8 IN")], "PASS");
  EXPECT_EQ(fields.back(), "FAIL");
}

TEST(ProductionRecordRow, TakesTheChecksFromTheDecodedReportAndTheResetLampsAsPainted) {
  std::array<int, 8> injectors{};
  injectors[2] = 0x0D;  // injector 3: STAT, EMUL and IN fail
  std::array<int, 9> checks{};
  checks[2] = 0x12;  // BUZZER and TPS_ANALOGICO fail
  const DecodedResults d = decodeResults(injectors, checks);

  UnitResult u = unitResult("2024-05-17T14:03:22", "1.2.3", 4, d, true, true);
  for (int lamp : {statLamp(3), emulLamp(3), inLamp(3), 41, 36})
    EXPECT_TRUE(u.red[static_cast<std::size_t>(lamp)]) << lamp;
  EXPECT_FALSE(u.red[static_cast<std::size_t>(outLamp(3))]);
  EXPECT_FALSE(u.red[kWatchDogLamp]);
  EXPECT_FALSE(passed(u));

  const DecodedResults clean = decodeResults({}, {});
  EXPECT_TRUE(passed(unitResult("t", "v", 8, clean, true, true)));
  EXPECT_FALSE(passed(unitResult("t", "v", 8, clean, true, false))) << "the ECU reset did not finish";
  EXPECT_FALSE(passed(unitResult("t", "v", 8, clean, false, false)));
}

TEST(ProductionRecordRow, CsvFieldsWithCommasOrQuotesComeBackAsWritten) {
  const std::vector<std::string> fields{"plain", "a,b", "say \"hi\"", "", "two\nlines"};
  std::string line = csvLine(fields);
  ASSERT_EQ(line.back(), '\n');
  line.pop_back();
  EXPECT_EQ(splitCsvLine(line), fields);
  EXPECT_EQ(csvLine({"2024-05-17T14:03:22", "1.2.3", "4"}), "2024-05-17T14:03:22,1.2.3,4\n");
}

class RecordsFolder : public ::testing::Test {
 protected:
  std::string folder() const { return (dir_.path() + "/TAVRIN_IE/EndOfLine").toStdString(); }
  std::string dayFile() const { return folder() + "/2024-05-17.csv"; }
  QByteArray bytes() const {
    QFile f(QString::fromStdString(dayFile()));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
  }
  void addBytes(const QByteArray& b) const {
    QFile f(QString::fromStdString(dayFile()));
    ASSERT_TRUE(f.open(QIODevice::Append));
    f.write(b);
  }
  static std::vector<std::string> fieldsOf(int i) { return recordFields(sample::unit(i)); }

  QTemporaryDir dir_;
};

TEST_F(RecordsFolder, FirstRowCreatesTheFolderAndTheDayFileWithItsHeader) {
  ASSERT_EQ(appendRecord(folder(), sample::unit(0)), "");
  ASSERT_EQ(appendRecord(folder(), sample::unit(1)), "");
  EXPECT_TRUE(bytes().startsWith(QByteArray::fromStdString(csvLine(recordHeader()))));
  EXPECT_EQ(bytes().count("DATE TIME"), 1) << "one header";
  RecordsRead r = readRecords(dayFile());
  EXPECT_TRUE(r.headerFirst);
  EXPECT_EQ(r.tornLines, 0);
  ASSERT_EQ(r.rows.size(), 2u);
  EXPECT_EQ(r.rows[0], fieldsOf(0));
  EXPECT_EQ(r.rows[1], fieldsOf(1));
  EXPECT_EQ(recordsFileName("2024-05-17T23:59:59"), "2024-05-17.csv");
}

TEST_F(RecordsFolder, ARowTornByACrashStaysOnItsOwnLineAndTheNextRowIsWhole) {
  ASSERT_EQ(appendRecord(folder(), sample::unit(0)), "");
  const std::string row = csvLine(fieldsOf(1));
  addBytes(QByteArray::fromStdString(row.substr(0, row.size() / 2)));
  ASSERT_EQ(appendRecord(folder(), sample::unit(2)), "");
  RecordsRead r = readRecords(dayFile());
  EXPECT_EQ(r.tornLines, 1);
  ASSERT_EQ(r.rows.size(), 2u);
  EXPECT_EQ(r.rows[1], fieldsOf(2));

  // Cut inside the last field, a row still counts its columns right: not whole.
  addBytes(QByteArray::fromStdString(row.substr(0, row.size() - 3)));
  ASSERT_EQ(appendRecord(folder(), sample::unit(3)), "");
  r = readRecords(dayFile());
  EXPECT_EQ(r.tornLines, 2);
  ASSERT_EQ(r.rows.size(), 3u);
  EXPECT_EQ(r.rows[2], fieldsOf(3));
}

TEST_F(RecordsFolder, AFolderThatCannotBeMadeIsReported) {
  QFile blocker(dir_.path() + "/TAVRIN_IE");
  ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));  // a file where the folder should be
  blocker.close();
  EXPECT_NE(appendRecord(folder(), sample::unit(0)), "");
  EXPECT_NE(readRecords(dayFile()).error, "");
}

// The writer child, killed with SIGKILL once it has said `until`.
class Writer {
 public:
  Writer(const std::string& folder, int rows, const char* mode) {
    testing::ensureApplication();
    QStringList args{QString::fromStdString(folder), QString::number(rows)};
    if (mode) args << QString::fromLatin1(mode);
    process_.start(QStringLiteral(KELVO6_RECORDS_WRITER), args);
  }
  ~Writer() { kill(); }
  bool waitFor(const QByteArray& line) {
    while (process_.waitForReadyRead(10000) || process_.canReadLine()) {
      while (process_.canReadLine())
        if (process_.readLine().trimmed() == line) return true;
    }
    return false;
  }
  bool kill() {
    if (process_.state() == QProcess::NotRunning) return false;
    process_.kill();  // SIGKILL
    process_.waitForFinished(10000);
    return process_.exitStatus() == QProcess::CrashExit;
  }

 private:
  QProcess process_;
};

TEST_F(RecordsFolder, WriterKilledBetweenRowsLeavesEveryRowWholeAndTheFileGoesOn) {
  Writer w(folder(), 5, nullptr);
  ASSERT_TRUE(w.waitFor("ready"));
  ASSERT_TRUE(w.kill());
  ASSERT_EQ(appendRecord(folder(), sample::unit(5)), "");
  RecordsRead r = readRecords(dayFile());
  EXPECT_EQ(r.tornLines, 0);
  ASSERT_EQ(r.rows.size(), 6u);
  for (int i = 0; i < 6; ++i) EXPECT_EQ(r.rows[static_cast<std::size_t>(i)], fieldsOf(i)) << i;
}

TEST_F(RecordsFolder, WriterKilledAfterATornRowLosesOnlyThatRow) {
  Writer w(folder(), 3, "--torn");
  ASSERT_TRUE(w.waitFor("ready"));
  ASSERT_TRUE(w.kill());
  ASSERT_EQ(appendRecord(folder(), sample::unit(4)), "");
  RecordsRead r = readRecords(dayFile());
  EXPECT_EQ(r.tornLines, 1);
  ASSERT_EQ(r.rows.size(), 4u);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(r.rows[static_cast<std::size_t>(i)], fieldsOf(i)) << i;
  EXPECT_EQ(r.rows[3], fieldsOf(4));
}

// Killed wherever it happens to be while appending: every row it wrote reads
// back whole and in order, and the next append starts on a line of its own.
TEST_F(RecordsFolder, WriterKilledWhileAppendingLeavesWholeRowsInOrder) {
  Writer w(folder(), 0, "--endless");
  ASSERT_TRUE(w.waitFor("written 20"));
  ASSERT_TRUE(w.kill());
  RecordsRead before = readRecords(dayFile());
  ASSERT_GE(before.rows.size(), 20u);
  EXPECT_LE(before.tornLines, 1);
  for (std::size_t i = 0; i < before.rows.size(); ++i) EXPECT_EQ(before.rows[i], fieldsOf(static_cast<int>(i))) << i;

  const int next = static_cast<int>(before.rows.size());
  ASSERT_EQ(appendRecord(folder(), sample::unit(next)), "");
  RecordsRead after = readRecords(dayFile());
  ASSERT_EQ(after.rows.size(), before.rows.size() + 1);
  EXPECT_EQ(after.rows.back(), fieldsOf(next));
}

// A disk that fills mid-row (here a file size limit just past the file's end):
// the row is refused whole, the file is left as it was, and the next append,
// once there is room again, adds a whole row.
TEST_F(RecordsFolder, AFullDiskLeavesNoTornRowAndTheFileGoesOn) {
  ASSERT_EQ(appendRecord(folder(), sample::unit(0)), "");
  const QByteArray before = bytes();
  rlimit previous{};
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &previous), 0);
  auto previousSignal = std::signal(SIGXFSZ, SIG_IGN);
  rlimit tight = previous;
  tight.rlim_cur = static_cast<rlim_t>(before.size() + 10);
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &tight), 0);
  const std::string error = appendRecord(folder(), sample::unit(1));
  ::setrlimit(RLIMIT_FSIZE, &previous);
  std::signal(SIGXFSZ, previousSignal);
  EXPECT_NE(error, "");
  EXPECT_EQ(bytes(), before);
  ASSERT_EQ(appendRecord(folder(), sample::unit(1)), "");
  RecordsRead after = readRecords(dayFile());
  EXPECT_EQ(after.tornLines, 0);
  ASSERT_EQ(after.rows.size(), 2u);
  EXPECT_EQ(after.rows[1], fieldsOf(1));
}

}  // namespace
}  // namespace kelvo6::eol
