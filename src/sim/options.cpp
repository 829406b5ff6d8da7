#include "sim/options.h"

#include <cerrno>
#include <cstdlib>
#include <sstream>

namespace kelvo6::sim {

const std::vector<SimOptionInfo>& simOptionTable() {
  static const std::vector<SimOptionInfo> table{
      {"baud", "N|port|off",
       "answer no faster than a serial line at N baud\n"
       "carries request and answer, 10 bits a byte; port: at\n"
       "the rate the program set on the line; off: at once\n"
       "(default: off; port for kelvo6 --simulate)",
       true},
      {"drive", "FILE|demo",
       "drive the engine through the steps of FILE, or the\n"
       "built-in demo drive (default: idle with a rev now\n"
       "and then)",
       true},
      {"true-map", "FILE",
       "the KGB the car truly needs in each cell: 64 whole\n"
       "numbers in cell order (default: a built-in map)",
       true},
      {"true-kgb", "N", "the car needs the coefficient N in every cell", true},
      {"seed", "N", "seed of the engine's noise (same seed, same engine)", true},
      {"latency", "MS", "answer delay (default 5)", true},
      {"version", "A.B.C", "software version (default 2.4.1)", true},
      {"silent", nullptr, "answer nothing", true},
      {"drop", "N", "drop every N-th answer", true},
      {"split", "MS", "send every answer in two halves MS apart", true},
      {"late", "MS", "answer MS later", true},
      {"stray", "N", "a stray byte after every N-th answer", true},
      {"wrong-echo", "P[:K]", "echo a wrong value for parameter P (K times,\ndefault always)", true},
      {"eol-fail", nullptr, "the end-of-line test reports one failing check", true},
      {"manual-key", nullptr, "the end-of-line key is not switched off and on\nby itself", true},
      {"link", "PATH", "keep a symbolic link PATH to the device", false},
      {"state", "FILE",
       "write parameters, cells and applied writes to FILE\n"
       "at start, after every applied write and at the end",
       false},
  };
  return table;
}

const char* const kDriveFileHelp =
    "Drive file: one step a line, RPM LOAD DURATION; '#' starts a comment.\n"
    "  RPM       engine speed, 0 to 9000\n"
    "  LOAD      N% (throttle, 0 to 100), Nus (the petrol injection time itself)\n"
    "            or cutoff (off the throttle, fuel cut)\n"
    "  DURATION  Ns, N.Ns or Nms; or hold: until told to go on\n"
    "  A line \"loop\" plays the steps again after the last one.\n"
    "  Example lines:  800 8% 20s    3000 5200us hold    1800 cutoff 3s\n";

std::string simOptionsHelp(const std::string& prefix, bool inProcess) {
  std::string out;
  for (const SimOptionInfo& o : simOptionTable()) {
    if (inProcess && !o.inProcess) continue;
    std::string head = "  " + prefix + o.name + (o.value ? std::string(" ") + o.value : "");
    const std::size_t column = 26;
    head += head.size() < column ? std::string(column - head.size(), ' ') : std::string("\n") + std::string(column, ' ');
    std::istringstream help(o.help);
    std::string line;
    bool first = true;
    while (std::getline(help, line)) {
      out += (first ? head : std::string(column, ' ')) + line + "\n";
      first = false;
    }
  }
  return out;
}

namespace {

std::optional<long long> whole(const std::string& text, long long low, long long high) {
  if (text.empty() || text[0] == '+' || text[0] == ' ') return std::nullopt;
  errno = 0;
  char* end = nullptr;
  long long v = std::strtoll(text.c_str(), &end, 10);
  if (*end != '\0' || errno != 0 || v < low || v > high) return std::nullopt;
  return v;
}

const SimOptionInfo* find(const std::string& name) {
  for (const SimOptionInfo& o : simOptionTable())
    if (name == o.name) return &o;
  return nullptr;
}

}  // namespace

std::optional<SimOptions> parseSimOptions(const std::vector<std::string>& args, std::string* error,
                                          const std::string& prefix) {
  SimOptions o;
  auto fail = [&](const std::string& why) -> std::optional<SimOptions> {
    if (error) *error = why;
    return std::nullopt;
  };
  std::optional<int> trueKgb;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    const SimOptionInfo* info = arg.rfind(prefix, 0) == 0 ? find(arg.substr(prefix.size())) : nullptr;
    if (!info) return fail("unknown option " + arg);
    const std::string name = info->name;
    const std::string option = prefix + name;
    std::string v;
    if (info->value) {
      if (i + 1 >= args.size()) return fail(option + " needs a value (" + info->value + ")");
      v = args[++i];
    }
    auto number = [&](long long low, long long high) -> std::optional<int> {
      auto n = whole(v, low, high);
      if (!n) return std::nullopt;
      return static_cast<int>(*n);
    };
    auto range = [&](long long low, long long high) {
      return option + " " + v + ": not a whole number from " + std::to_string(low) + " to " +
             std::to_string(high);
    };
    if (name == "baud") {
      if (v == "port") {
        o.pacing = SimOptions::Pacing::kPort;
      } else if (v == "off") {
        o.pacing = SimOptions::Pacing::kOff;
      } else if (auto b = number(50, 4000000)) {
        o.pacing = SimOptions::Pacing::kFixed;
        o.baud = *b;
      } else {
        return fail(option + " " + v + ": not a rate from 50 to 4000000, port or off");
      }
    } else if (name == "drive") {
      std::string why;
      o.drive = v == "demo" ? Drive::demo() : Drive::load(v, &why);
      if (!o.drive) return fail(option + " " + v + ": " + why);
    } else if (name == "true-map") {
      std::string why;
      o.trueMap = TrueMap::load(v, &why);
      if (!o.trueMap) return fail(option + " " + v + ": " + why);
    } else if (name == "true-kgb") {
      trueKgb = number(1, 255);
      if (!trueKgb) return fail(range(1, 255));
    } else if (name == "seed") {
      auto n = whole(v, 0, 4294967295LL);
      if (!n) return fail(range(0, 4294967295LL));
      o.seed = static_cast<std::uint32_t>(*n);
    } else if (name == "latency") {
      auto n = number(0, 60000);
      if (!n) return fail(range(0, 60000));
      o.latencyMs = *n;
    } else if (name == "version") {
      std::array<int, 3> parts{};
      std::istringstream in(v);
      std::string part;
      std::size_t count = 0;
      while (std::getline(in, part, '.')) {
        auto n = whole(part, 0, 255);
        if (!n || count == 3) return fail(option + " " + v + ": must be A.B.C, each 0 to 255");
        parts[count++] = static_cast<int>(*n);
      }
      if (count != 3 || v.back() == '.') return fail(option + " " + v + ": must be A.B.C, each 0 to 255");
      o.version = parts;
    } else if (name == "silent") {
      o.faults.silent = true;
    } else if (name == "drop" || name == "stray") {
      auto n = number(0, 1000000);
      if (!n) return fail(range(0, 1000000));
      (name == "drop" ? o.faults.dropEvery : o.faults.strayByteEvery) = *n;
    } else if (name == "split" || name == "late") {
      auto n = number(0, 60000);
      if (!n) return fail(range(0, 60000));
      (name == "split" ? o.faults.splitGapMs : o.faults.extraLatencyMs) = *n;
    } else if (name == "wrong-echo") {
      const std::size_t colon = v.find(':');
      auto p = whole(v.substr(0, colon), 1, 62);
      auto k = colon == std::string::npos ? std::optional<long long>(-1) : whole(v.substr(colon + 1), 1, 1000000);
      if (!p || !k) return fail(option + " " + v + ": must be P or P:K, P a parameter 1 to 62, K a count");
      o.faults.wrongEchoParam = static_cast<int>(*p);
      o.faults.wrongEchoCount = static_cast<int>(*k);
    } else if (name == "eol-fail") {
      o.eolFail = true;
    } else if (name == "manual-key") {
      o.manualKey = true;
    } else if (name == "link") {
      o.link = v;
    } else if (name == "state") {
      o.stateFile = v;
    }
  }
  if (trueKgb) {
    if (o.trueMap) return fail(prefix + "true-map and " + prefix + "true-kgb cannot both be given");
    o.trueMap = TrueMap::flat(*trueKgb);
  }
  return o;
}

void applySimOptions(const SimOptions& o, Ecu& ecu) {
  if (o.seed) ecu.engine() = EngineModel(*o.seed);
  ecu.setLatencyMs(o.latencyMs);
  if (o.pacing == SimOptions::Pacing::kFixed) ecu.setLineBaud(o.baud);
  if (o.version) ecu.setVersion((*o.version)[0], (*o.version)[1], (*o.version)[2]);
  if (o.drive) ecu.engine().setDrive(*o.drive);
  if (o.trueMap) ecu.engine().setTrueMap(*o.trueMap);
  ecu.faults() = o.faults;
  if (o.eolFail) ecu.selfTest().failOneCheck();
  ecu.selfTest().setAutomaticKey(!o.manualKey);
}

}  // namespace kelvo6::sim
