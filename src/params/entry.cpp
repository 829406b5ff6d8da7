#include "params/entry.h"

namespace kelvo6::params {

Entry parseEntry(std::string_view text, int maxValue) {
  auto blank = [](char c) { return c == ' ' || c == '\t'; };
  while (!text.empty() && blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && blank(text.back())) text.remove_suffix(1);
  if (text.empty()) return {EntryProblem::kEmpty, 0};
  long long value = 0;
  bool tooLarge = false;
  for (char c : text) {
    if (c < '0' || c > '9') return {EntryProblem::kNotNumber, 0};
    if (!tooLarge) value = value * 10 + (c - '0');
    tooLarge = tooLarge || value > maxValue;
  }
  if (tooLarge) return {EntryProblem::kOutOfRange, 0};
  return {EntryProblem::kNone, static_cast<int>(value)};
}

}  // namespace kelvo6::params
