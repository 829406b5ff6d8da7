#pragma once
// One unit's end-of-line result as the window showed it, and the row of the
// production record that keeps it: date and time, ECU version, cylinder count,
// every lamp shown for that count, and the overall pass or fail.

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "eol/lamps.h"
#include "eol/result_decoding.h"

namespace kelvo6::eol {

struct UnitResult {
  std::string dateTime;    // local time, ISO 8601: "2024-05-17T14:03:22"
  std::string ecuVersion;  // "1.2.3"; empty when the version is not known
  int cylinders = 4;
  std::array<bool, kLampCount> red{};  // each lamp as painted: red failed, green passed
  // Who and what tested it: the unit's serial or box number, the station,
  // the operator and this program's version (empty when not known).
  std::string unit;
  std::string station;
  std::string operatorName;
  std::string toolVersion;
};

// The unit as the window shows it: the checks of the last report it decoded,
// and POWER LATCH and WATCH DOG as the reset phases have painted them.
UnitResult unitResult(std::string dateTime, std::string ecuVersion, int cylinders, const DecodedResults& results,
                      bool powerLatchGreen, bool watchDogGreen);

// Passed when every lamp shown for the unit's cylinder count is green.
bool passed(const UnitResult& unit);
// The names of the failed checks shown for the unit, in lamp order, "; " between them.
std::string failedChecks(const UnitResult& unit);

// The name of a lamp as the window labels it: "INJ3 OUT", "RELE EMUL INJ 1-2",
// "PRESSIONE1", "EEPROM", "WATCH DOG".
std::string lampName(int lamp);

// The check lamps framed as on the window: caption and lamps, in window order.
struct LampGroup {
  const char* caption;
  std::vector<int> lamps;
};
const std::vector<LampGroup>& checkGroups();

constexpr std::string_view kPass = "PASS";
constexpr std::string_view kFail = "FAIL";

// The record's columns, and one unit's row. A lamp that the cylinder count
// hides has an empty field.
std::vector<std::string> recordHeader();
std::vector<std::string> recordFields(const UnitResult& unit);

// A CSV line ending in "\n"; a field holding a comma, quote or line end is quoted.
std::string csvLine(const std::vector<std::string>& fields);
// The fields of one line (without its line end); quotes as csvLine writes them.
std::vector<std::string> splitCsvLine(std::string_view line);

}  // namespace kelvo6::eol
