// Figures of the oscilloscope: the real program (Qt timers, QSerialPort) in
// this process against kelvo6-ecusim --baud N as a separate process on a
// pseudo-terminal, and a long log opened in the viewer. Prints one
// "name=value" line per figure; scripts/measure-performance.sh turns them
// into docs/performance.md.
//
//   bench_scope rate BAUD SECONDS [record] [CHANNELS]  samples per second, CPU share and
//                                           repaints per second with CHANNELS strips
//   bench_scope open-log ROWS               a log of ROWS rows at 50 ms: open, pan, zoom

#include <sys/resource.h>
#include <unistd.h>

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QListWidget>
#include <QPushButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "app/app.h"
#include "core/shared.h"
#include "datalog/log_writer.h"
#include "platform/qt_scheduler.h"
#include "platform/qt_serial_port.h"
#include "platform/serial_settings.h"
#include "scope/oscilloscope_window.h"
#include "scope/sampler.h"
#include "scope/trace_view.h"
#include "support/live_program.h"

namespace {

using namespace kelvo6;
using testing::runFor;
using testing::waitFor;

[[noreturn]] void fail(const std::string& what) {
  std::fprintf(stderr, "bench_scope: %s\n", what.c_str());
  std::exit(1);
}

struct Program {
  explicit Program(const QString& device, const std::string& settings, bool notConnected = false) {
    testing::ensureApplication();
    shared.commandLineDevice = device.toStdString();
    app = std::make_unique<app::App>(shared, scheduler, port, desktop);
    app->start();
    if (notConnected) button("Form1", "Command7")->click();
    shared.portSettings = settings;
  }
  QWidget* window(const char* form) { return app->navigator().find(QString::fromLatin1(form)); }
  template <class T = QPushButton>
  T* control(const char* form, const char* name) {
    QWidget* w = window(form);
    return w ? w->findChild<T*>(QString::fromLatin1(name)) : nullptr;
  }
  QPushButton* button(const char* form, const char* name) { return control<QPushButton>(form, name); }

  core::Shared shared;
  platform::QtScheduler scheduler;
  platform::QtSerialPort port;
  testing::PresetFileDesktop desktop;
  std::unique_ptr<app::App> app;
};


double cpuSeconds() {
  rusage r{};
  getrusage(RUSAGE_SELF, &r);
  auto s = [](const timeval& t) { return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6; };
  return s(r.ru_utime) + s(r.ru_stime);
}

// The oscilloscope against kelvo6-ecusim --baud: samples taken per second of
// wall time, and the program's CPU share meanwhile (recording when asked).
int rate(int baud, int seconds, bool record, int channels) {
  QTemporaryDir home;
  qputenv("HOME", home.path().toUtf8());
  testing::SimulatorProcess sim(QStringLiteral(KELVO6_ECUSIM_PATH), {QStringLiteral("--baud"), QString::number(baud)});
  if (!sim.device().startsWith(QLatin1String("/dev/"))) fail("kelvo6-ecusim did not print its device");
  const std::string settings = std::to_string(baud) + ",n,8,1";
  Program p(sim.device(), settings);
  p.button("Form1", "Command1")->click();
  if (!waitFor([&] { return p.button("Form2", "Command7") && p.button("Form2", "Command7")->isEnabled(); }))
    fail("the handshake did not end");
  p.button("Form2", "Command7")->click();
  auto* scope = qobject_cast<scope::OscilloscopeWindow*>(p.window("Oscilloscope"));
  if (!scope) fail("the oscilloscope did not open");
  if (channels > 0) {
    // The first CHANNELS the list offers, as a fitter would tick them.
    auto* list = p.control<QListWidget>("Oscilloscope", "Channels");
    for (int i = 0, ticked = 0; i < list->count(); ++i) {
      const bool offered = list->item(i)->flags() & Qt::ItemIsEnabled;
      list->item(i)->setCheckState(offered && ticked < channels ? Qt::Checked : Qt::Unchecked);
      if (offered) ++ticked;
    }
  }
  if (record) p.button("Oscilloscope", "Record")->click();
  runFor(1500);  // settle: the first samples and the first paint

  const std::size_t samples0 = scope->shown().size();
  const int redraws0 = scope->traces()->redraws();
  const double cpu0 = cpuSeconds();
  QElapsedTimer wall;
  wall.start();
  runFor(seconds * 1000);
  const double wallS = static_cast<double>(wall.nsecsElapsed()) / 1e9;
  const double cpuS = cpuSeconds() - cpu0;
  const std::size_t samples = scope->shown().size() - samples0;
  const int redraws = scope->traces()->redraws() - redraws0;
  const double limit = scope::lineLimitPerSecond(*platform::parseSerialSettings(settings));
  const bool recording = record && p.control<QPushButton>("Oscilloscope", "Record")->isChecked();
  if (record) p.button("Oscilloscope", "Record")->click();

  std::printf("baud=%d\n", baud);
  std::printf("wall_s=%.3f\n", wallS);
  std::printf("samples=%zu\n", samples);
  std::printf("samples_per_s=%.3f\n", static_cast<double>(samples) / wallS);
  std::printf("line_limit_per_s=%.3f\n", limit);
  std::printf("cpu_percent=%.3f\n", 100.0 * cpuS / wallS);
  std::printf("recording=%d\n", recording ? 1 : 0);
  std::printf("channels=%zu\n", scope->traces()->channels().size());
  std::printf("repaints_per_s=%.2f\n", static_cast<double>(redraws) / wallS);
  return 0;
}

// A two-hour drive (ROWS rows, 50 ms apart) opened in the viewer: the time to
// the first drawn chart, then panning and zooming, each with its redraw.
int openLog(int rows) {
  QTemporaryDir folder;
  const std::string path = folder.path().toStdString() + "/drive.csv";
  {
    datalog::LogInfo info;
    info.rpmAxis = std::array<int, 8>{650, 1000, 2000, 3000, 4000, 5000, 6000, 7000};
    info.tinjAxis = std::array<int, 8>{2000, 3500, 5000, 7000, 9000, 11000, 13000, 15000};
    auto w = datalog::LogWriter::start(path, info, datalog::channelsOf(datalog::kLiveData), nullptr);
    if (!w) fail("cannot write the log");
    for (int i = 0; i < rows; ++i) {
      datalog::Sample s;
      s.tMs = 50LL * i;
      s[datalog::Ch::kRpm] = 800 + (i * 37) % 4000;
      s[datalog::Ch::kLambda1] = (i / 20) % 2 ? 800 : 150;
      for (int inj = 1; inj <= 8; ++inj) s[datalog::petrol(inj)] = 2500 + (i * 13) % 6000;
      s[datalog::Ch::kGasTime] = 3000 + (i * 17) % 7000;
      s[datalog::Ch::kKgbCorrected] = 112;
      s[datalog::Ch::kState] = (i / 400) % 3;
      s[datalog::Ch::kFuelFlag] = (i / 1000) % 2;
      w->append(s);
    }
    w->stop();
  }
  Program p(QString(), "9600,n,8,1", true);
  p.button("Form1", "Command1")->click();
  p.button("Form2", "Command7")->click();
  auto* scope = qobject_cast<scope::OscilloscopeWindow*>(p.window("Oscilloscope"));
  if (!scope) fail("the oscilloscope did not open");
  runFor(300);

  QElapsedTimer t;
  t.start();
  if (!scope->openLog(QString::fromStdString(path))) fail("the log did not open");
  scope->repaint();  // drawn, charts and all
  const double openMs = static_cast<double>(t.nsecsElapsed()) / 1e6;
  if (scope->shown().size() != static_cast<std::size_t>(rows)) fail("the log read back short");

  auto redrawMs = [&](auto change) {
    std::vector<double> ms;
    for (int i = 0; i < 20; ++i) {
      QElapsedTimer r;
      r.start();
      change(i);
      scope->traces()->repaint();
      ms.push_back(static_cast<double>(r.nsecsElapsed()) / 1e6);
      if (std::getenv("KELVO6_BENCH_TRACE")) std::fprintf(stderr, "step %d: %.2f ms\n", i, ms.back());
    }
    std::sort(ms.begin(), ms.end());
    return std::pair{ms[ms.size() / 2], ms.back()};
  };
  auto* scroll = p.control<QScrollBar>("Oscilloscope", "TimeScroll");
  auto* window = p.control<QComboBox>("Oscilloscope", "TimeWindow");
  window->setCurrentIndex(window->count() - 2);  // 10 min
  auto [panMedian, panWorst] = redrawMs([&](int i) { scroll->setValue(scroll->maximum() * (i + 1) / 21); });
  auto [zoomMedian, zoomWorst] = redrawMs([&](int i) { window->setCurrentIndex(i % window->count()); });

  std::printf("rows=%d\n", rows);
  std::printf("open_ms=%.1f\n", openMs);
  std::printf("pan_median_ms=%.2f\npan_worst_ms=%.2f\n", panMedian, panWorst);
  std::printf("zoom_median_ms=%.2f\nzoom_worst_ms=%.2f\n", zoomMedian, zoomWorst);
  std::printf("strips=%zu\n", scope->traces()->channels().size());
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string mode = argc > 1 ? argv[1] : "";
  if (mode == "rate" && argc >= 4)
    return rate(std::atoi(argv[2]), std::atoi(argv[3]), argc > 4 && std::string(argv[4]) == "record",
                argc > 5 ? std::atoi(argv[5]) : 0);
  if (mode == "open-log" && argc >= 3) return openLog(std::atoi(argv[2]));
  std::fprintf(stderr, "usage: bench_scope rate BAUD SECONDS [record] [CHANNELS] | open-log ROWS\n");
  return 2;
}
