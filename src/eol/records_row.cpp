#include "eol/records_row.h"

#include <utility>

namespace kelvo6::eol {

namespace {

// The check lamps 32..56 by frame, named as the window labels them.
struct CheckLamp {
  int lamp;
  const char* name;
};
constexpr CheckLamp kCheckLamps[] = {
    {32, "PRESSIONE1"},   {33, "PRESSIONE2"},    {34, "LAMBDA1"},         {35, "LAMBDA2"},
    {36, "TPS_ANALOGICO"}, {37, "DSP"},          {38, "TEMPERATURA1"},    {39, "EMUL_LAMBDA1"},
    {40, "EMUL_LAMBDA2"}, {41, "BUZZER"},        {42, "RELE_GAS"},        {43, "RELE_GENERALE"},
    {44, "RELE_EMULAZIONE"}, {45, "TPS_DIGITALE"}, {46, "RPM"},           {47, "LED1"},
    {48, "LED2"},         {49, "LED3"},          {50, "LED4"},            {51, "TASTO_GAS"},
    {52, "BATTERIA"},     {53, "SENSORI"},       {54, "EEPROM"},          {55, "POWER LATCH"},
    {56, "WATCH DOG"},
};
constexpr int kFirstCheckLamp = 32;

constexpr const char* kInjectorColumns[] = {"STAT", "EMUL", "OUT", "IN"};

bool shownFor(const UnitResult& unit, int lamp) { return lampVisible(lamp, unit.cylinders); }

bool needsQuotes(const std::string& field) { return field.find_first_of(",\"\r\n") != std::string::npos; }

// Injector rows first, then the pair lamps, then the checks in lamp order.
std::vector<int> recordLampOrder() {
  std::vector<int> order;
  for (int lamp = 0; lamp <= kLastInjectorLamp; ++lamp) order.push_back(lamp);
  for (int pair = 1; pair <= 4; ++pair) order.push_back(pairLamp(pair));
  for (const CheckLamp& c : kCheckLamps) order.push_back(c.lamp);
  return order;
}

}  // namespace

UnitResult unitResult(std::string dateTime, std::string ecuVersion, int cylinders, const DecodedResults& results,
                      bool powerLatchGreen, bool watchDogGreen) {
  UnitResult u{std::move(dateTime), std::move(ecuVersion), cylinders, {}};
  for (int lamp = 0; lamp < kLampCount; ++lamp)
    if (isResultLamp(lamp)) u.red[static_cast<std::size_t>(lamp)] = results.red[static_cast<std::size_t>(lamp)];
  u.red[kPowerLatchLamp] = !powerLatchGreen;
  u.red[kWatchDogLamp] = !watchDogGreen;
  return u;
}

std::string failedChecks(const UnitResult& unit) {
  std::string names;
  for (int lamp = 0; lamp < kLampCount; ++lamp) {
    if (!shownFor(unit, lamp) || !unit.red[static_cast<std::size_t>(lamp)]) continue;
    if (!names.empty()) names += "; ";
    names += lampName(lamp);
  }
  return names;
}

bool passed(const UnitResult& unit) {
  for (int lamp = 0; lamp < kLampCount; ++lamp)
    if (shownFor(unit, lamp) && unit.red[static_cast<std::size_t>(lamp)]) return false;
  return true;
}

std::string lampName(int lamp) {
  if (isInjectorLamp(lamp)) return "INJ" + std::to_string(lamp / 4 + 1) + " " + kInjectorColumns[lamp % 4];
  if (isPairLamp(lamp)) {
    int pair = lamp - pairLamp(1) + 1;
    return "RELE EMUL INJ " + std::to_string(2 * pair - 1) + "-" + std::to_string(2 * pair);
  }
  if (lamp >= kFirstCheckLamp && lamp < kFirstCheckLamp + static_cast<int>(std::size(kCheckLamps)))
    return kCheckLamps[lamp - kFirstCheckLamp].name;
  return {};
}

const std::vector<LampGroup>& checkGroups() {
  static const std::vector<LampGroup> groups = {
      {"ANALOGICI", {32, 33, 34, 35, 36, 37, 38, 39, 40, 41}},
      {"DIGITALI", {42, 43, 44, 45, 46, 47, 48, 49, 50, 51}},
      {"TENSIONI ALIMENTAZIONE", {52, 53}},
      {"EEPROM", {54}},
      {"ALTRO", {55, 56}},
  };
  return groups;
}

std::vector<std::string> recordHeader() {
  std::vector<std::string> h{"DATE TIME", "ECU VERSION", "CYLINDERS"};
  for (int lamp : recordLampOrder()) h.push_back(lampName(lamp));
  h.emplace_back("RESULT");
  return h;
}

std::vector<std::string> recordFields(const UnitResult& unit) {
  std::vector<std::string> f{unit.dateTime, unit.ecuVersion, std::to_string(unit.cylinders)};
  for (int lamp : recordLampOrder()) {
    if (!shownFor(unit, lamp)) {
      f.emplace_back();
      continue;
    }
    f.emplace_back(unit.red[static_cast<std::size_t>(lamp)] ? kFail : kPass);
  }
  f.emplace_back(passed(unit) ? kPass : kFail);
  return f;
}

std::string csvLine(const std::vector<std::string>& fields) {
  std::string line;
  for (std::size_t i = 0; i < fields.size(); ++i) {
    if (i) line += ',';
    if (!needsQuotes(fields[i])) {
      line += fields[i];
      continue;
    }
    line += '"';
    for (char c : fields[i]) {
      if (c == '"') line += '"';
      line += c;
    }
    line += '"';
  }
  line += '\n';
  return line;
}

std::vector<std::string> splitCsvLine(std::string_view line) {
  std::vector<std::string> fields(1);
  bool quoted = false;
  for (std::size_t i = 0; i < line.size(); ++i) {
    char c = line[i];
    if (quoted) {
      if (c == '"' && i + 1 < line.size() && line[i + 1] == '"') {
        fields.back() += '"';
        ++i;
      } else if (c == '"') {
        quoted = false;
      } else {
        fields.back() += c;
      }
    } else if (c == '"') {
      quoted = true;
    } else if (c == ',') {
      fields.emplace_back();
    } else {
      fields.back() += c;
    }
  }
  return fields;
}

}  // namespace kelvo6::eol
