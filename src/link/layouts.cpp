#include "link/layouts.h"

namespace kelvo6::link {

namespace {
// By type 1..16; index 0 is unused.
constexpr std::array<std::uint8_t, 17> kAnswerLengths{0, 129, 9, 43, 5, 5, 5, 8, 69, 7, 25, 5, 5, 25, 5, 23, 13};
constexpr std::array<std::uint8_t, 17> kRequestLengths{0, 5, 9, 5, 5, 5, 5, 5, 5, 7, 7, 5, 5, 6, 6, 5, 5};

int lengthIn(const std::array<std::uint8_t, 17>& table, int code) {
  return code < 1 || code > 16 ? 0 : table[static_cast<std::size_t>(code)];
}
}  // namespace

int answerLength(int type) { return lengthIn(kAnswerLengths, type); }
int requestLength(int command) { return lengthIn(kRequestLengths, command); }

FrameShapes FrameShapes::answers() { return FrameShapes(kAnswerLengths, kAnswerSpare); }
FrameShapes FrameShapes::requests() { return FrameShapes(kRequestLengths, 0); }

}  // namespace kelvo6::link
