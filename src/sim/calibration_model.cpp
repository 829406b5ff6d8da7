#include "sim/calibration_model.h"

#include <algorithm>
#include <cmath>

#include "sim/gas_mixture.h"

namespace kelvo6::sim {

namespace {

// Change-over states have no meaning while the fuel is held.
bool isChangeOverState(int state) { return (state >= 1 && state <= 5) || state == 12 || state == 13; }

// The car's petrol demand at this moment, whatever fuel the engine model reports.
int petrolDemand(const LiveSnapshot& s) {
  if (s.petrolTime[0] > 0) return s.petrolTime[0];
  if (s.fuelFlag == 1 || s.kgbInUse <= 0) return s.injectionTime;
  return s.injectionTime * 100 / s.kgbInUse;
}

}  // namespace

int kgbApplied(bool calibrationOn, int trialKgb, int tableKgb) {
  return (calibrationOn && trialKgb >= 1 && trialKgb <= 255) ? trialKgb : tableKgb;
}

int demandedInjectionTime(int petrolTime, int kgb, int trueKgb) {
  if (petrolTime <= 0) return 0;
  const double perUnit = std::clamp(kTrimPerKgbUnit * petrolTime, double{kTrimMinUs}, double{kTrimMaxUs});
  const double t = petrolTime + perUnit * (trueKgb - kgb);
  return std::clamp(static_cast<int>(std::lround(t)), 0, 65535);
}

int countedRpm(int rpm, int carCoils, int assumedCoils) {
  if (assumedCoils <= 0 || carCoils <= 0) return rpm;
  return std::clamp(rpm * carCoils / assumedCoils, 0, 65535);
}

void CalibrationModel::modeOn(bool engineOnGas) {
  if (on_) return;
  on_ = true;
  heldOnGas_ = engineOnGas;
}

void CalibrationModel::modeOff() { on_ = false; }

bool CalibrationModel::switchFuel() {
  if (!on_) return false;
  heldOnGas_ = !heldOnGas_;
  return true;
}

std::array<int, 8> CalibrationModel::injectorFlags() const {
  std::array<int, 8> flags{};
  for (std::size_t i = 0; i < flags.size(); ++i) flags[i] = working_[i] ? 1 : 0;
  return flags;
}

LiveSnapshot CalibrationModel::block(LiveSnapshot s, int assumedCoils) const {
  if (on_ && isChangeOverState(s.calState)) s.calState = 0;
  s.rpm = countedRpm(s.rpm, carCoils_, assumedCoils);
  return s;
}

LiveSnapshot CalibrationModel::block(LiveSnapshot engine, const EcuMemory& memory, int trueKgb,
                                     int assumedCoils) const {
  // One cell holding the moment's table value, looked up wherever the point lies.
  EcuMemory oneCell = memory;
  oneCell.cells.fill(engine.kgbTable);
  oneCell.params[24] = 0;  // no lambda corrective
  const bool onGas = on_ ? heldOnGas_ : engine.fuelFlag != 1;
  GasInputs in{engine.rpm, petrolDemand(engine), onGas, on_ ? memory.trialKgb : 0};
  GasState gas = resolveGas(in, oneCell, TrueMap::flat(trueKgb));
  return block(withGas(engine, gas), assumedCoils);
}

}  // namespace kelvo6::sim
