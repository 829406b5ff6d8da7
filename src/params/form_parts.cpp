#include "params/form_parts.h"

#include <QLayout>
#include <QResizeEvent>

namespace kelvo6::params::parts {

QLineEdit* field(QWidget* parent, const QString& name, int width) {
  auto* f = new QLineEdit(parent);
  f->setObjectName(name);
  f->setFixedWidth(width);
  f->setAlignment(Qt::AlignRight);
  return f;
}

QLabel* label(QWidget* parent, const QString& name, const QString& text) {
  auto* l = new QLabel(text, parent);
  if (!name.isEmpty()) l->setObjectName(name);
  return l;
}

QLabel* unit(QWidget* parent, const QString& text) { return label(parent, {}, text); }

QRadioButton* option(QWidget* parent, const QString& name) {
  auto* o = new QRadioButton(parent);
  o->setObjectName(name);
  return o;
}

platform::ClickableLabel* captionFor(QAbstractButton* button, const QString& name, const QString& text) {
  auto* l = new platform::ClickableLabel(text, button->parentWidget());
  l->setObjectName(name);
  l->setBuddy(button);
  QObject::connect(l, &platform::ClickableLabel::clicked, button, [button] {
    if (button->isEnabled()) button->click();
  });
  return l;
}

namespace {
// At least 110 x 30, wider when the caption needs it. A fixed minimum width
// would let a layout squeeze a long caption under it on a narrow screen; a
// size hint is never squeezed below.
class Button : public QPushButton {
 public:
  using QPushButton::QPushButton;
  QSize sizeHint() const override { return QPushButton::sizeHint().expandedTo(QSize(110, 30)); }
  QSize minimumSizeHint() const override { return sizeHint(); }
};
}  // namespace

QPushButton* button(QWidget* parent, const QString& name, const QString& text) {
  auto* b = new Button(text, parent);
  b->setObjectName(name);
  return b;
}

QGroupBox* frame(QWidget* parent, const QString& name, const QString& title) {
  auto* g = new QGroupBox(title, parent);
  g->setObjectName(name);
  return g;
}

QLabel* heading(QWidget* parent, const QString& name, const QString& text) {
  QLabel* l = label(parent, name, text);
  QFont f = l->font();
  f.setBold(true);
  l->setFont(f);
  return l;
}

QWidget* modeChoices(QWidget* parent, const QString& readOption, const QString& readLabel,
                     const QString& writeOption, const QString& writeLabel) {
  auto* box = new QWidget(parent);  // its own parent keeps the pair exclusive
  auto* row = new QHBoxLayout(box);
  row->setContentsMargins(0, 0, 0, 0);
  QRadioButton* read = option(box, readOption);
  QRadioButton* write = option(box, writeOption);
  row->addWidget(read);
  row->addWidget(captionFor(read, readLabel, {}));
  row->addSpacing(24);
  row->addWidget(write);
  row->addWidget(captionFor(write, writeLabel, {}));
  row->addStretch();
  return box;
}

QHBoxLayout* editorButtons(QWidget* parent) {
  auto* row = new QHBoxLayout;
  row->addWidget(button(parent, "Command2", "Modifica"));
  row->addStretch();
  row->addWidget(button(parent, "Command1", "EXIT"));
  return row;
}

MessageLine::MessageLine(QWidget* parent) : QLabel(parent) {
  setWordWrap(true);
  setAlignment(Qt::AlignLeft | Qt::AlignTop);  // a short message stands at the top of the room kept
  setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
}

QSize MessageLine::sizeHint() const { return minimumSizeHint(); }

QSize MessageLine::minimumSizeHint() const { return {QLabel::minimumSizeHint().width(), minimumHeight()}; }

void MessageLine::setRoomFor(const QStringList& messages) {
  room_ = messages;
  reserve();
}

void MessageLine::showMessage(const QString& text) {
  setText(text);
  reserve();
}

void MessageLine::resizeEvent(QResizeEvent* event) {
  QLabel::resizeEvent(event);
  if (event->size().width() != event->oldSize().width()) {
    shownNeed_ = 0;
    reserve();
  }
}

// The width the window's layout gives the line: all of it but its margins.
int MessageLine::layoutWidth() const {
  QWidget* window = parentWidget();
  QLayout* l = window ? window->layout() : nullptr;
  if (!l) return width();
  QMargins m = l->contentsMargins();
  return window->contentsRect().width() - m.left() - m.right();
}

void MessageLine::reserve() {
  const int width = layoutWidth();
  if (width <= 0) return;
  // Measured by a label like this one, so that it wraps the same way.
  auto needOf = [this, width](const QString& t) {
    QLabel probe(t);
    probe.setWordWrap(true);
    probe.setFont(font());
    probe.setContentsMargins(contentsMargins());
    probe.setMargin(margin());
    probe.setIndent(indent());
    probe.setAlignment(alignment());
    return probe.heightForWidth(width);
  };
  if (!text().isEmpty()) shownNeed_ = std::max(shownNeed_, needOf(text()));
  int need = shownNeed_;
  for (const QString& t : room_) need = std::max(need, needOf(t));
  if (need == minimumHeight()) return;
  setMinimumHeight(need);
  updateGeometry();
}

}  // namespace kelvo6::params::parts
