#pragma once
// Thins a trace to what a screen of a given width can show: per pixel column
// the lowest and the highest value in their order of time, so that a spike of
// one sample among a hundred thousand still shows.

#include <cstdint>
#include <vector>

namespace kelvo6::datalog {

struct TracePoint {
  std::int64_t tMs;
  std::int32_t value;
};

// The points of (times, values) to draw between t0 and t1 over `columns`
// pixel columns: the last sample before t0 and the first after t1 are kept so
// that the line runs to the edges, and the first and last of the span are
// always among the points. Where the span holds fewer samples than
// twice the columns, every sample in it is returned.
std::vector<TracePoint> decimate(const std::vector<std::int64_t>& times, const std::vector<std::int32_t>& values,
                                 std::int64_t t0, std::int64_t t1, int columns);

}  // namespace kelvo6::datalog
