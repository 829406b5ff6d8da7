#include "platform/widgets.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>

namespace kelvo6::platform {

Lamp::Lamp(QWidget* parent, Shape shape) : QWidget(parent), shape_(shape) {
  setProperty("fillColor", QColor(Qt::white));
  setAttribute(Qt::WA_OpaquePaintEvent, false);
}

void Lamp::setFill(core::Rgb colour) { setFill(toQColor(colour)); }

void Lamp::setFill(const QColor& colour) {
  if (fill() == colour) return;
  setProperty("fillColor", colour);
  update();
}

QColor Lamp::fill() const { return property("fillColor").value<QColor>(); }

void Lamp::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.setRenderHint(QPainter::Antialiasing, shape_ == Shape::kCircle);
  p.setPen(QPen(Qt::black, 1));
  p.setBrush(fill());
  QRect r = rect().adjusted(0, 0, -1, -1);
  if (shape_ == Shape::kCircle) {
    p.drawEllipse(r);
  } else {
    p.drawRect(r);
  }
}

void ClickableLabel::mousePressEvent(QMouseEvent* e) {
  QLabel::mousePressEvent(e);
  // The click is the label's: it must not reach the window behind it as well
  // (the chart window runs its hit test on every press it receives).
  e->accept();
  if (isEnabled()) emit clicked();
}

void setForeColor(QWidget* w, core::Rgb c) {
  if (!w) return;
  QColor colour = toQColor(c);
  w->setProperty("foreColor", colour);
  QPalette pal = w->palette();
  pal.setColor(QPalette::WindowText, colour);
  pal.setColor(QPalette::Text, colour);
  pal.setColor(QPalette::ButtonText, colour);
  w->setPalette(pal);
}

void setBackColor(QWidget* w, core::Rgb c) {
  if (!w) return;
  QColor colour = toQColor(c);
  w->setProperty("backColor", colour);
  QPalette pal = w->palette();
  pal.setColor(QPalette::Window, colour);
  pal.setColor(QPalette::Base, colour);
  pal.setColor(QPalette::Button, colour);
  w->setPalette(pal);
  w->setAutoFillBackground(true);
}

namespace {
class DigitsOnly : public QObject {
 public:
  using QObject::QObject;
  bool eventFilter(QObject*, QEvent* e) override {
    if (e->type() != QEvent::KeyPress) return false;
    auto* k = static_cast<QKeyEvent*>(e);
    // Navigation and Delete are not characters; they keep working.
    if (k->key() == Qt::Key_Delete || k->key() == Qt::Key_Left || k->key() == Qt::Key_Right ||
        k->key() == Qt::Key_Home || k->key() == Qt::Key_End || k->key() == Qt::Key_Tab ||
        k->key() == Qt::Key_Backtab || k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter ||
        k->key() == Qt::Key_Escape)
      return false;
    if (k->matches(QKeySequence::Paste) || k->matches(QKeySequence::SelectAll) || k->matches(QKeySequence::Copy))
      return false;
    QString t = k->text();
    return !(t.size() == 1 && t[0] >= QLatin1Char('0') && t[0] <= QLatin1Char('9'));
  }
};
}  // namespace

void installDigitsOnlyFilter(QLineEdit* field) {
  if (!field) return;
  field->installEventFilter(new DigitsOnly(field));
}

}  // namespace kelvo6::platform
