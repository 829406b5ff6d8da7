#include "link/plausibility.h"

#include "core/language.h"
#include "core/shared.h"
#include "link/dispatcher.h"

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
    {10, 11, -40, 150},          // minimum and maximum temperature, degC
    {12, 12, 0, kMaxRpm},        // change-over engine speed
    {13, 13, -40, 150},          // change-over temperature
    {16, 18, 0, 100},            // level thresholds, %
    {19, 20, 0, 5000},           // level sender readings, mV
    {21, 21, 0, 5},              // pressure corrective variation
    {23, 23, 0, kMaxRpm},        // pressure corrective engine speed
    {24, 24, 0, 8},              // lambda corrective maximum variation
    {25, 25, 0, kMaxRpm},        // lambda correction engine speed
    {26, 26, 0, 3},              // temperature corrective variation
    {28, 28, -40, 150},          // calibration temperature
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

// Temperatures are held as signed 16-bit numbers.
constexpr int kTemperatures[] = {10, 11, 13, 28};

// The thresholds of each probe lie within its sensor type's full scale; on a
// straight sensor (more voltage, richer) the lean threshold lies below the
// rich one. Inverted sensors hold them the other way or as the ECU converts
// them, which nothing here tells, so their order is not judged.
struct Probe {
  int type, lean, rich;
};
constexpr Probe kProbes[] = {{3, 4, 5}, {50, 51, 52}};
constexpr bool straight(int sensorType) { return sensorType == 0 || sensorType == 2; }

// Values that rise: `below` is expected below `above`.
struct Order {
  int below, above;
};
constexpr Order kOrders[] = {
    {16, 17}, {17, 18},                                                    // level thresholds
    {34, 35}, {35, 36}, {36, 37}, {37, 38}, {38, 39}, {39, 40}, {40, 41},  // RPM axis
    {42, 43}, {43, 44}, {44, 45}, {45, 46}, {46, 47}, {47, 48}, {48, 49},  // TINJ axis
};

// The level sender's empty and full readings must differ: the level is the
// span between them.
constexpr Order kDifferent[] = {{19, 20}};

int valueOf(const ParamValues& values, int param) {
  return plausibilityValue(param, values[static_cast<std::size_t>(param - 1)]);
}

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
    if (param == o.below && value >= valueOf(values, o.above))
      return Note{param, Note::Kind::kBelow, 0, 0, o.above, valueOf(values, o.above)};
    if (param == o.above && value <= valueOf(values, o.below))
      return Note{param, Note::Kind::kAbove, 0, 0, o.below, valueOf(values, o.below)};
  }
  for (const Order& d : kDifferent) {
    int other = param == d.below ? d.above : param == d.above ? d.below : 0;
    if (other && value == valueOf(values, other)) return Note{param, Note::Kind::kDifferent, 0, 0, other, value};
  }
  return std::nullopt;
}

constexpr core::Text3 kRangeText{"Valore insolito: previsto da %1 a %2", "Unusual value: expected %1 to %2",
                                 "Olagan disi deger: beklenen %1 - %2"};
constexpr core::Text3 kBelowText{"Valore insolito: previsto minore di %1", "Unusual value: expected below %1",
                                 "Olagan disi deger: %1 degerinden kucuk olmali"};
constexpr core::Text3 kAboveText{"Valore insolito: previsto maggiore di %1", "Unusual value: expected above %1",
                                 "Olagan disi deger: %1 degerinden buyuk olmali"};
constexpr core::Text3 kDifferentText{"Valore insolito: previsto diverso da %1", "Unusual value: expected other than %1",
                                     "Olagan disi deger: %1 degerinden farkli olmali"};

// Puts the numbers in place of %1 and %2.
std::string fill(std::string text, int first, int second = 0) {
  for (auto [mark, value] : {std::pair{"%1", first}, std::pair{"%2", second}})
    if (auto at = text.find(mark); at != std::string::npos) text.replace(at, 2, std::to_string(value));
  return text;
}

}  // namespace

int plausibilityValue(int param, int value) {
  for (int t : kTemperatures)
    if (param == t && value >= 32768 && value <= 65535) return value - 65536;
  return value;
}

std::optional<PlausibilityNote> plausibilityNote(int param, const ParamValues& values) {
  if (param < 1 || param > 62) return std::nullopt;
  const int value = valueOf(values, param);
  if (auto n = rangeNote(param, value)) return n;
  if (auto n = probeNote(param, value, values)) return n;
  return orderNote(param, value, values);
}

std::string plausibilityText(const PlausibilityNote& note, int language) {
  switch (note.kind) {
    case PlausibilityNote::Kind::kRange: return fill(core::pickOr(kRangeText, language), note.min, note.max);
    case PlausibilityNote::Kind::kBelow: return fill(core::pickOr(kBelowText, language), note.otherValue);
    case PlausibilityNote::Kind::kAbove: return fill(core::pickOr(kAboveText, language), note.otherValue);
    case PlausibilityNote::Kind::kDifferent: return fill(core::pickOr(kDifferentText, language), note.otherValue);
  }
  return {};
}

}  // namespace kelvo6::link
