#include "params/defaults.h"

namespace kelvo6::params {

DefaultsStep nextDefaultsStep(const core::ReceivedFlags& r) {
  if (!r.defaultsAck) return DefaultsStep::kRepeatRestore;
  if (!r.paramSet) return DefaultsStep::kReadParameterSet;
  if (r.table) return DefaultsStep::kDone;
  return DefaultsStep::kReadTable;
}

}  // namespace kelvo6::params
