#pragma once
// The simulated ECU's factory configuration: what it holds when new and after
// restore defaults.

#include <array>

#include "sim/memory.h"

namespace kelvo6::sim {

std::array<int, 63> factoryParameters();  // index 1..62
std::array<int, 65> factoryCells();       // index 1..64
// A memory holding the factory parameters and table, everything else as new.
EcuMemory factoryMemory();

}  // namespace kelvo6::sim
