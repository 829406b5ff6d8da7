#include "link/frame.h"

namespace kelvo6::link {

Bytes buildRequest(int command, const Bytes& data) {
  Bytes frame{kStart1, kStart2, 0x00, static_cast<std::uint8_t>(5 + data.size()),
              static_cast<std::uint8_t>(command)};
  frame.insert(frame.end(), data.begin(), data.end());
  return frame;
}

std::optional<Response> acceptChunk(const Bytes& chunk) {
  if (chunk.size() < 4) return std::nullopt;
  if (chunk[3] != chunk.size()) return std::nullopt;
  return Response(chunk);
}

}  // namespace kelvo6::link
