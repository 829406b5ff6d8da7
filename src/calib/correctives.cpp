#include "calib/correctives.h"

#include "link/frame.h"

namespace kelvo6::calib {

const CorrectiveField* correctiveOf(int param) {
  for (const CorrectiveField& f : kCorrectiveFields)
    if (f.param == param) return &f;
  return nullptr;
}

bool correctiveEntryAllowed(const CorrectiveField& f, int value, int ecuValue) {
  if (value == ecuValue && link::fitsWire16(value)) return true;
  int max = f.scroll ? f.scrollMax : link::kMaxValue16;
  return value >= 0 && value <= max;
}

std::int64_t temperatureCorrection(int temperature1, int calTemperature, int variation, int range) {
  if (range == 0) return 0;
  // Integer division truncates toward zero, as the shown value does.
  return static_cast<std::int64_t>(temperature1 - calTemperature) * variation / range;
}

std::int64_t pressureCorrection(int pressure1, int rpm, int calPressure, int variation, int range, int rpmThreshold) {
  if (range == 0) return 0;
  if (rpm < rpmThreshold) return 0;
  return static_cast<std::int64_t>(calPressure - pressure1) * variation / range;
}

}  // namespace kelvo6::calib
