#include "shell/message_window.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "platform/widgets.h"

namespace kelvo6::shell {

MessageScreen::MessageScreen(app::Context& ctx) : Screen(ctx, QStringLiteral("Form12")) {
  setWindowTitle(QStringLiteral("MESSAGGI"));
  text_ = new QLabel(this);
  text_->setObjectName("Label1");
  text_->setWordWrap(true);
  text_->setMinimumWidth(420);
  QFont f = text_->font();
  f.setBold(true);
  text_->setFont(f);
  detail_ = new QLabel(this);
  detail_->setObjectName("Label2");
  detail_->setWordWrap(true);
  detail_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  detail_->hide();
  auto* exit = new QPushButton(QStringLiteral("EXIT"), this);
  exit->setObjectName("Command1");
  exit->setDefault(true);
  exit->setMinimumHeight(32);
  auto* v = new QVBoxLayout(this);
  v->addWidget(text_);
  v->addWidget(detail_);
  v->addWidget(exit, 0, Qt::AlignHCenter);
  platform::setDialogKeys(this, exit, exit);  // either key is the same as EXIT
  connect(exit, &QPushButton::clicked, this, [this] { this->exit(); });
}

void MessageScreen::setMessage(const QString& title, const QString& text) {
  setWindowTitle(title);
  text_->setText(text);
  fitText();
}

void MessageScreen::setDetail(const QString& detail) {
  detail_->setText(detail);
  detail_->setVisible(!detail.isEmpty());
  fitText();
}

void MessageScreen::fitText() {
  // The window may already be on show: let it grow to the wrapped lines.
  layout()->activate();
  adjustSize();
}

void MessageScreen::exit() {
  close();
  if (shared().closeProgramOnMessage) {
    if (app::Screen* start = ctx().navigator.find(QStringLiteral("Form1"))) start->close();
  }
}

}  // namespace kelvo6::shell
