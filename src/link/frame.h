#pragma once
// Byte layout of requests and responses, and the acceptance test of a received chunk.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace kelvo6::link {

using Bytes = std::vector<std::uint8_t>;

constexpr std::uint8_t kStart1 = 0x50;  // 'P'
constexpr std::uint8_t kStart2 = 0x43;  // 'C'
constexpr int kMaxValue16 = 65535;

// A request: 0x50 0x43 0x00, total length, command code, data bytes.
Bytes buildRequest(int command, const Bytes& data = {});

// High and low byte of a 16-bit value. The value must lie in 0..65535; callers
// check before building (see link::fitsWire16).
inline std::uint8_t highByte(int value) { return static_cast<std::uint8_t>((value / 256) & 0xFF); }
inline std::uint8_t lowByte(int value) { return static_cast<std::uint8_t>(value % 256); }
inline bool fitsWire16(long long value) { return value >= 0 && value <= kMaxValue16; }
inline bool fitsWire8(long long value) { return value >= 0 && value <= 255; }

// A received chunk that passed acceptance; positions count from 1 as on the wire.
class Response {
 public:
  explicit Response(const Bytes& chunk) : bytes_(&chunk) {}
  int type() const { return byte(5); }
  std::size_t size() const { return bytes_->size(); }
  bool has(std::size_t lastPosition) const { return bytes_->size() >= lastPosition; }
  int byte(std::size_t position) const { return (*bytes_)[position - 1]; }
  // Two-byte value, high byte at `position`; always 0..65535.
  int word(std::size_t position) const { return byte(position) * 256 + byte(position + 1); }

 private:
  const Bytes* bytes_;
};

// Empty chunks, chunks shorter than 4 bytes and chunks whose byte 4 is not their
// own length are dropped (nullopt); anything else is handed to the dispatcher.
std::optional<Response> acceptChunk(const Bytes& chunk);

}  // namespace kelvo6::link
