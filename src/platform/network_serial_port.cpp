#include "platform/network_serial_port.h"

namespace kelvo6::platform {

namespace {

OpenFailure failureOf(QAbstractSocket::SocketError e) {
  switch (e) {
    case QAbstractSocket::ConnectionRefusedError: return OpenFailure::Refused;
    case QAbstractSocket::HostNotFoundError: return OpenFailure::UnknownHost;
    case QAbstractSocket::SocketTimeoutError: return OpenFailure::NoAnswer;
    case QAbstractSocket::RemoteHostClosedError: return OpenFailure::Closed;
    default: return OpenFailure::Other;
  }
}

constexpr unsigned kAllAnswered = 0xF;  // baud, data size, parity, stop size

}  // namespace

NetworkSerialPort::NetworkSerialPort() {
  QObject::connect(&socket_, &QTcpSocket::readyRead, [this] { readAll(); });
  QObject::connect(&socket_, &QTcpSocket::disconnected, [this] {
    if (!open_) return;
    readAll();  // what arrived before the close still counts
    lost(OpenFailure::Closed, "the server " + name_ + " closed the connection");
  });
  QObject::connect(&socket_, &QTcpSocket::errorOccurred, [this](QAbstractSocket::SocketError e) {
    if (!open_ || e == QAbstractSocket::SocketTimeoutError) return;  // time-outs of our own waits
    readAll();
    lost(e == QAbstractSocket::RemoteHostClosedError ? OpenFailure::Closed : failureOf(e),
         name_ + ": " + socket_.errorString().toStdString());
  });
  silenceCheck_.setInterval(250);
  QObject::connect(&silenceCheck_, &QTimer::timeout, [this] { checkSilence(); });
  clock_.start();
}

NetworkSerialPort::~NetworkSerialPort() {
  open_ = false;
  socket_.abort();
}

bool NetworkSerialPort::fail(OpenFailure kind, const std::string& reason, std::string* error) {
  open_ = false;
  negotiating_ = false;
  socket_.abort();
  failure_ = kind;
  if (error) *error = reason;
  return false;
}

bool NetworkSerialPort::open(const std::string& device, const SerialSettings& settings, std::string* error) {
  close();
  name_ = device;
  inEffect_.clear();
  std::string why;
  auto address = parseNetworkAddress(device, &why);
  if (!address) return fail(OpenFailure::Other, device + ": " + why, error);
  address_ = *address;
  decoder_.reset();
  said_.clear();
  socket_.connectToHost(QString::fromStdString(address_.host), static_cast<quint16>(address_.port));
  if (!socket_.waitForConnected(kConnectMs)) {
    OpenFailure kind = failureOf(socket_.error());
    std::string reason = kind == OpenFailure::NoAnswer
                             ? "no connection to " + name_ + " within " + std::to_string(kConnectMs / 1000) + " s"
                             : name_ + ": " + socket_.errorString().toStdString();
    return fail(kind, reason, error);
  }
  // Frames are small and each waits for its answer: send them at once.
  socket_.setSocketOption(QAbstractSocket::LowDelayOption, 1);
  socket_.setSocketOption(QAbstractSocket::KeepAliveOption, 1);
  if (telnet() && !negotiate(settings, error)) return false;
  socket_.readAll();  // bytes from before the line was set are not answers to us
  unansweredSince_ = lastWrite_ = probeSent_ = -1;
  failure_ = OpenFailure::None;
  open_ = true;
  silenceCheck_.start();
  return true;
}

bool NetworkSerialPort::negotiate(const SerialSettings& asked, std::string* error) {
  negotiating_ = true;
  answered_ = 0;
  comPortRefused_ = false;
  confirmed_ = SerialSettings{};
  said_.insert({telnet::kWill, telnet::kComPort});
  send(telnet::setLine(asked));
  QElapsedTimer waited;
  waited.start();
  while (answered_ != kAllAnswered && !comPortRefused_ && socket_.state() == QAbstractSocket::ConnectedState) {
    const int left = kNegotiateMs - static_cast<int>(waited.elapsed());
    if (left <= 0) break;
    if (socket_.bytesAvailable() == 0) socket_.waitForReadyRead(left);
    readAll();
  }
  negotiating_ = false;
  if (comPortRefused_)
    return fail(OpenFailure::SettingsRefused,
                "the server " + name_ + " does not take RFC 2217 line settings (a raw server is reached as tcp://)", error);
  if (socket_.state() != QAbstractSocket::ConnectedState)
    return fail(OpenFailure::Closed, "the server " + name_ + " closed the connection", error);
  if (answered_ != kAllAnswered)
    return fail(OpenFailure::NoAnswer,
                "no RFC 2217 answer from " + name_ + " within " + std::to_string(kNegotiateMs / 1000) +
                    " s (a raw server is reached as tcp://)",
                error);
  inEffect_ = formatSerialSettings(confirmed_);
  if (inEffect_ != formatSerialSettings(asked))
    return fail(OpenFailure::SettingsRefused,
                "the server " + name_ + " set the line to " + inEffect_ + " instead of " + formatSerialSettings(asked),
                error);
  return true;
}

void NetworkSerialPort::send(const telnet::Bytes& bytes) {
  socket_.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size()));
  socket_.flush();
}

void NetworkSerialPort::write(const std::vector<std::uint8_t>& bytes) {
  if (!open_ || bytes.empty()) return;
  send(telnet() ? telnet::escape(bytes) : bytes);
  written_ += bytes.size();
  lastWrite_ = clock_.elapsed();
  if (unansweredSince_ < 0) unansweredSince_ = lastWrite_;
}

void NetworkSerialPort::close() {
  silenceCheck_.stop();
  const bool wasOpen = open_;
  open_ = false;
  if (wasOpen || socket_.state() != QAbstractSocket::UnconnectedState) socket_.abort();
}

bool NetworkSerialPort::waitForInput(int ms) {
  if (!open_) return false;
  if (socket_.bytesAvailable() > 0) {
    readAll();
    return true;
  }
  return socket_.waitForReadyRead(ms);
}

void NetworkSerialPort::readAll() {
  QByteArray raw = socket_.readAll();
  if (raw.isEmpty()) return;
  const auto* bytes = reinterpret_cast<const std::uint8_t*>(raw.constData());
  // Anything from the far end, telnet answers included, shows it is there.
  unansweredSince_ = probeSent_ = -1;
  telnet::Bytes data;
  std::vector<telnet::Event> events;
  if (telnet()) {
    decoder_.feed(bytes, static_cast<std::size_t>(raw.size()), &data, &events);
  } else {
    data.assign(bytes, bytes + raw.size());
  }
  for (const telnet::Event& e : events) answer(e);
  if (data.empty() || negotiating_ || !open_) return;
  received_ += data.size();
  if (onReceived) onReceived(data.data(), data.size());
}

void NetworkSerialPort::answer(const telnet::Event& e) {
  if (e.verb == telnet::kSb) {
    if (auto which = telnet::takeAnswer(e, &confirmed_)) answered_ |= 1u << (*which - 1);
    return;
  }
  if (e.option == telnet::kComPort && (e.verb == telnet::kDont || e.verb == telnet::kWont)) comPortRefused_ = true;
  telnet::Bytes reply = telnet::answerTo(e);
  // Each answer once: telnet peers that repeat requests must not start a loop.
  if (reply.empty() || !said_.insert({reply[1], reply[2]}).second) return;
  send(reply);
}

void NetworkSerialPort::checkSilence() {
  if (!open_ || unansweredSince_ < 0) return;
  const qint64 now = clock_.elapsed();
  // Only while requests keep coming: a window that gave up has said so itself.
  if (now - unansweredSince_ < kSilenceMs || now - lastWrite_ > kSilenceMs / 2) return;
  if (telnet() && probeSent_ < 0) {
    probeSent_ = now;
    send(telnet::askBaud());
    return;
  }
  if (telnet() && now - probeSent_ < kProbeMs) return;
  lost(OpenFailure::NoAnswer, "no answer from " + name_ + " for " + std::to_string((now - unansweredSince_) / 1000) +
                                  " s: the server or the network is not responding");
}

void NetworkSerialPort::lost(OpenFailure kind, const std::string& reason) {
  close();
  failure_ = kind;
  if (onLost) onLost(reason);
}

}  // namespace kelvo6::platform
