// The program through a real ser2net serving kelvo6-ecusim's pseudo-terminal
// on loopback, raw and with RFC 2217; the faults a network line brings; and
// kelvo6 --check-port. Real processes and real time, bounded waits only.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <termios.h>
#include <unistd.h>

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "link/requests.h"
#include "platform/line_port.h"
#include "support/delay_proxy.h"
#include "support/request_counter.h"
#include "support/ser2net.h"
#include "support/live_program.h"

namespace kelvo6::testing {
namespace {

using Mode = Ser2net::Mode;

// Sockets must be made after the application, or their events never come.
struct ApplicationFirst {
  ApplicationFirst() { ensureApplication(); }
};

// The program as main() builds it, on `device` as port 1, in English.
struct NetworkProgram : ApplicationFirst {
  explicit NetworkProgram(const QString& device, const std::string& settings = "9600,n,8,1") {
    shared.commandLineDevice = device.toStdString();
    app = std::make_unique<app::App>(shared, scheduler, port, desktop);
    app->start();
    shared.portSettings = settings;  // after the start-up window set the defaults
    click("Form1", "Command4");
  }
  QWidget* window(const char* form) { return app->navigator().find(QString::fromLatin1(form)); }
  template <class T = QPushButton>
  T* control(const char* form, const char* name) {
    QWidget* w = window(form);
    return w ? w->findChild<T*>(QString::fromLatin1(name)) : nullptr;
  }
  void click(const char* form, const char* name) { control(form, name)->click(); }
  bool connectAndShake() {
    click("Form1", "Command1");
    return waitFor([&] { return control("Form2", "Command3") && control("Form2", "Command3")->isEnabled(); });
  }
  QString message() {
    return waitFor([&] { return window("Form12") != nullptr; }, 8000) ? control<QLabel>("Form12", "Label2")->text()
                                                                       : QStringLiteral("(no message)");
  }

  core::Shared shared;
  platform::QtScheduler scheduler;
  platform::LinePort port;
  PresetFileDesktop desktop;
  std::unique_ptr<app::App> app;
};

struct Served : ApplicationFirst {
  explicit Served(Mode mode, const QStringList& simArgs = {"--version", "2.4.9"})
      : sim(QStringLiteral(KELVO6_ECUSIM_PATH), simArgs), server(sim.device(), mode) {}
  SimulatorProcess sim;
  Ser2net server;
};

class ThroughSer2net : public ::testing::TestWithParam<Mode> {};

// Handshake (the parameter set and table read in bulk), the status window's
// polls, and a parameter write confirmed by its echo whose value holds byte
// 0xFF, the telnet escape, on the line.
TEST_P(ThroughSer2net, AWholeSession) {
  Served s(GetParam());
  QString error;
  ASSERT_TRUE(s.server.start(&error)) << error.toStdString();
  NetworkProgram p(s.server.url());
  ASSERT_TRUE(p.connectAndShake()) << p.message().toStdString();
  EXPECT_EQ(p.control<QLineEdit>("Form2", "Text1")->text(), "2.4.9");
  EXPECT_EQ(p.shared.param(34).ecu, 650);
  EXPECT_EQ(p.shared.cell(1).ecu, 115);
  p.click("Form2", "Command3");
  ASSERT_TRUE(waitFor([&] { return p.shared.live.rpm > 0; }));
  p.shared.param(34).pending = 0x02FF;
  p.app->connection().send(link::writeParameter(34, 0x02FF));
  EXPECT_TRUE(waitFor([&] { return p.shared.param(34).ecu == 0x02FF; }));
  // The oscilloscope samples through it and shows the round-trip time.
  if (QWidget* status = p.window("Form3")) status->close();
  ASSERT_TRUE(waitFor([&] { return p.control("Form2", "Command7")->isEnabled(); }));
  p.click("Form2", "Command7");
  EXPECT_TRUE(waitFor([&] { return p.control<QLabel>("Oscilloscope", "RoundTrip")->text().startsWith("Round trip: "); }))
      << p.port.roundTripMs();
  EXPECT_FALSE(p.window("Form12"));
}

INSTANTIATE_TEST_SUITE_P(RawAndRfc2217, ThroughSer2net, ::testing::Values(Mode::kRaw, Mode::kRfc2217),
                         [](const auto& info) { return info.param == Mode::kRaw ? "Raw" : "Rfc2217"; });

// A network delivers an answer in pieces with pauses of its own: every answer
// cut in two 80 ms apart still makes a whole handshake.
TEST(NetworkLine, AnswersInPiecesAreTakenWhole) {
  Served s(Mode::kRaw, {"--split", "80"});
  QString error;
  ASSERT_TRUE(s.server.start(&error)) << error.toStdString();
  NetworkProgram p(s.server.url());
  EXPECT_TRUE(p.connectAndShake()) << p.message().toStdString();
  EXPECT_EQ(p.shared.cell(1).ecu, 115);
}

// A far ECU, a second of round trip from the start: the handshake waits for
// each answer instead of giving up, and asks for each part only once.
TEST(NetworkLine, AHandshakeOverALongRoundTripWaitsForEachAnswer) {
  Served s(Mode::kRaw);
  QString error;
  ASSERT_TRUE(s.server.start(&error)) << error.toStdString();
  DelayProxy proxy(s.server.port());
  proxy.setRoundTripMs(1000);
  NetworkProgram p(proxy.url());
  RequestCounter requests;
  p.app->connection().addObserver(&requests);
  const bool shaken = p.connectAndShake();
  p.app->connection().removeObserver(&requests);
  ASSERT_TRUE(shaken) << p.message().toStdString();
  EXPECT_EQ(p.control<QLineEdit>("Form2", "Text1")->text(), "2.4.9");
  for (int command : {link::kReadSoftwareVersion, link::kReadParameterSet, link::kReadTable})
    EXPECT_EQ(requests.sent[command], 1) << "command " << command;
}

speed_t lineSpeedOf(const QString& device) {
  int fd = ::open(device.toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
  termios t{};
  speed_t speed = fd >= 0 && ::tcgetattr(fd, &t) == 0 ? ::cfgetospeed(&t) : B0;
  if (fd >= 0) ::close(fd);
  return speed;
}

// The rate asked through RFC 2217 is what the pseudo-terminal runs at (the
// simulator paces its answers by it), and the settings window says so.
TEST(Rfc2217, TheRateSetReachesTheLineAndTheDialogShowsIt) {
  Served s(Mode::kRfc2217, {"--baud", "port"});
  QString error;
  ASSERT_TRUE(s.server.start(&error)) << error.toStdString();
  NetworkProgram p(s.server.url(), "19200,n,8,1");
  ASSERT_TRUE(p.connectAndShake()) << p.message().toStdString();
  EXPECT_EQ(lineSpeedOf(s.sim.device()), speed_t{B19200});
  p.click("Form1", "Command6");
  EXPECT_EQ(p.control<QLabel>("Form4", "Label7")->text(),
            s.server.url() + ": the server set the line to 19200,n,8,1.");
}

// Each fault gives its message naming the address within a few seconds.
TEST(NetworkFaults, RefusedAndUnknownServersAreNamedWhenMenuOpensTheLine) {
  const QString refused = QStringLiteral("tcp://127.0.0.1:%1").arg(freeLoopbackPort());
  const std::pair<QString, QString> cases[] = {
      {refused, "The server " + refused + " refused the connection"},
      {"rfc2217://no-such-host.invalid:2000", "The server name in rfc2217://no-such-host.invalid:2000 is not known"},
  };
  for (const auto& [url, text] : cases) {
    NetworkProgram p(url);
    p.click("Form1", "Command1");
    EXPECT_TRUE(p.message().contains(text)) << p.message().toStdString();
  }
}

TEST(NetworkFaults, AClosedOrSilentServerIsReportedAndMenuConnectsAgain) {
  for (bool close : {true, false}) {
    Served s(close ? Mode::kRaw : Mode::kRfc2217);
    QString error;
    ASSERT_TRUE(s.server.start(&error)) << error.toStdString();
    NetworkProgram p(s.server.url());
    ASSERT_TRUE(p.connectAndShake());
    p.click("Form2", "Command3");  // the status window keeps polling
    ASSERT_TRUE(waitFor([&] { return p.shared.live.rpm > 0; }));
    if (close) {
      s.server.stop();
    } else {
      s.server.freeze();
    }
    const QString expected = close ? "The server " + s.server.url() + " closed the connection"
                                   : s.server.url() + " does not answer";
    EXPECT_TRUE(p.message().contains(expected)) << p.message().toStdString();
    s.server.resume();
    if (close) {
      ASSERT_TRUE(s.server.start(&error)) << error.toStdString();
    }
    p.click("Form12", "Command1");
    ASSERT_TRUE(waitFor([&] { return !p.window("Form12"); }));
    if (p.window("Form3")) p.window("Form3")->close();
    EXPECT_TRUE(p.connectAndShake()) << (close ? "after a close" : "after a freeze");
  }
}

// kelvo6 without a display: help, version and a line check.
struct ProgramRun {
  int code;
  QString out;
};
ProgramRun kelvo6(const QStringList& args) {
  QProcess process;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) env.remove(name);
  process.setProcessEnvironment(env);
  process.setProcessChannelMode(QProcess::MergedChannels);
  process.start(QStringLiteral(KELVO6_PATH), args);
  process.waitForFinished(20000);
  return {process.exitCode(), QString::fromUtf8(process.readAll())};
}

TEST(CommandLine, HelpVersionAndCheckPortNeedNoDisplay) {
  ProgramRun help = kelvo6({"--help"});
  EXPECT_EQ(help.code, 0);
  EXPECT_TRUE(help.out.contains("--check-port <PORT>")) << help.out.toStdString();
  ProgramRun version = kelvo6({"--version"});
  EXPECT_EQ(version.code, 0);
  EXPECT_TRUE(version.out.startsWith("kelvo6 ")) << version.out.toStdString();

  Served s(Mode::kRfc2217);
  QString error;
  ASSERT_TRUE(s.server.start(&error)) << error.toStdString();
  ProgramRun check = kelvo6({"--check-port", s.server.url(), "--baud", "19200"});
  EXPECT_EQ(check.code, 0) << check.out.toStdString();
  EXPECT_TRUE(check.out.contains("ECU software version: 2.4.9")) << check.out.toStdString();
  EXPECT_TRUE(check.out.contains("settings: 19200,n,8,1 (confirmed by the server)")) << check.out.toStdString();
  EXPECT_TRUE(check.out.contains("round-trip time: ")) << check.out.toStdString();

  const QString closed = QStringLiteral("tcp://127.0.0.1:%1").arg(freeLoopbackPort());
  ProgramRun refused = kelvo6({"--check-port", closed});
  EXPECT_EQ(refused.code, 1);
  EXPECT_TRUE(refused.out.contains("cannot open " + closed)) << refused.out.toStdString();
}

}  // namespace
}  // namespace kelvo6::testing
