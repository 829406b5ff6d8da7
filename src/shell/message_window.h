#pragma once
// The message window Form12: one message with a title and EXIT. After a port
// failure, closing it ends the program.

#include "app/navigator.h"
#include "app/screen.h"

class QLabel;

namespace kelvo6::shell {

class MessageScreen : public app::Screen, public app::MessageWindow {
  Q_OBJECT
 public:
  explicit MessageScreen(app::Context& ctx);
  void setMessage(const QString& title, const QString& text) override;
  void setDetail(const QString& detail) override;

 private:
  void exit();
  void fitText();
  QLabel* text_;
  QLabel* detail_;
};

}  // namespace kelvo6::shell
