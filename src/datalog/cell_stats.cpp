#include "datalog/cell_stats.h"

#include "core/kgb_grid.h"

namespace kelvo6::datalog {

Ch placingTime(const LogData& log) { return log.has(Ch::kInjectionTime) ? Ch::kInjectionTime : Ch::kPetrol1; }

CellMap cellMap(const LogData& log, const std::array<int, 8>& rpmAxis, const std::array<int, 8>& tinjAxis) {
  CellMap map;
  map.rpmAxis = rpmAxis;
  map.tinjAxis = tinjAxis;
  const Ch timeChannel = placingTime(log);
  if (!log.has(Ch::kRpm) || !log.has(Ch::kLambda1) || !log.has(timeChannel)) return map;
  const auto& rpm = log.values(Ch::kRpm);
  const auto& lambda = log.values(Ch::kLambda1);
  const auto& time = log.values(timeChannel);
  const std::vector<std::int32_t>* fuel = log.has(Ch::kFuelFlag) ? &log.values(Ch::kFuelFlag) : nullptr;
  for (std::size_t i = 0; i < log.size(); ++i) {
    const core::GridCell cell = core::cellAt(rpm[i], time[i], rpmAxis, tinjAxis);
    // Fuel flag 1 is petrol, every other value gas; a log without it is taken as petrol.
    const Fuel f = (!fuel || (*fuel)[i] == 1) ? Fuel::kPetrol : Fuel::kGas;
    CellTally& t = map.cells[static_cast<std::size_t>(f)][static_cast<std::size_t>(cell.row)]
                            [static_cast<std::size_t>(cell.column)];
    ++t.count;
    t.lambdaSum += lambda[i];
    t.timeSum += time[i];
    ++map.samples;
  }
  return map;
}

}  // namespace kelvo6::datalog
