#pragma once
// What the gas ECU makes of the car's demand at one moment: the table cell it
// looks up, the coefficient it applies, and the injection time it measures.
//
// On gas the ECU measures the petrol injection time the car's engine computer
// commands, and that computer trims its time (demandedInjectionTime) by the
// KGB units that the applied coefficient lies below (lean) or above (rich) what
// the car truly needs at that cell. The ECU looks its table up with the very time it
// measures and reports, so the marker of the calibration window and the "KGB
// being used" always name the same cell. That makes the measured time depend
// on the cell and the cell on the time: the time is where the car's
// correction settles. Starting from the untrimmed demand, the car trims by the
// cell it is in until the cell stops changing. Where the correction swings
// across a row boundary (lean below it, rich above it) it settles on the
// boundary, and the ECU reports that time and the cell it falls in.

#include "sim/memory.h"
#include "sim/true_map.h"

namespace kelvo6::sim {

struct GasInputs {
  int rpm = 0;
  int demandUs = 0;   // the car's demand on injector 1 before any trim, us
  bool onGas = false;
  int trialKgb = 0;   // calibration mode's trial KGB, applied everywhere; 0: the table
};

struct GasState {
  bool onGas = false;
  int cell = 1;          // where the ECU looks up: the cell of (rpm, measuredUs)
  int tableKgb = 0;      // the table value there
  int correctedKgb = 0;  // after the lambda corrective (the table value on petrol)
  int appliedKgb = 0;    // the trial KGB in calibration mode, else the corrected one
  int trueKgb = 0;       // what the car needs there
  int measuredUs = 0;    // the injection time of injector 1 the ECU measures
  double trim = 1.0;     // the car's trim of every injector's time (1 on petrol)
  // How many KGB units the gas mixture lies lean (+) or rich (-) of the car's need.
  int mixtureError() const { return onGas ? trueKgb - appliedKgb : 0; }
};

GasState resolveGas(const GasInputs& in, const EcuMemory& memory, const TrueMap& car);

// The ECU's lambda corrective on gas: it closes the gap to the car's need, by
// at most parameter 24 (maximum variation) and only above parameter 25 (rpm).
int lambdaCorrective(int gapKgb, int rpm, const EcuMemory& memory);

// The car's moment (untrimmed times) as the gas ECU reports it: its fuel,
// coefficients, the measured injection time and the eight trimmed times.
LiveSnapshot withGas(LiveSnapshot car, const GasState& gas);

}  // namespace kelvo6::sim
