#pragma once
// Small builders for the editor and hub windows: named fields, labels, option
// buttons with their caption beside them, buttons and frames.

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

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

}  // namespace kelvo6::params::parts
