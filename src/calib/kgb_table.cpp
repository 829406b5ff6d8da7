#include "calib/kgb_table.h"

#include <cctype>

namespace kelvo6::calib {

GridSlot gridSlot(int field) {
  if (field < kAxisPoints) return {false, rpmAxisParam(field + 1)};
  if (field < 2 * kAxisPoints) return {false, tinjAxisParam(field - kAxisPoints + 1)};
  return {true, field - 15};
}

int gridFieldOfParam(int number) {
  if (number >= rpmAxisParam(1) && number <= tinjAxisParam(kAxisPoints)) return number - rpmAxisParam(1);
  return -1;
}

core::ValuePair& gridValue(core::Shared& shared, int field) {
  GridSlot slot = gridSlot(field);
  return slot.isCell ? shared.cell(slot.number) : shared.param(slot.number);
}

const core::ValuePair& gridValue(const core::Shared& shared, int field) {
  GridSlot slot = gridSlot(field);
  return slot.isCell ? shared.cell(slot.number) : shared.param(slot.number);
}

int exampleGridValue(int field) {
  if (field < kAxisPoints) return kExampleRpmAxis[static_cast<std::size_t>(field)];
  if (field < 2 * kAxisPoints) return kExampleTinjAxis[static_cast<std::size_t>(field - kAxisPoints)];
  return kExampleCell;
}

void fillWholeTable(core::Shared& shared, int kgb) {
  for (int n = 1; n <= core::kCellCount; ++n) shared.cell(n).pending = kgb;
}

EntryCheck checkEntry(std::string_view text, int max) {
  auto blank = [](char c) { return c == ' ' || c == '\t'; };
  while (!text.empty() && blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && blank(text.back())) text.remove_suffix(1);
  if (text.empty()) return {EntryProblem::kEmpty, 0};
  long long value = 0;
  for (char c : text) {
    if (!std::isdigit(static_cast<unsigned char>(c))) return {EntryProblem::kNotANumber, 0};
    value = value * 10 + (c - '0');
    if (value > max) value = static_cast<long long>(max) + 1;  // stays out of range, never overflows
  }
  if (value > max) return {EntryProblem::kOutOfRange, 0};
  return {EntryProblem::kNone, static_cast<int>(value)};
}

}  // namespace kelvo6::calib
