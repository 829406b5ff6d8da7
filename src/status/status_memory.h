#pragma once
// What the vehicle status window remembers between openings: its averages,
// its "NC" counters and the previous readings they compare with.

#include <array>

#include "core/shared.h"
#include "status/gauges.h"

namespace kelvo6::status {

struct StatusMemory {
  LambdaAverage lambda1, lambda2;
  LevelAverage level;
  int lambda1Low = 0, lambda2Low = 0;
  int pressure1Absent = 0, pressure2Absent = 0;
  int temperature1Absent = 0, temperature2Absent = 0;
  int rpmUnchanged = 0, previousRpm = 0;
  std::array<int, 8> injectorUnchanged{};
  std::array<int, 8> previousInjection{};
};

// The run's memory of the window, created on first use.
StatusMemory& memoryOf(core::Shared& shared);

}  // namespace kelvo6::status
