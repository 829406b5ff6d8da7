#include "platform/qt_serial_port.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cerrno>

#include <QSerialPortInfo>

namespace kelvo6::platform {

namespace {

QSerialPort::Parity parityOf(char p) {
  if (p == 'e') return QSerialPort::EvenParity;
  if (p == 'o') return QSerialPort::OddParity;
  return QSerialPort::NoParity;
}

// Linux has no setting for one and a half stop bits; a UART given two stop bits
// with five data bits sends one and a half, and a receiver set for 1.5 accepts
// two, so two is the nearest setting that still talks to such a device.
QSerialPort::StopBits stopBitsOf(int tenths) {
  if (tenths == 20) return QSerialPort::TwoStop;
#ifdef Q_OS_WIN
  if (tenths == 15) return QSerialPort::OneAndHalfStop;
#else
  if (tenths == 15) return QSerialPort::TwoStop;
#endif
  return QSerialPort::OneStop;
}

// Qt reports a missing node as DeviceNotFoundError and folds "no access" and
// "in use" (EBUSY, or another program's lock file) into PermissionError; the
// node's access rights for this user tell the two apart.
OpenFailure failureOf(QSerialPort::SerialPortError e, const std::string& device) {
  if (e == QSerialPort::DeviceNotFoundError) return OpenFailure::Missing;
  if (e != QSerialPort::PermissionError) return OpenFailure::Other;
  if (::faccessat(AT_FDCWD, device.c_str(), R_OK | W_OK, AT_EACCESS) != 0) {
    if (errno == ENOENT) return OpenFailure::Missing;
    if (errno == EACCES || errno == EPERM) return OpenFailure::PermissionDenied;
  }
  return OpenFailure::Busy;
}

// A pseudo-terminal (the simulated ECU's line) carries bytes as they are: it
// has no character format, and its driver keeps eight bits without parity
// whatever is asked, which Qt reports as a failure to set 7 bits or parity.
bool isPseudoTerminal(const std::string& device) {
#ifdef __linux__
  struct stat st {};
  if (::stat(device.c_str(), &st) != 0 || !S_ISCHR(st.st_mode)) return false;
  unsigned major = ::major(st.st_rdev);
  return major >= 136 && major <= 143;  // Unix98 pty slaves
#else
  (void)device;
  return false;
#endif
}

}  // namespace

std::string conventionalDevice(int portNumber) {
#ifdef Q_OS_WIN
  return "COM" + std::to_string(portNumber);
#else
  return "/dev/ttyS" + std::to_string(portNumber - 1);
#endif
}

std::vector<SystemPort> systemPorts() {
  std::vector<SystemPort> ports;
  for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
    std::string device = info.systemLocation().toStdString();
    if (device.rfind("/dev/ttyS", 0) == 0) continue;  // already offered as COM1..COM4
    ports.push_back({device, info.description().toStdString()});
  }
  return ports;
}

QtSerialPort::QtSerialPort() {
  QObject::connect(&port_, &QSerialPort::readyRead, [this] { readAll(); });
  QObject::connect(&port_, &QSerialPort::errorOccurred, [this](QSerialPort::SerialPortError e) { onError(e); });
  // A device whose other end hung up (a pseudo-terminal whose simulator ended)
  // reports no error of its own; look for the hang-up now and then.
  hangupCheck_.setInterval(250);
  QObject::connect(&hangupCheck_, &QTimer::timeout, [this] { checkHangup(); });
}

QtSerialPort::~QtSerialPort() { port_.close(); }

bool QtSerialPort::open(const std::string& device, const SerialSettings& s, std::string* error) {
  if (port_.isOpen()) port_.close();
  port_.setPortName(QString::fromStdString(device));
  failure_ = OpenFailure::Other;
  if (unsettable(s) == Unsettable::kDataBits) {
    if (error) *error = "4 data bits are not supported by this system's serial driver";
    return false;
  }
  // Below 1.5 kB the driver's buffer would hold a few answers; the read buffer
  // of QSerialPort itself is unbounded (0) so nothing is lost between reads.
  port_.setReadBufferSize(0);
  const bool pseudoTerminal = isPseudoTerminal(device);
  if (pseudoTerminal) {
    // The format Qt applies on opening: the one a pseudo-terminal keeps.
    port_.setDataBits(QSerialPort::Data8);
    port_.setParity(QSerialPort::NoParity);
    port_.setStopBits(QSerialPort::OneStop);
  }
  if (!port_.open(QIODevice::ReadWrite)) {
    failure_ = failureOf(port_.error(), device);
    if (error) *error = port_.errorString().toStdString();
    return false;
  }
  bool ok = port_.setBaudRate(s.baud) && port_.setFlowControl(QSerialPort::NoFlowControl);
  if (ok && !pseudoTerminal) {
    ok = port_.setDataBits(static_cast<QSerialPort::DataBits>(s.dataBits)) && port_.setParity(parityOf(s.parity)) &&
         port_.setStopBits(stopBitsOf(s.stopTenths));
  }
  if (!ok) {
    if (error) *error = port_.errorString().toStdString();
    port_.close();
    return false;
  }
  port_.clear();
  failure_ = OpenFailure::None;
  hangupCheck_.start();
  return true;
}

void QtSerialPort::write(const std::vector<std::uint8_t>& bytes) {
  if (!port_.isOpen() || bytes.empty()) return;
  port_.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size()));
  written_ += bytes.size();
  port_.flush();  // hand the frame to the driver now, not at the next event-loop turn
}

void QtSerialPort::close() {
  hangupCheck_.stop();
  if (port_.isOpen()) port_.close();
}

bool QtSerialPort::waitForInput(int ms) {
  if (!port_.isOpen()) return false;
  if (port_.bytesAvailable() > 0) {
    readAll();
    return true;
  }
  return port_.waitForReadyRead(ms);
}

void QtSerialPort::readAll() {
  QByteArray data = port_.readAll();
  if (data.isEmpty()) return;
  received_ += static_cast<std::uint64_t>(data.size());
  if (onReceived) onReceived(reinterpret_cast<const std::uint8_t*>(data.constData()), static_cast<std::size_t>(data.size()));
}

void QtSerialPort::onError(QSerialPort::SerialPortError e) {
  // A device that went away (USB adapter unplugged, simulator ended) reports a
  // resource error; close the port so the program keeps running without it.
  if (e != QSerialPort::ResourceError || !port_.isOpen()) return;
  lost(port_.errorString().toStdString());
}

void QtSerialPort::checkHangup() {
  if (!port_.isOpen()) return;
  pollfd p{static_cast<int>(port_.handle()), POLLIN, 0};
  if (::poll(&p, 1, 0) <= 0 || !(p.revents & (POLLHUP | POLLERR | POLLNVAL))) return;
  readAll();  // what arrived before the hang-up still counts
  lost("the device hung up");
}

void QtSerialPort::lost(const std::string& reason) {
  close();
  if (onLost) onLost(reason);
}

}  // namespace kelvo6::platform
