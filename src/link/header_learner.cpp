#include "link/header_learner.h"

#include <algorithm>

#include "link/requests.h"

namespace kelvo6::link {

std::optional<Header> HeaderLearner::observe(const Bytes& frame) {
  if (learned_ || frame.size() < 5) return learned_;
  const int type = frame[4];
  const int slot = type == kReadSoftwareVersion ? 0 : type == kReadParameterSet ? 1 : type == kReadTable ? 2 : -1;
  if (slot < 0) return learned_;
  seen_[static_cast<std::size_t>(slot)] = Header{frame[0], frame[1], frame[2]};
  if (std::all_of(seen_.begin(), seen_.end(), [&](const auto& h) { return h && *h == *seen_[0]; }))
    learned_ = seen_[0];
  return learned_;
}

}  // namespace kelvo6::link
