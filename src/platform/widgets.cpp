#include "platform/widgets.h"

#include <QAbstractButton>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QSet>
#include <algorithm>
#include <tuple>
#include <vector>

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

void keepRoomFor(QLineEdit* field, const QString& widest) {
  if (!field) return;
  // The text plus the frame and the inner margins a line edit keeps.
  field->setMinimumWidth(field->fontMetrics().horizontalAdvance(widest) + 14);
}

namespace {
class DialogKeys : public QObject {
 public:
  DialogKeys(QObject* parent, QAbstractButton* enter, QAbstractButton* escape)
      : QObject(parent), enter_(enter), escape_(escape) {}
  bool eventFilter(QObject*, QEvent* e) override {
    if (e->type() != QEvent::KeyPress) return false;
    auto* k = static_cast<QKeyEvent*>(e);
    if (k->modifiers() & ~(Qt::KeypadModifier)) return false;
    QAbstractButton* b = nullptr;
    if (k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter) b = enter_;
    if (k->key() == Qt::Key_Escape) b = escape_;
    if (!b || !b->isVisible() || !b->isEnabled()) return false;
    b->click();
    return true;
  }

 private:
  QAbstractButton* enter_;
  QAbstractButton* escape_;
};

// Disabled and hidden controls are ordered too: a mode switch enables them,
// a connected ECU shows them.
bool takesTab(const QWidget* w) { return (w->focusPolicy() & Qt::TabFocus) && !w->focusProxy(); }

void collectWidget(QWidget* w, std::vector<QWidget*>& out, QSet<QWidget*>& seen);

// A layout reads in its own order: a box from first to last, a grid row by row.
void collectLayout(QLayout* layout, std::vector<QWidget*>& out, QSet<QWidget*>& seen) {
  struct Item {
    int row, column;
    QLayoutItem* item;
  };
  std::vector<Item> items;
  auto* grid = qobject_cast<QGridLayout*>(layout);
  for (int i = 0; i < layout->count(); ++i) {
    int row = i, column = 0, rowSpan = 1, columnSpan = 1;
    if (grid) grid->getItemPosition(i, &row, &column, &rowSpan, &columnSpan);
    items.push_back({row, column, layout->itemAt(i)});
  }
  std::stable_sort(items.begin(), items.end(),
                   [](const Item& a, const Item& b) { return std::tie(a.row, a.column) < std::tie(b.row, b.column); });
  for (const Item& i : items) {
    if (QWidget* w = i.item->widget()) {
      collectWidget(w, out, seen);
    } else if (QLayout* inner = i.item->layout()) {
      collectLayout(inner, out, seen);
    }
  }
}

void collectWidget(QWidget* w, std::vector<QWidget*>& out, QSet<QWidget*>& seen) {
  if (seen.contains(w)) return;
  seen.insert(w);
  if (takesTab(w)) {
    out.push_back(w);
    return;
  }
  if (w->layout()) collectLayout(w->layout(), out, seen);
  // Children placed by hand, in the order they were made (and so placed).
  for (QObject* o : w->children())
    if (auto* child = qobject_cast<QWidget*>(o); child && !child->isWindow()) collectWidget(child, out, seen);
}
}  // namespace

void setDialogKeys(QWidget* window, QAbstractButton* enter, QAbstractButton* escape) {
  if (!window) return;
  // A focused button answers Enter itself, as on a dialog.
  for (auto* b : window->findChildren<QPushButton*>()) b->setAutoDefault(true);
  window->installEventFilter(new DialogKeys(window, enter, escape));
}

void setTabOrderByReading(QWidget* window) {
  if (!window) return;
  std::vector<QWidget*> order;
  QSet<QWidget*> seen;
  seen.insert(window);
  if (window->layout()) collectLayout(window->layout(), order, seen);
  for (QObject* o : window->children())
    if (auto* child = qobject_cast<QWidget*>(o); child && !child->isWindow()) collectWidget(child, order, seen);
  if (order.empty()) return;
  // The first control must come first after the window: the focusable ones
  // before it move behind it. (Qt will not move the control just after the
  // window to the far end of the chain.)
  auto head = [window] {
    QWidget* w = window->nextInFocusChain();
    while (w != window && w->focusPolicy() == Qt::NoFocus) w = w->nextInFocusChain();
    return w;
  };
  for (std::size_t guard = 0; head() != order.front() && head() != window && guard < order.size(); ++guard)
    QWidget::setTabOrder(order.front(), head());
  for (std::size_t i = 1; i < order.size(); ++i) QWidget::setTabOrder(order[i - 1], order[i]);
}

}  // namespace kelvo6::platform
