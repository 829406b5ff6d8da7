#include "link/plausibility.h"

#include <gtest/gtest.h>

#include <optional>

namespace kelvo6::link {
namespace {

using Kind = PlausibilityNote::Kind;

// A four-cylinder LPG car as the workshop sets it up: plausible throughout.
ParamValues typicalCar() {
  ParamValues v{};
  const std::pair<int, int> values[] = {
      {1, 4},     {2, 4},    {3, 2},    {4, 350},  {5, 600},  {6, 1000}, {7, 70},   {8, 30},   {9, 0},
      {10, 0},    {11, 120}, {12, 2300}, {13, 50}, {14, 50},  {15, 0},   {16, 10},  {17, 30},  {18, 60},
      {19, 0},    {20, 5000}, {21, 0},  {22, 100}, {23, 1100}, {24, 0},  {25, 1500}, {26, 0},  {27, 10},
      {28, 84},   {29, 1300}, {30, 400}, {31, 2500}, {32, 1000}, {33, 0}, {50, 2},  {51, 350}, {52, 600},
      {53, 1000}, {54, 70},  {55, 30},  {56, 0},   {57, 0},   {58, 1},   {59, 1},   {60, 800}, {61, 1},
      {62, 0},
  };
  for (auto [n, value] : values) v[static_cast<std::size_t>(n - 1)] = value;
  const int rpm[] = {650, 1000, 2000, 3000, 4000, 5000, 6000, 7000};
  const int tinj[] = {2000, 3500, 5000, 7000, 9000, 11000, 13000, 15000};
  for (std::size_t i = 0; i < 8; ++i) {
    v[33 + i] = rpm[i];
    v[41 + i] = tinj[i];
  }
  return v;
}

ParamValues with(ParamValues v, std::initializer_list<std::pair<int, int>> changes) {
  for (auto [n, value] : changes) v[static_cast<std::size_t>(n - 1)] = value;
  return v;
}

TEST(Plausibility, ATypicalCarRaisesNoNote) {
  const ParamValues car = typicalCar();
  for (int n = 1; n <= 62; ++n) EXPECT_EQ(plausibilityNote(n, car), std::nullopt) << "parameter " << n;
  EXPECT_EQ(plausibilityNote(0, car), std::nullopt);
  EXPECT_EQ(plausibilityNote(63, car), std::nullopt);
}

TEST(Plausibility, CountsOptionsAndPercentagesHaveTheirRanges) {
  const ParamValues car = typicalCar();
  EXPECT_EQ(plausibilityNote(1, with(car, {{1, 0}})), (PlausibilityNote{1, Kind::kRange, 1, 8, 0, 0}));
  EXPECT_TRUE(plausibilityNote(2, with(car, {{2, 9}})));
  EXPECT_FALSE(plausibilityNote(2, with(car, {{2, 8}})));
  EXPECT_TRUE(plausibilityNote(58, with(car, {{58, 3}})));
  EXPECT_TRUE(plausibilityNote(54, with(car, {{54, 101}})));
  EXPECT_TRUE(plausibilityNote(24, with(car, {{24, 9}})));
  EXPECT_TRUE(plausibilityNote(31, with(car, {{31, 12000}})));
  // Values whose meaning sets no clear bound are never judged.
  EXPECT_FALSE(plausibilityNote(29, with(car, {{29, 65535}})));
  EXPECT_FALSE(plausibilityNote(32, with(car, {{32, 0}})));
}

TEST(Plausibility, LambdaThresholdsFollowTheirSensorType) {
  const ParamValues car = typicalCar();  // probe 1 straight 0-1 V
  EXPECT_EQ(plausibilityNote(4, with(car, {{4, 1200}, {5, 1300}})), (PlausibilityNote{4, Kind::kRange, 0, 1000, 0, 0}));
  EXPECT_FALSE(plausibilityNote(4, with(car, {{3, 0}, {4, 1200}, {5, 1300}}))) << "0-5 V sensor";

  // Lean at or above rich, on a straight sensor: both say so.
  const ParamValues crossed = with(car, {{51, 700}, {52, 600}});
  EXPECT_EQ(plausibilityNote(51, crossed), (PlausibilityNote{51, Kind::kBelow, 0, 0, 52, 600}));
  EXPECT_EQ(plausibilityNote(52, crossed), (PlausibilityNote{52, Kind::kAbove, 0, 0, 51, 700}));
  // An inverted sensor's order is not judged.
  EXPECT_FALSE(plausibilityNote(51, with(crossed, {{50, 3}})));
  EXPECT_FALSE(plausibilityNote(52, with(crossed, {{50, 1}})));
  // An unknown sensor type is itself the note; its thresholds are not judged.
  EXPECT_TRUE(plausibilityNote(50, with(crossed, {{50, 7}})));
  EXPECT_FALSE(plausibilityNote(51, with(crossed, {{50, 7}})));
}

// Temperatures are held unsigned like every parameter: 65526 is implausible,
// not -10 degrees. The limits may be equal but not crossed.
TEST(Plausibility, TemperaturesAreUnsignedAndTheirLimitsInOrder) {
  const ParamValues car = typicalCar();
  struct Case {
    int param;
    std::initializer_list<std::pair<int, int>> values;
    std::optional<PlausibilityNote> note;
  };
  const Case cases[] = {
      {13, {{13, 65526}}, PlausibilityNote{13, Kind::kRange, 0, 150, 0, 0}},
      {28, {{28, 151}}, PlausibilityNote{28, Kind::kRange, 0, 150, 0, 0}},
      {13, {{13, 0}}, std::nullopt},
      {10, {{10, 0}, {11, 0}}, std::nullopt},  // limits left at zero
      {10, {{10, 90}, {11, 80}}, PlausibilityNote{10, Kind::kNotAbove, 0, 0, 11, 80}},
      {11, {{10, 90}, {11, 80}}, PlausibilityNote{11, Kind::kNotBelow, 0, 0, 10, 90}},
      {11, {{10, 80}, {11, 80}}, std::nullopt},
  };
  for (const Case& c : cases) EXPECT_EQ(plausibilityNote(c.param, with(car, c.values)), c.note) << c.param;
}

TEST(Plausibility, AxesAndLevelThresholdsRiseAndTheLevelSpanIsNotEmpty) {
  const ParamValues car = typicalCar();
  const ParamValues axis = with(car, {{36, 900}});  // RPM point 3 below point 2 (1000)
  EXPECT_EQ(plausibilityNote(36, axis), (PlausibilityNote{36, Kind::kAbove, 0, 0, 35, 1000}));
  EXPECT_EQ(plausibilityNote(35, axis), (PlausibilityNote{35, Kind::kBelow, 0, 0, 36, 900}));
  EXPECT_FALSE(plausibilityNote(34, axis));
  EXPECT_TRUE(plausibilityNote(49, with(car, {{49, 13000}})));

  EXPECT_EQ(plausibilityNote(17, with(car, {{17, 10}})), (PlausibilityNote{17, Kind::kAbove, 0, 0, 16, 10}));
  EXPECT_EQ(plausibilityNote(17, with(car, {{17, 70}})), (PlausibilityNote{17, Kind::kBelow, 0, 0, 18, 60}));

  EXPECT_EQ(plausibilityNote(20, with(car, {{20, 0}})), (PlausibilityNote{20, Kind::kDifferent, 0, 0, 19, 0}));
  EXPECT_FALSE(plausibilityNote(20, with(car, {{19, 4000}, {20, 1000}}))) << "a falling sender";
}

// A value judged against another parameter names it, in the same language.
TEST(Plausibility, WarningTextsCarryTheNumbersAndNameTheOtherParameter) {
  const PlausibilityNote range{13, Kind::kRange, 0, 150, 0, 0};
  EXPECT_EQ(plausibilityText(range, 2), "Unusual value: expected 0 to 150");
  EXPECT_EQ(plausibilityText(range, 9), plausibilityText(range, 1));
  struct Case {
    PlausibilityNote note;
    int language;
    const char* text;
  };
  const Case cases[] = {
      {{1, Kind::kRange, 1, 8, 0, 0}, 1, "Valore insolito: previsto da 1 a 8"},
      {{4, Kind::kBelow, 0, 0, 5, 600}, 2, "Unusual value: expected below 600 (lambda probe 1 rich threshold)"},
      {{20, Kind::kAbove, 0, 0, 19, 650}, 1, "Valore insolito: previsto maggiore di 650 (livello minimo)"},
      {{20, Kind::kDifferent, 0, 0, 19, 0}, 3, "Olagan disi deger: 0 (minimum seviye) degerinden farkli olmali"},
      {{10, Kind::kNotAbove, 0, 0, 11, 80}, 2, "Unusual value: expected at most 80 (maximum temperature)"},
      {{11, Kind::kNotBelow, 0, 0, 10, 90}, 3, "Olagan disi deger: en az 90 (minimum sicaklik) olmali"},
  };
  for (const Case& c : cases) EXPECT_EQ(plausibilityText(c.note, c.language), c.text);
}

}  // namespace
}  // namespace kelvo6::link
