#pragma once
// Captions of the vehicle status window in the three languages.

#include <span>

#include "app/texts.h"
#include "core/language.h"

namespace kelvo6::status {

// Captions set on load, one row per control.
std::span<const app::ControlText> captions();

extern const core::Text3 kTitleConnected;
extern const core::Text3 kTitleNotConnected;
extern const core::Text3 kGasLpg;  // Label12 for fuel type 0
extern const core::Text3 kGasCng;  // Label12 for any other fuel type
extern const core::Text3 kLinkLost;

// Caption of the lambda group for the probe's sensor type (0-3); nullptr for
// another type, where the design caption stays. Probe 1 or 2.
const core::Text3* lambdaCaption(int probe, int sensorType);

}  // namespace kelvo6::status
