#include "platform/desktop.h"

#include <QApplication>
#include <QCursor>
#include <QDir>
#include <QFileDialog>
#include <QWidget>

namespace kelvo6::platform {

void QtDesktop::setKeepOnTop(QWidget* window, bool onTop) {
  if (!window) return;
  window->setProperty("keepOnTop", onTop);
  bool current = window->windowFlags().testFlag(Qt::WindowStaysOnTopHint);
  if (current == onTop) return;
  // Changing the flag hides a shown window; show it again where it was.
  bool visible = window->isVisible();
  QRect geometry = window->geometry();
  window->setWindowFlag(Qt::WindowStaysOnTopHint, onTop);
  if (visible) {
    window->setGeometry(geometry);
    window->show();
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

}  // namespace kelvo6::platform
