// The program against kelvo6-ecusim running as a separate process on a
// pseudo-terminal: real event loop, real timers, real serial port.

#include <gtest/gtest.h>

#include <QLabel>
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

}  // namespace
}  // namespace kelvo6
