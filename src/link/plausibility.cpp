#include "link/plausibility.h"

#include "core/language.h"
#include "core/shared.h"
#include "link/dispatcher.h"
#include "link/param_texts.h"

namespace kelvo6::link {

namespace {

using Note = PlausibilityNote;

// Parameters first..last share a plausible range.
struct Range {
  int first, last;
  int min, max;
};
constexpr int kMaxRpm = 10000;
constexpr Range kRanges[] = {
    {1, 2, 1, 8},                // gas injectors, ignition coils
    {3, 3, 0, 3},                // probe 1 sensor type
    {7, 9, 0, 100},              // probe 1 emulation duty cycles, %
    // Temperatures are whole degrees as the ECU holds every parameter, 0..65535
    // unsigned: 65526 is no -10 degrees, and stands out as implausible.
    {10, 11, 0, 150},            // minimum and maximum temperature, degC
    {12, 12, 0, kMaxRpm},        // change-over engine speed
    {13, 13, 0, 150},            // change-over temperature
    {16, 18, 0, 100},            // level thresholds, %
    {19, 20, 0, 5000},           // level sender readings, mV
    {21, 21, 0, 5},              // pressure corrective variation
    {23, 23, 0, kMaxRpm},        // pressure corrective engine speed
    {24, 24, 0, 8},              // lambda corrective maximum variation
    {25, 25, 0, kMaxRpm},        // lambda correction engine speed
    {26, 26, 0, 3},              // temperature corrective variation
    {28, 28, 0, 150},            // calibration temperature
    {31, 31, 0, kMaxRpm},        // cutoff engine speed
    {33, 33, 0, 1},              // gas injector model
    {34, 41, 0, kMaxRpm},        // RPM axis of the KGB table
    {50, 50, 0, 3},              // probe 2 sensor type
    {54, 56, 0, 100},            // probe 2 emulation duty cycles, %
    {57, 57, 0, 1},              // pressure sensor model
    {58, 58, 0, 2},              // fuel switch model
    {59, 59, 0, 1},              // change-over while rising or falling
    {61, 61, 0, 1},              // warm change-over allowed
    {62, 62, 0, 1},              // fuel type
};

// The thresholds of each probe lie within its sensor type's full scale; on a
// straight sensor (more voltage, richer) the lean threshold lies below the
// rich one. Inverted sensors hold them the other way or as the ECU converts
// them, which nothing here tells, so their order is not judged.
struct Probe {
  int type, lean, rich;
};
constexpr Probe kProbes[] = {{3, 4, 5}, {50, 51, 52}};
constexpr bool straight(int sensorType) { return sensorType == 0 || sensorType == 2; }

// Values that rise: `below` is expected below `above`, or at most equal to
// it where both may be the same.
struct Order {
  int below, above;
  bool mayEqual = false;
};
constexpr Order kOrders[] = {
    {10, 11, true},                                                        // temperature limits
    {16, 17}, {17, 18},                                                    // level thresholds
    {34, 35}, {35, 36}, {36, 37}, {37, 38}, {38, 39}, {39, 40}, {40, 41},  // RPM axis
    {42, 43}, {43, 44}, {44, 45}, {45, 46}, {46, 47}, {47, 48}, {48, 49},  // TINJ axis
};

// The level sender's empty and full readings must differ: the level is the
// span between them.
constexpr Order kDifferent[] = {{19, 20}};

int valueOf(const ParamValues& values, int param) { return values[static_cast<std::size_t>(param - 1)]; }

std::optional<Note> rangeNote(int param, int value) {
  for (const Range& r : kRanges)
    if (param >= r.first && param <= r.last && (value < r.min || value > r.max))
      return Note{param, Note::Kind::kRange, r.min, r.max, 0, 0};
  return std::nullopt;
}

std::optional<Note> probeNote(int param, int value, const ParamValues& values) {
  for (const Probe& p : kProbes) {
    if (param != p.lean && param != p.rich) continue;
    const int type = valueOf(values, p.type);
    core::BarRange scale;
    if (lambdaRangeFor(type, &scale) && value > scale.fullScale)
      return Note{param, Note::Kind::kRange, 0, scale.fullScale, 0, 0};
    if (!straight(type)) return std::nullopt;
    const int lean = valueOf(values, p.lean), rich = valueOf(values, p.rich);
    if (lean < rich) return std::nullopt;
    if (param == p.lean) return Note{param, Note::Kind::kBelow, 0, 0, p.rich, rich};
    return Note{param, Note::Kind::kAbove, 0, 0, p.lean, lean};
  }
  return std::nullopt;
}

std::optional<Note> orderNote(int param, int value, const ParamValues& values) {
  for (const Order& o : kOrders) {
    const int above = valueOf(values, o.above), below = valueOf(values, o.below);
    const bool crossed = o.mayEqual ? below > above : below >= above;
    if (!crossed || (param != o.below && param != o.above)) continue;
    if (param == o.below)
      return Note{param, o.mayEqual ? Note::Kind::kNotAbove : Note::Kind::kBelow, 0, 0, o.above, above};
    return Note{param, o.mayEqual ? Note::Kind::kNotBelow : Note::Kind::kAbove, 0, 0, o.below, below};
  }
  for (const Order& d : kDifferent) {
    int other = param == d.below ? d.above : param == d.above ? d.below : 0;
    if (other && value == valueOf(values, other)) return Note{param, Note::Kind::kDifferent, 0, 0, other, value};
  }
  return std::nullopt;
}

constexpr core::Text3 kRangeText{"Valore insolito: previsto da %1 a %2", "Unusual value: expected %1 to %2",
                                 "Olagan disi deger: beklenen %1 - %2"};
// %1 is the other parameter's value, %2 its meaning.
constexpr core::Text3 kBelowText{"Valore insolito: previsto minore di %1 (%2)", "Unusual value: expected below %1 (%2)",
                                 "Olagan disi deger: %1 (%2) degerinden kucuk olmali"};
constexpr core::Text3 kAboveText{"Valore insolito: previsto maggiore di %1 (%2)",
                                 "Unusual value: expected above %1 (%2)",
                                 "Olagan disi deger: %1 (%2) degerinden buyuk olmali"};
constexpr core::Text3 kNotAboveText{"Valore insolito: previsto al massimo %1 (%2)",
                                    "Unusual value: expected at most %1 (%2)",
                                    "Olagan disi deger: en fazla %1 (%2) olmali"};
constexpr core::Text3 kNotBelowText{"Valore insolito: previsto almeno %1 (%2)", "Unusual value: expected at least %1 (%2)",
                                    "Olagan disi deger: en az %1 (%2) olmali"};
constexpr core::Text3 kDifferentText{"Valore insolito: previsto diverso da %1 (%2)",
                                     "Unusual value: expected other than %1 (%2)",
                                     "Olagan disi deger: %1 (%2) degerinden farkli olmali"};

// Puts the texts in place of %1 and %2.
std::string fill(std::string text, const std::string& first, const std::string& second = {}) {
  for (auto [mark, value] : {std::pair{"%1", &first}, std::pair{"%2", &second}})
    if (auto at = text.find(mark); at != std::string::npos) text.replace(at, 2, *value);
  return text;
}

const core::Text3& comparisonText(PlausibilityNote::Kind kind) {
  switch (kind) {
    case Note::Kind::kBelow: return kBelowText;
    case Note::Kind::kAbove: return kAboveText;
    case Note::Kind::kNotAbove: return kNotAboveText;
    case Note::Kind::kNotBelow: return kNotBelowText;
    default: return kDifferentText;
  }
}

}  // namespace

std::optional<PlausibilityNote> plausibilityNote(int param, const ParamValues& values) {
  if (param < 1 || param > 62) return std::nullopt;
  const int value = valueOf(values, param);
  if (auto n = rangeNote(param, value)) return n;
  if (auto n = probeNote(param, value, values)) return n;
  return orderNote(param, value, values);
}

std::string plausibilityText(const PlausibilityNote& note, int language) {
  if (note.kind == PlausibilityNote::Kind::kRange)
    return fill(core::pickOr(kRangeText, language), std::to_string(note.min), std::to_string(note.max));
  // A value compared with another parameter names that parameter.
  return fill(core::pickOr(comparisonText(note.kind), language), std::to_string(note.otherValue),
              paramMeaning(note.other, language));
}

}  // namespace kelvo6::link
