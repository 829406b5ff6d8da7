#pragma once
// Captions and messages of the oscilloscope and the cell map, in Italian,
// English and Turkish.

#include <span>

#include "app/texts.h"
#include "core/language.h"
#include "datalog/log_reader.h"

namespace kelvo6::scope {

std::span<const app::ControlText> oscilloscopeCaptions();
std::span<const app::ControlText> cellMapCaptions();

extern const core::Text3 kScopeTitle;
extern const core::Text3 kScopeTitleNotConnected;
extern const core::Text3 kScopeTitleLog;  // followed by the file name
extern const core::Text3 kCellMapTitle;
extern const core::Text3 kMenuButton;  // the main menu's button to the oscilloscope

extern const core::Text3 kRate;         // "%1" samples/s, "%2" line limit, "%3" settings
extern const core::Text3 kRateNotConnected;
extern const core::Text3 kLogSummary;   // "%1" rows, "%2" duration
extern const core::Text3 kCutShort;     // the last row of a crashed recording left out
extern const core::Text3 kCannotRead;   // "%1" file, "%2" line, "%3" what
extern const core::Text3 kWindowAll;    // the whole log in the time window list
extern const core::Text3 kNoAxes;       // cell map: no axes known, example axes used
extern const core::Text3 kLogAxes;      // cell map: the axes recorded in the log
extern const core::Text3 kEcuAxes;      // cell map: the connected ECU's axes
extern const core::Text3 kNoSamples;    // a log with its heading row only
extern const core::Text3 kLeftOut;      // "%1" the headings of columns not shown

// Why a file could not be read, with `%1` for the column heading.
const core::Text3& readProblemText(datalog::ReadProblem p);

}  // namespace kelvo6::scope
