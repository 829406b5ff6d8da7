#pragma once
// The one serial line: open a device with a settings string, write frames,
// hear about received bytes and about a port that went away.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/serial_settings.h"

namespace kelvo6::platform {

// Why a device could not be opened, as far as a fitter can act on it. A
// network port adds its own kinds: the connection refused, the host name
// unknown, no answer in time (also a connection that went quiet), the server
// closed the connection, the server refused or changed the line settings.
enum class OpenFailure { None, Missing, PermissionDenied, Busy, Other, Refused, UnknownHost, NoAnswer, Closed, SettingsRefused };

class SerialPort {
 public:
  virtual ~SerialPort() = default;
  // False with the system's reason when the device cannot be opened as asked.
  virtual bool open(const std::string& device, const SerialSettings& settings, std::string* error) = 0;
  virtual bool isOpen() const = 0;
  // Hands the bytes to the line at once; the caller does not wait.
  virtual void write(const std::vector<std::uint8_t>& bytes) = 0;
  virtual void close() = 0;
  // Waits up to ms for input and delivers it through onReceived (tests drive the
  // line this way; the program gets input from its event loop).
  virtual bool waitForInput(int ms) = 0;

  virtual std::uint64_t bytesWritten() const = 0;
  virtual std::uint64_t bytesReceived() const = 0;
  // The kind of the last failed open (None after a successful one), or of the
  // last loss reported through onLost.
  virtual OpenFailure lastOpenFailure() const { return OpenFailure::Other; }
  // The line settings the far end confirmed at the last open ("9600,n,8,1"), for
  // a port whose settings are applied by a server; empty otherwise.
  virtual std::string settingsInEffect() const { return {}; }
  // The time from a request sent to the first byte back, smoothed over the
  // last few; -1 while unknown or not measured by this port.
  virtual int roundTripMs() const { return -1; }
  // The longest pause the port may put between the pieces of one answer, beyond
  // what the line's own rate takes: a network delivers answers in pieces.
  virtual int pieceGapMs() const { return 0; }

  std::function<void(const std::uint8_t* data, std::size_t size)> onReceived;
  std::function<void(const std::string& reason)> onLost;
};

// The system's n-th conventional serial device: COM1 is /dev/ttyS0 on Linux.
std::string conventionalDevice(int portNumber);

struct SystemPort {
  std::string device;       // e.g. /dev/ttyUSB0
  std::string description;  // e.g. the USB adapter's name, may be empty
};
// Serial devices the system reports, without the conventional ttyS ones.
std::vector<SystemPort> systemPorts();

}  // namespace kelvo6::platform
