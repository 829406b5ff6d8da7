#pragma once
// Turns the ECU's end-of-line report (injector status and check bytes) into
// the red or green of each result lamp. The ECU decides every pass or fail;
// this only maps its bits to lamps.

#include <array>

#include "eol/lamps.h"

namespace kelvo6::eol {

struct DecodedResults {
  // Red (failed) or green (passed) for every lamp except POWER LATCH and
  // WATCH DOG, which follow the reset phases instead.
  std::array<bool, kLampCount> red{};
  // Injector emulation flags: bit 2 of each injector status.
  std::array<bool, kInjectors> emulation{};
};

// Whether the report paints this lamp (all but POWER LATCH and WATCH DOG).
constexpr bool isResultLamp(int lamp) {
  return lamp >= 0 && lamp < kLampCount && lamp != kPowerLatchLamp && lamp != kWatchDogLamp;
}

DecodedResults decodeResults(const std::array<int, kInjectors>& injectorStatus, const std::array<int, 9>& checkBytes);

}  // namespace kelvo6::eol
