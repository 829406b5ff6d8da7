#pragma once
// Texts of the vehicle calibration window in Italian, English and Turkish:
// captions, titles, the message-line table of operating states, the workflow
// prompts, the guided-function captions and the reasons an entry is refused.

#include <optional>
#include <span>
#include <string>

#include "app/texts.h"
#include "core/language.h"

namespace kelvo6::calib {

// Captions set when the window loads (fields, frames, buttons).
std::span<const app::ControlText> calibrationCaptions();

extern const core::Text3 kTitleConnected;
extern const core::Text3 kTitleNotConnected;
extern const core::Text3 kGasTimeLpg;  // caption of Text4
extern const core::Text3 kGasTimeCng;
extern const core::Text3 kLambdaButton[2];  // Command6: sensor 1, sensor 2
extern const core::Text3 kCalibrationToggleOff;  // Command9 before calibration mode is confirmed

// Caption of Command4 for guided function 1..5.
const core::Text3& guidedFunctionCaption(int function);

// Message line text for an operating state code of the calibration live block,
// with its threshold for codes 2-4; nullopt for a code without a text.
std::optional<std::string> stateMessage(int code, int language, int switchTemperature, int switchRpm);

enum class Prompt { kNone, kStoreRpm, kStoreValue, kCoilCount, kCoilStore };
std::string promptText(Prompt prompt, int language);
// Written at once when the coil count is moved (its Turkish wording differs).
extern const core::Text3 kCoilCountMovedPrompt;

// Why MODIFICA was refused.
extern const core::Text3 kRefusedEmpty;
extern const core::Text3 kRefusedNotANumber;
extern const core::Text3 kRefusedOutOfRange;
extern const core::Text3 kRefusedTrialKgb;  // the whole-table fill without a usable trial KGB

}  // namespace kelvo6::calib
