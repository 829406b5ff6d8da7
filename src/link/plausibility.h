#pragma once
// Plausible values of the parameters, where their meaning makes it clear: a
// count of injectors or coils, an option index, a percentage, a temperature,
// an engine speed, a lambda threshold within its sensor's full scale, and
// values that must stand in order (lean below rich, rising axes and level
// thresholds). A value outside is only worth a warning: the ECU may hold it,
// and nothing refuses it for that.

#include <array>
#include <optional>
#include <string>

namespace kelvo6::link {

// The values of parameters 1..62 (parameter n at index n - 1) that a value is
// judged with: a configuration, or an editor's fields over the ECU values.
using ParamValues = std::array<int, 62>;

struct PlausibilityNote {
  enum class Kind {
    kRange,      // expected min..max
    kBelow,      // expected below the value of `other`
    kAbove,      // expected above the value of `other`
    kDifferent,  // expected other than the value of `other`
    kNotAbove,   // expected at most the value of `other`
    kNotBelow,   // expected at least the value of `other`
  };
  int param = 0;
  Kind kind = Kind::kRange;
  int min = 0, max = 0;  // kRange
  int other = 0;         // the parameter it is compared with
  int otherValue = 0;
  friend bool operator==(const PlausibilityNote&, const PlausibilityNote&) = default;
};

// Why the value of `param` is implausible among `values`, or nothing when it
// is plausible or the parameter has no plausible range.
std::optional<PlausibilityNote> plausibilityNote(int param, const ParamValues& values);

// The warning shown with the value, in the language (1..3; others Italian). A
// value judged against another parameter names that parameter.
std::string plausibilityText(const PlausibilityNote& note, int language);

}  // namespace kelvo6::link
