#include "sim/pty_server.h"

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>

namespace kelvo6::sim {

namespace {
// Baud rates of the termios speed constants.
int baudOf(speed_t speed) {
  static const std::pair<speed_t, int> kRates[] = {
      {B50, 50},         {B75, 75},         {B110, 110},         {B134, 134},         {B150, 150},
      {B200, 200},       {B300, 300},       {B600, 600},         {B1200, 1200},       {B1800, 1800},
      {B2400, 2400},     {B4800, 4800},     {B9600, 9600},       {B19200, 19200},     {B38400, 38400},
      {B57600, 57600},   {B115200, 115200}, {B230400, 230400},   {B460800, 460800},   {B500000, 500000},
      {B576000, 576000}, {B921600, 921600}, {B1000000, 1000000}, {B1152000, 1152000}, {B1500000, 1500000},
      {B2000000, 2000000}, {B2500000, 2500000}, {B3000000, 3000000}, {B3500000, 3500000}, {B4000000, 4000000},
  };
  for (auto [s, baud] : kRates)
    if (s == speed) return baud;
  return 0;
}

std::int64_t steadyNs() {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
      .count();
}
}  // namespace

PtyServer::PtyServer(Ecu& ecu) : ecu_(ecu), startNs_(steadyNs()) {}

PtyServer::~PtyServer() {
  if (!linkPath_.empty()) ::unlink(linkPath_.c_str());
  if (slaveKeepAlive_ >= 0) ::close(slaveKeepAlive_);
  if (master_ >= 0) ::close(master_);
}

std::int64_t PtyServer::nowMs() const { return (steadyNs() - startNs_) / 1000000; }

bool PtyServer::open(std::string* error) {
  master_ = ::posix_openpt(O_RDWR | O_NOCTTY);
  if (master_ < 0 || ::grantpt(master_) != 0 || ::unlockpt(master_) != 0) {
    if (error) *error = std::string("cannot create a pseudo-terminal: ") + std::strerror(errno);
    return false;
  }
  const char* name = ::ptsname(master_);
  if (!name) {
    if (error) *error = "cannot name the pseudo-terminal";
    return false;
  }
  slavePath_ = name;
  // Holding the slave open keeps the master readable while no client is connected,
  // and lets us put the line in raw mode before anybody opens it (no echo).
  slaveKeepAlive_ = ::open(name, O_RDWR | O_NOCTTY);
  if (slaveKeepAlive_ >= 0) {
    termios t{};
    if (::tcgetattr(slaveKeepAlive_, &t) == 0) {
      ::cfmakeraw(&t);
      ::tcsetattr(slaveKeepAlive_, TCSANOW, &t);
    }
  }
  ::fcntl(master_, F_SETFL, ::fcntl(master_, F_GETFL) | O_NONBLOCK);
  return true;
}

bool PtyServer::makeLink(const std::string& path, std::string* error) {
  ::unlink(path.c_str());
  if (::symlink(slavePath_.c_str(), path.c_str()) != 0) {
    if (error) *error = "cannot create link " + path + ": " + std::strerror(errno);
    return false;
  }
  linkPath_ = path;
  return true;
}

int PtyServer::lineSpeed() const {
  termios t{};
  if (slaveKeepAlive_ < 0 || ::tcgetattr(slaveKeepAlive_, &t) != 0) return 0;
  return baudOf(::cfgetospeed(&t));
}

void PtyServer::run() {
  std::uint8_t buffer[512];
  while (!stopping_) {
    std::int64_t now = nowMs();
    int timeout = 20;  // the engine model and the self-test move on even without traffic
    if (auto due = ecu_.nextDueMs()) timeout = static_cast<int>(std::clamp<std::int64_t>(*due - now, 0, 20));
    pollfd p{master_, POLLIN, 0};
    int ready = ::poll(&p, 1, timeout);
    now = nowMs();
    if (ready > 0 && (p.revents & POLLIN)) {
      ssize_t n = ::read(master_, buffer, sizeof buffer);
      if (n > 0) {
        if (followLineSpeed_) ecu_.setLineBaud(lineSpeed());
        ecu_.receive(buffer, static_cast<std::size_t>(n), now);
      }
    }
    for (const Bytes& out : ecu_.takeDue(now)) {
      std::size_t written = 0;
      while (written < out.size()) {
        ssize_t n = ::write(master_, out.data() + written, out.size() - written);
        if (n > 0) {
          written += static_cast<std::size_t>(n);
        } else if (n < 0 && errno != EAGAIN && errno != EINTR) {
          break;
        } else {
          pollfd w{master_, POLLOUT, 0};
          ::poll(&w, 1, 10);
        }
      }
    }
    if (onTick) onTick(now);
  }
}

}  // namespace kelvo6::sim
