#include "support/caption_fit.h"

#include <QAbstractScrollArea>
#include <QAbstractButton>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QStyle>
#include <QStyleOptionButton>

namespace kelvo6::testing {
namespace {

QString name(const QWidget* w) {
  QString n = w->objectName();
  if (n.isEmpty()) n = QString::fromLatin1(w->metaObject()->className());
  return n;
}

bool shown(const QWidget* w, const QWidget* window) { return w == window || w->isVisibleTo(window); }

// Room a check box or option needs beside its text for the indicator.
int indicatorRoom(const QAbstractButton* b) {
  QStyle* s = b->style();
  if (qobject_cast<const QCheckBox*>(b))
    return s->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, b) +
           s->pixelMetric(QStyle::PM_CheckBoxLabelSpacing, nullptr, b) + 4;
  if (qobject_cast<const QRadioButton*>(b))
    return s->pixelMetric(QStyle::PM_ExclusiveIndicatorWidth, nullptr, b) +
           s->pixelMetric(QStyle::PM_RadioButtonLabelSpacing, nullptr, b) + 4;
  return 8;  // a push button's bevel
}

}  // namespace

QStringList clippedCaptions(QWidget* window) {
  QStringList out;
  auto report = [&](QWidget* w, const QString& text, const char* how, int need, int has) {
    out << QStringLiteral("%1 \"%2\" %3: needs %4 has %5").arg(name(w), text, QLatin1String(how)).arg(need).arg(has);
  };
  // One line of text in `room`: its advance across, the font's height up and down.
  auto fitLine = [&](QWidget* w, const QString& text, int margin, QSize room) {
    if (!shown(w, window) || text.isEmpty()) return;
    QFontMetrics fm = w->fontMetrics();
    int need = fm.horizontalAdvance(text) + margin;
    if (need > room.width()) report(w, text, "cut across", need, room.width());
    if (fm.height() > room.height()) report(w, text, "cut vertically", fm.height(), room.height());
  };

  for (auto* l : window->findChildren<QLabel*>()) {
    if (!shown(l, window) || l->text().isEmpty() || l->textFormat() == Qt::RichText) continue;
    QRect room = l->contentsRect();
    int indent = l->indent() > 0 ? l->indent() : 0;
    if (!l->wordWrap()) {
      // Several lines of a plain label stack up.
      QStringList lines = l->text().split(QLatin1Char('\n'));
      QString widest;
      for (const QString& s : lines)
        if (l->fontMetrics().horizontalAdvance(s) > l->fontMetrics().horizontalAdvance(widest)) widest = s;
      int need = l->fontMetrics().horizontalAdvance(widest) + indent;
      if (need > room.width()) report(l, l->text(), "cut across", need, room.width());
      int high = l->fontMetrics().height() * static_cast<int>(lines.size());
      if (high > room.height() + 1) report(l, l->text(), "cut vertically", high, room.height());
      continue;
    }
    // Wrapped: no single word wider than the label, and every line in its height.
    for (const QString& word : l->text().split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts)) {
      int need = l->fontMetrics().horizontalAdvance(word);
      if (need > room.width()) report(l, word, "word cut across", need, room.width());
    }
    int high = l->heightForWidth(l->width());
    if (high > l->height() + 1) report(l, l->text(), "wrapped lines cut", high, l->height());
  }
  for (auto* b : window->findChildren<QAbstractButton*>()) fitLine(b, b->text(), indicatorRoom(b), b->size());
  for (auto* g : window->findChildren<QGroupBox*>()) fitLine(g, g->title(), 12, g->size());
  for (auto* e : window->findChildren<QLineEdit*>()) fitLine(e, e->text(), 6, e->size());
  return out;
}

QStringList overlappingControls(QWidget* window) {
  QStringList out;
  auto overlay = [](const QWidget* w) { return w->property("overlay").toBool(); };
  // A frame or group box drawn beside the controls it holds.
  auto holds = [](const QWidget* frame, const QWidget* inner) {
    bool isFrame = qobject_cast<const QGroupBox*>(frame) ||
                   (qobject_cast<const QFrame*>(frame) && !qobject_cast<const QLabel*>(frame));
    return isFrame && frame->geometry().contains(inner->geometry());
  };
  QList<QWidget*> parents = window->findChildren<QWidget*>();
  parents.prepend(window);
  for (QWidget* parent : parents) {
    if (!shown(parent, window)) continue;
    QList<QWidget*> kids;
    for (QObject* o : parent->children()) {
      auto* w = qobject_cast<QWidget*>(o);
      if (w && !w->isWindow() && w->isVisibleTo(window) && !w->geometry().isEmpty() && !overlay(w)) kids << w;
    }
    for (int i = 0; i < kids.size(); ++i) {
      QWidget* a = kids[i];
      // What a scroll area shows is meant to reach past its viewport: it scrolls.
      const auto* area = qobject_cast<const QAbstractScrollArea*>(parent->parentWidget());
      const bool scrolls = area && area->viewport() == parent;
      if (!scrolls && !parent->rect().contains(a->geometry()))
        out << QStringLiteral("%1 reaches past the edge of %2 (%3,%4 %5x%6 in %7x%8)")
                   .arg(name(a), name(parent))
                   .arg(a->x()).arg(a->y()).arg(a->width()).arg(a->height())
                   .arg(parent->width()).arg(parent->height());
      for (int j = i + 1; j < kids.size(); ++j) {
        QWidget* b = kids[j];
        if (!a->geometry().intersects(b->geometry()) || holds(a, b) || holds(b, a)) continue;
        QRect common = a->geometry() & b->geometry();
        out << QStringLiteral("%1 and %2 overlap (%3x%4 at %5,%6 in %7)")
                   .arg(name(a), name(b))
                   .arg(common.width()).arg(common.height()).arg(common.x()).arg(common.y())
                   .arg(name(parent));
      }
    }
  }
  return out;
}

QStringList layoutProblems(QWidget* window) {
  QStringList all = clippedCaptions(window) + overlappingControls(window);
  return all;
}

}  // namespace kelvo6::testing
