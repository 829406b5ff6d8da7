#include <gtest/gtest.h>

#include <set>
#include <string>

#include "link/params.h"

namespace kelvo6::link {
namespace {

TEST(ParamTable, EveryNumberHasOneRowWithAField) {
  for (int n = 1; n <= 62; ++n) {
    const ParamInfo& p = paramInfo(n);
    EXPECT_EQ(p.number, n);
    EXPECT_NE(p.field.kind, FieldKind::kNone) << n;
  }
  EXPECT_THROW(paramInfo(0), std::out_of_range);
  EXPECT_THROW(paramInfo(63), std::out_of_range);
}

TEST(ParamTable, NoTwoParametersShareAField) {
  std::set<std::string> seen;
  for (const ParamInfo& p : paramTable()) {
    for (const FieldRef* f : {&p.field, &p.secondField}) {
      if (f->kind == FieldKind::kNone) continue;
      if (f->kind == FieldKind::kOptions) {
        for (int i = 0; i < f->optionCount(); ++i)
          EXPECT_TRUE(seen.insert(std::string(f->window) + "." + std::string(f->options[static_cast<std::size_t>(i)])).second)
              << p.number;
      } else {
        EXPECT_TRUE(seen.insert(std::string(f->window) + "." + std::string(f->control)).second) << p.number;
      }
    }
  }
}

TEST(ParamTable, AxesMapOntoTheCalibrationGrid) {
  EXPECT_EQ(paramInfo(34).field.control, "Text6_0");
  EXPECT_EQ(paramInfo(41).field.control, "Text6_7");
  EXPECT_EQ(paramInfo(42).field.control, "Text6_8");
  EXPECT_EQ(paramInfo(49).field.control, "Text6_15");
  const FieldRef& model = paramInfo(58).field;
  EXPECT_EQ(model.optionCount(), 3);
  EXPECT_EQ(model.labels[2], "Label21");
  EXPECT_EQ(paramInfo(25).secondField.window, "Form16");
}

}  // namespace
}  // namespace kelvo6::link
