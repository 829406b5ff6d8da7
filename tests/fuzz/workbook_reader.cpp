// Fuzz target: arbitrary files through the workbook readers (.xlsx, .ods and
// legacy .xls, chosen by content) and the archive's loading of a vehicle.
// Checks that a refused workbook changes nothing, that an accepted one sets
// only pending values and only within range, that the ECU values never change,
// and that reading the same file twice gives the same answer.

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "core/shared.h"
#include "params/archive.h"

namespace {

using namespace kelvo6;

void check(bool ok) {
  if (!ok) std::abort();
}

// A file of its own per process, so that parallel fuzzing jobs do not share it.
const std::string& scratchPath() {
  static const std::string path = [] {
    const char* dir = std::getenv("TMPDIR");
    return std::string(dir && *dir ? dir : "/tmp") + "/kelvo6-fuzz-workbook-" + std::to_string(getpid());
  }();
  return path;
}

void fill(core::Shared& s) {
  for (int n = 1; n <= 62; ++n) {
    s.param(n).ecu = (n * 53) % 65536;
    s.param(n).pending = s.param(n).ecu;
  }
  for (int n = 1; n <= 64; ++n) {
    s.cell(n).ecu = (n * 7) % 256;
    s.cell(n).pending = s.cell(n).ecu;
  }
}

bool samePending(const core::Shared& a, const core::Shared& b) {
  for (int n = 1; n <= 62; ++n)
    if (a.param(n).pending != b.param(n).pending) return false;
  for (int n = 1; n <= 64; ++n)
    if (a.cell(n).pending != b.cell(n).pending) return false;
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string& path = scratchPath();
  if (std::FILE* f = std::fopen(path.c_str(), "wb")) {
    if (size) std::fwrite(data, 1, size, f);
    std::fclose(f);
  } else {
    std::abort();
  }

  core::Shared original;
  fill(original);
  core::Shared first = original;
  auto error = params::loadVehicle(path, first);
  for (int n = 1; n <= 62; ++n) check(first.param(n).ecu == original.param(n).ecu);
  for (int n = 1; n <= 64; ++n) check(first.cell(n).ecu == original.cell(n).ecu);
  if (error) {
    check(samePending(first, original));
    if (error->kind == params::ArchiveError::Kind::kBadCell) check(!error->cell.empty());
  } else {
    for (int n = 1; n <= 62; ++n) check(first.param(n).pending >= 0 && first.param(n).pending <= params::kParamMax);
    for (int n = 1; n <= 64; ++n) check(first.cell(n).pending >= 0 && first.cell(n).pending <= params::kCellMax);
  }

  core::Shared second = original;
  auto again = params::loadVehicle(path, second);
  check(error.has_value() == again.has_value());
  if (error) check(error->kind == again->kind && error->cell == again->cell);
  check(samePending(first, second));
  std::remove(path.c_str());
  return 0;
}
