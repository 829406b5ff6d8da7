#pragma once
// Services of the desktop that windows use: keep-on-top, the system beep, the
// cursor position, the file dialog and a yes/no question. The program uses
// QtDesktop; tests give their own answers to the dialogs and count the beeps.

#include <QPoint>
#include <QString>

class QWidget;

namespace kelvo6::platform {

struct FileDialogRequest {
  QString title;   // empty: the dialog keeps its own title
  QString folder;  // initial folder, created when missing
  QString filter;  // e.g. "Workbooks (*.xlsx *.ods *.xls)"
  bool save = false;  // the name typed or picked is the file to create
};

// A yes/no question in the window's language.
struct Question {
  QString title;
  QString text;
  QString yes;  // captions of the two answers; empty: the toolkit's own
  QString no;
};

class Desktop {
 public:
  virtual ~Desktop() = default;
  // Topmost or not, without moving or resizing the window.
  virtual void setKeepOnTop(QWidget* window, bool onTop) = 0;
  virtual void beep() = 0;
  // The cursor position in the client coordinates of `window`.
  virtual QPoint cursorPos(QWidget* window) = 0;
  // The chosen file's path, or an empty string when the user cancelled.
  virtual QString chooseFile(QWidget* parent, const FileDialogRequest& request) = 0;
  // Asks a yes/no question; true when the user answered yes.
  virtual bool confirm(QWidget* parent, const Question& question) = 0;
};

class QtDesktop : public Desktop {
 public:
  void setKeepOnTop(QWidget* window, bool onTop) override;
  void beep() override;
  QPoint cursorPos(QWidget* window) override;
  QString chooseFile(QWidget* parent, const FileDialogRequest& request) override;
  bool confirm(QWidget* parent, const Question& question) override;
};

}  // namespace kelvo6::platform
