#pragma once
// What the simulated ECU holds: parameters, table, version and modes.

#include <array>
#include <cstdint>

#include "core/kgb_grid.h"

namespace kelvo6::sim {

struct EcuMemory {
  std::array<int, 63> params{};  // 1..62
  std::array<int, 65> cells{};   // 1..64
  std::array<int, 3> version{2, 4, 1};
  bool calibrationOn = false;
  int trialKgb = 0;      // carried by the last read calibration data request
  int coilModeCoils = 0; // carried by the last read coil-mode data request
  bool downloadMode = false;

  int param(int n) const { return params[static_cast<std::size_t>(n)]; }
  int cell(int n) const { return cells[static_cast<std::size_t>(n)]; }

  // The table's axes: engine speed (parameters 34-41) and petrol injection time (42-49).
  std::array<int, 8> rpmAxis() const { return axis(34); }
  std::array<int, 8> tinjAxis() const { return axis(42); }
  // The number of the table cell an operating point falls in, on these axes.
  int cellAt(int rpm, int injectionTime) const {
    return core::cellAt(rpm, injectionTime, rpmAxis(), tinjAxis()).number();
  }
  // Eight consecutive parameters from `first`.
  std::array<int, 8> axis(int first) const {
    std::array<int, 8> a{};
    for (std::size_t i = 0; i < a.size(); ++i) a[i] = params[static_cast<std::size_t>(first) + i];
    return a;
  }
};

// One moment of the engine and the kit, as the answers report it.
struct LiveSnapshot {
  int lambda1 = 0, lambda2 = 0, kgbTable = 0, kgbCorrected = 0;
  int pressure1 = 0, pressure2 = 0, temperature1 = 0, temperature2Raw = 0;
  int rpm = 0, level = 0;
  std::array<int, 8> petrolTime{};
  int state = 0, fuelFlag = 1;
  int kgbInUse = 0, injectionTime = 0, calState = 0;
};

}  // namespace kelvo6::sim
