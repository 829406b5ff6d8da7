#pragma once
// ser2net from the system, started by a test on a free loopback port to serve
// one device, raw or with RFC 2217 (telnet), and stopped by its process id.

#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <csignal>

namespace kelvo6::testing {

// A loopback port nobody listens on now.
inline int freeLoopbackPort() {
  QTcpServer probe;
  probe.listen(QHostAddress::LocalHost, 0);
  return probe.serverPort();
}

class Ser2net {
 public:
  enum class Mode { kRaw, kRfc2217 };
  Ser2net(const QString& device, Mode mode) : device_(device), mode_(mode), port_(freeLoopbackPort()) {}
  ~Ser2net() { stop(); }

  QString url() const {
    return QStringLiteral("%1://127.0.0.1:%2").arg(mode_ == Mode::kRaw ? "tcp" : "rfc2217").arg(port_);
  }
  int port() const { return port_; }

  // Starts it and waits until it takes connections; false with the reason.
  bool start(QString* error) {
    QFile config(dir_.filePath("ser2net.yaml"));
    config.open(QIODevice::WriteOnly);
    const char* accepter = mode_ == Mode::kRaw ? "tcp" : "telnet(rfc2217),tcp";
    config.write(QStringLiteral("connection: &kelvo6\n  accepter: %1,127.0.0.1,%2\n"
                                "  connector: serialdev,%3,9600n81,local\n  options:\n    kickolduser: true\n")
                     .arg(accepter).arg(port_).arg(device_).toUtf8());
    config.close();
    process_.setProcessChannelMode(QProcess::MergedChannels);
    process_.start(QStringLiteral("/usr/sbin/ser2net"),
                   {"-n", "-c", config.fileName(), "-P", dir_.filePath("ser2net.pid")});
    QElapsedTimer waited;
    waited.start();
    while (waited.elapsed() < 5000) {
      if (process_.state() == QProcess::NotRunning) break;
      QTcpSocket s;
      s.connectToHost(QHostAddress::LocalHost, static_cast<quint16>(port_));
      if (s.waitForConnected(100)) {
        s.abort();
        return true;
      }
      process_.waitForFinished(50);
    }
    *error = "ser2net did not start: " + QString::fromUtf8(process_.readAll());
    return false;
  }
  void stop() {
    resume();
    if (process_.state() == QProcess::NotRunning) return;
    process_.terminate();
    if (!process_.waitForFinished(3000)) process_.kill();
    process_.waitForFinished(3000);
  }
  // Stopped in its tracks: connections stay open, nothing answers (half-open).
  void freeze() { ::kill(static_cast<pid_t>(process_.processId()), SIGSTOP); frozen_ = true; }
  void resume() {
    if (frozen_) ::kill(static_cast<pid_t>(process_.processId()), SIGCONT);
    frozen_ = false;
  }

 private:
  QTemporaryDir dir_;
  QString device_;
  Mode mode_;
  int port_;
  QProcess process_;
  bool frozen_ = false;
};

}  // namespace kelvo6::testing
