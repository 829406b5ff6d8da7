#pragma once
// How long each frame is, by its type (byte 5): the answers the ECU sends and
// the requests the tool sends. One table, read by the dispatcher (the positions
// an answer holds), the chunker (what may be a whole frame) and the simulator.

#include <array>
#include <cstdint>

namespace kelvo6::link {

// Length of the answer of each type as the ECU sends it; the dispatcher reads
// up to this position. 0 for a type outside 1..16.
int answerLength(int type);
// Length of each request as the tool builds it. 0 for a code outside 1..16.
int requestLength(int command);

// The frames a receiver may take as whole: a type 1..16 whose length byte lies
// from that type's usual length up to `spare` bytes more.
class FrameShapes {
 public:
  // Answers may carry a few bytes more than the tool reads (a firmware that
  // appends a field); no more, so a wrong length byte cannot hold the line for
  // much longer than the real answer of that type would.
  static constexpr int kAnswerSpare = 8;
  static FrameShapes answers();
  // Requests are the tool's own frames: exactly their length.
  static FrameShapes requests();

  bool fits(int type, int length) const {
    if (type < 1 || type > 16) return false;
    auto t = static_cast<std::size_t>(type);
    return length >= shortest_[t] && length <= shortest_[t] + spare_;
  }

 private:
  FrameShapes(const std::array<std::uint8_t, 17>& shortest, int spare) : shortest_(shortest), spare_(spare) {}
  std::array<std::uint8_t, 17> shortest_;
  int spare_;
};

}  // namespace kelvo6::link
