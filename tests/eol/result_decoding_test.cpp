#include "eol/result_decoding.h"

#include <gtest/gtest.h>

#include <set>

namespace kelvo6::eol {
namespace {

using Injectors = std::array<int, 8>;
using Checks = std::array<int, 9>;

std::set<int> redLamps(const DecodedResults& d) {
  std::set<int> red;
  for (int lamp = 0; lamp < kLampCount; ++lamp)
    if (isResultLamp(lamp) && d.red[static_cast<std::size_t>(lamp)]) red.insert(lamp);
  return red;
}

TEST(ResultDecoding, AllZeroBytesPassEveryCheck) {
  DecodedResults d = decodeResults(Injectors{}, Checks{});
  EXPECT_TRUE(redLamps(d).empty());
  for (bool e : d.emulation) EXPECT_FALSE(e);
  EXPECT_FALSE(isResultLamp(kPowerLatchLamp));
  EXPECT_FALSE(isResultLamp(kWatchDogLamp));
}

TEST(ResultDecoding, BitTestedBytesAreReadFromTheHighestBitDown) {
  // 0x12: BUZZER (bit 4) and TPS_ANALOGICO (bit 1) fail.
  Checks c{};
  c[2] = 0x12;
  EXPECT_EQ(redLamps(decodeResults(Injectors{}, c)), (std::set<int>{41, 36}));

  c = {};
  c[4] = 5;  // LAMBDA2 and LED3, not LAMBDA1
  EXPECT_EQ(redLamps(decodeResults(Injectors{}, c)), (std::set<int>{35, 49}));

  c = {};
  c[6] = 1;  // bit 0 alone: PRESSIONE2
  EXPECT_EQ(redLamps(decodeResults(Injectors{}, c)), (std::set<int>{33}));
  c[6] = 8;  // bit 3 alone: EMUL_LAMBDA2
  EXPECT_EQ(redLamps(decodeResults(Injectors{}, c)), (std::set<int>{40}));

  c = {};
  c[7] = 2;  // BATTERIA only; SENSORI needs exactly 1 left
  EXPECT_EQ(redLamps(decodeResults(Injectors{}, c)), (std::set<int>{52}));
  c[7] = 4;  // above the tested bits: 2 is left after BATTERIA, which is not 1
  EXPECT_EQ(redLamps(decodeResults(Injectors{}, c)), (std::set<int>{52}));
}

TEST(ResultDecoding, ForOneBytesFailOnlyOnExactlyOne) {
  Checks c{};
  c[0] = 3;
  EXPECT_TRUE(redLamps(decodeResults(Injectors{}, c)).empty()) << "3 is not 1: RELE_GAS and PRESSIONE1 pass";
  c[0] = 1;
  EXPECT_EQ(redLamps(decodeResults(Injectors{}, c)), (std::set<int>{42, 32}));
  c[0] = 255;
  EXPECT_TRUE(redLamps(decodeResults(Injectors{}, c)).empty());
}

TEST(ResultDecoding, EachCheckByteReachesExactlyItsOwnLamps) {
  struct Case {
    int byte, value;
    std::set<int> red;
  };
  const Case cases[] = {
      {1, 1, {42, 32}},  {2, 1, {51, 43}}, {3, 0x1F, {41, 46, 45, 36, 47}}, {4, 1, {48, 38}},
      {5, 7, {35, 34, 49}}, {6, 1, {50, 37}}, {7, 0x0F, {40, 39, 44, 33}},  {8, 3, {52, 53}},
      {9, 1, {54}},
  };
  for (const Case& k : cases) {
    Checks c{};
    c[static_cast<std::size_t>(k.byte - 1)] = k.value;
    EXPECT_EQ(redLamps(decodeResults(Injectors{}, c)), k.red) << "check byte " << k.byte;
  }
}

TEST(ResultDecoding, InjectorStatusPaintsItsRowAndThePairLampFollowsBothEmulationFlags) {
  Injectors s{};
  s[2] = 0x0D;  // injector 3: STAT, EMUL and IN fail, OUT passes
  DecodedResults d = decodeResults(s, Checks{});
  EXPECT_EQ(redLamps(d), (std::set<int>{8, 9, 11}));
  EXPECT_TRUE(d.emulation[2]);
  EXPECT_FALSE(d.red[static_cast<std::size_t>(pairLamp(2))]) << "injector 4 does not emulate";

  s[3] = 0x04;  // injector 4 emulates too
  d = decodeResults(s, Checks{});
  EXPECT_EQ(redLamps(d), (std::set<int>{8, 9, 11, 13, pairLamp(2)}));

  // Rows beyond the cylinder count are decoded as well.
  s = {};
  s[6] = 4;
  s[7] = 4;
  d = decodeResults(s, Checks{});
  EXPECT_EQ(redLamps(d), (std::set<int>{emulLamp(7), emulLamp(8), pairLamp(4)}));
}

TEST(LampVisibility, CylinderCountShowsItsRowsAndPairLamps) {
  EXPECT_TRUE(lampVisible(15, 4));
  EXPECT_FALSE(lampVisible(16, 4));
  EXPECT_TRUE(lampVisible(pairLamp(2), 4));
  EXPECT_FALSE(lampVisible(pairLamp(3), 4));
  EXPECT_TRUE(lampVisible(23, 6));
  EXPECT_FALSE(lampVisible(24, 6));
  EXPECT_TRUE(lampVisible(pairLamp(3), 6));
  EXPECT_FALSE(lampVisible(pairLamp(4), 6));
  EXPECT_TRUE(lampVisible(31, 8));
  EXPECT_TRUE(lampVisible(pairLamp(4), 8));
  for (int lamp = 32; lamp <= 56; ++lamp) EXPECT_TRUE(lampVisible(lamp, 4)) << lamp;
}

}  // namespace
}  // namespace kelvo6::eol
