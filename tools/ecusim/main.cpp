// kelvo6-ecusim: a simulated KELVO6 ECU on a pseudo-terminal.

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "sim/ecu.h"
#include "sim/pty_server.h"
#include "state_file.h"

namespace {

kelvo6::sim::PtyServer* g_server = nullptr;
void onSignal(int) {
  if (g_server) g_server->stop();
}

void usage() {
  std::puts(
      "usage: kelvo6-ecusim [options]\n"
      "  --link PATH        keep a symbolic link PATH to the device\n"
      "  --state FILE       write parameters, cells and applied writes to FILE\n"
      "                     at start, after every applied write and at the end\n"
      "  --latency MS       answer delay (default 5)\n"
      "  --baud N           answer no faster than a line at N baud, 10 bits a byte\n"
      "                     (default: no pacing)\n"
      "  --version A.B.C    software version (default 2.4.1)\n"
      "  --true-map FILE    the KGB the car truly needs in each cell: 64 whole numbers\n"
      "                     in cell order (default: a built-in map, 100 to 115)\n"
      "  --true-kgb N       the car needs the coefficient N in every cell\n"
      "  --silent           answer nothing\n"
      "  --drop N           drop every N-th answer\n"
      "  --split MS         send every answer in two halves MS apart\n"
      "  --late MS          answer MS later\n"
      "  --stray N          a stray byte after every N-th answer\n"
      "  --wrong-echo P[:K] echo a wrong value for parameter P (K times, default always)\n"
      "  --eol-fail         the end-of-line test reports one failing check\n"
      "  --manual-key       the end-of-line key is not switched off and on by itself");
}

bool argValue(int& i, int argc, char** argv, std::string* out) {
  if (i + 1 >= argc) return false;
  *out = argv[++i];
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  kelvo6::sim::Ecu ecu;
  std::string link;
  std::string statePath;
  bool automaticKey = true;
  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i], v;
    auto& f = ecu.faults();
    if (a == "--help" || a == "-h") {
      usage();
      return 0;
    } else if (a == "--link" && argValue(i, argc, argv, &v)) {
      link = v;
    } else if (a == "--state" && argValue(i, argc, argv, &v)) {
      statePath = v;
    } else if (a == "--latency" && argValue(i, argc, argv, &v)) {
      ecu.setLatencyMs(std::atoi(v.c_str()));
    } else if (a == "--baud" && argValue(i, argc, argv, &v)) {
      int baud = std::atoi(v.c_str());
      if (baud < 50 || baud > 4000000) {
        std::fprintf(stderr, "kelvo6-ecusim: --baud must be a rate from 50 to 4000000\n");
        return 2;
      }
      ecu.setLineBaud(baud);
    } else if (a == "--version" && argValue(i, argc, argv, &v)) {
      int x = 0, y = 0, z = 0;
      if (std::sscanf(v.c_str(), "%d.%d.%d", &x, &y, &z) != 3) {
        std::fprintf(stderr, "kelvo6-ecusim: version must be A.B.C\n");
        return 2;
      }
      ecu.setVersion(x, y, z);
    } else if (a == "--true-map" && argValue(i, argc, argv, &v)) {
      std::string error;
      auto map = kelvo6::sim::TrueMap::load(v, &error);
      if (!map) {
        std::fprintf(stderr, "kelvo6-ecusim: --true-map %s: %s\n", v.c_str(), error.c_str());
        return 2;
      }
      ecu.engine().setTrueMap(*map);
    } else if (a == "--true-kgb" && argValue(i, argc, argv, &v)) {
      ecu.engine().setTrueKgb(std::atoi(v.c_str()));
    } else if (a == "--silent") {
      f.silent = true;
    } else if (a == "--drop" && argValue(i, argc, argv, &v)) {
      f.dropEvery = std::atoi(v.c_str());
    } else if (a == "--split" && argValue(i, argc, argv, &v)) {
      f.splitGapMs = std::atoi(v.c_str());
    } else if (a == "--late" && argValue(i, argc, argv, &v)) {
      f.extraLatencyMs = std::atoi(v.c_str());
    } else if (a == "--stray" && argValue(i, argc, argv, &v)) {
      f.strayByteEvery = std::atoi(v.c_str());
    } else if (a == "--wrong-echo" && argValue(i, argc, argv, &v)) {
      f.wrongEchoParam = std::atoi(v.c_str());
      auto colon = v.find(':');
      f.wrongEchoCount = colon == std::string::npos ? -1 : std::atoi(v.c_str() + colon + 1);
    } else if (a == "--eol-fail") {
      ecu.selfTest().failOneCheck();
    } else if (a == "--manual-key") {
      automaticKey = false;
    } else {
      std::fprintf(stderr, "kelvo6-ecusim: unknown option %s\n", a.c_str());
      usage();
      return 2;
    }
  }
  ecu.selfTest().setAutomaticKey(automaticKey);

  kelvo6::sim::PtyServer server(ecu);
  std::string error;
  if (!server.open(&error)) {
    std::fprintf(stderr, "kelvo6-ecusim: %s\n", error.c_str());
    return 1;
  }
  if (!link.empty() && !server.makeLink(link, &error)) {
    std::fprintf(stderr, "kelvo6-ecusim: %s\n", error.c_str());
    return 1;
  }
  auto saveState = [&] {
    if (!statePath.empty() && !kelvo6::ecusim::writeStateFile(statePath, ecu))
      std::fprintf(stderr, "kelvo6-ecusim: cannot write %s\n", statePath.c_str());
  };
  saveState();
  // Rewritten in the loop turn that applied a write, so before its echo leaves
  // (with a latency above 0).
  std::size_t savedWrites = 0;
  server.onTick = [&](std::int64_t) {
    if (ecu.writes().size() == savedWrites) return;
    savedWrites = ecu.writes().size();
    saveState();
  };
  g_server = &server;
  std::signal(SIGINT, onSignal);
  std::signal(SIGTERM, onSignal);
  std::printf("%s\n", server.devicePath().c_str());
  std::fflush(stdout);
  server.run();
  saveState();
  return 0;
}
