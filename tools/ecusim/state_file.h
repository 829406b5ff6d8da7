#pragma once
// Writes what the simulated ECU holds to a plain text file, so that a test in
// another process can check it: one line per parameter and cell, then one line
// per write the ECU applied, in order.
//
//   param N VALUE      (N = 1..62)
//   cell N VALUE       (N = 1..64)
//   write param N VALUE
//   write cell N VALUE

#include <string>

#include "sim/ecu.h"

namespace kelvo6::ecusim {

// Replaces `path` as a whole (written beside it, then renamed), so a reader
// never sees half a file. False when the file cannot be written.
bool writeStateFile(const std::string& path, const sim::Ecu& ecu);

}  // namespace kelvo6::ecusim
