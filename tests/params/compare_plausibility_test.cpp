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
  EXPECT_EQ(warning(h, "Form6", "Text6")->toolTip(),
            "OXYGEN SENSOR1 - Lean threshold: Unusual value: expected below 600 (lambda probe 1 rich threshold)");
  EXPECT_EQ(warning(h, "Form6", "Text5")->toolTip(),
            "OXYGEN SENSOR1 - Rich threshold: Unusual value: expected above 700 (lambda probe 1 lean threshold)");
  EXPECT_EQ(h.control<QLabel>("Form6", "WarningLine")->text(), warning(h, "Form6", "Text6")->toolTip());
  // The mark stands beside its field, not over anything.
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

// What the ECU holds is shown as it is held, and warned of: no coil at all, a
// change-over temperature of 65526 (no -10 degrees).
TEST(PlausibilityWarnings, ShowForWhatTheEcuHoldsWhenTheEditorOpens) {
  const struct {
    int param, value;
    const char *hubButton, *form, *field, *warning;
  } cases[] = {
      {2, 0, "Command6", "Form13", "Text1", "Numero di bobine: Valore insolito: previsto da 1 a 8"},
      {13, 65526, "Command3", "Form11", "Text4",
       "COMMUTAZIONE B->G - Temperatura commutazione: Valore insolito: previsto da 0 a 150"},
  };
  for (const auto& c : cases) {
    Harness h;
    openHub(h, [&](sim::Ecu& e) { e.setParam(c.param, c.value); }, core::kItalian);
    h.click("Form5", c.hubButton);
    EXPECT_EQ(text(h, c.form, c.field), QString::number(c.value));
    EXPECT_TRUE(warned(h, c.form, c.field)) << c.param;
    EXPECT_EQ(warning(h, c.form, c.field)->toolTip(), c.warning);
  }
}

}  // namespace
}  // namespace kelvo6::testing
