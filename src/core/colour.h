#pragma once
#include <cstdint>

namespace kelvo6::core {

struct Rgb {
  std::uint8_t r = 0, g = 0, b = 0;
  friend bool operator==(const Rgb&, const Rgb&) = default;
};

namespace colour {
constexpr Rgb kRed{255, 0, 0};
constexpr Rgb kBlue{0, 0, 255};
constexpr Rgb kGreen{0, 255, 0};
constexpr Rgb kYellow{255, 255, 0};
constexpr Rgb kDimRed{150, 0, 0};
constexpr Rgb kDimGreen{0, 150, 0};
constexpr Rgb kGrey{190, 190, 190};
constexpr Rgb kBlack{0, 0, 0};
constexpr Rgb kWhite{255, 255, 255};
// Label of the chosen option of a choice group, and of the others.
constexpr Rgb kChosen = kRed;
constexpr Rgb kNotChosen = kBlue;
}  // namespace colour

}  // namespace kelvo6::core
