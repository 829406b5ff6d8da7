#include "app/texts.h"

#include <QAbstractButton>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QWidget>

namespace kelvo6::app {

QString text3(const core::Text3& t, int language) { return QString::fromUtf8(core::pickOr(t, language).c_str()); }

void setCaption(QWidget* w, const QString& text) {
  if (auto* b = qobject_cast<QAbstractButton*>(w)) {
    b->setText(text);
  } else if (auto* l = qobject_cast<QLabel*>(w)) {
    l->setText(text);
  } else if (auto* g = qobject_cast<QGroupBox*>(w)) {
    g->setTitle(text);
  } else if (auto* e = qobject_cast<QLineEdit*>(w)) {
    e->setText(text);
  }
}

void applyTexts(QWidget* window, std::span<const ControlText> texts, int language) {
  for (const ControlText& row : texts) {
    const char* s = core::pick(row.text, language);
    if (!s) continue;
    QString text = QString::fromUtf8(s);
    if (qstrcmp(row.control, "title") == 0) {
      window->setWindowTitle(text);
    } else if (auto* w = window->findChild<QWidget*>(QString::fromLatin1(row.control))) {
      setCaption(w, text);
    }
  }
}

}  // namespace kelvo6::app
