#include "link/chunker.h"

namespace kelvo6::link {

namespace {
// No response is shorter than header, length and type.
constexpr std::size_t kMinResponse = 5;
}  // namespace

std::vector<Bytes> Chunker::feed(const std::uint8_t* data, std::size_t size, std::int64_t nowMs) {
  std::vector<Bytes> chunks;
  if (!buffer_.empty() && nowMs - lastArrivalMs_ > idleGapMs_) buffer_.clear();
  if (size == 0) return chunks;
  lastArrivalMs_ = nowMs;
  buffer_.insert(buffer_.end(), data, data + size);

  while (buffer_.size() >= 4) {
    std::size_t length = buffer_[3];
    if (length < kMinResponse) {
      // Cannot be the start of a response: a stray byte ahead of one. Slide by
      // one byte so the response behind it is still found.
      buffer_.erase(buffer_.begin());
      continue;
    }
    if (buffer_.size() < length) break;
    chunks.emplace_back(buffer_.begin(), buffer_.begin() + static_cast<std::ptrdiff_t>(length));
    buffer_.erase(buffer_.begin(), buffer_.begin() + static_cast<std::ptrdiff_t>(length));
  }
  return chunks;
}

}  // namespace kelvo6::link
