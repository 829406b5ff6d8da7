#include "sim/gas_mixture.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "sim/calibration_model.h"

namespace kelvo6::sim {

namespace {

constexpr int kMaxVariation = 24, kLambdaRpmThreshold = 25;

struct RowCoefficients {
  int cell, table, corrected, applied, need;
};

}  // namespace

int lambdaCorrective(int gapKgb, int rpm, const EcuMemory& m) {
  if (rpm <= m.param(kLambdaRpmThreshold)) return 0;
  const int limit = std::max(0, m.param(kMaxVariation));
  return std::clamp(gapKgb, -limit, limit);
}

GasState resolveGas(const GasInputs& in, const EcuMemory& m, const TrueMap& car) {
  const std::array<int, 8> rpmAxis = m.rpmAxis(), tinjAxis = m.tinjAxis();
  const int column = core::columnAt(in.rpm, rpmAxis);
  const bool calibrating = in.trialKgb >= 1 && in.trialKgb <= 255;
  auto coefficients = [&](int row) {
    RowCoefficients c{};
    c.cell = core::GridCell{row, column}.number();
    c.table = m.cell(c.cell);
    c.need = car.cell(c.cell);
    c.corrected = c.table + (in.onGas && !calibrating ? lambdaCorrective(c.need - c.table, in.rpm, m) : 0);
    c.applied = kgbApplied(calibrating, in.trialKgb, c.corrected);
    return c;
  };
  auto rowOf = [&](int us) { return core::rowAt(us, tinjAxis); };
  // The time the car asks for while the ECU applies the coefficient of `row`.
  auto askedFor = [&](int row) {
    if (!in.onGas) return in.demandUs;
    RowCoefficients c = coefficients(row);
    return demandedInjectionTime(in.demandUs, c.applied, c.need);
  };

  int row = rowOf(in.demandUs);
  int measured = askedFor(row);
  std::array<bool, 8> visited{};
  while (rowOf(measured) != row && !visited[static_cast<std::size_t>(row)]) {
    visited[static_cast<std::size_t>(row)] = true;
    row = rowOf(measured);
    measured = askedFor(row);
  }
  if (rowOf(measured) != row) {
    // No settled cell: lean on the lower row pushes the time up, rich on the
    // upper one pulls it down. It settles where the two rows meet.
    const int other = rowOf(measured);
    const int lower = std::min(row, other);
    int lo = askedFor(std::max(row, other)), hi = askedFor(lower);
    if (lo < hi && rowOf(lo) <= lower && rowOf(hi) > lower) {
      while (hi - lo > 1) {
        int mid = lo + (hi - lo) / 2;
        (rowOf(mid) > lower ? hi : lo) = mid;
      }
      measured = hi;
    }
  }

  GasState g;
  g.onGas = in.onGas;
  g.measuredUs = measured;
  const RowCoefficients c = coefficients(rowOf(measured));
  g.cell = c.cell;
  g.tableKgb = c.table;
  g.correctedKgb = c.corrected;
  g.appliedKgb = c.applied;
  g.trueKgb = c.need;
  g.trim = in.onGas && in.demandUs > 0 ? static_cast<double>(measured) / in.demandUs : 1.0;
  return g;
}

LiveSnapshot withGas(LiveSnapshot s, const GasState& g) {
  s.fuelFlag = g.onGas ? 0 : 1;
  s.kgbTable = g.tableKgb;
  s.kgbCorrected = g.correctedKgb;
  s.kgbInUse = g.appliedKgb;
  s.injectionTime = g.measuredUs;
  for (int& t : s.petrolTime)
    if (t > 0) t = std::clamp(static_cast<int>(std::lround(t * g.trim)), 0, 65535);
  return s;
}

}  // namespace kelvo6::sim
