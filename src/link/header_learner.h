#pragma once
// Learns the three header bytes the ECU puts in front of its answers, from
// the whole answers of the handshake: once the software version, the
// parameter set and the table have all come with the same three bytes, those
// are the ECU's. One answer is not enough: stray bytes that happen to frame
// an answer, or an ECU whose header bytes vary, must not lock the line to a
// header it does not always send. Until then nothing is learned and the
// receive path takes frames whatever their header.

#include <array>
#include <optional>

#include "link/chunker.h"
#include "link/frame.h"

namespace kelvo6::link {

class HeaderLearner {
 public:
  // An answer the dispatcher acted on; returns the header once it is learned.
  std::optional<Header> observe(const Bytes& frame);
  void reset() {
    seen_ = {};
    learned_.reset();
  }

 private:
  std::array<std::optional<Header>, 3> seen_;  // version, parameter set, table
  std::optional<Header> learned_;
};

}  // namespace kelvo6::link
