#include "params/cutoff_editor.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include "params/form_parts.h"

namespace kelvo6::params {

namespace {

constexpr EditorField kFields[] = {
    {31, 2500, "Label1"},
    {32, 1000, "Label2"},
};

constexpr app::ControlText kTexts[] = {
    {"title", {"KELVO6 - Parametri cutoff", "KELVO6 - Cutoff parameters", "KELVO6 - Gaz Kesme Degerlery"}},
    {"Command1", kExitText},
    {"Command2", kModifyText},
    {"Label5", {"GESTIONE CUTOFF", "CONTROL OF CUTOFF", "Gaz Kesme Kontrolu"}},
    {"Label1",
     {"Soglia giri inserimento cutoff", "RPM threshold for entering CUTOFF", "Gaz Kesme Durum icin Minimum Devir"}},
    {"Label2",
     {"Soglia TINJ ingresso in cutoff", "Injection time threshold for entering CUTOFF",
      "Gaz Kesme Durum icin Minimum Enjeksyon Suresi"}},
    {"Label4", {"KGB in CUTOFF", "KGB in CUTOFF", "Gaz Kesme Durumunda KGB Degeri"}},
    {"Label10", kReadModeText},
    {"Label9", kWriteModeText},
};

// No key filter here, and the fields take typing until read mode is chosen.
constexpr EditorDefinition kDefinition{
    "Form10", 1000, "Option1", "Option2", kSigned16Max, false, false, false, kFields, kTexts,
    {"KELVO6 - Parametri cutoff Non Connesso", "KELVO6 - Cutoff parameters Not connected",
     "KELVO6 - Gaz Kesme Degerlery  Iletisim Yok"}};

}  // namespace

CutoffEditor::CutoffEditor(app::Context& ctx) : Editor(ctx, kDefinition) {
  auto* grid = new QGridLayout;
  grid->addWidget(parts::heading(this, "Label5", {}), 0, 0, 1, 3);
  grid->addWidget(parts::label(this, "Label1", {}), 1, 0);
  grid->addWidget(parts::field(this, "Text1"), 1, 1);
  grid->addWidget(parts::unit(this, "rpm"), 1, 2);
  grid->addWidget(parts::label(this, "Label2", {}), 2, 0);
  grid->addWidget(parts::field(this, "Text2"), 2, 1);
  grid->addWidget(parts::unit(this, "msec"), 2, 2);
  // A field under its heading with no parameter behind it: shown empty.
  grid->addWidget(parts::label(this, "Label4", {}), 3, 0);
  grid->addWidget(parts::field(this, "Text4"), 3, 1);
  grid->setColumnStretch(3, 1);

  QWidget* modes = parts::modeChoices(this, "Option1", "Label10", "Option2", "Label9");

  auto* v = new QVBoxLayout(this);
  v->addLayout(grid);
  v->addWidget(modes);
  v->addWidget(warningLine());
  v->addWidget(messageLine());
  v->addLayout(parts::editorButtons(this));
}

void CutoffEditor::afterFill() {
  if (auto* kgb = control<QLineEdit>("Text4")) kgb->clear();
}

void CutoffEditor::modify() {
  Editor::modify();
  if (!writer().isRunning()) return;  // refused: everything stays as typed
  if (auto* kgb = control<QLineEdit>("Text4")) kgb->clear();
}

}  // namespace kelvo6::params
