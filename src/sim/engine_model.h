#pragma once
// A small engine and gas kit, stepped on the clock the simulated ECU is given:
// idling engine with an occasional rev, injection times, switching lambda
// probes, pressures, warming temperatures, tank level and the petrol/gas
// change-over with its operating state codes.

#include <cstdint>

#include "sim/memory.h"

namespace kelvo6::sim {

class EngineModel {
 public:
  explicit EngineModel(std::uint32_t seed = 12345);

  // Move the model forward to nowMs (milliseconds on the ECU's clock).
  void advanceTo(std::int64_t nowMs, const EcuMemory& memory);
  LiveSnapshot snapshot(const EcuMemory& memory) const;

  void requestFuelSwitch() { switchRequested_ = true; }
  bool onGas() const { return onGas_; }

  // Knobs for tests and the simulator's options.
  void setTrueKgb(int kgb) { trueKgb_ = kgb; }
  int trueKgb() const { return trueKgb_; }
  void setRpm(int rpm) { fixedRpm_ = rpm; }          // 0: the model's own engine speed
  void setPetrolTime(int us) { fixedPetrolTime_ = us; }  // 0: the model's own times
  void setLevel(int mV) { level_ = mV; }

 private:
  void step(int dtMs, const EcuMemory& memory);
  int tableKgbAt(int rpm, int petrolTime, const EcuMemory& memory) const;
  int noise(int amplitude);

  std::uint32_t random_;
  std::int64_t nowMs_ = 0;
  std::int64_t stepRemainderMs_ = 0;
  double temperature_ = 20.0;
  int rpm_ = 800;
  int revTimerMs_ = 0;
  int lambdaPhaseMs_ = 0;
  bool lambdaRich_ = false;
  int petrolBase_ = 3000;
  int pressureNoise_ = 0;
  int level_ = 3000;
  bool onGas_ = false;
  bool switchRequested_ = false;
  int overlapMs_ = 0;
  int filterMs_ = 0;
  int state_ = 0;
  int trueKgb_ = 108;
  int fixedRpm_ = 0;
  int fixedPetrolTime_ = 0;
};

}  // namespace kelvo6::sim
