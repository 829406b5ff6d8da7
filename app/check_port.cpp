#include "check_port.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <optional>

#include "app/connection.h"
#include "core/shared.h"
#include "link/dispatcher.h"
#include "link/display.h"
#include "link/requests.h"
#include "platform/line_port.h"
#include "platform/network_address.h"
#include "platform/qt_scheduler.h"

namespace kelvo6::program {

namespace {

// Each request is sent up to three times and each time given this long:
// enough for a remote line with a second of round-trip time.
constexpr int kTries = 3;
constexpr int kWaitMs = 2000;

// Runs the event loop until `flag` is set; the time from the last send in ms.
std::optional<qint64> ask(app::Connection& line, const link::Bytes& request, const bool& flag, const std::string& lost) {
  for (int i = 0; i < kTries && lost.empty(); ++i) {
    QElapsedTimer t;
    t.start();
    line.send(request);
    while (!flag && lost.empty() && t.elapsed() < kWaitMs)
      QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 10);
    if (flag) return t.elapsed();
  }
  return std::nullopt;
}

// The line settings in effect, and who set them.
std::string settingsInEffect(const std::string& device, const std::string& asked, const platform::SerialPort& port) {
  if (!port.settingsInEffect().empty()) return port.settingsInEffect() + " (confirmed by the server)";
  if (platform::isNetworkPort(device)) return "those of the server (raw TCP)";
  return asked;
}

}  // namespace

int checkPortAndReport(const std::string& device, int baud, std::FILE* out, std::FILE* err) {
  core::Shared shared;
  shared.commandLineDevice = device;
  shared.portSettings = std::to_string(baud) + ",n,8,1";
  platform::QtScheduler scheduler;
  platform::LinePort port;
  link::NullDisplay display;
  app::Connection line(shared, port, scheduler, display);
  std::string lost;
  line.onLost = [&lost](const std::string& reason) { lost = reason.empty() ? "the port went away" : reason; };
  std::string why;
  if (!line.open(&why)) {
    // The port's reason may already name the address, once per layer.
    const std::string named = device + ": ";
    while (why.rfind(named, 0) == 0) why.erase(0, named.size());
    std::fprintf(err, "kelvo6: cannot open %s: %s\n", device.c_str(), why.c_str());
    return 1;
  }
  auto version = ask(line, link::readSoftwareVersion(), shared.received.version, lost);
  std::optional<qint64> params;
  if (version) {
    shared.bulkTransfer = true;
    params = ask(line, link::readParameterSet(), shared.received.paramSet, lost);
  }
  line.close();
  if (!version || !params) {
    std::string what = version ? "its parameter set" : "the software version request";
    std::fprintf(err, "kelvo6: %s: the ECU did not answer %s (%d tries, %d s each)%s%s\n", device.c_str(), what.c_str(),
                 kTries, kWaitMs / 1000, lost.empty() ? "" : ": ", lost.c_str());
    return 1;
  }
  const std::string settings = settingsInEffect(device, shared.portSettings, port);
  std::fprintf(out, "port: %s\n", device.c_str());
  std::fprintf(out, "settings: %s\n", settings.c_str());
  std::fprintf(out, "ECU software version: %s\n",
               link::versionString(shared.version[0], shared.version[1], shared.version[2]).c_str());
  std::fprintf(out, "round-trip time: %lld ms (version request)\n", static_cast<long long>(*version));
  std::fprintf(out, "parameter set: read in %lld ms\n", static_cast<long long>(*params));
  return 0;
}

}  // namespace kelvo6::program
