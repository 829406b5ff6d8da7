#include "link/state_texts.h"

#include <gtest/gtest.h>

namespace kelvo6::link {
namespace {

std::optional<std::string> text(int code, int language, int version, int rpm = 2300, int temperature = 50) {
  return stateText(code, language, version, rpm, temperature);
}

TEST(StateText, NumbersFollowTheirTextsAfterTwoBlanks) {
  EXPECT_EQ(text(2, 1, 4, 2300, 35), "B->G ATTESA TEMPERATURA  35");
  EXPECT_EQ(text(4, 1, 4, 2300), "B->G ATTESA GIRI MINORI DI SOGLIA  2100");
  EXPECT_EQ(text(3, 3, 4, 1800), "B->G YAKIT DEGISIM ICIN DEVRIN YUKSELMESI BEKLENIYOR  1800");
  EXPECT_EQ(text(4, 2, 4, 150), "P->G WAITING RPM BELOW THRESHOLD  -50");
  // The second generation numbers the same texts differently.
  EXPECT_EQ(text(3, 2, 5, 2300, 45), "P->G WAITING TEMPERATURE ABOVE THRESHOLD  45");
  EXPECT_EQ(text(6, 2, 5, 2500), "P->G WAITING RPM BELOW THRESHOLD  2300");
  EXPECT_EQ(text(2, 2, 5, 2300, 35), "G->P WAITING OVERLAP TIME");
}

TEST(StateText, GenerationChoosesTheMeaningOfACode) {
  EXPECT_EQ(text(8, 2, 5), "WAITING FOR ENGINE ON");
  EXPECT_EQ(text(8, 2, 4), "CUTOFF BY TINJ = 0");
  EXPECT_EQ(text(9, 1, 4), "TINJ < SOGLIA : CUTOFF ");  // the trailing blank belongs to the text
  EXPECT_EQ(text(20, 3, 4), "Araci Yakit Degisimi icin istenen Devire Getir ve KAYDET'i Tiklayin");
}

TEST(StateText, UnlistedCodesClearTheLine) {
  for (int code : {0, 11, 15, 19, 21, 255}) EXPECT_EQ(text(code, 1, 4), " ") << code;
  EXPECT_EQ(text(14, 3, 4), " ");  // listed, but blank in Turkish
  EXPECT_EQ(text(1, 2, 5), " ");
  EXPECT_EQ(text(16, 2, 5), " ");
}

TEST(StateText, NoTableMeansNoText) {
  for (int code : {0, 2, 8}) {
    EXPECT_FALSE(text(code, 3, 5)) << code;  // no Turkish for the second generation
    EXPECT_FALSE(text(code, 1, 6)) << code;
    EXPECT_FALSE(text(code, 2, 0)) << code;  // version not read yet
    EXPECT_FALSE(text(code, 0, 4)) << code;
    EXPECT_FALSE(text(code, 4, 4)) << code;
  }
}

}  // namespace
}  // namespace kelvo6::link
