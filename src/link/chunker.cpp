#include "link/chunker.h"

namespace kelvo6::link {

namespace {
// Header, length and type: what it takes to judge whether a frame starts here.
constexpr std::size_t kJudged = 5;
}  // namespace

bool Chunker::plausibleAt(std::size_t at) const { return shapes_.fits(buffer_[at + 4], buffer_[at + 3]); }

Chunker::Edge Chunker::edgeAt(std::size_t end) const {
  std::size_t behind = buffer_.size() - end;
  if (behind == 0) return Edge::kProven;
  if (behind < kJudged) return Edge::kUndecided;
  return plausibleAt(end) ? Edge::kProven : Edge::kUnproven;
}

void Chunker::dropPartial() {
  tailLeft_ = 0;
  if (buffer_.size() >= kJudged && plausibleAt(0) && buffer_[3] > buffer_.size()) tailLeft_ = buffer_[3] - buffer_.size();
  buffer_.clear();
  inStep_ = false;
}

std::vector<Bytes> Chunker::feed(const std::uint8_t* data, std::size_t size, std::int64_t nowMs) {
  std::vector<Bytes> frames;
  if (size == 0) return frames;
  if (nowMs - lastArrivalMs_ > idleGapMs_) {
    if (buffer_.empty()) {
      inStep_ = true;  // a quiet line with nothing pending: the next byte starts a frame
      tailLeft_ = 0;
    } else {
      dropPartial();
    }
  }
  lastArrivalMs_ = nowMs;
  buffer_.insert(buffer_.end(), data, data + size);

  std::size_t at = 0;
  if (tailLeft_ > 0) {
    // The bytes after a dropped partial frame: its tail if they end where it
    // would end. Until that can be told, wait.
    Edge edge = buffer_.size() < tailLeft_ ? Edge::kUndecided : edgeAt(tailLeft_);
    if (edge == Edge::kUndecided) return frames;
    if (edge == Edge::kProven) {
      at = tailLeft_;
      inStep_ = true;
    }
    tailLeft_ = 0;
  }
  while (buffer_.size() - at >= kJudged) {
    if (!plausibleAt(at)) {
      ++at;  // cannot start a frame: slide on
      inStep_ = false;
      continue;
    }
    std::size_t end = at + buffer_[at + 3];
    if (end > buffer_.size()) break;  // wait for the rest
    if (!inStep_) {
      Edge edge = edgeAt(end);
      if (edge == Edge::kUndecided) break;  // wait for what follows
      if (edge == Edge::kUnproven) {
        ++at;
        continue;
      }
    }
    frames.emplace_back(buffer_.begin() + static_cast<std::ptrdiff_t>(at),
                        buffer_.begin() + static_cast<std::ptrdiff_t>(end));
    at = end;
    inStep_ = true;
  }
  buffer_.erase(buffer_.begin(), buffer_.begin() + static_cast<std::ptrdiff_t>(at));
  return frames;
}

}  // namespace kelvo6::link
