#include "platform/desktop.h"

#include <QApplication>
#include <QCursor>
#include <QDir>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QWidget>
#include <QWindow>

namespace kelvo6::platform {

void QtDesktop::setKeepOnTop(QWidget* window, bool onTop) {
  if (!window) return;
  window->setProperty("keepOnTop", onTop);
  // On a shown window change only the window-system hint: QWidget::setWindowFlag
  // would hide and re-show it, which moves activation between our windows.
  if (QWindow* handle = window->windowHandle()) {
    handle->setFlag(Qt::WindowStaysOnTopHint, onTop);
  } else {
    window->setWindowFlag(Qt::WindowStaysOnTopHint, onTop);
  }
}

void QtDesktop::beep() { QApplication::beep(); }

QPoint QtDesktop::cursorPos(QWidget* window) { return window ? window->mapFromGlobal(QCursor::pos()) : QCursor::pos(); }

QString QtDesktop::chooseFile(QWidget* parent, const FileDialogRequest& r) {
  if (!r.folder.isEmpty()) QDir().mkpath(r.folder);
  QFileDialog dialog(parent, r.title, r.folder, r.filter);
  dialog.setAcceptMode(r.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  dialog.setFileMode(r.save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
  return dialog.selectedFiles().first();
}

bool QtDesktop::confirm(QWidget* parent, const Question& q) {
  // No is the default: Enter alone never sets off what the question guards.
  QMessageBox box(QMessageBox::Question, q.title, q.text, QMessageBox::Yes | QMessageBox::No, parent);
  box.setDefaultButton(QMessageBox::No);
  if (!q.yes.isEmpty()) box.button(QMessageBox::Yes)->setText(q.yes);
  if (!q.no.isEmpty()) box.button(QMessageBox::No)->setText(q.no);
  box.setWindowFlag(Qt::WindowStaysOnTopHint);  // above the windows kept on top
  return box.exec() == QMessageBox::Yes;
}

}  // namespace kelvo6::platform
