#pragma once
// How much each cell of the table weighs when the next point is chosen: a
// recorded drive (a log of the datalog) says where the car spends its time.

#include <array>

#include "datalog/cell_stats.h"

namespace kelvo6::calib {

// 1 for a cell the drive never reached, up to 64 for the only cell it used:
// 1 plus 63 times the share of the drive's samples in that cell, on either fuel.
std::array<double, 64> driveWeights(const datalog::CellMap& drive);

}  // namespace kelvo6::calib
