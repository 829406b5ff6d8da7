#pragma once
// The three correctives of the calibration screen: their seven parameters and
// fields, and the two correction values shown at the current operating point.

#include <array>
#include <cstdint>

#include "core/language.h"

namespace kelvo6::calib {

// One corrective parameter and the field that shows it. Fields fed by a scroll
// bar take the bar's range; the others any 16-bit value.
struct CorrectiveField {
  int param;
  const char* field;
  const char* scroll;  // nullptr for a plain digits-only field
  int scrollMax;
  int example;  // shown when not connected
};

constexpr std::array<CorrectiveField, 7> kCorrectiveFields{{
    {24, "Text20", "VScroll2", 8, 0},
    {25, "Text24", nullptr, 0, 1500},
    {26, "Text19", "VScroll3", 3, 0},
    {27, "Text26", nullptr, 0, 10},
    {21, "Text23", "VScroll4", 5, 0},
    {22, "Text10", nullptr, 0, 100},
    {23, "Text25", nullptr, 0, 1100},
}};

const CorrectiveField* correctiveOf(int param);

// Largest value a corrective entry may take: the scroll range, or 16 bits. The
// value the ECU already holds is always accepted, so an out-of-range ECU value
// shown in the field stays as it is unless the fitter changes it.
bool correctiveEntryAllowed(const CorrectiveField& f, int value, int ecuValue);

// Temperature correction: (temperature 1 - calibration temperature) x variation
// / range, truncated toward zero; 0 when the range is 0.
std::int64_t temperatureCorrection(int temperature1, int calTemperature, int variation, int range);
// Pressure correction: (calibration pressure - pressure 1) x variation / range,
// truncated toward zero; 0 when the range is 0 or the RPM is below the threshold.
std::int64_t pressureCorrection(int pressure1, int rpm, int calPressure, int variation, int range, int rpmThreshold);

}  // namespace kelvo6::calib
