#pragma once
// Small builders for the editor and hub windows: named fields, labels, option
// buttons with their caption beside them, buttons and frames.

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStringList>

#include "platform/widgets.h"

namespace kelvo6::params::parts {

QLineEdit* field(QWidget* parent, const QString& name, int width = 72);
QLabel* label(QWidget* parent, const QString& name, const QString& text);
QLabel* unit(QWidget* parent, const QString& text);
QRadioButton* option(QWidget* parent, const QString& name);
// The caption beside an option or check box; clicking it clicks the button.
platform::ClickableLabel* captionFor(QAbstractButton* button, const QString& name, const QString& text);
QPushButton* button(QWidget* parent, const QString& name, const QString& text);
QGroupBox* frame(QWidget* parent, const QString& name, const QString& title);
// A heading label in bold.
QLabel* heading(QWidget* parent, const QString& name, const QString& text);

// The read and write mode choices side by side, each with its caption.
QWidget* modeChoices(QWidget* parent, const QString& readOption, const QString& readLabel,
                     const QString& writeOption, const QString& writeLabel);
// Modify (Command2) on the left, EXIT (Command1) on the right.
QHBoxLayout* editorButtons(QWidget* parent);

// A word-wrapped line of messages, placed across its window's layout, that
// holds the height its longest message needs at the width it has there, so that a message coming, changing or going
// never squeezes or moves the controls around it. Without messages named in
// advance it keeps the room of the longest text it has shown.
class MessageLine : public QLabel {
 public:
  explicit MessageLine(QWidget* parent);
  void setRoomFor(const QStringList& messages);
  void showMessage(const QString& text);
  // Its height is the room kept, whatever it shows now.
  QSize sizeHint() const override;
  QSize minimumSizeHint() const override;
  bool hasHeightForWidth() const override { return false; }

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  void reserve();
  int layoutWidth() const;
  QStringList room_;
  int shownNeed_ = 0;  // the most a text shown at this width needed
};

}  // namespace kelvo6::params::parts
