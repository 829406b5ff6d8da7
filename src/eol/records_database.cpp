#include "eol/records_database.h"

namespace kelvo6::eol {

history::EolResult eolResultOf(const UnitResult& unit) {
  history::EolResult r;
  r.key = history::makeKey(unit.station);
  r.unit = unit.unit;
  r.testedAt = history::nowMillis();
  r.station = unit.station;
  r.operatorName = unit.operatorName;
  r.toolVersion = unit.toolVersion;
  r.ecuSoftware = unit.ecuVersion;
  r.cylinders = unit.cylinders;
  r.result = std::string(passed(unit) ? kPass : kFail);
  r.failedChecks = failedChecks(unit);
  return r;
}

}  // namespace kelvo6::eol
