// The program against kelvo6-ecusim running as a separate process on a
// pseudo-terminal: real event loop, real timers, real serial port.

#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>

#include "app/app.h"
#include "core/shared.h"
#include "platform/desktop.h"
#include "platform/qt_scheduler.h"
#include "platform/qt_serial_port.h"
#include "support/harness.h"

namespace kelvo6 {
namespace {

class Simulator {
 public:
  explicit Simulator(const QStringList& args) {
    process_.start(QStringLiteral(KELVO6_ECUSIM_PATH), args);
    process_.waitForStarted(5000);
    process_.waitForReadyRead(5000);
    device_ = QString::fromUtf8(process_.readLine()).trimmed();
  }
  ~Simulator() {
    process_.terminate();
    if (!process_.waitForFinished(3000)) process_.kill();
  }
  QString device() const { return device_; }

 private:
  QProcess process_;
  QString device_;
};

struct Program {
  Program(const QString& device) {
    testing::ensureApplication();
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
  // Runs the event loop until `done` holds or the bound passes.
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
  platform::QtDesktop desktop;
  std::unique_ptr<app::App> app;
};

TEST(EcuSimulatorProcess, HandshakeOverAPseudoTerminal) {
  Simulator sim({"--version", "2.4.9"});
  ASSERT_TRUE(sim.device().startsWith("/dev/"));
  Program p(sim.device());
  p.control<QPushButton>("Form1", "Command1")->click();
  ASSERT_TRUE(p.window("Form2"));
  ASSERT_TRUE(p.runUntil([&] { return p.control<QPushButton>("Form2", "Command3")->isEnabled(); }));
  EXPECT_EQ(p.control<QLineEdit>("Form2", "Text1")->text(), "2.4.9");
  EXPECT_EQ(p.shared.param(34).ecu, 650);
  EXPECT_EQ(p.shared.cell(1).ecu, 115);
}

TEST(EcuSimulatorProcess, SilentSimulatorLeadsToTheLineFailureMessage) {
  Simulator sim({"--silent"});
  Program p(sim.device());
  p.control<QPushButton>("Form1", "Command4")->click();
  p.control<QPushButton>("Form1", "Command1")->click();
  ASSERT_TRUE(p.runUntil([&] { return p.window("Form12") != nullptr; }));
  EXPECT_EQ(p.window("Form12")->windowTitle(), "KELVO6 - Communication");
  EXPECT_FALSE(p.window("Form2"));
  EXPECT_EQ(p.port.bytesWritten(), 25u);  // five version requests of five bytes
}

TEST(EcuSimulatorProcess, ALostPortIsReportedAndTheProgramKeepsRunning) {
  auto sim = std::make_unique<Simulator>(QStringList{});
  Program p(sim->device());
  p.control<QPushButton>("Form1", "Command1")->click();
  ASSERT_TRUE(p.runUntil([&] { return p.control<QPushButton>("Form2", "Command3")->isEnabled(); }));
  sim.reset();  // the other end goes away
  ASSERT_TRUE(p.runUntil([&] { return p.window("Form12") != nullptr; }));
  EXPECT_FALSE(p.port.isOpen());
  EXPECT_TRUE(p.window("Form1"));
}

}  // namespace
}  // namespace kelvo6
