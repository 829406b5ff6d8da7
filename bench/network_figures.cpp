// Figures of network serial ports: the real program (Qt timers, the line port)
// against kelvo6-ecusim as a separate process, directly on its pseudo-terminal
// or through ser2net on loopback (raw or RFC 2217), and each window against
// added answer delay. Prints "name=value" lines.
//
//   bench_network handshake pty|raw|rfc2217 RUNS       MENU to the end of the handshake, median
//   bench_network scope pty|raw|rfc2217 BAUD SECONDS   oscilloscope samples per second
//   bench_network window NAME DELAY_MS SECONDS         whether a window keeps working once the line
//                                                      has that round trip (a delaying proxy in front of
//                                                      ser2net, switched on after the handshake; menu:
//                                                      the handshake itself through the delay)

#include <QApplication>
#include <QElapsedTimer>
#include <QPushButton>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "app/app.h"
#include "core/shared.h"
#include "link/requests.h"
#include "platform/line_port.h"
#include "platform/qt_scheduler.h"
#include "scope/oscilloscope_window.h"
#include "support/delay_proxy.h"
#include "support/live_program.h"
#include "support/request_counter.h"
#include "support/ser2net.h"

namespace {

using namespace kelvo6;
using testing::DelayProxy;
using testing::runFor;
using testing::waitFor;

[[noreturn]] void fail(const std::string& what) {
  std::fprintf(stderr, "bench_network: %s\n", what.c_str());
  std::exit(1);
}

struct Program {
  Program(const QString& device, const std::string& settings) {
    testing::ensureApplication();
    shared.commandLineDevice = device.toStdString();
    app = std::make_unique<app::App>(shared, scheduler, port, desktop);
    app->start();
    shared.portSettings = settings;  // after the start-up window set the defaults
  }
  QWidget* window(const char* form) { return app->navigator().find(QString::fromLatin1(form)); }
  QPushButton* button(const char* form, const char* name) {
    QWidget* w = window(form);
    return w ? w->findChild<QPushButton*>(QString::fromLatin1(name)) : nullptr;
  }
  bool handshake(int boundMs = 20000) {
    button("Form1", "Command1")->click();
    return waitFor([&] { return button("Form2", "Command3") && button("Form2", "Command3")->isEnabled(); }, boundMs);
  }

  core::Shared shared;
  platform::QtScheduler scheduler;
  platform::LinePort port;
  testing::PresetFileDesktop desktop;
  std::unique_ptr<app::App> app;
};

// kelvo6-ecusim with `args`, reached directly or through ser2net.
struct Line {
  Line(const std::string& kind, const QStringList& args)
      : sim(QStringLiteral(KELVO6_ECUSIM_PATH), args) {
    if (!sim.device().startsWith(QLatin1String("/dev/"))) fail("kelvo6-ecusim did not print its device");
    if (kind == "pty") {
      url = sim.device();
      return;
    }
    server = std::make_unique<testing::Ser2net>(
        sim.device(), kind == "raw" ? testing::Ser2net::Mode::kRaw : testing::Ser2net::Mode::kRfc2217);
    QString error;
    if (!server->start(&error)) fail(error.toStdString());
    url = server->url();
  }
  testing::SimulatorProcess sim;
  std::unique_ptr<testing::Ser2net> server;
  QString url;
};

int handshake(const std::string& kind, int runs) {
  std::vector<qint64> times;
  for (int i = 0; i < runs; ++i) {
    Line line(kind, {});
    Program p(line.url, "9600,n,8,1");
    QElapsedTimer t;
    t.start();
    if (!p.handshake()) fail("the handshake did not end");
    times.push_back(t.elapsed());
  }
  std::sort(times.begin(), times.end());
  std::printf("kind=%s\nhandshake_median_ms=%lld\nruns_ms=", kind.c_str(), static_cast<long long>(times[times.size() / 2]));
  for (qint64 t : times) std::printf("%lld ", static_cast<long long>(t));
  std::printf("\n");
  return 0;
}

int scopeRate(const std::string& kind, int baud, int seconds) {
  QTemporaryDir home;
  qputenv("HOME", home.path().toUtf8());
  Line line(kind, {QStringLiteral("--baud"), kind == "pty" ? QString::number(baud) : QStringLiteral("port")});
  Program p(line.url, std::to_string(baud) + ",n,8,1");
  if (!p.handshake()) fail("the handshake did not end");
  p.button("Form2", "Command7")->click();
  auto* scope = qobject_cast<scope::OscilloscopeWindow*>(p.window("Oscilloscope"));
  if (!scope) fail("the oscilloscope did not open");
  runFor(1500);
  const std::size_t samples0 = scope->shown().size();
  QElapsedTimer wall;
  wall.start();
  runFor(seconds * 1000);
  const double wallS = static_cast<double>(wall.nsecsElapsed()) / 1e9;
  std::printf("kind=%s\nbaud=%d\nsamples_per_s=%.3f\n", kind.c_str(), baud,
              static_cast<double>(scope->shown().size() - samples0) / wallS);
  return 0;
}

// The main menu's button that opens each window, and the window.
struct WindowEntry {
  const char* name;
  const char* button;
  const char* form;
};
constexpr WindowEntry kWindows[] = {
    {"menu", nullptr, "Form2"},          {"status", "Command3", "Form3"},
    {"parameters", "Command4", "Form5"}, {"calibration", "Command5", "Form16"},
    {"oscilloscope", "Command7", "Oscilloscope"},
};

// Works: the handshake ends, the window opens and stays open for SECONDS with
// answers still arriving, and no message window comes up.
int window(const std::string& name, int delayMs, int seconds) {
  auto entry = std::find_if(std::begin(kWindows), std::end(kWindows), [&](const WindowEntry& w) { return name == w.name; });
  if (entry == std::end(kWindows)) fail("no window " + name);
  QTemporaryDir home;
  qputenv("HOME", home.path().toUtf8());
  const bool handshakeOnly = entry->button == nullptr;
  Line line("raw", {QStringLiteral("--baud"), QStringLiteral("port")});
  DelayProxy proxy(line.server->port());
  if (handshakeOnly) proxy.setRoundTripMs(delayMs);
  Program p(proxy.url(), "9600,n,8,1");
  std::string verdict = "works";
  testing::RequestCounter requests;
  p.app->connection().addObserver(&requests);
  QElapsedTimer shake;
  shake.start();
  const bool shaken = p.handshake(10000 + 10 * delayMs);
  p.app->connection().removeObserver(&requests);
  if (handshakeOnly)
    std::printf("handshake_ms=%lld\nversion_requests=%d\n", static_cast<long long>(shake.elapsed()),
                requests.sent[link::kReadSoftwareVersion]);
  if (!shaken) {
    verdict = p.window("Form12") ? "handshake fails" : "handshake does not end";
  } else {
    proxy.setRoundTripMs(delayMs);
    if (entry->button) p.button("Form2", entry->button)->click();
    runFor(1000 + 2 * delayMs);
    const std::uint64_t answers0 = p.app->connection().answersReceived();
    runFor(seconds * 1000);
    const std::uint64_t answers = p.app->connection().answersReceived() - answers0;
    if (p.window("Form12")) verdict = "message";
    else if (!p.window(entry->form)) verdict = "window closed";
    else if (answers == 0 && !handshakeOnly && name != "parameters") verdict = "no answers";
    std::printf("answers_per_s=%.2f\n", static_cast<double>(answers) / seconds);
  }
  std::printf("window=%s\ndelay_ms=%d\nverdict=%s\n", name.c_str(), delayMs, verdict.c_str());
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  std::string mode = argc > 1 ? argv[1] : "";
  if (mode == "handshake" && argc > 3) return handshake(argv[2], std::atoi(argv[3]));
  if (mode == "scope" && argc > 4) return scopeRate(argv[2], std::atoi(argv[3]), std::atoi(argv[4]));
  if (mode == "window" && argc > 4) return window(argv[2], std::atoi(argv[3]), std::atoi(argv[4]));
  std::fprintf(stderr,
               "usage: bench_network handshake pty|raw|rfc2217 RUNS | scope pty|raw|rfc2217 BAUD SECONDS | "
               "window menu|status|parameters|calibration|oscilloscope DELAY_MS SECONDS\n");
  return 2;
}
