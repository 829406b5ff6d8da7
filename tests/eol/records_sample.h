#pragma once
// Units for the production-record tests, the same in the test and in the
// writer child it kills: unit i has its own time, cylinder count and failures.

#include <cstdio>

#include "eol/records_row.h"

namespace kelvo6::eol::sample {

inline UnitResult unit(int i) {
  char when[32];
  std::snprintf(when, sizeof when, "2024-05-17T%02d:%02d:%02d", 8 + i / 3600 % 12, i / 60 % 60, i % 60);
  UnitResult u{when, "3.1." + std::to_string(i % 10), 4 + 2 * (i % 3), {}};
  if (i % 4 == 1) u.red[54] = true;                 // EEPROM
  if (i % 5 == 2) u.red[static_cast<std::size_t>(i % 32)] = true;  // an injector lamp, shown or not
  return u;
}

}  // namespace kelvo6::eol::sample
