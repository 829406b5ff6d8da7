#pragma once
// Turns the serial byte stream into whole frames. A frame is delivered as soon
// as all the bytes its length byte (byte 4) promises have arrived, and only
// when it is plausible as a whole: a known type with a length that fits that
// type and, once the ECU's header is known, that header in bytes 1 to 3.
// While the stream is in step (at the start, after a quiet line, right after a
// delivered frame) that is enough. Once it has lost step (bytes that could not
// start a frame were skipped, or bytes were dropped at an idle gap), a frame
// must also end where the received bytes end or be followed directly by
// another plausible frame; otherwise the chunker slides on by one byte. So
// stray bytes never hide the answer behind them.
//
// A frame start whose claimed length is never met does not hold the bytes
// behind it: when the line falls quiet (idle gap) the buffered bytes are
// scanned again from the next position and every whole frame among them is
// delivered. Once the header is known, a frame start with the header inside
// another frame's claimed span ends that frame as cut short, and the header
// marks a frame start wherever it is, in step or not.
//
// Until the header is known, a partial frame dropped at an idle gap still says
// how many bytes it lacked; when exactly that many bytes arrive next and end
// where a frame may start, they are its tail and are skipped whole, so nothing
// inside them (the last bytes of a live-data answer, say) is taken for an
// answer of its own. Once the header is known the header itself tells a tail
// from an answer.

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "link/frame.h"
#include "link/layouts.h"

namespace kelvo6::link {

using Header = std::array<std::uint8_t, 3>;

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

  // Bytes that arrived at time nowMs; returns the frames completed by them
  // (and those found again in bytes held from before a quiet line).
  std::vector<Bytes> feed(const std::uint8_t* data, std::size_t size, std::int64_t nowMs);
  std::vector<Bytes> feed(const Bytes& bytes, std::int64_t nowMs) {
    return feed(bytes.data(), bytes.size(), nowMs);
  }
  // The line may have fallen quiet by nowMs: if it has, the held bytes are
  // scanned one last time and whatever whole frames they hold are returned.
  std::vector<Bytes> idle(std::int64_t nowMs);

  // From now on only frames that start with these bytes are taken.
  void expectHeader(const Header& header) { header_ = header; }
  const std::optional<Header>& expectedHeader() const { return header_; }
  void forgetHeader() { header_.reset(); }

  std::size_t buffered() const { return buffer_.size(); }
  int idleGapMs() const { return idleGapMs_; }
  void setIdleGapMs(int ms) { idleGapMs_ = ms; }
  // Drops the held bytes and the header: a new line, perhaps a new ECU.
  void reset() {
    buffer_.clear();
    inStep_ = true;
    tailLeft_ = 0;
    quiet_ = false;
    header_.reset();
  }

 private:
  // Whether a frame may start at `at` (needs the five bytes up to its type).
  bool plausibleAt(std::size_t at) const;
  enum class Edge { kProven, kUnproven, kUndecided };
  // What lies at `end` for a frame ending there: the end of the received
  // bytes or a plausible frame (proven), something else, or too little to
  // tell. With `final` no more bytes will come, so too little is unproven.
  Edge edgeAt(std::size_t end, bool final) const;
  // The first plausible frame start after `at` and before `end`, among the
  // bytes received; or nullopt.
  std::optional<std::size_t> startInside(std::size_t at, std::size_t end) const;
  // Delivers the whole frames in the buffer; with `final` (the line fell
  // quiet) every byte is judged now and the buffer ends empty. True when
  // bytes were skipped.
  bool scan(std::vector<Bytes>& frames, bool final);
  // The line fell quiet: judge the held bytes one last time.
  void flushIdle(std::vector<Bytes>& frames);

  FrameShapes shapes_;
  int idleGapMs_;
  Bytes buffer_;
  std::optional<Header> header_;
  bool inStep_ = true;
  bool quiet_ = false;        // the quiet line since the last arrival was handled
  std::size_t tailLeft_ = 0;  // bytes the partial frame dropped last still lacked
  std::int64_t lastArrivalMs_ = 0;
};

}  // namespace kelvo6::link
