#pragma once
// Turns the serial byte stream into whole response chunks. A chunk is delivered
// as soon as the length in its byte 4 has arrived; a partial buffer is dropped
// when the line has been idle for longer than the idle gap, so a lost byte or
// line noise never blocks the answers that follow.

#include <cstdint>
#include <vector>

#include "link/frame.h"

namespace kelvo6::link {

class Chunker {
 public:
  // USB adapters hold received bytes for up to 16 ms before passing them on, so
  // the gap must be longer than that, yet shorter than any screen's poll period.
  static constexpr int kDefaultIdleGapMs = 30;

  explicit Chunker(int idleGapMs = kDefaultIdleGapMs) : idleGapMs_(idleGapMs) {}

  // Bytes that arrived at time nowMs; returns the chunks completed by them.
  std::vector<Bytes> feed(const std::uint8_t* data, std::size_t size, std::int64_t nowMs);
  std::vector<Bytes> feed(const Bytes& bytes, std::int64_t nowMs) {
    return feed(bytes.data(), bytes.size(), nowMs);
  }

  std::size_t buffered() const { return buffer_.size(); }
  void reset() { buffer_.clear(); }

 private:
  int idleGapMs_;
  Bytes buffer_;
  std::int64_t lastArrivalMs_ = 0;
};

}  // namespace kelvo6::link
