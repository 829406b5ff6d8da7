#pragma once
// What a fitter can do about a serial device that would not open, in the
// chosen language: one table of texts, filled with the device and with the
// USB/ACM adapters present.

#include <string>
#include <vector>

#include "platform/serial_port.h"

namespace kelvo6::shell {

// The advice for `kind` on `device`; `adapters` are the /dev/ttyUSB* and
// /dev/ttyACM* nodes present (shown when the device is missing). Empty for a
// failure without a usual cause.
std::string portFailureHint(platform::OpenFailure kind, const std::string& device,
                            const std::vector<std::string>& adapters, int language);

// The USB and ACM serial nodes under `devDir`, sorted.
std::vector<std::string> presentAdapters(const std::string& devDir = "/dev");

}  // namespace kelvo6::shell
