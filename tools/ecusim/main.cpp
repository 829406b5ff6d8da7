// kelvo6-ecusim: a simulated KELVO6 ECU on a pseudo-terminal.

#include <poll.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <string>
#include <vector>

#include "sim/ecu.h"
#include "sim/hold_control.h"
#include "sim/options.h"
#include "sim/pty_server.h"
#include "state_file.h"

namespace {

kelvo6::sim::PtyServer* g_server = nullptr;
void onSignal(int) {
  if (g_server) g_server->stop();
}

void usage() {
  std::printf(
               "usage: kelvo6-ecusim [options]\n"
               "Serves a simulated KELVO6 ECU on a pseudo-terminal and prints its device path.\n\n"
               "%s\n%s\n"
               "A step that says hold keeps the engine there until a line is typed on standard\n"
               "input or the program gets SIGUSR1 (kill -USR1 PID).\n",
               kelvo6::sim::simOptionsHelp("--", false).c_str(), kelvo6::sim::kDriveFileHelp);
}

// True once for each line typed on standard input; stops looking at it once it is closed.
bool lineOnStandardInput() {
  static bool open = true;
  if (!open) return false;
  pollfd p{STDIN_FILENO, POLLIN, 0};
  if (::poll(&p, 1, 0) <= 0) return false;
  char buffer[256];
  ssize_t n = ::read(STDIN_FILENO, buffer, sizeof buffer);
  if (n <= 0) {
    open = false;
    return false;
  }
  for (ssize_t i = 0; i < n; ++i)
    if (buffer[i] == '\n') return true;
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  for (const std::string& a : args) {
    if (a == "--help" || a == "-h") {
      usage();
      return 0;
    }
  }
  std::string error;
  auto options = kelvo6::sim::parseSimOptions(args, &error);
  if (!options) {
    std::fprintf(stderr, "kelvo6-ecusim: %s\n(kelvo6-ecusim --help lists the options)\n", error.c_str());
    return 2;
  }
  kelvo6::sim::Ecu ecu;
  kelvo6::sim::applySimOptions(*options, ecu);

  kelvo6::sim::PtyServer server(ecu);
  server.followLineSpeed(options->pacing == kelvo6::sim::SimOptions::Pacing::kPort);
  if (!server.open(&error)) {
    std::fprintf(stderr, "kelvo6-ecusim: %s\n", error.c_str());
    return 1;
  }
  if (!options->link.empty() && !server.makeLink(options->link, &error)) {
    std::fprintf(stderr, "kelvo6-ecusim: %s\n", error.c_str());
    return 1;
  }
  const std::string statePath = options->stateFile;
  auto saveState = [&] {
    if (!statePath.empty() && !kelvo6::ecusim::writeStateFile(statePath, ecu))
      std::fprintf(stderr, "kelvo6-ecusim: cannot write %s\n", statePath.c_str());
  };
  saveState();
  kelvo6::sim::installGoOnSignal();
  kelvo6::sim::HoldControl holds(ecu, stderr, "press Enter or send SIGUSR1");
  // The state is rewritten in the loop turn that applied a write, so before its
  // echo leaves (with a latency above 0).
  std::size_t savedWrites = 0;
  server.onTick = [&](std::int64_t) {
    const bool goOn = kelvo6::sim::takeGoOnSignal();
    holds.tick(lineOnStandardInput() || goOn);
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
