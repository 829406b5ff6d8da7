#include "calib/multipoint_fit.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "calib/auto_calibration.h"

namespace kelvo6::calib {

namespace {

// The shape of a car's table as the fit assumes it, in KGB units and cells.
// Chosen by measurement on bends, ridges, steps, saddles and tilted planes
// (bench_multipoint and bench/true_maps): a correction that reaches about two
// cells, a plane whose slopes are seldom above a unit a cell, and a level
// known only from the points.
constexpr double kLevelSd = 6.0;      // the table's level about the points' mean
constexpr double kSlopeSd = 1.0;      // the plane's slope per cell, along speed and along load
constexpr double kBendSd = 2.5;       // the correction's size
constexpr double kBendLength = 1.8;   // its reach, cells
constexpr double kJitter = 1e-6;      // keeps the system solvable; measured cells are set exactly
constexpr double kNearSpread = 0.72;  // below this share of kBendSd a cell is near the points (a neighbour of one)

struct Site {
  double x = 0, y = 0;  // column, row
};
Site siteOf(int index) { return {static_cast<double>(index % 8), static_cast<double>(index / 8)}; }

// The covariance of the car's need at two cells; `withTrend` adds the unknown
// level and plane of a fresh fit.
double covariance(Site a, Site b, bool withTrend) {
  double dx = a.x - b.x, dy = a.y - b.y;
  double r = std::sqrt(dx * dx + dy * dy) / kBendLength;
  // Matern 5/2: smooth, yet able to turn at a ridge within a cell or two.
  double bend = kBendSd * kBendSd * (1 + std::sqrt(5.0) * r + 5.0 * r * r / 3.0) * std::exp(-std::sqrt(5.0) * r);
  if (!withTrend) return bend;
  constexpr double c = 3.5;  // the middle of the table
  return kLevelSd * kLevelSd + kSlopeSd * kSlopeSd * ((a.x - c) * (b.x - c) + (a.y - c) * (b.y - c)) + bend;
}

// Cholesky factor of a symmetric positive matrix (n x n, row-major), in place.
bool cholesky(std::vector<double>& m, std::size_t n) {
  for (std::size_t j = 0; j < n; ++j) {
    double d = m[j * n + j];
    for (std::size_t k = 0; k < j; ++k) d -= m[j * n + k] * m[j * n + k];
    if (d <= 0) return false;
    d = std::sqrt(d);
    m[j * n + j] = d;
    for (std::size_t i = j + 1; i < n; ++i) {
      double v = m[i * n + j];
      for (std::size_t k = 0; k < j; ++k) v -= m[i * n + k] * m[j * n + k];
      m[i * n + j] = v / d;
    }
  }
  return true;
}

// Solves L z = b (forward) with the factor.
std::vector<double> forward(const std::vector<double>& l, std::size_t n, std::vector<double> b) {
  for (std::size_t i = 0; i < n; ++i) {
    for (std::size_t k = 0; k < i; ++k) b[i] -= l[i * n + k] * b[k];
    b[i] /= l[i * n + i];
  }
  return b;
}
// Solves L^T z = b (backward).
std::vector<double> backward(const std::vector<double>& l, std::size_t n, std::vector<double> b) {
  for (std::size_t i = n; i-- > 0;) {
    for (std::size_t k = i + 1; k < n; ++k) b[i] -= l[k * n + i] * b[k];
    b[i] /= l[i * n + i];
  }
  return b;
}

// The fit at every cell from values at some cells: mean and variance.
struct Surface {
  std::array<double, 64> mean{};
  std::array<double, 64> variance{};
};
Surface krige(const std::vector<int>& cells, const std::vector<double>& values, const std::array<double, 64>& prior,
              bool withTrend) {
  const std::size_t n = cells.size();
  std::vector<double> k(n * n);
  for (std::size_t i = 0; i < n; ++i)
    for (std::size_t j = 0; j < n; ++j)
      k[i * n + j] = covariance(siteOf(cells[i]), siteOf(cells[j]), withTrend) + (i == j ? kJitter : 0);
  Surface s;
  if (!cholesky(k, n)) return s;
  std::vector<double> residual(n);
  for (std::size_t i = 0; i < n; ++i) residual[i] = values[i] - prior[static_cast<std::size_t>(cells[i])];
  std::vector<double> alpha = backward(k, n, forward(k, n, residual));
  for (int c = 0; c < 64; ++c) {
    std::vector<double> kc(n);
    for (std::size_t i = 0; i < n; ++i) kc[i] = covariance(siteOf(c), siteOf(cells[i]), withTrend);
    double m = prior[static_cast<std::size_t>(c)];
    for (std::size_t i = 0; i < n; ++i) m += kc[i] * alpha[i];
    std::vector<double> z = forward(k, n, kc);
    double v = covariance(siteOf(c), siteOf(c), withTrend);
    for (double e : z) v -= e * e;
    s.mean[static_cast<std::size_t>(c)] = m;
    s.variance[static_cast<std::size_t>(c)] = std::max(0.0, v);
  }
  return s;
}

// The measured cells (index 0..63) and their values: each cell's trusted
// points' mean, or its limit points' mean when it has only those.
struct Measured {
  std::vector<int> cells;
  std::vector<double> values;
  std::vector<bool> atLimit;
};
Measured measuredCells(std::span<const MeasuredPoint> points, const std::array<int, 8>& rpmAxis,
                       const std::array<int, 8>& tinjAxis) {
  struct Sum {
    int trusted = 0, trustedCount = 0, limit = 0, limitCount = 0;
  };
  std::array<Sum, 64> sums{};
  for (const MeasuredPoint& p : points) {
    Sum& s = sums[static_cast<std::size_t>(core::cellAt(p.rpm, p.injectionTime, rpmAxis, tinjAxis).number() - 1)];
    int k = std::clamp(p.k, 0, 255);
    (p.atLimit ? s.limit : s.trusted) += k;
    ++(p.atLimit ? s.limitCount : s.trustedCount);
  }
  Measured m;
  for (int c = 0; c < 64; ++c) {
    const Sum& s = sums[static_cast<std::size_t>(c)];
    if (s.trustedCount == 0 && s.limitCount == 0) continue;
    bool limit = s.trustedCount == 0;
    m.cells.push_back(c);
    m.values.push_back(limit ? double(s.limit) / s.limitCount : double(s.trusted) / s.trustedCount);
    m.atLimit.push_back(limit);
  }
  return m;
}

// The prior of every cell: the ECU's table, or the points' mean.
std::array<double, 64> priorOf(const Measured& m, const BaseTable& base) {
  std::array<double, 64> prior{};
  if (base) {
    for (std::size_t c = 0; c < 64; ++c) prior[c] = (*base)[c];
  } else {
    double sum = 0;
    for (double v : m.values) sum += v;
    prior.fill(sum / static_cast<double>(m.values.size()));
  }
  return prior;
}

// Half to even, as the rest of the table's arithmetic rounds.
int roundedKgb(double v) { return static_cast<int>(std::nearbyint(v)); }

}  // namespace

std::optional<TableFit> fitTable(std::span<const MeasuredPoint> points, const std::array<int, 8>& rpmAxis,
                                 const std::array<int, 8>& tinjAxis, const BaseTable& base) {
  Measured m = measuredCells(points, rpmAxis, tinjAxis);
  if (m.cells.empty()) return std::nullopt;
  Surface s = krige(m.cells, m.values, priorOf(m, base), !base);
  TableFit fit;
  for (std::size_t c = 0; c < 64; ++c) {
    double spread = std::sqrt(s.variance[c]);
    int v = roundedKgb(s.mean[c]);
    int kept = std::clamp(v, kAutoKgbMin, kAutoKgbMax);
    fit.cells[c] = kept;
    fit.spread[c] = spread;
    // Marked at a limit where the fit went past what a point can measure.
    bool near = spread < kNearSpread * kBendSd;
    fit.basis[c] = v != kept ? CellBasis::kAtLimit : near ? CellBasis::kInterpolated : CellBasis::kExtrapolated;
  }
  // Measured cells exactly as measured.
  for (std::size_t i = 0; i < m.cells.size(); ++i) {
    auto c = static_cast<std::size_t>(m.cells[i]);
    fit.cells[c] = std::clamp(roundedKgb(m.values[i]), 0, 255);
    fit.basis[c] = m.atLimit[i] ? CellBasis::kAtLimit : CellBasis::kMeasured;
    fit.spread[c] = 0;
  }
  return fit;
}

int startingKgb(std::span<const MeasuredPoint> points, int rpm, int injectionTime, const std::array<int, 8>& rpmAxis,
                const std::array<int, 8>& tinjAxis, int fallback, const BaseTable& base) {
  int k = fallback;
  if (auto fit = fitTable(points, rpmAxis, tinjAxis, base)) {
    core::GridCell cell = core::cellAt(rpm, injectionTime, rpmAxis, tinjAxis);
    k = fit->cells[static_cast<std::size_t>(cell.number() - 1)];
  }
  return std::clamp(k, kAutoKgbMin, kAutoKgbMax);
}

std::optional<int> suggestedCell(std::span<const MeasuredPoint> points, const std::array<int, 8>& rpmAxis,
                                 const std::array<int, 8>& tinjAxis, std::span<const double> weights,
                                 std::span<const int> skip) {
  // The spread does not depend on the values measured, only on where: each
  // free cell is tried as one more measured cell and the weighed spread left
  // over the table compared. Ties go to the lower cell number.
  Measured m = measuredCells(points, rpmAxis, tinjAxis);
  std::array<double, 64> flat{};
  std::optional<int> best;
  double bestLeft = 0;
  for (int c = 0; c < 64; ++c) {
    if (std::find(m.cells.begin(), m.cells.end(), c) != m.cells.end()) continue;
    if (std::find(skip.begin(), skip.end(), c + 1) != skip.end()) continue;
    std::vector<int> cells = m.cells;
    cells.push_back(c);
    Surface s = krige(cells, std::vector<double>(cells.size(), 0.0), flat, true);
    double left = 0;
    for (std::size_t i = 0; i < 64; ++i) left += (weights.size() == 64 ? weights[i] : 1.0) * s.variance[i];
    if (!best || left < bestLeft - 1e-9) {
      best = c + 1;
      bestLeft = left;
    }
  }
  return best;
}

}  // namespace kelvo6::calib
