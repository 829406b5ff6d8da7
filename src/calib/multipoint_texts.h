#pragma once
// Texts of the multi-point calibration window in Italian, English and Turkish.

#include <span>

#include "app/texts.h"
#include "core/language.h"

namespace kelvo6::calib {

// Captions set when the window loads.
std::span<const app::ControlText> multiPointCaptions();

extern const core::Text3 kMpGasTimeLpg;
extern const core::Text3 kMpGasTimeCng;

// Message line.
extern const core::Text3 kMpFirstPoint;
extern const core::Text3 kMpMeasuring;
extern const core::Text3 kMpFound;
extern const core::Text3 kMpAccepted;  // %1: the point's number
extern const core::Text3 kMpWriting;

// Headings of the point list: number, engine speed, injection time, KGB, cycles, limit.
extern const core::Text3 kMpListHeadings[6];
extern const core::Text3 kMpLimitMark;  // in the limit column of a point that stopped at a limit

}  // namespace kelvo6::calib
