// Warnings beside implausible values in the editors: shown as the fitter
// types and for what the ECU holds, and never in the way of a Modify.

#include <gtest/gtest.h>

#include <QDir>

#include "core/language.h"
#include "params_support.h"

namespace kelvo6::testing {
namespace {

QLabel* warning(Harness& h, const char* form, const char* field) {
  return h.control<QLabel>(form, QStringLiteral("Warning%1").arg(field));
}
bool warned(Harness& h, const char* form, const char* field) {
  QLabel* w = warning(h, form, field);
  return w && w->isVisibleTo(h.window(form)) && !w->text().isEmpty();
}

TEST(PlausibilityWarnings, FollowTheTypingAndAModifyWithAnImplausibleValueGoesOut) {
  Harness h;
  openHub(h, {}, core::kEnglish);  // probe 1: straight 0-1 V, lean 350, rich 600
  h.click("Form5", "Command1");
  EXPECT_FALSE(warned(h, "Form6", "Text6"));
  h.click("Form6", "Option4");

  h.setText("Form6", "Text6", "700");  // lean above rich
  ASSERT_TRUE(warned(h, "Form6", "Text6"));
  EXPECT_EQ(warning(h, "Form6", "Text6")->text(), "Unusual value: expected below 600");
  EXPECT_EQ(warning(h, "Form6", "Text5")->text(), "Unusual value: expected above 700");
  // The warning stands beside its field, not over anything.
  EXPECT_GT(warning(h, "Form6", "Text6")->geometry().left(),
            h.control<QLineEdit>("Form6", "Text6")->geometry().right());

  if (qEnvironmentVariableIsSet("KELVO6_PNG_DIR"))
    h.window("Form6")->grab().save(QDir(qEnvironmentVariable("KELVO6_PNG_DIR")).filePath("lambda-warning.png"));

  h.click("Form6", "Option1_3");  // an inverted sensor: the order is not judged
  EXPECT_FALSE(warned(h, "Form6", "Text6"));
  h.click("Form6", "Option1_2");
  EXPECT_TRUE(warned(h, "Form6", "Text6"));
  h.setText("Form6", "Text6", "");  // no entry: Modify will say so, no warning
  EXPECT_FALSE(warned(h, "Form6", "Text6"));
  h.setText("Form6", "Text6", "700");

  h.clearSent();
  h.click("Form6", "Command2");
  h.advance(2000);
  EXPECT_EQ(writtenParameters(h), std::vector<int>{4});
  EXPECT_EQ(h.ecu()->param(4), 700) << "a warning never refuses a value";
  EXPECT_TRUE(checked(h, "Form6", "Option3")) << "back in read mode";
  EXPECT_TRUE(warned(h, "Form6", "Text6")) << "the ECU now holds it";
}

TEST(PlausibilityWarnings, ShowForWhatTheEcuHoldsWhenTheEditorOpens) {
  Harness h;
  openHub(h, [](sim::Ecu& e) { e.setParam(2, 0); }, core::kItalian);
  h.click("Form5", "Command6");
  EXPECT_TRUE(warned(h, "Form13", "Text1"));
  EXPECT_EQ(warning(h, "Form13", "Text1")->text(), "Valore insolito: previsto da 1 a 8");
  EXPECT_FALSE(warned(h, "Form13", "Text2"));
}

}  // namespace
}  // namespace kelvo6::testing
