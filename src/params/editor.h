#pragma once
// The one engine behind the five parameter editors. A window declares its
// fields as data (parameter, value shown when not connected, caption) and
// builds its own layout; the engine runs the rest: texts by language, the
// read and write modes, filling the fields from the ECU values, the Modify
// press (entries checked before anything changes), and the write sequence that
// sends one changed parameter per tick until every echo has confirmed it.

#include <QString>
#include <QStringList>
#include <memory>
#include <span>
#include <vector>

#include "app/screen.h"
#include "app/texts.h"
#include "core/language.h"
#include "link/plausibility.h"
#include "params/entry.h"

class QAbstractButton;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace kelvo6::params {

namespace parts {
class MessageLine;
}

// Captions that every editor shares.
constexpr core::Text3 kExitText{"EXIT", "EXIT", "CIKIS"};
constexpr core::Text3 kModifyText{"Modifica", "Modify", "Kaydet"};
constexpr core::Text3 kReadModeText{"Modalità lettura", "Reading mode", "Okuma Modu"};
constexpr core::Text3 kWriteModeText{"Modalità scrittura", "Writing mode", "Degistirme Modu"};

// One editable parameter, in write order. Its control is the one the parameter
// table lists for this window; a parameter without one there is written only
// through the window's own logic (the switching editor's level thresholds).
struct EditorField {
  int parameter;
  int notConnectedValue;
  const char* caption = nullptr;  // label naming the field in messages
  const char* heading = nullptr;  // heading above it, when the caption alone is ambiguous
};

struct EditorDefinition {
  const char* form;
  int writeIntervalMs;
  const char* readChoice;   // option button of read mode
  const char* writeChoice;  // option button of write mode
  int entryMax;             // kSigned16Max or kUnsigned16Max
  bool digitsOnly = true;
  bool lockedAtStart = true;
  bool outOfRangeClearsGroup = false;  // else a value outside an option group changes nothing
  std::span<const EditorField> fields;
  std::span<const app::ControlText> texts;  // the "title" row is the connected title
  core::Text3 notConnectedTitle;
};

class Editor : public app::Screen {
  Q_OBJECT
 public:
  Editor(app::Context& ctx, const EditorDefinition& definition);
  ~Editor() override;

  void load() override;
  void activate() override;
  void unload() override;

 protected:
  // Values a press gives, by parameter.
  struct Capture {
    std::vector<std::pair<int, int>> values;
    void set(int parameter, int value);
    const int* find(int parameter) const;
  };
  struct Problem {
    QLineEdit* field;
    EntryProblem problem;
    QString name;
    int max;
  };

  // The message line under the fields, placed by each window's layout. It
  // keeps the room of the longest message the window can give, so that a
  // message never moves the fields.
  QLabel* messageLine() const;
  // The line for plausibility warnings, placed by each window's layout above
  // the message line. It keeps room for the longest warning, so that warnings
  // coming and going move no field.
  QLabel* warningLine() const;
  // Reserves that room for the captions now set; after every change of texts.
  void reserveMessageRoom();
  // A message that marks no field.
  void showMessage(const QString& text);
  // How messages name a field, and what they say about a wrong entry.
  QString fieldName(const char* caption, const char* heading, QWidget* field) const;
  QString problemText(EntryProblem problem, const QString& name, int max) const;

  void applyLanguage();
  void fill();
  void enterReadMode();
  void setWriteControls(bool write);
  // Reads the fields into `capture`; wrong entries are added to `problems`.
  void captureFields(Capture& capture, std::vector<Problem>& problems);
  Entry checkEntry(QLineEdit* field, const char* caption, const char* heading, int max,
                   std::vector<Problem>& problems);
  // Marks the wrong fields and names the first; false when there were any.
  bool reportProblems(const std::vector<Problem>& problems);
  void clearProblems();
  // The fitter changed an entry: an earlier refusal no longer applies.
  void entryEdited();
  void commit(const Capture& capture);
  void startWriting();
  void writeTick();
  platform::Timer& writer() { return *writer_; }
  bool sendIfDiffers(int parameter);

  // Hooks for a window's own behaviour.
  virtual void afterFill() {}
  virtual void writeControlsChanged(bool /*write*/) {}
  virtual void captureExtra(Capture& /*capture*/, std::vector<Problem>& /*problems*/) {}
  // Messages of the window's own beyond the refusals of its entries.
  virtual QStringList extraMessages() const { return {}; }
  virtual void modify();
  // The next parameter to send, or 0 when everything is confirmed.
  virtual int nextParameter();
  virtual void writeFinished();

  const EditorDefinition& definition() const { return definition_; }

 private:
  struct Bound {
    const EditorField* field = nullptr;
    link::FieldRef ref;
    QLineEdit* text = nullptr;
    QCheckBox* check = nullptr;
    std::vector<QWidget*> options;
    std::vector<QWidget*> labels;
    QLabel* warning = nullptr;  // mark beside a text field: its value looks implausible
  };
  void bind();
  // Shows beside each text field whether its value (with the others as now
  // shown) looks implausible; a warning only, it never stops a Modify.
  void showPlausibility();
  void show(const Bound& b, int value);
  QString warningText(const Bound& b, const link::PlausibilityNote& note) const;


  EditorDefinition definition_;
  std::vector<Bound> bound_;
  parts::MessageLine* message_;
  parts::MessageLine* warningLine_;
  QAbstractButton* readChoice_ = nullptr;
  QAbstractButton* writeChoice_ = nullptr;
  QPushButton* modify_ = nullptr;
  std::vector<QLineEdit*> marked_;
  std::unique_ptr<platform::Timer> writer_;
};

}  // namespace kelvo6::params
