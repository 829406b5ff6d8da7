#pragma once
// A small engine and gas kit, stepped on the clock the simulated ECU is given:
// an idling engine with an occasional rev (or a scripted drive, or a point held
// as long as needed), eight injection times that follow the load, switching
// lambda probes, pressures, warming temperatures, a tank that empties slowly on
// gas, and the petrol/gas change-over with the operating state codes of the
// ECU's software generation.

#include <array>
#include <cstdint>
#include <optional>

#include "sim/drive.h"
#include "sim/memory.h"
#include "sim/true_map.h"

namespace kelvo6::sim {

class EngineModel {
 public:
  explicit EngineModel(std::uint32_t seed = 12345);

  // Move the model forward to nowMs (milliseconds on the ECU's clock).
  void advanceTo(std::int64_t nowMs, const EcuMemory& memory);
  // The car's moment: the petrol times its engine computer asks for before any
  // trim on gas, the fuel of the change-over and the operating state. The gas
  // ECU's coefficients are added by the ECU (gas_mixture.h).
  LiveSnapshot snapshot(const EcuMemory& memory) const;
  // The car's untrimmed demand on injector 0..7, fitted or not.
  int demandUs(int injector) const;

  // The fuel switch: on gas it goes back to petrol, on petrol over to gas,
  // each through its overlap time.
  void requestFuelSwitch() { switchRequested_ = true; }
  bool onGas() const { return onGas_; }
  int rpm() const { return fixedRpm_ ? fixedRpm_ : rpm_; }

  // What the engine does: a scripted drive instead of idling with a rev now and
  // then; and a point held until release(), whatever the drive does (it waits).
  void setDrive(const Drive& drive) { drive_.emplace(drive); }
  void hold(int rpm, const Load& load) { held_ = DriveStep{rpm, load, 0, true}; }
  // Ends a hold(), or goes on from a hold step of the drive; false when nothing waits.
  bool release();
  // The point the engine is held at until release(), if any.
  std::optional<DriveStep> waitingAt() const;

  // Knobs for tests and the simulator's options.
  void setTrueKgb(int kgb) { trueMap_ = TrueMap::flat(kgb); }  // the same need in every cell
  void setTrueMap(const TrueMap& map) { trueMap_ = map; }
  const TrueMap& trueMap() const { return trueMap_; }
  // How far the gas mixture lies lean (+) or rich (-) of the car's need, in KGB
  // units: the lambda probes spend that much longer lean (or rich).
  void setMixtureError(int kgbUnits) { mixtureError_ = kgbUnits; }
  void setRpm(int rpm) { fixedRpm_ = rpm; }              // 0: the model's own engine speed
  void setPetrolTime(int us) { fixedPetrolTime_ = us; }  // 0: the model's own times
  void setLevel(int mV) {                                // holds the level sender at mV
    levelPinned_ = true;
    pinnedLevel_ = mV;
  }
  void setTemperature(double celsius) { temperature_ = celsius; }  // warming goes on from here

 private:
  // Where the petrol/gas change-over stands.
  enum class Phase {
    kStartFilter,      // engine just started: the start filter time runs
    kWaitTemperature,  // below the change-over temperature
    kWaitRpmAbove,     // waiting for the engine speed to pass the change-over speed
    kWaitRpmBelow,     // change-over on deceleration: waiting for the speed to drop again
    kOverlapToGas,     // both fuels, petrol to gas
    kGas,
    kOverlapToPetrol,  // both fuels, gas to petrol
    kPetrol,           // on petrol by the fitter's choice: no automatic change-over
  };

  void step(int dtMs, const EcuMemory& memory);
  void stepEngine(int dtMs);
  void stepIdleAndRev(int dtMs);
  void stepTowards(const DriveStep& target);
  void stepProbes(int dtMs);
  void stepChangeOver(int dtMs, const EcuMemory& memory);
  void advancePhase(const EcuMemory& memory);
  int stateCode(const EcuMemory& memory) const;
  int basePetrolTime() const;
  int noise(int amplitude);
  int between(int low, int high);

  std::uint32_t random_;
  std::int64_t nowMs_ = 0;
  std::int64_t stepRemainderMs_ = 0;

  // Engine.
  double rpmExact_ = 800.0;
  int rpm_ = 800;
  int idleDrift_ = 0;
  int untilRevMs_ = 0;
  int revLeftMs_ = 0;
  int revTarget_ = 0;
  double load_ = 0.5;
  int petrolBase_ = 2900;
  double petrolExact_ = 2900.0;
  std::optional<DrivePlayer> drive_;
  std::optional<DriveStep> held_;
  std::array<int, 8> injectorTrim_{};  // per-injector spread, tenths of a percent
  std::array<int, 8> injectorNoise_{};
  double temperature_ = 20.0;

  // Probes, pressure and tank.
  std::array<bool, 2> probeRich_{false, true};
  std::array<int, 2> probeNextSwitchMs_{};
  std::array<int, 2> probeNoise_{};
  int pressureNoise_ = 0;
  double tankFill_ = 0.75;
  int levelNoise_ = 0;
  bool levelPinned_ = false;
  int pinnedLevel_ = 0;

  // Change-over.
  Phase phase_ = Phase::kStartFilter;
  bool onGas_ = false;
  bool switchRequested_ = false;
  bool warmAtStart_ = false;
  int phaseMs_ = 0;

  TrueMap trueMap_ = TrueMap::builtIn();
  int mixtureError_ = 0;
  int fixedRpm_ = 0;
  int fixedPetrolTime_ = 0;
};

}  // namespace kelvo6::sim
