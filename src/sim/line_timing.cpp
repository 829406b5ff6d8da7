#include "sim/line_timing.h"

#include <algorithm>

namespace kelvo6::sim {

namespace {
// 10 bits at `baud` take 10 000 / baud ms: 10 000 units of 1/baud ms.
constexpr std::int64_t kUnitsPerByte = 10000;

std::int64_t ceilDiv(std::int64_t a, std::int64_t b) { return a >= 0 ? (a + b - 1) / b : -((-a) / b); }
}  // namespace

void LineTiming::setBaud(int baud) {
  const std::int64_t before = unitsPerMs();
  baud_ = baud > 0 ? baud : 0;
  // Moments already on the line keep their time in milliseconds (rounded up).
  inboundFree_ = ceilDiv(inboundFree_ * unitsPerMs(), before);
  outboundFree_ = ceilDiv(outboundFree_ * unitsPerMs(), before);
}

std::int64_t LineTiming::duration(std::size_t bytes) const {
  return baud_ > 0 ? static_cast<std::int64_t>(bytes) * kUnitsPerByte : 0;
}

LineTiming::Instant LineTiming::arrive(std::size_t bytes, std::int64_t nowMs) {
  inboundFree_ = std::max(inboundFree_, nowMs * unitsPerMs()) + duration(bytes);
  return inboundFree_;
}

std::int64_t LineTiming::send(std::size_t bytes, Instant ready) {
  outboundFree_ = std::max(ready, outboundFree_) + duration(bytes);
  return ceilDiv(outboundFree_, unitsPerMs());
}

}  // namespace kelvo6::sim
