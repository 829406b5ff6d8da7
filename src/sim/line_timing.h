#pragma once
// The time bytes take on the serial line, so that the simulated ECU answers no
// faster than a real one at the same baud rate. A byte is 10 bits on the line
// (start, 8 data, stop). The line is full duplex: requests and answers travel
// on their own wires, but each wire carries one byte at a time. So a request
// has arrived only when its last byte has, and an answer cannot start before
// its request has arrived (plus the ECU's latency) nor before the previous
// answer has fully left; it is handed on when its last byte has left.
// At baud 0 bytes take no time (no pacing).

#include <cstddef>
#include <cstdint>

namespace kelvo6::sim {

class LineTiming {
 public:
  // A moment on the line, in its own unit: 1/baud of a millisecond (1 ms
  // without pacing), so that byte times add up without rounding.
  using Instant = std::int64_t;

  // 0 switches pacing off; negative values count as 0.
  void setBaud(int baud);
  int baud() const { return baud_; }

  // Bytes from the PC, first seen at nowMs: the moment their last byte has arrived.
  Instant arrive(std::size_t bytes, std::int64_t nowMs);
  Instant later(Instant t, std::int64_t ms) const { return t + ms * unitsPerMs(); }
  // An answer piece ready to leave at `ready`: the time (ms, rounded up) its last byte has left.
  std::int64_t send(std::size_t bytes, Instant ready);
  // When the last byte sent so far has left.
  Instant outboundFree() const { return outboundFree_; }
  // Keeps the answer wire quiet for this long after what was sent last.
  void quiet(std::int64_t ms) { outboundFree_ = later(outboundFree_, ms); }

 private:
  std::int64_t unitsPerMs() const { return baud_ > 0 ? baud_ : 1; }
  std::int64_t duration(std::size_t bytes) const;

  int baud_ = 0;
  Instant inboundFree_ = 0;
  Instant outboundFree_ = 0;
};

}  // namespace kelvo6::sim
