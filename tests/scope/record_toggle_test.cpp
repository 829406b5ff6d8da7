// The record toggle among its window's own buttons: in every language its
// caption is its own, so the fitter never mistakes it for another button.

#include <QPushButton>

#include "scope_support.h"

namespace kelvo6::testing {
namespace {

struct ToggleHome {
  const char* menuButton;
  const char* form;
  const char* toggle;
};

TEST(RecordToggle, CaptionDiffersFromEveryOtherButtonOfItsWindow) {
  const ToggleHome homes[] = {{"Command3", "Form3", "Command3"},
                              {"Command5", "Form16", "Command13"},
                              {"Command7", "Oscilloscope", "Record"}};
  for (const char* languageButton : {"", "Command4", "Command5"})  // Italian, English, Turkish
    for (const ToggleHome& home : homes) {
      Harness h;
      if (*languageButton) h.click("Form1", languageButton);
      h.click("Form1", "Command7");  // not connected: the windows open at once
      h.click("Form1", "Command1");
      h.click("Form2", home.menuButton);
      const QString caption = h.control<QPushButton>(home.form, home.toggle)->text();
      for (auto* b : h.window(home.form)->findChildren<QPushButton*>())
        if (b->objectName() != home.toggle)
          EXPECT_NE(b->text().trimmed().toUpper().toStdString(), caption.trimmed().toUpper().toStdString())
              << home.form << " " << b->objectName().toStdString() << " language " << languageButton;
    }
}

}  // namespace
}  // namespace kelvo6::testing
