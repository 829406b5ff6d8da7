#pragma once
// What a typed entry becomes before it may be sent: a whole number from 0 to
// the largest value its parameter can take, or the reason it cannot be one.

#include <string_view>

namespace kelvo6::params {

// Fields converted as 16-bit signed integers stop at 32767; the others take
// the whole 16-bit wire range.
constexpr int kSigned16Max = 32767;
constexpr int kUnsigned16Max = 65535;

enum class EntryProblem { kNone, kEmpty, kNotNumber, kOutOfRange };

struct Entry {
  EntryProblem problem = EntryProblem::kNone;
  int value = 0;
  bool ok() const { return problem == EntryProblem::kNone; }
};

// Blanks around the digits are ignored; anything but digits is not a number.
Entry parseEntry(std::string_view text, int maxValue);

}  // namespace kelvo6::params
