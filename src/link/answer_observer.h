#pragma once
// Told after the receive path has acted on an answer: its type (1..16) and the
// scheduler's time when it was handled. The oscilloscope paces its requests by
// it and the recorders take their samples from it, without reading the port.
// It is also told of each request written to the line, so that it can tell
// which answers belong to its own requests.

#include <cstdint>

namespace kelvo6::link {

class AnswerObserver {
 public:
  virtual ~AnswerObserver() = default;
  virtual void answerHandled(int type, std::int64_t atMs) = 0;
  virtual void requestSent(int /*command*/, std::int64_t /*atMs*/) {}
};

}  // namespace kelvo6::link
