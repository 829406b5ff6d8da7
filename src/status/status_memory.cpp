#include "status/status_memory.h"

namespace kelvo6::status {

StatusMemory& memoryOf(core::Shared& shared) {
  if (!shared.statusMemory.has_value()) shared.statusMemory = StatusMemory{};
  return std::any_cast<StatusMemory&>(shared.statusMemory);
}

}  // namespace kelvo6::status
