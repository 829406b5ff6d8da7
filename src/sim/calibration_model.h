#pragma once
// The ECU's calibration mode and the car's answer to it: the trial KGB applied
// live, the fuel held at the fitter's command while calibrating, the injection
// time the car's own engine computer asks for on gas, the engine speed counted
// with an assumed number of ignition coils, and which gas injectors work.

#include <array>

#include "sim/memory.h"

namespace kelvo6::sim {

// The car's engine computer trims its injection time by this share of it per
// KGB unit that the gas mixture lies away from the car's true coefficient
// (lean: longer), but by no less than kTrimMinUs and no more than kTrimMaxUs a
// unit. The automatic calibration steps its trial KGB by one unit per 200 us of
// the largest deviation it saw, noise included: with less than 200 us a unit
// it stalls one unit off, and near 400 us a unit a two-unit error overshoots to
// the opposite one for ever. A share alone would do the first below 4000 us and
// the second above 8000 us.
constexpr double kTrimPerKgbUnit = 0.05;
constexpr int kTrimMinUs = 200, kTrimMaxUs = 300;

// The KGB the ECU applies: the trial KGB while calibration mode is on and one
// was sent (1..255), otherwise the table value at the operating point.
int kgbApplied(bool calibrationOn, int trialKgb, int tableKgb);
// The injection time the car asks for while running on gas with `kgb` (0 stays 0: the fuel is cut).
int demandedInjectionTime(int petrolTime, int kgb, int trueKgb);
// Engine speed as counted from ignition pulses when `assumedCoils` are set and
// the car has `carCoils`; right only when the two agree.
int countedRpm(int rpm, int carCoils, int assumedCoils);

class CalibrationModel {
 public:
  // Calibration mode on: the ECU's own change-over stops and the fuel the
  // engine runs on is held until the fitter switches it.
  void modeOn(bool engineOnGas);
  void modeOff();
  bool on() const { return on_; }
  bool heldOnGas() const { return heldOnGas_; }
  // A switch-fuel request in calibration mode changes the held fuel; returns
  // false outside calibration mode, where the engine's change-over handles it.
  bool switchFuel();

  void setCarCoils(int coils) { carCoils_ = coils; }
  int carCoils() const { return carCoils_; }
  void setWorkingInjectors(const std::array<bool, 8>& working) { working_ = working; }
  std::array<int, 8> injectorFlags() const;

  // The calibration live block from the moment as the ECU sees it (gas
  // resolved, see gas_mixture.h). `assumedCoils` is the coil count of a read
  // coil-mode data request, 0 for read calibration data.
  LiveSnapshot block(LiveSnapshot moment, int assumedCoils) const;
  // The same for a car that needs `trueKgb` everywhere, from the engine's own
  // moment: the fuel held here, the trial KGB or the moment's table value.
  LiveSnapshot block(LiveSnapshot engine, const EcuMemory& memory, int trueKgb, int assumedCoils) const;

 private:
  bool on_ = false;
  bool heldOnGas_ = false;
  int carCoils_ = 4;
  std::array<bool, 8> working_{true, true, true, true, false, false, false, false};
};

}  // namespace kelvo6::sim
