// Figures of the running program: the real app::App with Qt timers and
// QSerialPort in this process, kelvo6-ecusim as a separate process on a
// pseudo-terminal. Prints one "name=value" line per figure on stdout;
// scripts/measure-performance.sh turns them into docs/performance.md.
//
//   bench_live handshake RUNS     MENU to the end of the handshake, RUNS times
//   bench_live status-cpu SECONDS CPU share while the status window polls
//   bench_live windows            resident memory after opening every window once
//   bench_live startup RUNS [QPA]  process start to the first paint of the start-up window,
//                                 on the given Qt platform (default offscreen)

#include <sys/resource.h>
#include <unistd.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QPushButton>
#include <QTimer>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "app/app.h"
#include "core/shared.h"
#include "platform/qt_scheduler.h"
#include "platform/qt_serial_port.h"
#include "support/live_program.h"

namespace {

using namespace kelvo6;
using testing::runFor;
using testing::waitFor;

[[noreturn]] void fail(const std::string& what) {
  std::fprintf(stderr, "bench_live: %s\n", what.c_str());
  std::exit(1);
}

// Every start of a stopped timer, with the interval it was armed with.
struct Arming {
  const platform::Timer* timer;
  int intervalMs;
};

// The Qt scheduler, recording each timer it made and each arming, so that a
// figure can be set against the pacing the windows' own timers impose.
class RecordingScheduler : public platform::Scheduler {
 public:
  std::unique_ptr<platform::Timer> createTimer(std::string name, int intervalMs, std::function<void()> onTick) override {
    auto t = std::make_unique<RecordingTimer>(*this, qt_.createTimer(std::move(name), intervalMs, std::move(onTick)));
    created.push_back(t.get());
    return t;
  }
  void post(int delayMs, std::function<void()> fn) override { qt_.post(delayMs, std::move(fn)); }
  std::int64_t nowMs() const override { return qt_.nowMs(); }

  std::vector<const platform::Timer*> created;
  std::vector<Arming> armings;

 private:
  class RecordingTimer : public platform::Timer {
   public:
    RecordingTimer(RecordingScheduler& owner, std::unique_ptr<platform::Timer> inner)
        : owner_(owner), inner_(std::move(inner)) {}
    void setInterval(int ms) override { inner_->setInterval(ms); }
    int interval() const override { return inner_->interval(); }
    void start() override {
      if (!inner_->isRunning()) owner_.armings.push_back({this, inner_->interval()});
      inner_->start();
    }
    void stop() override { inner_->stop(); }
    bool isRunning() const override { return inner_->isRunning(); }
    const std::string& name() const override { return inner_->name(); }

   private:
    RecordingScheduler& owner_;
    std::unique_ptr<platform::Timer> inner_;
  };

  platform::QtScheduler qt_;
};

// The program as main() builds it, on `device` as port 1.
struct Program {
  explicit Program(const QString& device) {
    testing::ensureApplication();
    shared.commandLineDevice = device.toStdString();
    app = std::make_unique<app::App>(shared, scheduler, port, desktop);
    app->start();
  }
  QWidget* window(const char* form) { return app->navigator().find(QString::fromLatin1(form)); }
  QPushButton* button(const char* form, const char* name) {
    QWidget* w = window(form);
    return w ? w->findChild<QPushButton*>(QString::fromLatin1(name)) : nullptr;
  }

  core::Shared shared;
  RecordingScheduler scheduler;
  platform::QtSerialPort port;
  testing::PresetFileDesktop desktop;
  std::unique_ptr<app::App> app;
};


QString simulatorPath() { return QStringLiteral(KELVO6_ECUSIM_PATH); }

std::unique_ptr<testing::SimulatorProcess> startSimulator() {
  auto sim = std::make_unique<testing::SimulatorProcess>(simulatorPath(), QStringList{});
  if (!sim->device().startsWith(QLatin1String("/dev/"))) fail("kelvo6-ecusim did not print its device");
  return sim;
}

// Quits `loop` when the watched widget becomes enabled.
class EnabledWatch : public QObject {
 public:
  EnabledWatch(QWidget* widget, QEventLoop& loop) : widget_(widget), loop_(loop) { widget->installEventFilter(this); }

 protected:
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::EnabledChange && widget_->isEnabled()) loop_.quit();
    return false;
  }

 private:
  QWidget* widget_;
  QEventLoop& loop_;
};

struct Handshake {
  double ms = 0;
  std::vector<int> armings;  // intervals the main menu's handshake timer was armed with
};

// Presses MENU and waits until the handshake has enabled the screen buttons.
Handshake runHandshake(Program& p) {
  QPushButton* menu = p.button("Form1", "Command1");
  if (!menu) fail("no MENU button on the start-up window");
  std::size_t before = p.scheduler.created.size();
  QElapsedTimer clock;
  clock.start();
  menu->click();  // loads the main menu, which starts its handshake timer
  QPushButton* status = p.button("Form2", "Command3");
  if (!status) fail("MENU did not open the main menu");
  if (!status->isEnabled()) {
    QEventLoop loop;
    EnabledWatch watch(status, loop);
    QTimer::singleShot(15000, &loop, &QEventLoop::quit);
    loop.exec();
  }
  Handshake h;
  h.ms = static_cast<double>(clock.nsecsElapsed()) / 1e6;
  if (!status->isEnabled()) fail("the handshake did not end within 15 s");

  // The main menu is loaded anew by each MENU; its timers were made meanwhile.
  const platform::Timer* timer1 = nullptr;
  for (std::size_t i = before; i < p.scheduler.created.size(); ++i)
    if (p.scheduler.created[i]->name() == "Form2.Timer1") timer1 = p.scheduler.created[i];
  if (!timer1) fail("the main menu made no handshake timer");
  for (const Arming& a : p.scheduler.armings)
    if (a.timer == timer1) h.armings.push_back(a.intervalMs);
  return h;
}

std::string joined(const std::vector<int>& v) {
  std::string s;
  for (int x : v) s += (s.empty() ? "" : ",") + std::to_string(x);
  return s;
}

int handshake(int runs) {
  for (int i = 0; i < runs; ++i) {
    auto sim = startSimulator();
    Program p(sim->device());
    Handshake h = runHandshake(p);
    std::printf("handshake_ms=%.2f\n", h.ms);
    std::printf("handshake_timer_armings_ms=%s\n", joined(h.armings).c_str());
    std::fflush(stdout);
  }
  return 0;
}

double cpuSeconds() {
  rusage r{};
  getrusage(RUSAGE_SELF, &r);
  auto s = [](const timeval& t) { return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6; };
  return s(r.ru_utime) + s(r.ru_stime);
}

// User plus system time of another process, from /proc/PID/stat.
double processCpuSeconds(qint64 pid) {
  QFile f(QStringLiteral("/proc/%1/stat").arg(pid));
  if (!f.open(QIODevice::ReadOnly)) return -1;
  QByteArray line = f.readAll();
  // Fields after the parenthesised command name; utime and stime are fields 14 and 15.
  QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
  if (fields.size() < 13) return -1;
  double ticks = fields[11].toDouble() + fields[12].toDouble();
  return ticks / static_cast<double>(sysconf(_SC_CLK_TCK));
}

// Opens the status window after the handshake and lets it poll.
int statusCpu(int seconds) {
  auto sim = startSimulator();
  Program p(sim->device());
  runHandshake(p);
  p.button("Form2", "Command3")->click();
  if (!waitFor([&] { return p.window("Form3") && p.window("Form3")->isVisible(); }))
    fail("the status window did not open");
  runFor(1000);  // let the first polls and the first paint settle

  std::uint64_t bytes0 = p.port.bytesReceived();
  double sim0 = processCpuSeconds(sim->process().processId());
  double cpu0 = cpuSeconds();
  QElapsedTimer wall;
  wall.start();
  runFor(seconds * 1000);
  double wallS = static_cast<double>(wall.nsecsElapsed()) / 1e9;
  double cpuS = cpuSeconds() - cpu0;
  double simS = processCpuSeconds(sim->process().processId()) - sim0;
  std::uint64_t bytes = p.port.bytesReceived() - bytes0;

  std::printf("status_wall_s=%.3f\n", wallS);
  std::printf("status_cpu_s=%.3f\n", cpuS);
  std::printf("status_cpu_percent=%.3f\n", 100.0 * cpuS / wallS);
  std::printf("status_simulator_cpu_percent=%.3f\n", 100.0 * simS / wallS);
  std::printf("status_bytes_received=%llu\n", static_cast<unsigned long long>(bytes));
  std::printf("status_window_open_at_end=%d\n", p.window("Form3") != nullptr ? 1 : 0);
  std::printf("status_lost_link_counter=%d\n", p.shared.lostLinkCounter);
  return 0;
}

long statusKib(const char* key) {
  QFile f(QStringLiteral("/proc/self/status"));
  if (!f.open(QIODevice::ReadOnly)) return -1;
  for (const QByteArray& line : f.readAll().split('\n'))
    if (line.startsWith(key)) return line.mid(static_cast<int>(std::strlen(key))).trimmed().split(' ').value(0).toLong();
  return -1;
}

int formNumber(const char* form) { return std::atoi(form + 4); }

// Opens every window once, on the simulated ECU, the way a fitter reaches it.
int windows() {
  auto sim = startSimulator();
  Program p(sim->device());
  std::set<int> seen;  // form numbers
  auto shown = [&](const char* form) { return p.window(form) && p.window(form)->isVisible(); };
  auto press = [&](const char* from, const char* name) {
    QPushButton* b = p.button(from, name);
    if (!b) fail(std::string(from) + " has no " + name);
    if (!waitFor([&] { return b->isEnabled(); })) fail(std::string(from) + " " + name + " stayed disabled");
    b->click();
  };
  auto open = [&](const char* from, const char* name, const char* form) {
    press(from, name);
    if (!waitFor([&] { return shown(form); })) fail(std::string(form) + " did not open from " + from + " " + name);
    seen.insert(formNumber(form));
    runFor(300);  // first ticks and paint
  };
  auto close = [&](const char* form) {
    p.window(form)->close();
    if (!waitFor([&] { return !p.window(form); })) fail(std::string(form) + " did not close");
  };

  if (!waitFor([&] { return shown("Form1"); })) fail("the start-up window was not shown");
  seen.insert(1);
  runFor(500);
  long rssFirst = statusKib("VmRSS:");

  open("Form1", "Command6", "Form4");  // serial settings
  close("Form4");
  runHandshake(p);
  seen.insert(2);
  open("Form2", "Command3", "Form3");  // vehicle status
  runFor(2000);
  close("Form3");
  open("Form2", "Command2", "Form9");  // end-of-line test
  close("Form9");
  open("Form2", "Command4", "Form5");  // parameter hub and its editors
  for (auto [button, form] : {std::pair{"Command1", "Form6"}, {"Command2", "Form10"}, {"Command3", "Form11"},
                              {"Command4", "Form14"}, {"Command6", "Form13"}}) {
    open("Form5", button, form);
    close(form);
  }
  close("Form5");
  open("Form2", "Command5", "Form16");  // calibration, its chart and the automatic calibration
  press("Form16", "Command7");  // the chart opens once a table write has completed
  open("Form16", "Command5", "Form15");
  close("Form15");
  open("Form16", "Command8", "Form8");
  close("Form8");
  close("Form16");
  app::Screen* menu = p.app->navigator().find(QStringLiteral("Form2"));
  p.app->navigator().showMessage(menu, QStringLiteral("KELVO6"), QStringLiteral("message window"));
  if (!waitFor([&] { return shown("Form12"); })) fail("the message window did not open");
  seen.insert(12);
  runFor(300);
  close("Form12");
  open("Form2", "Command6", "Form7");  // software update, last: it may hand the port over
  runFor(500);

  std::string list;
  for (int f : seen) list += (list.empty() ? "Form" : ",Form") + std::to_string(f);
  std::printf("windows_opened=%zu\n", seen.size());
  std::printf("windows_list=%s\n", list.c_str());
  std::printf("rss_first_window_kib=%ld\n", rssFirst);
  std::printf("rss_all_windows_kib=%ld\n", statusKib("VmRSS:"));
  std::printf("rss_peak_kib=%ld\n", statusKib("VmHWM:"));
  return 0;
}

// Starts kelvo6 --simulate, which prints the wall-clock time of the first paint
// of its start-up window and quits; the difference is the start-up time.
int startup(int runs, const QString& platform) {
  testing::ensureApplication();
  for (int i = 0; i < runs; ++i) {
    QProcess kelvo6;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), platform);
    env.insert(QStringLiteral("KELVO6_REPORT_STARTUP"), QStringLiteral("1"));
    kelvo6.setProcessEnvironment(env);
    auto t0 = std::chrono::system_clock::now();
    kelvo6.start(QStringLiteral(KELVO6_PATH), {QStringLiteral("--simulate")});
    if (!kelvo6.waitForFinished(20000)) {
      kelvo6.kill();
      fail("kelvo6 did not quit after its first paint");
    }
    QByteArray out = kelvo6.readAllStandardOutput();
    int at = out.indexOf("startup_painted_ns=");
    if (at < 0) fail("kelvo6 reported no first paint");
    long long painted = out.mid(at + 19).split('\n').value(0).toLongLong();
    long long started = std::chrono::duration_cast<std::chrono::nanoseconds>(t0.time_since_epoch()).count();
    std::printf("startup_ms=%.2f\n", static_cast<double>(painted - started) / 1e6);
    std::fflush(stdout);
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  std::string mode = argc > 1 ? argv[1] : "";
  int n = argc > 2 ? std::atoi(argv[2]) : 0;
  if (mode == "handshake" && n > 0) return handshake(n);
  if (mode == "status-cpu" && n > 0) return statusCpu(n);
  if (mode == "windows") return windows();
  if (mode == "startup" && n > 0) return startup(n, QString::fromLocal8Bit(argc > 3 ? argv[3] : "offscreen"));
  std::fprintf(stderr, "usage: bench_live handshake RUNS | status-cpu SECONDS | windows | startup RUNS [QPA]\n");
  return 2;
}
