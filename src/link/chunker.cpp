#include "link/chunker.h"

#include <algorithm>

namespace kelvo6::link {

namespace {
// Header, length and type: what it takes to judge whether a frame starts here.
constexpr std::size_t kJudged = 5;
}  // namespace

bool Chunker::plausibleAt(std::size_t at) const {
  if (header_ && !std::equal(header_->begin(), header_->end(), buffer_.begin() + static_cast<std::ptrdiff_t>(at)))
    return false;
  return shapes_.fits(buffer_[at + 4], buffer_[at + 3]);
}

Chunker::Edge Chunker::edgeAt(std::size_t end, bool final) const {
  std::size_t behind = buffer_.size() - end;
  if (behind == 0) return Edge::kProven;
  if (behind < kJudged) return final ? Edge::kUnproven : Edge::kUndecided;
  return plausibleAt(end) ? Edge::kProven : Edge::kUnproven;
}

std::optional<std::size_t> Chunker::startInside(std::size_t at, std::size_t end) const {
  if (buffer_.size() < kJudged) return std::nullopt;
  const std::size_t last = std::min(end, buffer_.size() - kJudged + 1);  // past the last start that can be judged
  const std::uint8_t first = header_ ? (*header_)[0] : 0;
  for (std::size_t j = at + 1; j < last; ++j) {
    // Only the header's first byte can start a frame once the header is known.
    if (header_) {
      auto next = std::find(buffer_.begin() + static_cast<std::ptrdiff_t>(j),
                            buffer_.begin() + static_cast<std::ptrdiff_t>(last), first);
      j = static_cast<std::size_t>(next - buffer_.begin());
      if (j >= last) break;
    }
    if (plausibleAt(j)) return j;
  }
  return std::nullopt;
}

bool Chunker::scan(std::vector<Bytes>& frames, bool final) {
  bool dropped = false;
  std::size_t at = 0;
  if (tailLeft_ > 0) {
    // The bytes after a dropped partial frame: its tail if they end where it
    // would end. Until that can be told, wait; once the line is quiet, fewer
    // bytes than it lacked are no tail.
    Edge edge = buffer_.size() < tailLeft_ ? (final ? Edge::kUnproven : Edge::kUndecided) : edgeAt(tailLeft_, final);
    if (edge == Edge::kUndecided) return false;
    if (edge == Edge::kProven) {
      at = tailLeft_;
      inStep_ = true;
      dropped = true;
    }
    tailLeft_ = 0;
  }
  auto skipTo = [&](std::size_t next) {
    at = next;
    inStep_ = false;
    dropped = true;
  };
  while (buffer_.size() - at >= kJudged) {
    if (!plausibleAt(at)) {
      skipTo(at + 1);  // cannot start a frame: slide on
      continue;
    }
    std::size_t end = at + buffer_[at + 3];
    if (header_) {
      // Another frame with the ECU's header inside the claimed span shows
      // that this one was cut short (or was stray bytes).
      if (auto inner = startInside(at, end)) {
        skipTo(*inner);
        continue;
      }
    }
    if (end > buffer_.size()) {
      if (!final) break;  // wait for the rest
      skipTo(at + 1);     // the rest never came
      continue;
    }
    // Out of step, a frame must prove where it ends; the ECU's header is
    // proof enough of where it starts.
    if (!inStep_ && !header_) {
      Edge edge = edgeAt(end, final);
      if (edge == Edge::kUndecided) break;  // wait for what follows
      if (edge == Edge::kUnproven) {
        skipTo(at + 1);
        continue;
      }
    }
    frames.emplace_back(buffer_.begin() + static_cast<std::ptrdiff_t>(at),
                        buffer_.begin() + static_cast<std::ptrdiff_t>(end));
    at = end;
    inStep_ = true;
  }
  if (final) {
    dropped = dropped || at < buffer_.size();
    buffer_.clear();
  } else {
    buffer_.erase(buffer_.begin(), buffer_.begin() + static_cast<std::ptrdiff_t>(at));
  }
  return dropped;
}

void Chunker::flushIdle(std::vector<Bytes>& frames) {
  quiet_ = true;
  if (buffer_.empty()) {
    inStep_ = true;  // a quiet line with nothing pending: the next byte starts a frame
    tailLeft_ = 0;
    return;
  }
  // A partial frame at the front may be a cut answer whose tail comes next.
  // Without the header to tell a tail from an answer, note what it lacks.
  std::size_t lacking = 0;
  if (!header_ && buffer_.size() >= kJudged && plausibleAt(0) && buffer_[3] > buffer_.size())
    lacking = buffer_[3] - buffer_.size();
  const std::size_t before = frames.size();
  const bool dropped = scan(frames, true);
  tailLeft_ = frames.size() == before ? lacking : 0;
  // After a quiet line the next frame starts the next burst; without the
  // header that is only sure when nothing was dropped.
  inStep_ = header_.has_value() || !dropped;
}

std::vector<Bytes> Chunker::feed(const std::uint8_t* data, std::size_t size, std::int64_t nowMs) {
  std::vector<Bytes> frames;
  if (size == 0) return frames;
  if (nowMs - lastArrivalMs_ > idleGapMs_ && !quiet_) flushIdle(frames);
  quiet_ = false;
  lastArrivalMs_ = nowMs;
  buffer_.insert(buffer_.end(), data, data + size);
  scan(frames, false);
  return frames;
}

std::vector<Bytes> Chunker::idle(std::int64_t nowMs) {
  std::vector<Bytes> frames;
  if (!quiet_ && nowMs - lastArrivalMs_ > idleGapMs_) flushIdle(frames);
  return frames;
}

}  // namespace kelvo6::link
