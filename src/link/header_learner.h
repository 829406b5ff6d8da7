#pragma once
// Learns the three header bytes the ECU puts in front of its answers, from
// the whole answers of the handshake (software version, parameter set,
// table): once two of them in a row carry the same three bytes, those are the
// ECU's. A single answer is not enough: stray bytes that happen to frame an
// answer must not lock the line to a header the ECU never sends.

#include <optional>

#include "link/chunker.h"
#include "link/frame.h"

namespace kelvo6::link {

class HeaderLearner {
 public:
  // An answer the dispatcher acted on; returns the header once it is learned.
  std::optional<Header> observe(const Bytes& frame);
  void reset() {
    candidate_.reset();
    learned_.reset();
  }

 private:
  std::optional<Header> candidate_;
  std::optional<Header> learned_;
};

}  // namespace kelvo6::link
