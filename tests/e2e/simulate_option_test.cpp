// kelvo6 --simulate with the simulator's options (--sim-...): checked before
// the program starts, and the simulator inside follows them.

#include <gtest/gtest.h>
#include <signal.h>

#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryFile>

namespace kelvo6 {
namespace {

struct ProgramRun {
  int exitCode = -1;
  QString out, err;
};

// kelvo6 with `args`, quitting once its first window is drawn.
ProgramRun startAndQuit(const QStringList& args) {
  QProcess kelvo6;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
  env.insert(QStringLiteral("KELVO6_REPORT_STARTUP"), QStringLiteral("1"));
  kelvo6.setProcessEnvironment(env);
  kelvo6.start(QStringLiteral(KELVO6_PATH), args);
  if (!kelvo6.waitForFinished(30000)) kelvo6.kill();
  return {kelvo6.exitCode(), QString::fromUtf8(kelvo6.readAllStandardOutput()),
          QString::fromUtf8(kelvo6.readAllStandardError())};
}

QString fileWith(QTemporaryFile& file, const char* text) {
  file.open();
  file.write(text);
  file.flush();
  return file.fileName();
}

TEST(SimulateOption, SimulatorOptionsAreCheckedBeforeTheProgramStarts) {
  ProgramRun good = startAndQuit({"--simulate", "--sim-drive", "demo", "--sim-baud", "9600", "--sim-seed", "3"});
  EXPECT_EQ(good.exitCode, 0) << good.err.toStdString();
  EXPECT_TRUE(good.out.contains("startup_painted_ns=")) << good.out.toStdString();

  ProgramRun alone = startAndQuit({"--sim-drive", "demo"});
  EXPECT_EQ(alone.exitCode, 2);
  EXPECT_TRUE(alone.err.contains("kelvo6: --sim-drive applies only with --simulate")) << alone.err.toStdString();

  QTemporaryFile map;
  const QString path = fileWith(map, "110 110 110 110 110 110 110 110\n110 110\n110 x 110\n");
  ProgramRun bad = startAndQuit({"--simulate", "--sim-true-map", path});
  EXPECT_EQ(bad.exitCode, 2);
  EXPECT_TRUE(bad.err.contains(QStringLiteral("kelvo6: --sim-true-map %1: line 3: \"x\" is not a whole number").arg(path)))
      << bad.err.toStdString();
  EXPECT_FALSE(bad.out.contains("startup_painted_ns="));
}

TEST(SimulateOption, AHeldStepOfTheSimulatorInsideGoesOnWithSigusr1) {
  QTemporaryFile drive;
  const QString path = fileWith(drive, "2500 30% hold\n4000 5200us hold\n");
  QProcess kelvo6;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
  kelvo6.setProcessEnvironment(env);
  kelvo6.start(QStringLiteral(KELVO6_PATH), {"--simulate", "--sim-drive", path});
  ASSERT_TRUE(kelvo6.waitForStarted(10000));
  QString notices;
  auto waitFor = [&](const char* text) {
    QElapsedTimer t;
    t.start();
    while (!notices.contains(QLatin1String(text)) && t.elapsed() < 20000) {
      kelvo6.waitForReadyRead(200);
      notices += QString::fromUtf8(kelvo6.readAllStandardError());
    }
    return notices.contains(QLatin1String(text));
  };
  EXPECT_TRUE(waitFor("simulated engine held at 2500 rpm, 30 % load: send SIGUSR1 to kelvo6")) << notices.toStdString();
  ::kill(static_cast<pid_t>(kelvo6.processId()), SIGUSR1);
  EXPECT_TRUE(waitFor("held at 4000 rpm, 5200 us")) << notices.toStdString();
  EXPECT_EQ(kelvo6.state(), QProcess::Running);  // the signal did not end the program
  kelvo6.terminate();
  if (!kelvo6.waitForFinished(5000)) kelvo6.kill();
  kelvo6.waitForFinished(5000);
}

}  // namespace
}  // namespace kelvo6
