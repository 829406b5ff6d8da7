#pragma once
// Small widgets and helpers shared by the windows: filled lamps and bar
// segments, clickable labels, the digits-only key filter and the colour
// properties that tests read (foreColor, backColor, fillColor).

#include <QColor>
#include <QLabel>
#include <QObject>
#include <QWidget>

#include "core/colour.h"

class QAbstractButton;
class QLineEdit;

namespace kelvo6::platform {

inline QColor toQColor(core::Rgb c) { return QColor(c.r, c.g, c.b); }

// A lamp or bar segment: a filled rectangle or ellipse whose colour is the
// dynamic property fillColor.
class Lamp : public QWidget {
  Q_OBJECT
 public:
  enum class Shape { kRectangle, kCircle };
  explicit Lamp(QWidget* parent = nullptr, Shape shape = Shape::kRectangle);
  void setFill(core::Rgb colour);
  void setFill(const QColor& colour);
  QColor fill() const;

 protected:
  void paintEvent(QPaintEvent*) override;

 private:
  Shape shape_;
};

// A label that reports clicks (option captions, legend entries).
class ClickableLabel : public QLabel {
  Q_OBJECT
 public:
  using QLabel::QLabel;
 signals:
  void clicked();

 protected:
  void mousePressEvent(QMouseEvent* e) override;
};

// Text colour of a label, button, option or field; also kept as foreColor.
void setForeColor(QWidget* w, core::Rgb colour);
// Background colour of a field or window; also kept as backColor.
void setBackColor(QWidget* w, core::Rgb colour);

// Accepts only the keys 0..9 in a field; every other key, Backspace included,
// is discarded. Delete and overtyping a selection still work.
void installDigitsOnlyFilter(QLineEdit* field);

// Keeps `field` wide enough to show `widest`, its longest expected text, when
// a layout has less room than it would like (a small screen at high scaling).
void keepRoomFor(QLineEdit* field, const QString& widest);

// Enter (either key) presses `enter` and Escape presses `escape`, wherever the
// focus is in `window`, as on a dialog; either may be null. A key that the
// focused control uses itself (an open list) stays with that control.
void setDialogKeys(QWidget* window, QAbstractButton* enter, QAbstractButton* escape);

// Chains the focusable controls of `window` in reading order, which is the
// order of its layouts: a column top to bottom, a row left to right, a grid
// row by row, each frame's controls together where the frame stands. Controls
// placed by hand keep the order they were made in.
void setTabOrderByReading(QWidget* window);

}  // namespace kelvo6::platform
