// kelvo6: the workshop tool for the KELVO6 gas-injection ECU.

#include <QApplication>
#include <QCommandLineParser>
#include <QEvent>
#include <QTimer>
#include <chrono>
#include <cstdio>
#include <memory>
#include <thread>

#include "app/app.h"
#include "core/shared.h"
#include "platform/desktop.h"
#include "platform/qt_scheduler.h"
#include "platform/qt_serial_port.h"
#include "sim/ecu.h"
#include "sim/pty_server.h"

namespace {

// The simulated ECU behind a pseudo-terminal, on its own thread, so the
// program talks to it through the real serial path.
class InProcessSimulator {
 public:
  bool start(std::string* error) {
    ecu_.selfTest().setAutomaticKey(true);
    if (!server_.open(error)) return false;
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
  QApplication application(argc, argv);
  QApplication::setApplicationName(QStringLiteral("kelvo6"));
  QApplication::setApplicationVersion(QStringLiteral("1.5.0"));

  QCommandLineParser parser;
  parser.setApplicationDescription(QStringLiteral("KELVO6 workshop tool"));
  parser.addHelpOption();
  parser.addVersionOption();
  QCommandLineOption simulate(QStringLiteral("simulate"), QStringLiteral("Talk to a simulated ECU on port 1."));
  QCommandLineOption port(QStringLiteral("port"), QStringLiteral("Point port 1 at DEVICE (e.g. /dev/ttyUSB0)."),
                          QStringLiteral("DEVICE"));
  parser.addOption(simulate);
  parser.addOption(port);
  parser.process(application);

  kelvo6::core::Shared shared;
  std::unique_ptr<InProcessSimulator> simulator;
  if (parser.isSet(simulate)) {
    simulator = std::make_unique<InProcessSimulator>();
    std::string error;
    if (!simulator->start(&error)) {
      std::fprintf(stderr, "kelvo6: cannot start the simulated ECU: %s\n", error.c_str());
      return 1;
    }
    shared.commandLineDevice = simulator->device();
  }
  if (parser.isSet(port)) shared.commandLineDevice = parser.value(port).toStdString();

  kelvo6::platform::QtScheduler scheduler;
  kelvo6::platform::QtSerialPort serial;
  kelvo6::platform::QtDesktop desktop;
  kelvo6::app::App app(shared, scheduler, serial, desktop);
  app.onProgramEnd = [] { QApplication::quit(); };
  QApplication::setQuitOnLastWindowClosed(false);
  StartupReport startupReport;
  if (qEnvironmentVariableIsSet("KELVO6_REPORT_STARTUP")) application.installEventFilter(&startupReport);
  app.start();
  return QApplication::exec();
}
