#include "sim/hold_control.h"

#include <atomic>
#include <csignal>
#include <string>

namespace kelvo6::sim {

namespace {

std::atomic<int> g_goOnRequests{0};
extern "C" void onGoOnSignal(int) { g_goOnRequests.fetch_add(1); }

std::string describe(const Load& load) {
  switch (load.kind) {
    case Load::Kind::kPercent: return std::to_string(load.value) + " % load";
    case Load::Kind::kPetrolTime: return std::to_string(load.value) + " us";
    case Load::Kind::kCutoff: return "fuel cut";
  }
  return {};
}

}  // namespace

void installGoOnSignal() {
  struct sigaction action{};
  action.sa_handler = onGoOnSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  ::sigaction(SIGUSR1, &action, nullptr);
}

bool takeGoOnSignal() { return g_goOnRequests.exchange(0) > 0; }

void HoldControl::tick(bool goOn) {
  if (goOn) ecu_.engine().release();
  const std::optional<DriveStep> held = ecu_.engine().waitingAt();
  if (held == announced_) return;
  announced_ = held;
  if (held && notices_) {
    std::fprintf(notices_, "simulated engine held at %d rpm, %s: %s to go on\n", held->rpm,
                 describe(held->load).c_str(), how_);
    std::fflush(notices_);
  }
}

}  // namespace kelvo6::sim
