#pragma once
// kelvo6 --check-port: open a line, read the ECU's version and parameter set,
// and say what was found, without any window.

#include <cstdio>
#include <string>

namespace kelvo6::program {

// Prints the result to `out` (or the reason to `err`); returns the exit code:
// 0 when the ECU answered both, 1 when it did not or the port would not open.
int checkPortAndReport(const std::string& device, int baud, std::FILE* out, std::FILE* err);

}  // namespace kelvo6::program
