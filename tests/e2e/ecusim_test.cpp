// The program against kelvo6-ecusim running as a separate process on a
// pseudo-terminal: real event loop, real timers, real serial port.

#include <gtest/gtest.h>
#include <signal.h>

#include <QLabel>
#include <QTemporaryFile>
#include <QLineEdit>
#include <QPushButton>

#include "support/live_program.h"

namespace kelvo6 {
namespace {

// kelvo6-ecusim built beside the tests.
class Simulator : public testing::SimulatorProcess {
 public:
  explicit Simulator(const QStringList& args) : SimulatorProcess(QStringLiteral(KELVO6_ECUSIM_PATH), args) {}
};
using Program = testing::LiveProgram;

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

// A drive that holds at two points, then idles: a line on standard input moves
// it on from the first, SIGUSR1 from the second; the program sees the engine go.
TEST(EcuSimulatorProcess, AHeldDriveStepGoesOnWithALineOrSigusr1) {
  testing::ensureApplication();  // before the process starts, so that its error output is read
  QTemporaryFile drive;
  ASSERT_TRUE(drive.open());
  drive.write("2500 30% hold   # first point\n4000 5200us hold\n900 8% 1s\n");
  drive.flush();
  Simulator sim({"--drive", drive.fileName()});
  QString notices;
  auto said = [&](const char* text) {
    notices += QString::fromUtf8(sim.process().readAllStandardError());
    return notices.contains(QLatin1String(text));
  };
  Program p(sim.device());
  ASSERT_TRUE(p.runUntil([&] { return said("simulated engine held at 2500 rpm, 30 % load: press Enter"); }))
      << notices.toStdString();
  p.control<QPushButton>("Form1", "Command1")->click();
  ASSERT_TRUE(p.runUntil([&] { return p.control<QPushButton>("Form2", "Command3")->isEnabled(); }));
  p.control<QPushButton>("Form2", "Command3")->click();  // the status window polls live data
  ASSERT_TRUE(p.runUntil([&] { return std::abs(p.shared.live.rpm - 2500) < 100; }));
  sim.process().write("\n");
  ASSERT_TRUE(p.runUntil([&] { return said("held at 4000 rpm, 5200 us"); }));
  ASSERT_TRUE(p.runUntil([&] { return p.shared.live.rpm > 3900; }));
  ::kill(static_cast<pid_t>(sim.process().processId()), SIGUSR1);
  ASSERT_TRUE(p.runUntil([&] { return p.shared.live.rpm < 1000; }));
}

}  // namespace
}  // namespace kelvo6
