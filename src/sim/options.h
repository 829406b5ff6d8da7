#pragma once
// The simulator's options, parsed in one place for kelvo6-ecusim and for the
// simulator inside kelvo6 (there each option takes the prefix --sim-, e.g.
// kelvo6 --simulate --sim-drive demo). Files named by options are read here,
// so that a bad file is refused before the simulator starts.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "sim/drive.h"
#include "sim/ecu.h"
#include "sim/true_map.h"

namespace kelvo6::sim {

struct SimOptions {
  enum class Pacing {
    kProgramDefault,  // kelvo6-ecusim: none; kelvo6 --simulate: the port's rate
    kOff,
    kFixed,  // at `baud`
    kPort,   // at the rate the program set on the pseudo-terminal
  };

  int latencyMs = 5;
  Pacing pacing = Pacing::kProgramDefault;
  int baud = 0;
  std::optional<std::array<int, 3>> version;
  std::optional<Drive> drive;
  std::optional<TrueMap> trueMap;
  std::optional<std::uint32_t> seed;
  Faults faults;
  bool eolFail = false;
  bool manualKey = false;
  // kelvo6-ecusim only.
  std::string link;
  std::string stateFile;
};

struct SimOptionInfo {
  const char* name;   // without the leading dashes
  const char* value;  // the value's name, or nullptr for a switch
  const char* help;   // may span lines
  bool inProcess;     // also for the simulator inside kelvo6
};
const std::vector<SimOptionInfo>& simOptionTable();

// The options' help, one option a line (continued lines indented), each name
// with `prefix` ("--" or "--sim-"); only those for the simulator inside kelvo6
// when `inProcess`.
std::string simOptionsHelp(const std::string& prefix, bool inProcess);

// The drive file format, for a program's help.
extern const char* const kDriveFileHelp;

// Parses "--name [value]" arguments (with another `prefix` than "--" for a
// program that has options of its own). On a bad option or value, or a file
// that cannot be read: nullopt and a message that names the option (and for a
// file, the line).
std::optional<SimOptions> parseSimOptions(const std::vector<std::string>& args, std::string* error,
                                          const std::string& prefix = "--");

// Sets the ECU up as the options say (pacing: only a fixed rate; following the
// port is the server's job).
void applySimOptions(const SimOptions& options, Ecu& ecu);

}  // namespace kelvo6::sim
