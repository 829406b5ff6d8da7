#pragma once
// Lets the person at a simulator move a drive on from a held step: SIGUSR1
// (kill -USR1 PID) from anywhere, or a line on standard input of
// kelvo6-ecusim. Says on a stream where the engine is held and how to go on.

#include <cstdio>
#include <optional>

#include "sim/drive.h"
#include "sim/ecu.h"

namespace kelvo6::sim {

// Makes SIGUSR1 ask to go on; takeGoOnSignal() is true once per signal since the last call.
void installGoOnSignal();
bool takeGoOnSignal();

class HoldControl {
 public:
  HoldControl(Ecu& ecu, std::FILE* notices, const char* howToGoOn) : ecu_(ecu), notices_(notices), how_(howToGoOn) {}
  // Once per server loop turn: releases a held step when asked, and tells when a new one begins.
  void tick(bool goOn);

 private:
  Ecu& ecu_;
  std::FILE* notices_;
  const char* how_;
  std::optional<DriveStep> announced_;
};

}  // namespace kelvo6::sim
