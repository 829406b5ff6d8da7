// Log files on disk: written by the threaded writer, read back by the reader
// the viewer uses; damaged and foreign files refused with the line named; a
// full disk and an unwritable folder; a recording process killed outright.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "datalog/csv_format.h"
#include "datalog/log_files.h"
#include "datalog/log_reader.h"
#include "datalog/log_writer.h"
#include "datalog/recorder.h"

namespace kelvo6::datalog {
namespace {

namespace fs = std::filesystem;

class LogFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/kelvo6-logs-XXXXXX";
    folder_ = ::mkdtemp(pattern);
  }
  void TearDown() override { fs::remove_all(folder_); }
  std::string path(const char* name) const { return folder_ + "/" + name; }
  static std::string slurp(const std::string& p) {
    std::ifstream in(p);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }
  void write(const std::string& p, const std::string& text) { std::ofstream(p) << text; }

  std::string folder_;
};

// A sample whose every channel holds something different.
Sample varied(std::int64_t t) {
  Sample s;
  s.tMs = t;
  for (int c = 0; c < kChannelCount; ++c) s.v[static_cast<std::size_t>(c)] = static_cast<int>((t / 10 + 7 * c) % 250);
  s[Ch::kTemperature2] = -40 + static_cast<int>(t % 100);
  s[Ch::kFuelFlag] = static_cast<int>((t / 50) % 2);
  return s;
}

LogInfo someInfo() {
  LogInfo info;
  info.program = "1.5.0";
  info.ecuVersion = "2.5.13";
  info.port = "/dev/ttyUSB0 9600,n,8,1";
  info.started = "2024-05-01T10:15:30+02:00";
  info.source = "Oscilloscope";
  info.rpmAxis = std::array<int, 8>{650, 1000, 2000, 3000, 4000, 5000, 6000, 7000};
  info.tinjAxis = std::array<int, 8>{2000, 3500, 5000, 7000, 9000, 11000, 13000, 15000};
  info.switchRpm = 2300;
  info.switchTemperature = 35;
  return info;
}

TEST_F(LogFiles, RecordedSamplesReadBackWithTheSameValuesAndFirstLine) {
  for (unsigned source : {unsigned{kLiveData}, unsigned{kCalibrationBlock}}) {
    const std::string p = path(source == kLiveData ? "live.csv" : "calibration.csv");
    std::string error;
    auto writer = LogWriter::start(p, someInfo(), channelsOf(source), &error);
    ASSERT_TRUE(writer) << error;
    for (int t = 0; t < 2500; t += 50) writer->append(varied(t));
    writer->stop();
    EXPECT_EQ(writer->bytesWritten(), fs::file_size(p));

    ReadResult r = readLog(p);
    ASSERT_TRUE(r.log) << static_cast<int>(r.problem) << " line " << r.line;
    const LogData& log = *r.log;
    EXPECT_EQ(log.present(), channelsOf(source));
    ASSERT_EQ(log.size(), 50u);
    for (std::size_t i = 0; i < log.size(); ++i) {
      Sample expected = varied(static_cast<std::int64_t>(i) * 50);
      EXPECT_EQ(log.times()[i], expected.tMs);
      for (Ch c : columnsOf(log.present())) EXPECT_EQ(log.values(c)[i], expected[c]) << heading(c) << " row " << i;
    }
    EXPECT_EQ(log.info.ecuVersion, "2.5.13");
    EXPECT_EQ(log.info.port, "/dev/ttyUSB0 9600,n,8,1");
    EXPECT_EQ(log.info.started, "2024-05-01T10:15:30+02:00");
    EXPECT_EQ(log.info.rpmAxis, someInfo().rpmAxis);
    EXPECT_EQ(log.info.tinjAxis, someInfo().tinjAxis);
    EXPECT_EQ(log.info.switchRpm, 2300);
    EXPECT_EQ(log.info.switchTemperature, 35);
    EXPECT_FALSE(r.cutShort);
  }
}

TEST_F(LogFiles, RowsReachTheFileOnceASecondOfRecordingHasPassed) {
  const std::string p = path("flush.csv");
  auto writer = LogWriter::start(p, someInfo(), channelsOf(kLiveData), nullptr);
  ASSERT_TRUE(writer);
  for (int t = 0; t <= 950; t += 50) writer->append(varied(t));
  writer->waitIdle();
  auto rows = [&] { return readLog(p).log->size(); };
  EXPECT_EQ(rows(), 0u);  // held: less than a second since the start
  writer->append(varied(1000));
  writer->waitIdle();
  EXPECT_EQ(rows(), 21u);  // everything up to and with the sample a second on
  writer->append(varied(1050));
  writer->stop();
  EXPECT_EQ(rows(), 22u);  // stopping writes the rest
}

TEST_F(LogFiles, ColumnsInAnyOrderUnknownColumnsAndQuotedFieldsAreRead) {
  const std::string p = path("edited.csv");
  write(p,
        "\"Time (ms)\",Comment,Lambda 1 (mV),Engine speed (rpm)\r\n"
        "0,\"idle, cold\",450,820\r\n"
        "100,,460,\"830\"\r\n");
  ReadResult r = readLog(p);
  ASSERT_TRUE(r.log);
  EXPECT_TRUE(r.log->has(Ch::kRpm));
  EXPECT_FALSE(r.log->has(Ch::kLevel));
  EXPECT_EQ(r.log->values(Ch::kRpm), (std::vector<std::int32_t>{820, 830}));
  EXPECT_EQ(r.log->values(Ch::kLambda1), (std::vector<std::int32_t>{450, 460}));
  EXPECT_FALSE(r.log->info.rpmAxis);
  EXPECT_EQ(r.leftOut, std::vector<std::string>{"Comment"});  // named, so the viewer can say so
}

TEST_F(LogFiles, UnitsReadBackFromUtf8WithOrWithoutMarkAndFromLatin1) {
  const std::string p = path("units.csv");
  auto w = LogWriter::start(p, someInfo(), channelsOf(kLiveData), nullptr);
  w->append(varied(0));
  w->stop();
  const std::string written = slurp(p);
  ASSERT_EQ(written.substr(0, 3), kUtf8Mark);  // spreadsheets then read "°C" as written
  ASSERT_NE(written.find("Temperature 1 (\xC2\xB0" "C)"), std::string::npos);

  std::string latin1;  // the same file saved by a spreadsheet as Latin-1, without the mark
  for (std::size_t i = 3; i < written.size(); ++i)
    if (written.compare(i, 2, "\xC2\xB0") == 0) latin1 += '\xB0', ++i;
    else latin1 += written[i];
  for (const std::string& text : {written, written.substr(3), latin1}) {
    ReadResult r = readLogText(text);
    ASSERT_TRUE(r.log) << r.line;
    EXPECT_TRUE(r.leftOut.empty());
    for (Ch c : {Ch::kTemperature1, Ch::kTemperature2}) EXPECT_EQ(r.log->values(c)[0], varied(0)[c]);
    EXPECT_EQ(r.log->info.switchRpm, 2300);
  }
}

TEST_F(LogFiles, DamagedOrForeignFilesAreRefusedWithTheLineNamed) {
  const std::string head = infoLine(someInfo()) + "Time (ms),Engine speed (rpm),Lambda 1 (mV)\n";
  struct Case {
    std::string text;
    ReadProblem problem;
    int line;
    std::string detail;
  };
  const Case cases[] = {
      {"Name,Price\nbread,2\n", ReadProblem::kNoHeading, 1, ""},
      {"", ReadProblem::kNoHeading, 1, ""},
      {head + "0,800,450\n100,8x0,450\n", ReadProblem::kNotANumber, 4, "Engine speed (rpm)"},
      {head + "0,800,450\n100,800\n", ReadProblem::kMissingFields, 4, ""},
      {head + "0,800,70000\n", ReadProblem::kOutOfRange, 3, "Lambda 1 (mV)"},
      {head + "0,800,-1\n", ReadProblem::kOutOfRange, 3, "Lambda 1 (mV)"},
      {head + "100,800,450\n50,800,450\n", ReadProblem::kTimeBackwards, 4, ""},
      {head + "0,800,450\n\n,800,450\n", ReadProblem::kNotANumber, 5, "Time (ms)"},
      {head + "0,99999999999,450\n", ReadProblem::kNotANumber, 3, "Engine speed (rpm)"},
  };
  for (const Case& c : cases) {
    ReadResult r = readLogText(c.text);
    EXPECT_FALSE(r.log) << c.text;
    EXPECT_EQ(r.problem, c.problem) << c.text;
    EXPECT_EQ(r.line, c.line) << c.text;
    EXPECT_EQ(r.detail, c.detail) << c.text;
  }
  EXPECT_EQ(readLog(path("missing.csv")).problem, ReadProblem::kCannotOpen);
}

TEST_F(LogFiles, TheFirstLineSurvivesASpreadsheetSavingTheFileAgain) {
  std::string line = infoLine(someInfo());
  line.pop_back();  // the line break
  for (const std::string& saved : {line + ",,\n", line.substr(1, line.size() - 2) + "\n"}) {
    ReadResult r = readLogText(saved + "Time (ms),Engine speed (rpm),Lambda 1 (mV)\n0,800,450\n");
    ASSERT_TRUE(r.log) << saved;
    EXPECT_EQ(r.log->info.tinjAxis, someInfo().tinjAxis) << saved;
    EXPECT_EQ(r.log->info.port, "/dev/ttyUSB0 9600,n,8,1") << saved;
  }
}

TEST_F(LogFiles, OurLogsLastRowCutOffByACrashIsLeftOut) {
  const std::string head = infoLine(someInfo()) + "Time (ms),Engine speed (rpm)\n";
  // The last row lost its end: "2300" may have been "23000".
  ReadResult r = readLogText(head + "0,800\n50,2300");
  ASSERT_TRUE(r.log);
  EXPECT_EQ(r.log->size(), 1u);
  EXPECT_TRUE(r.cutShort);
  // A file of another program without a final line break keeps its last row.
  ReadResult other = readLogText("Time (ms),Engine speed (rpm)\n0,800\n50,2300");
  ASSERT_TRUE(other.log);
  EXPECT_EQ(other.log->size(), 2u);
}

TEST_F(LogFiles, AFullDiskStopsTheWriterWithTheSystemsReason) {
  std::string error;
  auto writer = LogWriter::start("/dev/full", someInfo(), channelsOf(kLiveData), &error);
  ASSERT_TRUE(writer) << error;
  writer->append(varied(0));
  writer->waitIdle();
  EXPECT_TRUE(writer->failed());
  EXPECT_NE(writer->error().find("space"), std::string::npos) << writer->error();
  writer->append(varied(1000));  // taken without a fuss, and dropped
  writer->stop();
}

TEST_F(LogFiles, AFolderThatCannotBeMadeOrWrittenIsReported) {
  write(path("plain-file"), "x");
  std::string error;
  EXPECT_FALSE(makeFolder(path("plain-file/TAVRIN_IE/Logs"), &error));
  EXPECT_FALSE(error.empty());
  error.clear();
  EXPECT_FALSE(LogWriter::start(path("plain-file/log.csv"), someInfo(), channelsOf(kLiveData), &error));
  EXPECT_FALSE(error.empty());

  std::string logs = logsFolder(folder_.c_str());
  EXPECT_EQ(logs, folder_ + "/TAVRIN_IE/Logs");
  ASSERT_TRUE(makeFolder(logs, &error)) << error;
  std::string first = newLogPath(logs, 1714551330);
  write(first, "");
  std::string second = newLogPath(logs, 1714551330);
  EXPECT_NE(first, second);  // a second recording in the same second gets its own file
  EXPECT_EQ(fs::path(second).extension(), ".csv");
}

// A real recording process, killed with SIGKILL after 3.5 s of samples: the
// file reads back cleanly up to its last flushed second.
TEST_F(LogFiles, ARecordingKilledOutrightReadsBackUpToItsLastSecond) {
  const std::string p = path("killed.csv");
  int ready[2];
  ASSERT_EQ(::pipe(ready), 0);
  pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    auto writer = LogWriter::start(p, someInfo(), channelsOf(kLiveData), nullptr);
    if (!writer) ::_exit(2);
    for (int t = 0; t <= 3500; t += 50) writer->append(varied(t));
    writer->waitIdle();
    char one = 1;
    (void)!::write(ready[1], &one, 1);
    for (;;) ::pause();  // recording goes on until the process is killed
  }
  char got = 0;
  ASSERT_EQ(::read(ready[0], &got, 1), 1);
  ::kill(child, SIGKILL);
  int status = 0;
  ::waitpid(child, &status, 0);
  ASSERT_TRUE(WIFSIGNALED(status));
  ::close(ready[0]);
  ::close(ready[1]);

  ReadResult r = readLog(p);
  ASSERT_TRUE(r.log) << static_cast<int>(r.problem) << " line " << r.line;
  ASSERT_GE(r.log->lastMs(), 3000);
  EXPECT_LE(r.log->lastMs(), 3500);
  for (std::size_t i = 0; i < r.log->size(); ++i)
    EXPECT_EQ(r.log->values(Ch::kRpm)[i], varied(r.log->times()[i])[Ch::kRpm]);
}

TEST(Recorder, SamplesOnlyTheAnswersOfItsWindowsPoll) {
  char pattern[] = "/tmp/kelvo6-rec-XXXXXX";
  std::string folder = ::mkdtemp(pattern);
  core::Shared shared;
  shared.live.rpm = 2100;
  shared.live.injectionTime = 4200;
  auto writer = LogWriter::start(folder + "/cal.csv", LogInfo{}, calibrationRecording("Form16").channels, nullptr);
  Recorder rec(shared, calibrationRecording("Form16"), std::move(writer), 1000);
  for (int type : {3, 10, 8, 13, 2}) rec.answerHandled(type, 1000 + 100 * type);
  rec.writer().stop();
  ReadResult r = readLog(folder + "/cal.csv");
  ASSERT_TRUE(r.log);
  EXPECT_EQ(r.log->times(), (std::vector<std::int64_t>{1000, 1300}));
  EXPECT_EQ(r.log->values(Ch::kInjectionTime), (std::vector<std::int32_t>{4200, 4200}));
  EXPECT_FALSE(r.log->has(Ch::kPetrol1));  // not in the calibration block
  fs::remove_all(folder);
}

}  // namespace
}  // namespace kelvo6::datalog
