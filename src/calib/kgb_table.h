#pragma once
// The KGB table as the calibration screens see it: two axes of eight points
// (parameters 34-41 and 42-49) and 64 one-byte cells, the 80-field grid that
// shows them, the example table of not-connected mode, the whole-table fill and
// the check that a typed entry can become a wire value.

#include <array>
#include <optional>
#include <string_view>

#include "core/shared.h"

namespace kelvo6::calib {

constexpr int kAxisPoints = 8;
constexpr int kGridFields = 80;
constexpr int kCellMax = 255;
constexpr int kAxisMax = 65535;
constexpr int kTrialKgbMin = 100;
constexpr int kTrialKgbMax = 115;

inline int rpmAxisParam(int point) { return 33 + point; }   // point 1..8
inline int tinjAxisParam(int point) { return 41 + point; }  // point 1..8
// Cell at TINJ row r and RPM column c (both 0..7).
inline int cellNumber(int tinjRow, int rpmColumn) { return 8 * tinjRow + rpmColumn + 1; }

// What one grid field shows: fields 0-7 the RPM axis, 8-15 the TINJ axis,
// field 15 + n cell n.
struct GridSlot {
  bool isCell = false;
  int number = 0;  // parameter number (axis) or cell number
  int max() const { return isCell ? kCellMax : kAxisMax; }
};
GridSlot gridSlot(int field);
inline int gridFieldOfCell(int cell) { return 15 + cell; }
// Grid field of an axis parameter 34..49, or -1.
int gridFieldOfParam(int number);

// The ECU value and pending value behind a grid field.
core::ValuePair& gridValue(core::Shared& shared, int field);
const core::ValuePair& gridValue(const core::Shared& shared, int field);

// Example table of not-connected mode.
constexpr std::array<int, 8> kExampleRpmAxis{650, 1000, 2000, 3000, 4000, 5000, 6000, 7000};
constexpr std::array<int, 8> kExampleTinjAxis{2000, 3500, 5000, 7000, 9000, 11000, 13000, 15000};
constexpr int kExampleCell = 115;
int exampleGridValue(int field);

// Every pending cell becomes `kgb`; the axes stay as they are.
void fillWholeTable(core::Shared& shared, int kgb);

// Whether a typed entry can become a wire value 0..max.
enum class EntryProblem { kNone, kEmpty, kNotANumber, kOutOfRange };
struct EntryCheck {
  EntryProblem problem = EntryProblem::kNone;
  int value = 0;
  bool ok() const { return problem == EntryProblem::kNone; }
};
// Blanks around the entry are ignored; only decimal digits are a number.
EntryCheck checkEntry(std::string_view text, int max);

}  // namespace kelvo6::calib
