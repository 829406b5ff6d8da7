#include "datalog/decimate.h"

#include <algorithm>

namespace kelvo6::datalog {

std::vector<TracePoint> decimate(const std::vector<std::int64_t>& times, const std::vector<std::int32_t>& values,
                                 std::int64_t t0, std::int64_t t1, int columns) {
  std::vector<TracePoint> out;
  const std::size_t n = std::min(times.size(), values.size());
  if (n == 0 || t1 < t0 || columns <= 0) return out;
  std::size_t first = static_cast<std::size_t>(std::lower_bound(times.begin(), times.begin() + static_cast<long>(n), t0) - times.begin());
  std::size_t last = static_cast<std::size_t>(std::upper_bound(times.begin(), times.begin() + static_cast<long>(n), t1) - times.begin());
  if (first > 0) --first;  // one before the span: the line enters from the left edge
  if (last < n) ++last;    // and one after
  const std::size_t count = last - first;
  if (count <= 2 * static_cast<std::size_t>(columns)) {
    out.reserve(count);
    for (std::size_t i = first; i < last; ++i) out.push_back({times[i], values[i]});
    return out;
  }
  out.reserve(2 * static_cast<std::size_t>(columns) + 4);
  const double span = static_cast<double>(t1 - t0 + 1);
  auto columnOf = [&](std::int64_t t) {
    if (t < t0) return -1;
    if (t > t1) return columns;
    return static_cast<int>(static_cast<double>(t - t0) * columns / span);
  };
  std::size_t i = first;
  while (i < last) {
    const int col = columnOf(times[i]);
    std::size_t lo = i, hi = i;
    std::size_t j = i + 1;
    for (; j < last && columnOf(times[j]) == col; ++j) {
      if (values[j] < values[lo]) lo = j;
      if (values[j] > values[hi]) hi = j;
    }
    if (lo == hi) {
      out.push_back({times[lo], values[lo]});
    } else {
      const std::size_t a = std::min(lo, hi), b = std::max(lo, hi);
      out.push_back({times[a], values[a]});
      out.push_back({times[b], values[b]});
    }
    i = j;
  }
  // The ends of the span as they are, so the line meets both edges.
  if (out.front().tMs != times[first]) out.insert(out.begin(), {times[first], values[first]});
  if (out.back().tMs != times[last - 1]) out.push_back({times[last - 1], values[last - 1]});
  return out;
}

}  // namespace kelvo6::datalog
