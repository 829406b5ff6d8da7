#pragma once
// The real program (Qt event loop, Qt timers, QSerialPort) in this process,
// and kelvo6-ecusim as a separate process on a pseudo-terminal. Used by the
// tests and benchmarks that need real time and a real second process.

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QProcess>
#include <QStringList>
#include <QTimer>
#include <memory>
#include <utility>

#include "app/app.h"
#include "core/shared.h"
#include "platform/desktop.h"
#include "platform/qt_scheduler.h"
#include "platform/qt_serial_port.h"
#include "support/harness.h"

namespace kelvo6::testing {

// kelvo6-ecusim started with `args`; its first output line is the device path.
class SimulatorProcess {
 public:
  SimulatorProcess(const QString& program, const QStringList& args) {
    process_.setProcessChannelMode(QProcess::SeparateChannels);
    process_.start(program, args);
    process_.waitForStarted(5000);
    process_.waitForReadyRead(5000);
    device_ = QString::fromUtf8(process_.readLine()).trimmed();
  }
  ~SimulatorProcess() { stop(); }
  SimulatorProcess(const SimulatorProcess&) = delete;
  SimulatorProcess& operator=(const SimulatorProcess&) = delete;

  QString device() const { return device_; }
  QProcess& process() { return process_; }
  // Asks the simulator to end (SIGTERM) and waits for it.
  void stop() {
    if (process_.state() == QProcess::NotRunning) return;
    process_.terminate();
    if (!process_.waitForFinished(3000)) process_.kill();
    process_.waitForFinished(3000);
  }
  // Ends it at once (SIGKILL), as a pulled cable or a crash would.
  void kill() {
    if (process_.state() == QProcess::NotRunning) return;
    process_.kill();
    process_.waitForFinished(3000);
  }

 private:
  QProcess process_;
  QString device_;
};

// The program's desktop, except that the file dialog is answered from a preset
// path instead of a modal dialog: the dialog is not what these tests check.
class PresetFileDesktop : public platform::QtDesktop {
 public:
  // The answer of the next file dialog; "" = cancelled.
  void setNextFileName(const QString& path) { next_ = path; }
  QString chooseFile(QWidget*, const platform::FileDialogRequest& request) override {
    lastTitle_ = request.title;
    return std::exchange(next_, QString());
  }
  QString lastDialogTitle() const { return lastTitle_; }

 private:
  QString next_;
  QString lastTitle_;
};

// Runs the event loop (sleeping between events) for `ms` of real time.
inline void runFor(int ms) {
  QEventLoop loop;
  QTimer::singleShot(ms, Qt::PreciseTimer, &loop, &QEventLoop::quit);
  loop.exec();
}

// Runs the event loop until `done` holds, checking every few milliseconds;
// false when `boundMs` of real time passed first.
template <class F>
bool waitFor(F done, int boundMs = 15000) {
  QElapsedTimer t;
  t.start();
  while (!done()) {
    if (t.elapsed() > boundMs) return false;
    runFor(5);
  }
  return true;
}

// The program as main() builds it, started on `device` as port 1.
struct LiveProgram {
  explicit LiveProgram(const QString& device) {
    ensureApplication();
    shared.commandLineDevice = device.toStdString();
    app = std::make_unique<app::App>(shared, scheduler, port, desktop);
    app->start();
  }
  QWidget* window(const char* form) { return app->navigator().find(QString::fromLatin1(form)); }
  template <class T>
  T* control(const char* form, const char* name) {
    QWidget* w = window(form);
    return w ? w->findChild<T*>(QString::fromLatin1(name)) : nullptr;
  }
  // Runs the event loop until `done` holds or `boundMs` of real time pass.
  template <class F>
  bool runUntil(F done, int boundMs = 10000) {
    QElapsedTimer t;
    t.start();
    while (!done() && t.elapsed() < boundMs) QApplication::processEvents(QEventLoop::AllEvents, 20);
    return done();
  }

  core::Shared shared;
  platform::QtScheduler scheduler;
  platform::QtSerialPort port;
  PresetFileDesktop desktop;
  std::unique_ptr<app::App> app;
};

}  // namespace kelvo6::testing
