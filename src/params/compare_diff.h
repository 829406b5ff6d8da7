#pragma once
// What sending one vehicle configuration over another would change: the
// parameters and KGB cells whose values differ. Pure arithmetic, no window.

#include <vector>

#include "core/shared.h"
#include "platform/workbook.h"

namespace kelvo6::params {

// Parameters 1..62 and cells 1..64, as a workbook holds them.
using Configuration = platform::VehicleValues;

// The values the ECU last reported.
Configuration ecuConfiguration(const core::Shared& shared);
// The pending values (where the archive loader puts a workbook's values).
Configuration pendingConfiguration(const core::Shared& shared);
// Makes the configuration the pending values, for the bulk transfer to send.
void setPending(core::Shared& shared, const Configuration& values);

struct Difference {
  int number = 0;  // parameter 1..62 or cell 1..64
  int left = 0;    // the value now (the ECU's, or the first workbook's)
  int right = 0;   // the value compared with it
  friend bool operator==(const Difference&, const Difference&) = default;
};

struct Differences {
  std::vector<Difference> params;  // ascending parameter numbers
  std::vector<Difference> cells;   // ascending cell numbers
  int count() const { return static_cast<int>(params.size() + cells.size()); }
};

Differences compareConfigurations(const Configuration& left, const Configuration& right);

// Cell n of the table at row 0..7 (TINJ axis point) and column 0..7 (RPM axis point).
constexpr int cellAt(int row, int column) { return 8 * row + column + 1; }

}  // namespace kelvo6::params
