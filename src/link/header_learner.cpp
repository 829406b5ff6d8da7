#include "link/header_learner.h"

#include "link/requests.h"

namespace kelvo6::link {

std::optional<Header> HeaderLearner::observe(const Bytes& frame) {
  if (learned_ || frame.size() < 5) return learned_;
  const int type = frame[4];
  if (type != kReadSoftwareVersion && type != kReadParameterSet && type != kReadTable) return learned_;
  const Header header{frame[0], frame[1], frame[2]};
  if (candidate_ == header) learned_ = header;
  candidate_ = header;
  return learned_;
}

}  // namespace kelvo6::link
