// kelvo6: the workshop tool for the KELVO6 gas-injection ECU.

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QEvent>
#include <QTimer>
#include <chrono>
#include <cstdio>
#include <memory>
#include <thread>
#include <vector>

#include "app/app.h"
#include "command_line.h"
#include "core/shared.h"
#include "history/location.h"
#include "platform/desktop.h"
#include "platform/end_signals.h"
#include "platform/qt_scheduler.h"
#include "platform/line_port.h"
#include "sim/ecu.h"
#include "sim/hold_control.h"
#include "sim/options.h"
#include "sim/pty_server.h"

namespace {

// The simulated ECU behind a pseudo-terminal, on its own thread, so the
// program talks to it through the real serial path. Its answers are paced at
// the rate the program sets on the port unless the options say otherwise.
class InProcessSimulator {
 public:
  explicit InProcessSimulator(const kelvo6::sim::SimOptions& options) {
    kelvo6::sim::applySimOptions(options, ecu_);
    using Pacing = kelvo6::sim::SimOptions::Pacing;
    server_.followLineSpeed(options.pacing == Pacing::kPort || options.pacing == Pacing::kProgramDefault);
  }
  bool start(std::string* error) {
    if (!server_.open(error)) return false;
    kelvo6::sim::installGoOnSignal();
    server_.onTick = [this](std::int64_t) { holds_.tick(kelvo6::sim::takeGoOnSignal()); };
    thread_ = std::thread([this] { server_.run(); });
    return true;
  }
  ~InProcessSimulator() {
    server_.stop();
    if (thread_.joinable()) thread_.join();
  }
  std::string device() const { return server_.devicePath(); }

 private:
  kelvo6::sim::Ecu ecu_;
  kelvo6::sim::PtyServer server_{ecu_};
  kelvo6::sim::HoldControl holds_{ecu_, stderr, "send SIGUSR1 to kelvo6 (kill -USR1 PID)"};
  std::thread thread_;
};

// With KELVO6_REPORT_STARTUP set, prints the wall-clock time at which the
// start-up window is first painted and quits: the start-up time measurement
// (bench/live_figures.cpp) reads it.
class StartupReport : public QObject {
 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (!reported_ && event->type() == QEvent::Paint && watched->objectName() == QLatin1String("Form1")) {
      reported_ = true;
      auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::system_clock::now().time_since_epoch());
      std::printf("startup_painted_ns=%lld\n", static_cast<long long>(ns.count()));
      std::fflush(stdout);
      QTimer::singleShot(0, qApp, &QCoreApplication::quit);
    }
    return false;
  }

 private:
  bool reported_ = false;
};

}  // namespace

int main(int argc, char** argv) {
  // Help, version and a line check print and end before a window system is needed.
  if (kelvo6::program::needsNoDisplay(argc, argv)) return kelvo6::program::runWithoutDisplay(argc, argv);
  QApplication application(argc, argv);
  QApplication::setApplicationName(QStringLiteral("kelvo6"));
  QApplication::setApplicationVersion(QStringLiteral(KELVO6_PROGRAM_VERSION));

  kelvo6::program::CommandLine commandLine;
  QCommandLineParser& parser = commandLine.parser;
  const QCommandLineOption& simulate = commandLine.simulate;
  const QCommandLineOption& port = commandLine.port;
  kelvo6::program::SimulatorOptions& simulatorOptions = commandLine.simulator;
  parser.process(application);
  if (parser.isSet(commandLine.baud)) {
    std::fprintf(stderr, "kelvo6: --baud applies only with --check-port (the serial settings window sets the line)\n");
    return 2;
  }

  const std::vector<std::string> simArgs = simulatorOptions.given(parser);
  if (!simArgs.empty() && !parser.isSet(simulate)) {
    std::fprintf(stderr, "kelvo6: %s applies only with --simulate\n", simArgs.front().c_str());
    return 2;
  }
  kelvo6::core::Shared shared;
  std::unique_ptr<InProcessSimulator> simulator;
  if (parser.isSet(simulate)) {
    std::string error;
    auto options = kelvo6::sim::parseSimOptions(simArgs, &error, kelvo6::program::SimulatorOptions::kPrefix);
    if (!options) {
      std::fprintf(stderr, "kelvo6: %s\n", error.c_str());
      return 2;
    }
    simulator = std::make_unique<InProcessSimulator>(*options);
    if (!simulator->start(&error)) {
      std::fprintf(stderr, "kelvo6: cannot start the simulated ECU: %s\n", error.c_str());
      return 1;
    }
    shared.commandLineDevice = simulator->device();
  }
  if (parser.isSet(port)) shared.commandLineDevice = parser.value(port).toStdString();

  kelvo6::platform::QtScheduler scheduler;
  kelvo6::platform::LinePort serial;
  kelvo6::platform::QtDesktop desktop;
  kelvo6::app::App app(shared, scheduler, serial, desktop);
  app.onProgramEnd = [] { QApplication::quit(); };
  // The history database: KELVO6_DATABASE names a file or a server, else the default file.
  std::string historyError;
  if (auto where = kelvo6::history::parseLocation(qEnvironmentVariable("KELVO6_DATABASE").toStdString(),
                                                  QDir::homePath().toStdString(), &historyError))
    app.openHistory(*where);
  else
    std::fprintf(stderr, "kelvo6: KELVO6_DATABASE: %s; no history is kept\n", historyError.c_str());
  QApplication::setQuitOnLastWindowClosed(false);
  StartupReport startupReport;
  if (qEnvironmentVariableIsSet("KELVO6_REPORT_STARTUP")) application.installEventFilter(&startupReport);
  // SIGTERM and SIGINT end the program through the same path as closing its windows.
  kelvo6::platform::EndSignals endSignals([&app] { app.endProgram(); });
  app.start();
  return QApplication::exec();
}
