#pragma once
// A TCP proxy on loopback in front of a server (ser2net in the network tests
// and figures) that holds each piece half the chosen round trip each way;
// pieces keep their order.

#include <QHostAddress>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

namespace kelvo6::testing {

class DelayProxy {
 public:
  explicit DelayProxy(int upstreamPort) : upstreamPort_(upstreamPort) {
    server_.listen(QHostAddress::LocalHost, 0);
    QObject::connect(&server_, &QTcpServer::newConnection, [this] {
      client_ = server_.nextPendingConnection();
      upstream_.connectToHost(QHostAddress::LocalHost, static_cast<quint16>(upstreamPort_));
      upstream_.waitForConnected(3000);
      QObject::connect(client_, &QTcpSocket::readyRead, [this] { pass(client_, &upstream_); });
      QObject::connect(&upstream_, &QTcpSocket::readyRead, [this] { pass(&upstream_, client_); });
    });
  }
  QString url() const { return QStringLiteral("tcp://127.0.0.1:%1").arg(server_.serverPort()); }
  void setRoundTripMs(int ms) { oneWayMs_ = ms / 2; }

 private:
  void pass(QTcpSocket* from, QTcpSocket* to) {
    QByteArray data = from->readAll();
    QTimer::singleShot(oneWayMs_, Qt::PreciseTimer, to, [to, data] { to->write(data); });
  }
  int upstreamPort_;
  int oneWayMs_ = 0;
  QTcpServer server_;
  QTcpSocket* client_ = nullptr;
  QTcpSocket upstream_;
};

}  // namespace kelvo6::testing
