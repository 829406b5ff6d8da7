#pragma once
// Applying a window's text set: one row per control, three language columns.

#include <QString>
#include <initializer_list>
#include <span>

#include "core/language.h"

class QWidget;

namespace kelvo6::app {

// `control` is an objectName, or "title" for the window title.
struct ControlText {
  const char* control;
  core::Text3 text;
};

// Sets every listed control's caption for the language; a language code other
// than 1..3 leaves the design-time captions.
void applyTexts(QWidget* window, std::span<const ControlText> texts, int language);
inline void applyTexts(QWidget* window, std::initializer_list<ControlText> texts, int language) {
  applyTexts(window, std::span<const ControlText>(texts.begin(), texts.size()), language);
}
// Sets the caption of one control (button, label, option, check box, group, field).
void setCaption(QWidget* control, const QString& text);
QString text3(const core::Text3& t, int language);  // as pick, Italian for unknown codes

}  // namespace kelvo6::app
