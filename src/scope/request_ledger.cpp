#include "scope/request_ledger.h"

#include <algorithm>

namespace kelvo6::scope {

void RequestLedger::sent(bool own, std::int64_t atMs) { line_.push_back({own, atMs}); }

void RequestLedger::dropLost(std::int64_t nowMs, int timeoutMs) {
  while (!line_.empty() && line_.front().atMs <= nowMs - timeoutMs) line_.pop_front();
}

bool RequestLedger::answered(std::int64_t atMs, int timeoutMs) {
  dropLost(atMs, timeoutMs);
  if (line_.empty()) return false;  // a late answer to a request already given up
  const bool own = line_.front().own;
  line_.pop_front();
  return own;
}

int RequestLedger::ownWaiting(std::int64_t nowMs, int timeoutMs) {
  dropLost(nowMs, timeoutMs);
  return static_cast<int>(std::count_if(line_.begin(), line_.end(), [](const Request& r) { return r.own; }));
}

}  // namespace kelvo6::scope
