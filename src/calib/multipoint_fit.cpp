#include "calib/multipoint_fit.h"

#include <algorithm>
#include <cstdint>
#include <numeric>
#include <vector>

#include "calib/auto_calibration.h"
#include "core/rounding.h"

namespace kelvo6::calib {

namespace {

using Int = std::int64_t;

// An exact fraction num / den, den > 0, kept in lowest terms.
struct Ratio {
  Int num = 0;
  Int den = 1;
  Ratio() = default;
  Ratio(Int n, Int d = 1) : num(d < 0 ? -n : n), den(d < 0 ? -d : d) {
    Int g = std::gcd(num, den);
    if (g > 1) {
      num /= g;
      den /= g;
    }
  }
  // Over the least common denominator, so that sums of many cells stay small.
  friend Ratio operator+(Ratio a, Ratio b) {
    Int l = std::lcm(a.den, b.den);
    return {a.num * (l / a.den) + b.num * (l / b.den), l};
  }
  friend Ratio operator-(Ratio a, Ratio b) { return a + Ratio(-b.num, b.den); }
  friend Ratio operator*(Ratio a, Ratio b) { return {a.num * b.num, a.den * b.den}; }
  friend Ratio operator/(Ratio a, Int d) { return {a.num, a.den * d}; }
  friend bool operator<(Ratio a, Ratio b) { return a.num * b.den < b.num * a.den; }
  friend bool operator==(Ratio a, Ratio b) { return a.num == b.num && a.den == b.den; }
};

// A measured cell: column (RPM) across as x, row (TINJ) down as y.
struct Node {
  Int x = 0, y = 0;
  Ratio value;
  bool atLimit = false;
};

// Twice the signed area of a, b, c: positive when they turn counter-clockwise.
Int orientation(const Node& a, const Node& b, const Node& c) {
  return (b.x - a.x) * (c.y - a.y) - (b.y - a.y) * (c.x - a.x);
}

// Whether d lies strictly inside the circle through a, b, c (not collinear).
bool insideCircle(const Node& a, const Node& b, const Node& c, Int dx, Int dy) {
  auto row = [&](const Node& p) {
    Int x = p.x - dx, y = p.y - dy;
    return std::array<Int, 3>{x, y, x * x + y * y};
  };
  auto [ax, ay, a2] = row(a);
  auto [bx, by, b2] = row(b);
  auto [cx, cy, c2] = row(c);
  Int det = ax * (by * c2 - b2 * cy) - ay * (bx * c2 - b2 * cx) + a2 * (bx * cy - by * cx);
  return orientation(a, b, c) > 0 ? det > 0 : det < 0;
}

struct Triangle {
  std::size_t a, b, c;
};

// Every triangle of nodes whose circle holds no other node.
std::vector<Triangle> delaunay(const std::vector<Node>& nodes) {
  std::vector<Triangle> out;
  const std::size_t n = nodes.size();
  for (std::size_t i = 0; i < n; ++i)
    for (std::size_t j = i + 1; j < n; ++j)
      for (std::size_t k = j + 1; k < n; ++k) {
        if (orientation(nodes[i], nodes[j], nodes[k]) == 0) continue;
        bool empty = true;
        for (std::size_t m = 0; m < n && empty; ++m)
          if (m != i && m != j && m != k && insideCircle(nodes[i], nodes[j], nodes[k], nodes[m].x, nodes[m].y))
            empty = false;
        if (empty) out.push_back({i, j, k});
      }
  return out;
}

// The value at (x, y) inside the triangle, or nullopt when it lies outside.
std::optional<Ratio> insideTriangle(const std::vector<Node>& nodes, const Triangle& t, Int x, Int y) {
  const Node &a = nodes[t.a], &b = nodes[t.b], &c = nodes[t.c];
  Int d = orientation(a, b, c);
  Node p{x, y, {}, false};
  // Each corner's weight is the area of the triangle the point makes with the other two.
  Int wa = orientation(p, b, c), wb = orientation(a, p, c), wc = orientation(a, b, p);
  bool inside = d > 0 ? (wa >= 0 && wb >= 0 && wc >= 0) : (wa <= 0 && wb <= 0 && wc <= 0);
  if (!inside) return std::nullopt;
  return (a.value * Ratio(wa) + b.value * Ratio(wb) + c.value * Ratio(wc)) / d;
}

struct Nearest {
  Ratio distance2;
  Int length2 = 0;
  Ratio value;
};

// The point of segment p-q nearest to (x, y): its squared distance and value.
Nearest nearestOnSegment(const Node& p, const Node& q, Int x, Int y) {
  Int ux = q.x - p.x, uy = q.y - p.y;
  Int length2 = ux * ux + uy * uy;
  Int along = (x - p.x) * ux + (y - p.y) * uy;
  auto squared = [](Int dx, Int dy) { return Ratio(dx * dx + dy * dy); };
  if (length2 == 0 || along <= 0) return {squared(x - p.x, y - p.y), length2, p.value};
  if (along >= length2) return {squared(x - q.x, y - q.y), length2, q.value};
  // (x, y) - (p + t u) with t = along / length2, scaled by length2.
  Int ex = (x - p.x) * length2 - along * ux, ey = (y - p.y) * length2 - along * uy;
  Ratio t(along, length2);
  return {Ratio(ex * ex + ey * ey, length2 * length2), length2, p.value + t * (q.value - p.value)};
}

// The measured cells: each cell's points, the trusted ones if it has any.
std::vector<Node> measuredCells(std::span<const MeasuredPoint> points, const std::array<int, 8>& rpmAxis,
                                const std::array<int, 8>& tinjAxis) {
  struct Sum {
    Int trusted = 0, trustedCount = 0, limit = 0, limitCount = 0;
  };
  std::array<Sum, 64> sums{};
  for (const MeasuredPoint& p : points) {
    core::GridCell cell = core::cellAt(p.rpm, p.injectionTime, rpmAxis, tinjAxis);
    Sum& s = sums[static_cast<std::size_t>(cell.number() - 1)];
    Int k = std::clamp(p.k, 0, 255);
    if (p.atLimit) {
      s.limit += k;
      ++s.limitCount;
    } else {
      s.trusted += k;
      ++s.trustedCount;
    }
  }
  std::vector<Node> nodes;
  for (int n = 0; n < 64; ++n) {
    const Sum& s = sums[static_cast<std::size_t>(n)];
    if (s.trustedCount > 0)
      nodes.push_back({n % 8, n / 8, Ratio(s.trusted, s.trustedCount), false});
    else if (s.limitCount > 0)
      nodes.push_back({n % 8, n / 8, Ratio(s.limit, s.limitCount), true});
  }
  return nodes;
}

int rounded(Ratio r) { return static_cast<int>(std::clamp<Int>(core::roundedQuotient(r.num, r.den), 0, 255)); }

}  // namespace

std::optional<TableFit> fitTable(std::span<const MeasuredPoint> points, const std::array<int, 8>& rpmAxis,
                                 const std::array<int, 8>& tinjAxis) {
  std::vector<Node> nodes = measuredCells(points, rpmAxis, tinjAxis);
  if (nodes.empty()) return std::nullopt;
  std::vector<Triangle> triangles = delaunay(nodes);
  TableFit fit;
  for (Int y = 0; y < 8; ++y)
    for (Int x = 0; x < 8; ++x) {
      auto index = static_cast<std::size_t>(8 * y + x);
      auto own = std::find_if(nodes.begin(), nodes.end(), [&](const Node& n) { return n.x == x && n.y == y; });
      if (own != nodes.end()) {
        fit.cells[index] = rounded(own->value);
        fit.basis[index] = own->atLimit ? CellBasis::kAtLimit : CellBasis::kMeasured;
        continue;
      }
      Ratio sum;
      Int count = 0;
      for (const Triangle& t : triangles)
        if (auto v = insideTriangle(nodes, t, x, y)) {
          sum = sum + *v;
          ++count;
        }
      if (count > 0) {
        fit.cells[index] = rounded(sum / count);
        fit.basis[index] = CellBasis::kInterpolated;
        continue;
      }
      // Outside the measured area: the nearest point of its edge. Where edges
      // of points in one line overlap, the shortest holds the points next to
      // each other.
      std::optional<Nearest> best;
      for (std::size_t i = 0; i < nodes.size(); ++i)
        for (std::size_t j = i; j < nodes.size(); ++j) {
          Nearest n = nearestOnSegment(nodes[i], nodes[j], x, y);
          if (!best || n.distance2 < best->distance2 ||
              (n.distance2 == best->distance2 && n.length2 < best->length2))
            best = n;
        }
      fit.cells[index] = rounded(best->value);
      fit.basis[index] = best->distance2 == Ratio(0) ? CellBasis::kInterpolated : CellBasis::kExtrapolated;
    }
  return fit;
}

int startingKgb(std::span<const MeasuredPoint> points, int rpm, int injectionTime, const std::array<int, 8>& rpmAxis,
                const std::array<int, 8>& tinjAxis, int fallback) {
  int k = fallback;
  if (auto fit = fitTable(points, rpmAxis, tinjAxis)) {
    core::GridCell cell = core::cellAt(rpm, injectionTime, rpmAxis, tinjAxis);
    k = fit->cells[static_cast<std::size_t>(cell.number() - 1)];
  }
  return std::clamp(k, kAutoKgbMin, kAutoKgbMax);
}

}  // namespace kelvo6::calib
