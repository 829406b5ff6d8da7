#pragma once
// Turns the serial byte stream into whole frames. A frame is delivered as soon
// as all the bytes its length byte (byte 4) promises have arrived, and only
// when it is plausible as a whole: a known type with a length that fits that
// type. While the stream is in step (at the start, after a quiet line, right
// after a delivered frame) that is enough. Once it has lost step (bytes that
// could not start a frame were skipped, or a partial frame was dropped at an
// idle gap), a frame must also end where the received bytes end or be followed
// directly by another plausible frame; otherwise the chunker slides on by one
// byte. So stray bytes never hide the answer behind them.
//
// A partial frame dropped at an idle gap still says how many bytes it lacked.
// When exactly that many bytes arrive next and end where a frame may start,
// they are its tail and are skipped whole, so nothing inside them (the last
// bytes of a live-data answer, say) is taken for an answer of its own.

#include <cstdint>
#include <vector>

#include "link/frame.h"
#include "link/layouts.h"

namespace kelvo6::link {

class Chunker {
 public:
  // USB adapters hold received bytes for up to 16 ms before passing them on, so
  // the gap must be longer than that, yet shorter than any screen's poll period.
  static constexpr int kDefaultIdleGapMs = 30;
  // At slow rates a single character takes longer than that (91 ms at 110
  // baud): the gap must also outlast two characters on the line, or every
  // answer is cut apart between its own bytes.
  static constexpr int idleGapForBaud(int baud) {
    int twoCharactersMs = baud > 0 ? (2 * 10 * 1000 + baud - 1) / baud : 0;
    return twoCharactersMs + 16 > kDefaultIdleGapMs ? twoCharactersMs + 16 : kDefaultIdleGapMs;
  }

  explicit Chunker(FrameShapes shapes = FrameShapes::answers(), int idleGapMs = kDefaultIdleGapMs)
      : shapes_(shapes), idleGapMs_(idleGapMs) {}
  explicit Chunker(int idleGapMs) : Chunker(FrameShapes::answers(), idleGapMs) {}

  // Bytes that arrived at time nowMs; returns the frames completed by them.
  std::vector<Bytes> feed(const std::uint8_t* data, std::size_t size, std::int64_t nowMs);
  std::vector<Bytes> feed(const Bytes& bytes, std::int64_t nowMs) {
    return feed(bytes.data(), bytes.size(), nowMs);
  }

  std::size_t buffered() const { return buffer_.size(); }
  int idleGapMs() const { return idleGapMs_; }
  void setIdleGapMs(int ms) { idleGapMs_ = ms; }
  void reset() {
    buffer_.clear();
    inStep_ = true;
    tailLeft_ = 0;
  }

 private:
  // Whether a frame may start at `at` (needs the five bytes up to its type).
  bool plausibleAt(std::size_t at) const;
  enum class Edge { kProven, kUnproven, kUndecided };
  // What lies at `end` for a frame ending there: the end of the received
  // bytes or a plausible frame (proven), something else, or too little to tell.
  Edge edgeAt(std::size_t end) const;
  // The line fell quiet with bytes pending: drop them, noting the tail a
  // partial frame among them still lacks.
  void dropPartial();

  FrameShapes shapes_;
  int idleGapMs_;
  Bytes buffer_;
  bool inStep_ = true;
  std::size_t tailLeft_ = 0;  // bytes the partial frame dropped last still lacked
  std::int64_t lastArrivalMs_ = 0;
};

}  // namespace kelvo6::link
