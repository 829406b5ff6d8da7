// The oscilloscope on the harness: requests paced by the answers, the re-send
// after the time-out, silence while another window is in use, recording, the
// log viewer with its cursor, and the cell map of what is shown.

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <cstdlib>
#include <fstream>

#include "core/shared.h"
#include "datalog/csv_format.h"
#include "datalog/log_reader.h"
#include "datalog/log_writer.h"
#include "scope/cell_map_window.h"
#include "scope/oscilloscope_window.h"
#include "scope/trace_view.h"
#include "scope_support.h"
#include "sim/ecu.h"
#include "status/gauges.h"

namespace kelvo6::testing {
namespace {

using datalog::Ch;

QString label(Harness& h, const char* form, const char* name) { return h.control<QLabel>(form, name)->text(); }

TEST(Oscilloscope, SendsTheNextRequestWhenTheAnswerIsHandledAndNotBefore) {
  Harness h(HarnessOptions{.ecuLatencyMs = 20});
  h.click("Form1", "Command1");
  h.advance(2500);
  h.clearSent();
  h.click("Form2", "Command7");
  ASSERT_TRUE(scopeOf(h));
  EXPECT_EQ(h.sentWithCommand(3).size(), 1u);
  h.advance(19);
  EXPECT_EQ(h.sentWithCommand(3).size(), 1u);  // the answer is still on its way
  h.advance(1);
  EXPECT_EQ(h.sentWithCommand(3).size(), 2u);  // handled: the next goes out at once
  h.advance(980);
  EXPECT_EQ(h.sentWithCommand(3).size(), 51u);  // one every 20 ms: as fast as the ECU answers
  EXPECT_EQ(h.sent().size(), h.sentWithCommand(3).size());
  EXPECT_EQ(scopeOf(h)->shown().size(), 50u);
  h.advance(1000);
  EXPECT_NEAR(scopeOf(h)->sampler().rate(h.nowMs()), 50.0, 0.6);
  EXPECT_TRUE(label(h, "Oscilloscope", "Rate").contains("(line limit 20.0 at 9600,n,8,1)") ||
              label(h, "Oscilloscope", "Rate").contains("limite della linea 20.0"));
}

TEST(Oscilloscope, AMissingAnswerIsSentAgainAfterTheTimeOut) {
  Harness h;
  openOscilloscope(h);
  h.advance(500);
  h.ecu()->setSilent(true);
  h.advance(30);  // the last answer is in; the request after it goes unanswered
  h.clearSent();
  h.advance(240);
  EXPECT_EQ(h.sentWithCommand(3).size(), 1u);  // re-sent once, 250 ms after the request
  h.advance(250);
  EXPECT_EQ(h.sentWithCommand(3).size(), 2u);
  h.ecu()->setSilent(false);
  h.advance(300);
  EXPECT_GT(h.sentWithCommand(3).size(), 5u);  // answered again: full pace
}

TEST(Oscilloscope, AnotherWindowInUseStopsTheTrafficUntilItCloses) {
  Harness h;
  openOscilloscope(h);
  h.advance(1000);
  h.click("Oscilloscope", "OpenCellMap");
  ASSERT_TRUE(h.window("CellMap"));
  h.clearSent();
  h.advance(3000);
  EXPECT_TRUE(h.sent().empty());
  h.close("CellMap");
  h.advance(100);
  EXPECT_GT(h.sentWithCommand(3).size(), 5u);
  h.click("Oscilloscope", "Exit");
  h.clearSent();
  h.advance(2000);
  EXPECT_TRUE(h.sent().empty());
  EXPECT_FALSE(h.window("Oscilloscope"));
}

TEST(Oscilloscope, WithoutAnECUItOpensForViewingLogsOnly) {
  Harness h;
  h.click("Form1", "Command7");  // not connected
  h.click("Form1", "Command1");
  ASSERT_TRUE(h.control<QPushButton>("Form2", "Command7")->isEnabled());
  h.click("Form2", "Command7");
  h.advance(2000);
  EXPECT_TRUE(h.sent().empty());
  EXPECT_FALSE(h.control<QPushButton>("Oscilloscope", "Record")->isEnabled());
  EXPECT_TRUE(h.control<QPushButton>("Oscilloscope", "OpenLog")->isEnabled());
}

class Recording : public TempHome {};

TEST_F(Recording, TheOscilloscopesRecordingHoldsEverySampleItTook) {
  Harness h;
  openOscilloscope(h);
  h.advance(200);
  h.click("Oscilloscope", "Record");
  const std::size_t before = scopeOf(h)->shown().size();
  h.advance(3000);
  EXPECT_TRUE(label(h, "Oscilloscope", "RecordStatus").startsWith("00:00:0"));
  h.click("Oscilloscope", "Record");
  const std::size_t taken = scopeOf(h)->shown().size() - before;

  ASSERT_EQ(recordings().size(), 1u);
  datalog::ReadResult r = datalog::readLog(recordings()[0]);
  ASSERT_TRUE(r.log);
  EXPECT_EQ(r.log->size(), taken);
  EXPECT_EQ(r.log->info.source, "KELVO6 - Oscilloscopio");  // the caption the fitter saw
  EXPECT_EQ(r.log->info.port.substr(r.log->info.port.size() - 10), "9600,n,8,1");
  EXPECT_TRUE(r.log->info.rpmAxis);
  // The same values as the traces, sample for sample.
  const datalog::LogData& live = scopeOf(h)->shown();
  for (std::size_t i = 0; i < taken; ++i)
    EXPECT_EQ(r.log->values(Ch::kRpm)[i], live.values(Ch::kRpm)[before + i]);
}

TEST_F(Recording, AnUnwritableFolderIsReportedAndNothingRecords) {
  std::ofstream(home_ + "/TAVRIN_IE") << "a file where the folder should be";
  Harness h;
  openOscilloscope(h);
  h.click("Oscilloscope", "Record");
  EXPECT_FALSE(h.control<QPushButton>("Oscilloscope", "Record")->isChecked());
  EXPECT_TRUE(label(h, "Oscilloscope", "RecordStatus").contains("TAVRIN_IE/Logs"));
  h.advance(1000);
  EXPECT_GT(h.sentWithCommand(3).size(), 20u);  // the traces go on
}

// A disk that fills up mid-recording: a small file system of its own mounted
// on the logs folder (root only; skipped elsewhere).
TEST_F(Recording, AFullDiskStopsTheRecordingSaysWhyAndKeepsWhatWasWritten) {
  std::filesystem::create_directories(logs());
  if (std::system(("mount -t tmpfs -o size=64k kelvo6-test " + logs() + " 2>/dev/null").c_str()) != 0)
    GTEST_SKIP() << "cannot mount a small file system here";
  struct Unmount {
    std::string at;
    ~Unmount() { (void)std::system(("umount " + at).c_str()); }
  } unmount{logs()};

  Harness h;
  h.click("Form1", "Command4");  // English
  openOscilloscope(h);
  h.click("Oscilloscope", "Record");
  auto* record = h.control<QPushButton>("Oscilloscope", "Record");
  for (int i = 0; i < 240 && record->isChecked(); ++i) h.advance(500);
  ASSERT_FALSE(record->isChecked());
  const QString why = label(h, "Oscilloscope", "RecordStatus");
  EXPECT_TRUE(why.startsWith("Recording stopped: No space left on device. Kept up to here in ")) << why.toStdString();
  h.advance(1000);
  EXPECT_GT(h.sentWithCommand(3).size(), 100u);  // the traces go on

  ASSERT_EQ(recordings().size(), 1u);
  datalog::ReadResult r = datalog::readLog(recordings()[0]);
  ASSERT_TRUE(r.log) << static_cast<int>(r.problem) << " line " << r.line;
  EXPECT_GT(r.log->size(), 200u);
}

// The status and calibration windows record what they poll: the frames they
// send are the same, one for one, with and without a recording.
TEST_F(Recording, StatusAndCalibrationRecordingAddNoFrame) {
  struct Case {
    const char* menuButton;
    const char* form;
    const char* toggle;
    int answerType;
  };
  for (const Case& c : {Case{"Command3", "Form3", "Command3", 3}, Case{"Command5", "Form16", "Command13", 10}}) {
    std::vector<Frame> sent[2];
    for (int recording = 0; recording < 2; ++recording) {
      Harness h;
      h.click("Form1", "Command1");
      h.advance(2500);
      h.click("Form2", c.menuButton);
      h.advance(600);
      ASSERT_TRUE(h.window(c.form));
      h.clearSent();
      if (recording) h.click(c.form, c.toggle);
      h.advance(5000);
      if (recording) h.click(c.form, c.toggle);
      sent[recording] = h.sent();
    }
    EXPECT_EQ(sent[0], sent[1]) << c.form;
    auto files = recordings();
    ASSERT_EQ(files.size(), 1u) << c.form;
    datalog::ReadResult r = datalog::readLog(files[0]);
    ASSERT_TRUE(r.log);
    // One row per answer of the polled type: one per request sent.
    EXPECT_NEAR(static_cast<double>(r.log->size()), static_cast<double>(sent[1].size()), 1.0) << c.form;
    EXPECT_EQ(r.log->has(Ch::kInjectionTime), c.answerType == 10);
    EXPECT_EQ(r.log->has(Ch::kPetrol1), c.answerType == 3);
    std::filesystem::remove(files[0]);
  }
}

TEST_F(Recording, ANewHandshakeContinuesInANewFileWithTheNewECUsFirstLine) {
  Harness h;
  openOscilloscope(h);
  h.click("Oscilloscope", "Record");
  h.advance(1000);
  h.losePort();
  h.click("Form12", "Command1");
  h.restorePort();
  h.ecu()->setVersion(2, 5, 14);  // another ECU on the line, handshaken again by MENU
  h.ecu()->setParam(12, 2500);
  h.activate("Form1");
  h.click("Form1", "Command1");
  h.advance(2500);
  h.activate("Oscilloscope");
  h.advance(1000);
  h.click("Oscilloscope", "Record");

  ASSERT_EQ(recordings().size(), 2u);
  datalog::ReadResult before = datalog::readLog(recordings()[0]), after = datalog::readLog(recordings()[1]);
  ASSERT_TRUE(before.log && after.log);
  if (before.log->info.ecuVersion == "2.5.14") std::swap(before, after);  // both named in the same second
  EXPECT_EQ(after.log->info.ecuVersion, "2.5.14");
  EXPECT_NE(before.log->info.ecuVersion, "2.5.14");
  EXPECT_NE(before.log->info.switchRpm, 2500);
  EXPECT_EQ(after.log->info.switchRpm, 2500);
  EXPECT_GT(before.log->size(), 20u);
  EXPECT_GT(after.log->size(), 20u);
}

TEST_F(Recording, ClosingTheWindowEndsTheRecordingAndKeepsTheFile) {
  Harness h;
  h.click("Form1", "Command1");
  h.advance(2500);
  h.click("Form2", "Command3");
  h.advance(600);
  h.click("Form3", "Command3");
  h.advance(2000);
  h.click("Form3", "Command1");
  ASSERT_EQ(recordings().size(), 1u);
  datalog::ReadResult r = datalog::readLog(recordings()[0]);
  ASSERT_TRUE(r.log);
  EXPECT_GE(r.log->size(), 6u);
  EXPECT_FALSE(r.cutShort);
}

class Viewer : public TempHome {
 protected:
  // A log of 20 s at 50 ms a sample: engine speed climbing 100 rpm a second.
  std::string writeLog() {
    datalog::LogInfo info;
    info.ecuVersion = "2.4.1";
    info.switchTemperature = 35;
    info.rpmAxis = std::array<int, 8>{1000, 2000, 3000, 4000, 5000, 6000, 7000, 8000};
    info.tinjAxis = std::array<int, 8>{2000, 3000, 4000, 5000, 6000, 8000, 10000, 12000};
    std::filesystem::create_directories(logs());
    std::string path = logs() + "/drive.csv";
    auto w = datalog::LogWriter::start(path, info, datalog::channelsOf(datalog::kLiveData), nullptr);
    for (int t = 0; t <= 20000; t += 50) {
      datalog::Sample s;
      s.tMs = t;
      s[Ch::kRpm] = 1000 + t / 10;
      s[Ch::kLambda1] = 450;
      s[Ch::kPetrol1] = 3000;
      s[Ch::kFuelFlag] = 0;
      s[Ch::kState] = t < 10000 ? 2 : 0;
      w->append(s);
    }
    w->stop();
    return path;
  }
};

TEST_F(Viewer, ALogOpensWithTheSameTracesAndTheCursorReadsEveryShownChannel) {
  const std::string path = writeLog();
  Harness h;
  h.click("Form1", "Command7");
  h.click("Form1", "Command4");  // English
  h.click("Form1", "Command1");
  h.click("Form2", "Command7");
  h.setNextFileName(QString::fromStdString(path));
  h.click("Oscilloscope", "OpenLog");
  EXPECT_EQ(h.lastDialogFolder(), QString::fromStdString(logs()));
  auto* w = scopeOf(h);
  ASSERT_TRUE(w->viewingLog());
  EXPECT_EQ(w->shown().size(), 401u);
  EXPECT_TRUE(w->windowTitle().endsWith("drive.csv"));
  EXPECT_GT(w->traces()->pointsDrawn(Ch::kRpm), 100);

  // The cursor near 5 s reads the sample there, and the state text of an ECU of generation 4.
  QPoint at = w->traces()->positionOf(Ch::kRpm, 5000);
  h.mousePress("Oscilloscope", w->traces()->mapTo(w, at));
  ASSERT_TRUE(w->traces()->cursorTime());
  EXPECT_NEAR(static_cast<double>(*w->traces()->cursorTime()), 5000.0, 60.0);
  const QString readout = label(h, "Oscilloscope", "CursorReadout");
  const int expectedRpm = w->shown().values(Ch::kRpm)[*w->shown().indexAt(*w->traces()->cursorTime())];
  EXPECT_NEAR(expectedRpm, 1500, 10);
  EXPECT_TRUE(readout.contains(QStringLiteral("Engine speed: %1 rpm").arg(expectedRpm))) << readout.toStdString();
  // Viewed without an ECU: the threshold is the recorded ECU's, from the log's first line.
  EXPECT_TRUE(readout.contains("P->G WAITING TEMPERATURE ABOVE THRESHOLD  35")) << readout.toStdString();

  // Scrolling and zooming move the span over the log.
  h.setCombo("Oscilloscope", "TimeWindow", 0);  // 10 s
  h.setScroll("Oscilloscope", "TimeScroll", 50);
  EXPECT_EQ(w->traces()->spanStart(), 5000);
  EXPECT_EQ(w->traces()->spanEnd(), 15000);
  h.setScroll("Oscilloscope", "TimeScroll", 10000);
  EXPECT_EQ(w->traces()->spanEnd(), 20000);
}

TEST_F(Viewer, AForeignOrDamagedFileIsRefusedWithItsLineNamed) {
  std::filesystem::create_directories(logs());
  std::ofstream(logs() + "/prices.csv") << "Name,Price\nbread,2\n";
  std::string damaged = logs() + "/damaged.csv";
  std::ofstream(damaged) << "Time (ms),Engine speed (rpm)\n0,800\n50,8OO\n";
  Harness h;
  h.click("Form1", "Command7");
  h.click("Form1", "Command4");
  h.click("Form1", "Command1");
  h.click("Form2", "Command7");
  h.setNextFileName(QString::fromStdString(logs() + "/prices.csv"));
  h.click("Oscilloscope", "OpenLog");
  EXPECT_EQ(label(h, "Oscilloscope", "Message"),
            "Cannot read prices.csv: line 1: not a KELVO6 log (no heading row with Time (ms))");
  h.setNextFileName(QString::fromStdString(damaged));
  h.click("Oscilloscope", "OpenLog");
  EXPECT_EQ(label(h, "Oscilloscope", "Message"), "Cannot read damaged.csv: line 3: Engine speed (rpm) is not a number");
  EXPECT_FALSE(scopeOf(h)->viewingLog());
}

TEST_F(Viewer, TheCellMapOfALogUsesTheAxesOfItsFirstLineWhateverECUIsConnected) {
  const std::string path = writeLog();
  for (bool connected : {false, true}) {
    Harness h;
    if (connected) {
      h.ecu()->setParam(35, 1800);  // the connected car's RPM axis differs from the log's
      openOscilloscope(h);
    } else {
      h.click("Form1", "Command7");
      h.click("Form1", "Command4");  // English
      h.click("Form1", "Command1");
      h.click("Form2", "Command7");
    }
    ASSERT_TRUE(scopeOf(h)->openLog(QString::fromStdString(path)));
    h.click("Oscilloscope", "OpenCellMap");
    auto* map = qobject_cast<scope::CellMapWindow*>(h.window("CellMap"));
    ASSERT_TRUE(map);
    // 1000..3000 rpm over 20 s at 3000 us on gas: samples of 1000 to 1499 rpm
    // sit at the first point, 1500 to 2499 the second, 2500 to 3000 the third.
    EXPECT_EQ(map->grid()->cellText(1, 0), "n 100\n450 mV\n3000 us");
    EXPECT_EQ(map->grid()->cellText(1, 1), "n 200\n450 mV\n3000 us");
    EXPECT_EQ(map->grid()->cellText(1, 2), "n 101\n450 mV\n3000 us");
    EXPECT_EQ(map->grid()->cellText(0, 0), "");
    EXPECT_TRUE(label(h, "CellMap", "Note").contains(connected ? "Assi registrati" : "Axes recorded"));
    h.click("CellMap", "FuelPetrol");
    EXPECT_EQ(map->grid()->cellText(1, 1), "");
  }
}

TEST_F(Viewer, ALogWithoutSamplesOrWithColumnsItCannotShowSaysSo) {
  std::filesystem::create_directories(logs());
  const std::string empty = logs() + "/empty.csv", extra = logs() + "/extra.csv";
  std::ofstream(empty) << "Time (ms),Engine speed (rpm)\n";
  std::ofstream(extra) << "Time (ms),Engine speed (rpm),Boost (bar)\n0,800,1\n";
  Harness h;
  h.click("Form1", "Command7");
  h.click("Form1", "Command4");
  h.click("Form1", "Command1");
  h.click("Form2", "Command7");
  ASSERT_TRUE(scopeOf(h)->openLog(QString::fromStdString(empty)));
  EXPECT_EQ(label(h, "Oscilloscope", "Message"), "The log holds no samples: only its heading row.");
  ASSERT_TRUE(scopeOf(h)->openLog(QString::fromStdString(extra)));
  EXPECT_EQ(label(h, "Oscilloscope", "Message"), "Columns not shown (not recognised or repeated): Boost (bar)");
}

TEST(ScopeChannels, GasTimeIsTheStatusWindowsOwn) {
  for (int petrol : {0, 1, 999, 3000, 12345, 65535})
    for (int kgb : {0, 1, 99, 100, 112, 255, 65535}) EXPECT_EQ(datalog::gasTime(petrol, kgb), status::gasTime(petrol, kgb));
}

}  // namespace
}  // namespace kelvo6::testing
