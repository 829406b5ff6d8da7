#pragma once
// The live-data requests on the line, oldest first, and which of them are the
// oscilloscope's. The ECU answers in order, one answer per request, so an
// answer belongs to the oldest request still waiting; a request unanswered
// within the time-out is taken as lost. Other windows' requests are on the
// list too, so that their answers are never taken for the oscilloscope's.

#include <cstdint>
#include <deque>

namespace kelvo6::scope {

class RequestLedger {
 public:
  void sent(bool own, std::int64_t atMs);
  // An answer arrived: true when it answers one of our requests.
  bool answered(std::int64_t atMs, int timeoutMs);
  // How many of our requests still wait for an answer at `nowMs`.
  int ownWaiting(std::int64_t nowMs, int timeoutMs);
  void clear() { line_.clear(); }

 private:
  void dropLost(std::int64_t nowMs, int timeoutMs);
  struct Request {
    bool own;
    std::int64_t atMs;
  };
  std::deque<Request> line_;
};

}  // namespace kelvo6::scope
