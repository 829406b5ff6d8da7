#include "link/param_texts.h"

#include <gtest/gtest.h>

namespace kelvo6::link {
namespace {

TEST(ParamTexts, EveryParameterHasAMeaningInEachLanguage) {
  for (int n = 1; n <= 62; ++n)
    for (int language = 1; language <= 3; ++language) {
      EXPECT_FALSE(paramMeaning(n, language).empty()) << n << " in " << language;
      // A choice is shown by its text, with no unit beside it.
      EXPECT_EQ(paramUnit(n, language).empty(), !choiceTexts(n).empty()) << n << " in " << language;
    }
  EXPECT_EQ(paramMeaning(0, 1), "");
  EXPECT_EQ(paramMeaning(13, 9), paramMeaning(13, 1)) << "an unknown language reads Italian";
}

TEST(ParamTexts, ValuesReadAsTheEditorsShowThem) {
  const struct {
    int param, value, language;
    const char* text;
  } cases[] = {
      {3, 2, 1, "DIRITTA 0-1V"},    {50, 1, 3, "TERS 5-0V"},   {58, 0, 2, "SWITCH"},
      {58, 0, 3, "ANAHTAR"},        {59, 1, 1, "Decelerazione"}, {62, 1, 1, "METANO"},
      {61, 1, 3, "Evet"},           {57, 1, 2, "PSRX 540"},    {33, 0, 1, "PRISMO  ZFLO"},
      {58, 3, 2, "3"},              {3, -1, 2, "-1"},          {13, 65526, 2, "65526"},
  };
  for (const auto& c : cases) EXPECT_EQ(paramValueText(c.param, c.value, c.language), c.text) << c.param;
}

}  // namespace
}  // namespace kelvo6::link
