#include "app/screen.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QCloseEvent>
#include <QLineEdit>
#include <QRadioButton>
#include <QScrollBar>

#include "app/connection.h"
#include "app/navigator.h"
#include "platform/widgets.h"

namespace kelvo6::app {

Screen::Screen(Context& ctx, const QString& formName) : QWidget(nullptr), ctx_(ctx) {
  setObjectName(formName);
  setAttribute(Qt::WA_DeleteOnClose, false);  // the navigator deletes closed windows
}

Screen::~Screen() = default;

std::unique_ptr<platform::Timer> Screen::makeTimer(const char* name, int intervalMs, std::function<void()> onTick) {
  return ctx_.scheduler.createTimer(objectName().toStdString() + "." + name, intervalMs, std::move(onTick));
}

void Screen::send(const std::vector<std::uint8_t>& frame) { ctx_.connection.send(frame); }

void Screen::setBusy(bool busy) {
  if (busy) {
    setCursor(Qt::WaitCursor);
  } else {
    unsetCursor();
  }
}

bool Screen::isBusy() const { return cursor().shape() == Qt::WaitCursor; }

void Screen::closeEvent(QCloseEvent* e) {
  if (unloaded_) {
    e->accept();
    return;
  }
  unloaded_ = true;
  unload();
  ctx_.desktop.setKeepOnTop(this, false);
  e->accept();
  ctx_.navigator.closed(this);
}

bool Screen::event(QEvent* e) {
  if (e->type() == QEvent::WindowActivate && !unloaded_) ctx_.navigator.windowSystemActivated(this);
  if (e->type() == QEvent::Show && !tabsOrdered_) {
    // Laid out by now: Tab follows the reading order of what is on show.
    tabsOrdered_ = true;
    platform::setTabOrderByReading(this);
  }
  return QWidget::event(e);
}

void selectOption(const std::vector<QWidget*>& options, const std::vector<QWidget*>& labels, int value) {
  for (std::size_t i = 0; i < options.size(); ++i) {
    auto* b = qobject_cast<QAbstractButton*>(options[i]);
    if (!b) continue;
    bool exclusive = b->autoExclusive();
    b->setAutoExclusive(false);
    b->setChecked(static_cast<int>(i) == value);
    b->setAutoExclusive(exclusive);
  }
  bool inRange = value >= 0 && value < static_cast<int>(options.size());
  if (!inRange) return;  // nothing chosen: the marks stay as they were
  for (std::size_t i = 0; i < labels.size(); ++i)
    platform::setForeColor(labels[i], static_cast<int>(i) == value ? core::colour::kChosen : core::colour::kNotChosen);
}

void Screen::showParameter(int /*number*/, int value, const link::FieldRef& field) {
  auto named = [this](std::string_view n) { return findChild<QWidget*>(QString::fromUtf8(n.data(), static_cast<int>(n.size()))); };
  switch (field.kind) {
    case link::FieldKind::kText:
      if (auto* t = qobject_cast<QLineEdit*>(named(field.control))) t->setText(QString::number(value));
      break;
    case link::FieldKind::kCheck:
      if (auto* c = qobject_cast<QCheckBox*>(named(field.control))) {
        if (value == 1) c->setChecked(true);
        if (value == 0) c->setChecked(false);
      }
      break;
    case link::FieldKind::kScroll:
      if (auto* s = qobject_cast<QScrollBar*>(named(field.control))) s->setValue(value);
      break;
    case link::FieldKind::kOptions: {
      std::vector<QWidget*> options, labels;
      for (int i = 0; i < field.optionCount(); ++i) {
        options.push_back(named(field.options[static_cast<std::size_t>(i)]));
        labels.push_back(named(field.labels[static_cast<std::size_t>(i)]));
      }
      selectOption(options, labels, value);
      break;
    }
    case link::FieldKind::kNone: break;
  }
}

}  // namespace kelvo6::app
