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
extern const core::Text3 kMpTitleNotConnected;
extern const core::Text3 kMpNotConnected;
extern const core::Text3 kMpRpmMoved;   // %1: the point's engine speed
extern const core::Text3 kMpTimeMoved;  // %1: the point's injection time
extern const core::Text3 kMpBackAtPoint;
extern const core::Text3 kMpGivenUp;
extern const core::Text3 kMpLineLost;
extern const core::Text3 kMpNotSettling;
extern const core::Text3 kMpApplied;   // %1: cells written
extern const core::Text3 kMpWriteCut;  // %1 written of %2, %3 the cells not written
extern const core::Text3 kMpRestoring;
extern const core::Text3 kMpRestored;
extern const core::Text3 kMpDiscardQuestion;  // %1: number of points
extern const core::Text3 kMpExitQuestion;
extern const core::Text3 kMpNextPoint;  // %1 rpm, %2 us, %3 cell
extern const core::Text3 kMpDrive;      // %1 file name, %2 samples placed
extern const core::Text3 kMpDriveUnreadable;  // %1 file name

// Headings of the point list: number, engine speed, injection time, KGB, cycles, limit.
extern const core::Text3 kMpListHeadings[6];
extern const core::Text3 kMpLimitMark;  // in the limit column of a point that stopped at a limit

}  // namespace kelvo6::calib
