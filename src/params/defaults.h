#pragma once
// Restoring the ECU's factory configuration: the restore request until it is
// acknowledged, then the parameter set and the table read back.

#include "core/shared.h"

namespace kelvo6::params {

enum class DefaultsStep {
  kRepeatRestore,     // not yet acknowledged: ask again, from now on every 2000 ms
  kReadParameterSet,  // acknowledged: read the parameter set until it arrives
  kReadTable,         // then the table until it arrives
  kDone,
};

constexpr int kDefaultsRetryMs = 2000;

DefaultsStep nextDefaultsStep(const core::ReceivedFlags& received);

}  // namespace kelvo6::params
