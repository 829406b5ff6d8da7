#pragma once
// The ECU's 62 parameters: meaning, unit and the window field that shows each.

#include <array>
#include <string_view>

namespace kelvo6::link {

enum class FieldKind { kNone, kText, kOptions, kCheck, kScroll };

// Where a parameter is shown: window objectName, control objectName(s) and, for
// option groups, the option controls by value index and their labels.
struct FieldRef {
  std::string_view window;
  FieldKind kind = FieldKind::kNone;
  std::string_view control;                    // text field, check box or scroll bar
  std::array<std::string_view, 4> options{};   // option controls, by value
  std::array<std::string_view, 4> labels{};    // label beside each option
  int optionCount() const {
    int n = 0;
    while (n < 4 && !options[static_cast<std::size_t>(n)].empty()) ++n;
    return n;
  }
};

struct ParamInfo {
  int number;
  std::string_view meaning;
  std::string_view unit;
  FieldRef field;
  FieldRef secondField;  // parameters 23 and 25 are shown in two windows
};

constexpr int kFirstParam = 1;
constexpr int kLastParam = 62;
inline bool isParam(int n) { return n >= kFirstParam && n <= kLastParam; }

// Parameter numbers that other parts of the program name.
namespace param {
constexpr int kInjectors = 1, kCoils = 2, kProbe1Type = 3, kSwitchRpm = 12, kSwitchTemperature = 13;
constexpr int kLevelMin = 19, kLevelMax = 20, kCalTemperature = 28, kCalPressure = 29;
constexpr int kEndOfGasPressure = 30, kInjectorModel = 33, kRpmAxisFirst = 34, kTinjAxisFirst = 42;
constexpr int kProbe2Type = 50, kPressureSensorModel = 57, kSwitchModel = 58, kFuelType = 62;
}  // namespace param

const ParamInfo& paramInfo(int number);  // number 1..62
const std::array<ParamInfo, 62>& paramTable();

}  // namespace kelvo6::link
