#include "params/editor.h"

#include <QApplication>
#include <QBoxLayout>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <algorithm>

#include "link/param_texts.h"
#include "link/params.h"
#include "link/plausibility.h"
#include "link/requests.h"
#include "params/form_parts.h"
#include "platform/widgets.h"

namespace kelvo6::params {

namespace {

constexpr core::Rgb kWrongEntry{255, 170, 170};
constexpr core::Text3 kEmptyEntry{"Campo vuoto: %1. Inserire un numero intero da 0 a %2.",
                                  "Empty field: %1. Enter a whole number from 0 to %2.",
                                  "Bos alan: %1. 0 ile %2 arasinda bir tam sayi girin."};
constexpr core::Text3 kNotNumber{"Valore non numerico: %1. Inserire un numero intero da 0 a %2.",
                                 "Not a number: %1. Enter a whole number from 0 to %2.",
                                 "Sayi degil: %1. 0 ile %2 arasinda bir tam sayi girin."};
constexpr core::Text3 kOutOfRange{"Valore fuori limiti: %1. Inserire un numero intero da 0 a %2.",
                                  "Out of range: %1. Enter a whole number from 0 to %2.",
                                  "Sinir disinda: %1. 0 ile %2 arasinda bir tam sayi girin."};

QString qs(std::string_view v) { return QString::fromUtf8(v.data(), static_cast<int>(v.size())); }

// Fields a window shows but never lets the user type in keep this property.
bool keepsReadOnly(const QLineEdit* e) { return e->property("keepsReadOnly").toBool(); }

constexpr core::Rgb kWarningInk{190, 80, 0};

// Puts `label` on the row of `field` in `layout` (or a layout inside it): in
// a grid after the last control of the field's row, in a row after the field
// and its unit, in a column under the field.
bool placeBeside(QLayout* layout, QWidget* field, QWidget* label) {
  const int index = layout->indexOf(field);
  if (index < 0) {
    for (int i = 0; i < layout->count(); ++i)
      if (QLayout* inner = layout->itemAt(i)->layout(); inner && placeBeside(inner, field, label)) return true;
    return false;
  }
  if (auto* grid = qobject_cast<QGridLayout*>(layout)) {
    int row = 0, column = 0, rows = 0, columns = 0, after = 0;
    grid->getItemPosition(index, &row, &column, &rows, &columns);
    for (int i = 0; i < grid->count(); ++i) {
      int r = 0, c = 0, rs = 0, cs = 0;
      grid->getItemPosition(i, &r, &c, &rs, &cs);
      if (r <= row && row < r + rs) after = std::max(after, c + cs);
    }
    grid->addWidget(label, row, after, Qt::AlignLeft | Qt::AlignVCenter);
    return true;
  }
  if (auto* box = qobject_cast<QBoxLayout*>(layout)) {
    int at = index + 1;
    const bool across = box->direction() == QBoxLayout::LeftToRight || box->direction() == QBoxLayout::RightToLeft;
    if (across && at < box->count())
      if (auto* unit = qobject_cast<QLabel*>(box->itemAt(at)->widget()); unit && unit->objectName().isEmpty()) ++at;
    box->insertWidget(at, label);
    return true;
  }
  return false;
}

// The mark beside a field whose value looks implausible. It keeps its room
// while hidden, so that it coming and going moves nothing.
QLabel* warningMark(QWidget* parent, const QString& name) {
  auto* mark = new QLabel(QStringLiteral("\u26a0"), parent);
  mark->setObjectName(name);
  platform::setForeColor(mark, kWarningInk);
  mark->setFixedWidth(mark->sizeHint().width());
  QSizePolicy policy = mark->sizePolicy();
  policy.setRetainSizeWhenHidden(true);
  mark->setSizePolicy(policy);
  mark->hide();
  return mark;
}

}  // namespace

void Editor::Capture::set(int parameter, int value) {
  for (auto& [n, v] : values)
    if (n == parameter) {
      v = value;
      return;
    }
  values.emplace_back(parameter, value);
}

const int* Editor::Capture::find(int parameter) const {
  for (const auto& [n, v] : values)
    if (n == parameter) return &v;
  return nullptr;
}

Editor::Editor(app::Context& ctx, const EditorDefinition& definition)
    : Screen(ctx, QString::fromLatin1(definition.form)), definition_(definition) {
  message_ = new parts::MessageLine(this);
  message_->setObjectName("MessageLine");
  platform::setForeColor(message_, core::colour::kRed);
  warningLine_ = new parts::MessageLine(this);
  warningLine_->setObjectName("WarningLine");
  platform::setForeColor(warningLine_, kWarningInk);
  writer_ = makeTimer("Timer1", definition.writeIntervalMs, [this] { writeTick(); });
}

Editor::~Editor() = default;

void Editor::bind() {
  QString form = objectName();
  auto named = [this](std::string_view n) { return findChild<QWidget*>(qs(n)); };
  for (const EditorField& f : definition_.fields) {
    const link::ParamInfo& info = link::paramInfo(f.parameter);
    Bound b;
    b.field = &f;
    if (qs(info.field.window) == form) b.ref = info.field;
    else if (qs(info.secondField.window) == form) b.ref = info.secondField;
    switch (b.ref.kind) {
      case link::FieldKind::kText:
        b.text = qobject_cast<QLineEdit*>(named(b.ref.control));
        if (b.text && definition_.digitsOnly) platform::installDigitsOnlyFilter(b.text);
        break;
      case link::FieldKind::kCheck: b.check = qobject_cast<QCheckBox*>(named(b.ref.control)); break;
      case link::FieldKind::kOptions:
        for (int i = 0; i < b.ref.optionCount(); ++i) {
          b.options.push_back(named(b.ref.options[static_cast<std::size_t>(i)]));
          b.labels.push_back(named(b.ref.labels[static_cast<std::size_t>(i)]));
        }
        break;
      default: break;
    }
    if (b.text) {
      b.warning = warningMark(b.text->parentWidget(), QStringLiteral("Warning") + b.text->objectName());
      if (QLayout* l = b.text->parentWidget()->layout()) placeBeside(l, b.text, b.warning);
      connect(b.text, &QLineEdit::textChanged, this, [this] { showPlausibility(); });
    }
    for (QWidget* o : b.options)
      if (auto* button = qobject_cast<QAbstractButton*>(o))
        connect(button, &QAbstractButton::toggled, this, [this] { showPlausibility(); });
    if (b.check) connect(b.check, &QAbstractButton::toggled, this, [this] { showPlausibility(); });
    bound_.push_back(std::move(b));
  }
  // The warning line speaks of the field being edited.
  connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) {
    if (now && isAncestorOf(now)) showPlausibility();
  });
  readChoice_ = control<QAbstractButton>(QString::fromLatin1(definition_.readChoice));
  writeChoice_ = control<QAbstractButton>(QString::fromLatin1(definition_.writeChoice));
  modify_ = control<QPushButton>("Command2");
  // Back to reading: what was typed and not sent gives way to the ECU's values.
  if (readChoice_)
    connect(readChoice_, &QAbstractButton::clicked, this, [this] {
      setWriteControls(false);
      fill();
    });
  if (writeChoice_) connect(writeChoice_, &QAbstractButton::clicked, this, [this] { setWriteControls(true); });
  if (modify_) connect(modify_, &QPushButton::clicked, this, [this] { modify(); });
  for (QLineEdit* e : findChildren<QLineEdit*>()) connect(e, &QLineEdit::textEdited, this, [this] { entryEdited(); });
  for (const Bound& b : bound_) {
    for (QWidget* o : b.options)
      if (auto* button = qobject_cast<QAbstractButton*>(o))
        connect(button, &QAbstractButton::clicked, this, [this] { entryEdited(); });
    if (b.check) connect(b.check, &QAbstractButton::clicked, this, [this] { entryEdited(); });
  }
  if (auto* exit = control<QPushButton>("Command1"))
    connect(exit, &QPushButton::clicked, this, [this] {
      writer_->stop();
      close();
    });
}

void Editor::load() {
  bind();
  app::applyTexts(this, definition_.texts, core::kItalian);  // the design-time captions
  applyLanguage();
  reserveMessageRoom();
  // As created: read mode, mode choices and Modify disabled, option groups
  // disabled and (unless the window says otherwise) the fields locked.
  if (readChoice_) readChoice_->setChecked(true);
  for (auto* c : {readChoice_, writeChoice_})
    if (c) c->setEnabled(connected());
  if (modify_) modify_->setEnabled(false);
  for (const Bound& b : bound_) {
    for (QWidget* o : b.options)
      if (o) o->setEnabled(false);
    if (b.check) b.check->setEnabled(false);
  }
  if (definition_.lockedAtStart)
    for (QLineEdit* e : findChildren<QLineEdit*>())
      if (!keepsReadOnly(e)) e->setReadOnly(true);
  writeControlsChanged(false);
}

void Editor::applyLanguage() {
  app::applyTexts(this, definition_.texts, language());
  if (!connected())
    if (const char* t = core::pick(definition_.notConnectedTitle, language())) setWindowTitle(QString::fromUtf8(t));
}

void Editor::activate() { fill(); }

void Editor::unload() { writer_->stop(); }

void Editor::show(const Bound& b, int value) {
  if (b.text) {
    b.text->setText(QString::number(value));
  } else if (b.check) {
    b.check->setChecked(value == 1);
  } else if (!b.options.empty()) {
    bool inRange = value >= 0 && value < static_cast<int>(b.options.size());
    if (inRange || definition_.outOfRangeClearsGroup) app::selectOption(b.options, b.labels, value);
  }
}

void Editor::fill() {
  clearProblems();
  for (const Bound& b : bound_)
    show(b, connected() ? shared().param(b.field->parameter).ecu : b.field->notConnectedValue);
  afterFill();
}

void Editor::showPlausibility() {
  link::ParamValues values{};
  for (int n = 1; n <= 62; ++n) values[static_cast<std::size_t>(n - 1)] = shared().param(n).ecu;
  // The fields as they stand now, a value being typed included. A field that
  // holds no valid entry gets no warning: Modify will say what is wrong with it.
  std::vector<const Bound*> unreadable;
  for (const Bound& b : bound_) {
    int& value = values[static_cast<std::size_t>(b.field->parameter - 1)];
    if (b.text) {
      // Judged over the whole wire range: an ECU value beyond what the field
      // takes (65526 in a signed field) is shown and warned of all the same.
      Entry e = parseEntry(b.text->text().toStdString(), kUnsigned16Max);
      if (e.ok()) value = e.value;
      else unreadable.push_back(&b);
    } else if (b.check) {
      value = b.check->isChecked() ? 1 : 0;
    } else {
      for (std::size_t i = 0; i < b.options.size(); ++i)
        if (auto* o = qobject_cast<QAbstractButton*>(b.options[i]); o && o->isChecked()) value = static_cast<int>(i);
    }
  }
  // Each implausible field gets its mark (the warning as its tip); the line
  // under the fields says it for the field being edited, else the first.
  QString line;
  for (const Bound& b : bound_) {
    if (!b.warning) continue;
    std::optional<link::PlausibilityNote> note;
    if (std::find(unreadable.begin(), unreadable.end(), &b) == unreadable.end())
      note = link::plausibilityNote(b.field->parameter, values);
    const QString text = note ? warningText(b, *note) : QString();
    b.warning->setToolTip(text);
    b.warning->setVisible(note.has_value());
    if (note && (line.isEmpty() || b.text->hasFocus())) line = text;
  }
  if (line != warningLine_->text()) warningLine_->showMessage(line);
}

QString Editor::warningText(const Bound& b, const link::PlausibilityNote& note) const {
  return fieldName(b.field->caption, b.field->heading, b.text) + QStringLiteral(": ") +
         QString::fromStdString(link::plausibilityText(note, language()));
}

void Editor::setWriteControls(bool write) {
  for (QLineEdit* e : findChildren<QLineEdit*>())
    if (!keepsReadOnly(e)) e->setReadOnly(!write);
  if (modify_) modify_->setEnabled(write);
  for (const Bound& b : bound_) {
    for (QWidget* o : b.options)
      if (o) o->setEnabled(write);
    if (b.check) b.check->setEnabled(write);
  }
  if (!write) clearProblems();
  writeControlsChanged(write);
}

void Editor::enterReadMode() {
  if (readChoice_) readChoice_->setChecked(true);
  if (writeChoice_) writeChoice_->setChecked(false);
  setWriteControls(false);
}

QString Editor::fieldName(const char* caption, const char* heading, QWidget* field) const {
  auto captionOf = [this](const char* name) -> QString {
    if (!name) return {};
    auto* l = control<QLabel>(QString::fromLatin1(name));
    return l ? l->text() : QString();
  };
  QString name = captionOf(caption);
  QString head = captionOf(heading);
  if (head.isEmpty())
    for (QWidget* p = field ? field->parentWidget() : nullptr; p && p != this; p = p->parentWidget())
      if (auto* g = qobject_cast<QGroupBox*>(p); g && !g->title().isEmpty()) {
        head = g->title();
        break;
      }
  if (name.isEmpty() && field) name = field->objectName();
  return head.isEmpty() ? name : head + QStringLiteral(" - ") + name;
}

Entry Editor::checkEntry(QLineEdit* field, const char* caption, const char* heading, int max,
                         std::vector<Problem>& problems) {
  Entry e = parseEntry(field->text().toStdString(), max);
  if (!e.ok()) problems.push_back({field, e.problem, fieldName(caption, heading, field), max});
  return e;
}

void Editor::captureFields(Capture& capture, std::vector<Problem>& problems) {
  for (const Bound& b : bound_) {
    int n = b.field->parameter;
    // What the press does not set keeps the value the ECU has: nothing to send.
    int value = shared().param(n).ecu;
    if (b.text) {
      Entry e = checkEntry(b.text, b.field->caption, b.field->heading, definition_.entryMax, problems);
      if (e.ok()) value = e.value;
    } else if (b.check) {
      value = b.check->isChecked() ? 1 : 0;
    } else {
      for (std::size_t i = 0; i < b.options.size(); ++i)
        if (auto* o = qobject_cast<QAbstractButton*>(b.options[i]); o && o->isChecked()) value = static_cast<int>(i);
    }
    capture.set(n, value);
  }
  captureExtra(capture, problems);
}

QString Editor::problemText(EntryProblem problem, const QString& name, int max) const {
  const core::Text3& text = problem == EntryProblem::kEmpty       ? kEmptyEntry
                            : problem == EntryProblem::kNotNumber ? kNotNumber
                                                                  : kOutOfRange;
  return app::text3(text, language()).arg(name, QString::number(max));
}

QLabel* Editor::messageLine() const { return message_; }

void Editor::reserveMessageRoom() {
  QStringList room = extraMessages();
  for (const Bound& b : bound_) {
    if (!b.text) continue;
    QString name = fieldName(b.field->caption, b.field->heading, b.text);
    for (EntryProblem p : {EntryProblem::kEmpty, EntryProblem::kNotNumber, EntryProblem::kOutOfRange})
      room << problemText(p, name, definition_.entryMax);
  }
  message_->setRoomFor(room);

  // The warnings' room: each field's longest warning, with the longest numbers
  // and parameter meaning that one can name.
  int longest = 1;
  for (int n = 1; n <= link::kLastParam; ++n)
    if (link::paramMeaning(n, language()).size() > link::paramMeaning(longest, language()).size()) longest = n;
  QStringList warnings;
  using Kind = link::PlausibilityNote::Kind;
  for (const Bound& b : bound_) {
    if (!b.warning) continue;
    for (Kind k : {Kind::kRange, Kind::kBelow, Kind::kAbove, Kind::kDifferent, Kind::kNotAbove, Kind::kNotBelow})
      warnings << warningText(b, {b.field->parameter, k, 65535, 65535, longest, 65535});
  }
  warningLine_->setRoomFor(warnings);
}

QLabel* Editor::warningLine() const { return warningLine_; }

void Editor::showMessage(const QString& text) {
  clearProblems();
  message_->showMessage(text);
}

bool Editor::reportProblems(const std::vector<Problem>& problems) {
  clearProblems();
  if (problems.empty()) return true;
  for (const Problem& p : problems) {
    platform::setBackColor(p.field, kWrongEntry);
    marked_.push_back(p.field);
  }
  const Problem& first = problems.front();
  message_->showMessage(problemText(first.problem, first.name, first.max));
  return false;
}

void Editor::entryEdited() {
  if (!marked_.empty() || !message_->text().isEmpty()) clearProblems();
}

void Editor::clearProblems() {
  for (QLineEdit* e : marked_) {
    e->setPalette(QPalette());
    e->setAutoFillBackground(false);
    e->setProperty("backColor", QVariant());
  }
  marked_.clear();
  message_->clear();
}

void Editor::commit(const Capture& capture) {
  for (const auto& [n, v] : capture.values) shared().param(n).pending = v;
}

void Editor::startWriting() {
  if (modify_) modify_->setEnabled(false);
  setBusy(true);
  writer_->start();
}

void Editor::modify() {
  Capture capture;
  std::vector<Problem> problems;
  captureFields(capture, problems);
  if (!reportProblems(problems)) return;  // refused: write mode stays, nothing is sent
  startWriting();
  commit(capture);
}

bool Editor::sendIfDiffers(int parameter) {
  const core::ValuePair& p = shared().param(parameter);
  if (!p.needsWrite() || !link::fitsWire16(p.pending)) return false;
  send(link::writeParameter(parameter, p.pending));
  return true;
}

int Editor::nextParameter() {
  for (const EditorField& f : definition_.fields) {
    const core::ValuePair& p = shared().param(f.parameter);
    if (p.needsWrite() && link::fitsWire16(p.pending)) return f.parameter;
  }
  return 0;
}

void Editor::writeTick() {
  writer_->stop();
  if (int n = nextParameter()) {
    sendIfDiffers(n);
    writer_->start();
    return;
  }
  writeFinished();
}

void Editor::writeFinished() {
  enterReadMode();
  setBusy(false);
}

}  // namespace kelvo6::params
