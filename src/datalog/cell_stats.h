#pragma once
// The cell map: for each cell of the KGB table, how many samples fell in it
// and their average lambda 1 and petrol injection time, on petrol and on gas
// apart. The data a fitter needs to see where the gas table needs work.

#include <array>
#include <cstdint>

#include "datalog/log_data.h"

namespace kelvo6::datalog {

struct CellTally {
  int count = 0;
  std::int64_t lambdaSum = 0;
  std::int64_t timeSum = 0;
  double lambdaAverage() const { return count ? static_cast<double>(lambdaSum) / count : 0.0; }
  double timeAverage() const { return count ? static_cast<double>(timeSum) / count : 0.0; }
};

enum class Fuel { kPetrol = 0, kGas = 1 };

struct CellMap {
  std::array<int, 8> rpmAxis{}, tinjAxis{};
  // [fuel][row r (TINJ point r+1)][column c (RPM point c+1)]: cell 8 r + c + 1.
  std::array<std::array<std::array<CellTally, 8>, 8>, 2> cells{};
  const CellTally& at(Fuel f, int row, int column) const {
    return cells[static_cast<std::size_t>(f)][static_cast<std::size_t>(row)][static_cast<std::size_t>(column)];
  }
  int samples = 0;  // samples counted
};

// The petrol injection time a sample is placed by: the calibration block's
// injection time when the log has it, otherwise injector 1's petrol time.
Ch placingTime(const LogData& log);

// Tallies every sample of `log` that has engine speed, lambda 1 and a petrol
// time, by the cell its engine speed and petrol time fall in: the cell under
// the calibration window's marker, as the ECU applies it.
CellMap cellMap(const LogData& log, const std::array<int, 8>& rpmAxis, const std::array<int, 8>& tinjAxis);

}  // namespace kelvo6::datalog
