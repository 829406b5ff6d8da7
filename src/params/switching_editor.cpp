#include "params/switching_editor.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include "link/param_texts.h"
#include "params/form_parts.h"
#include "params/level.h"

namespace kelvo6::params {

namespace {

constexpr int kSwitchModel = 58;
constexpr int kThresholds[3] = {16, 17, 18};

constexpr EditorField kFields[] = {
    {12, 2300, "Label1", "Label6"},
    {14, 50, "Label3", "Label5"},
    {15, 0, "Label2", "Label6"},
    {13, 50, "Label4", "Label6"},
    {30, 400, "Label12", "Label11"},
    {59, 1},
    {60, 800, "Label15", "Label6"},
    {kSwitchModel, 1},
    {61, 1},
    // The level thresholds have no field here; the switch model sets them.
    {kThresholds[0], 0},
    {kThresholds[1], 0},
    {kThresholds[2], 0},
};

constexpr core::Text3 kOverlap{"Tempo sovrapposizione", "Overlap time", "Yakit Degisim Suresi Bekleniyor"};

constexpr app::ControlText kTexts[] = {
    {"title",
     {"KELVO6 - Parametri commutazione", "KELVO6 - Commutation parameters", "KELVO6 - Iletisim Parametreleri"}},
    {"Command1", kExitText},
    {"Command2", kModifyText},
    {"Frame1", {"COMMUTAZIONE", "CHANGING", "YAKIT DEGISIM SEKLI"}},
    {"Frame2", {"TIPO COMMUTATORE", "SWITCHING", "ANAHTAR TIPI"}},
    {"Label5", {"COMMUTAZIONE G->B", "SWITCHING G->P", "G->B YAKIT DEGISIM"}},
    {"Label3", kOverlap},
    {"Label6", {"COMMUTAZIONE B->G", "SWITCHING P->G", "B->G YAKIT DEGISIM"}},
    {"Label1", {"Giri commutazione", "Switching RPM", "Yakit Degisim Devri"}},
    {"Label2", kOverlap},
    {"Label4", {"Temperatura commutazione", "Switching temperature", "Yakit Degisim Sicakligi"}},
    {"Label15", {"Filtro partenza", "START filter", "Yakit Degisim Filtre Suresi"}},
    {"Label11",
     {"COMMUTAZIONE G->B - FINE GAS", "SWITCHING G->P - END OF GAS", "GAZ BITTIGINDE - G->B YAKIT DEGISIM"}},
    {"Label12", {"Pressione fine gas", "Pressure indicating end of gas", "Gaz bittiginde Basinc Degeri"}},
    {"Label16", link::kChangeOverTexts[0]},
    {"Label17", link::kChangeOverTexts[1]},
    {"Label22", {"Commutazione a caldo", "Warm switching", "Sicaklikla Yakit Degisimi"}},
    {"Label19", link::kSwitchModelTexts[0]},
    {"Label20", link::kSwitchModelTexts[1]},
    {"Label21", link::kSwitchModelTexts[2]},
    {"Label14", kReadModeText},
    {"Label10", kWriteModeText},
};

constexpr EditorDefinition kDefinition{
    "Form11", 1000, "Option1", "Option2", kSigned16Max, true, true, false, kFields, kTexts,
    {"KELVO6 - Parametri commutazione Non connesso", "KELVO6 - Commutation parameters Not connected",
     "KELVO6 - Iletisim Parametreleri  Iletisim Yok"}};

void addRow(QGridLayout* grid, int row, QWidget* parent, const char* label, const char* field, const char* unit) {
  grid->addWidget(parts::label(parent, label, {}), row, 0);
  grid->addWidget(parts::field(parent, field), row, 1);
  if (unit) grid->addWidget(parts::unit(parent, QString::fromUtf8(unit)), row, 2);
}

QGroupBox* choiceFrame(QWidget* parent, const char* name, std::initializer_list<std::pair<const char*, const char*>> rows) {
  QGroupBox* box = parts::frame(parent, name, {});
  auto* grid = new QGridLayout(box);
  int row = 0;
  for (auto [option, label] : rows) {
    QRadioButton* o = parts::option(box, option);
    grid->addWidget(o, row, 0);
    grid->addWidget(parts::captionFor(o, label, {}), row, 1);
    ++row;
  }
  grid->setColumnStretch(1, 1);
  return box;
}

}  // namespace

SwitchingEditor::SwitchingEditor(app::Context& ctx) : Editor(ctx, kDefinition) {
  auto* grid = new QGridLayout;
  grid->addWidget(parts::heading(this, "Label6", {}), 0, 0, 1, 3);
  addRow(grid, 1, this, "Label1", "Text1", nullptr);
  addRow(grid, 2, this, "Label2", "Text3", " msec");
  addRow(grid, 3, this, "Label4", "Text4", "°C");
  addRow(grid, 4, this, "Label15", "Text6", " msec");
  grid->setRowMinimumHeight(5, 8);
  grid->addWidget(parts::heading(this, "Label5", {}), 6, 0, 1, 3);
  addRow(grid, 7, this, "Label3", "Text2", " msec");
  grid->setRowMinimumHeight(8, 8);
  grid->addWidget(parts::heading(this, "Label11", {}), 9, 0, 1, 3);
  addRow(grid, 10, this, "Label12", "Text5", " mbar");
  grid->setRowStretch(11, 1);

  QGroupBox* changing = choiceFrame(this, "Frame1", {{"Option3", "Label16"}, {"Option4", "Label17"}});
  auto* warm = new QCheckBox(changing);
  warm->setObjectName("Check1");
  auto* changingGrid = static_cast<QGridLayout*>(changing->layout());
  changingGrid->addWidget(warm, 2, 0);
  changingGrid->addWidget(parts::captionFor(warm, "Label22", {}), 2, 1);
  QGroupBox* model = choiceFrame(this, "Frame2", {{"Option5", "Label19"}, {"Option6", "Label20"}, {"Option7", "Label21"}});

  auto* right = new QVBoxLayout;
  right->addWidget(changing);
  right->addWidget(model);
  right->addStretch();

  auto* columns = new QHBoxLayout;
  columns->addLayout(grid);
  columns->addSpacing(16);
  columns->addLayout(right);

  auto* v = new QVBoxLayout(this);
  v->addLayout(columns);
  v->addWidget(parts::modeChoices(this, "Option1", "Label14", "Option2", "Label10"));
  v->addWidget(warningLine());
  v->addWidget(messageLine());
  v->addLayout(parts::editorButtons(this));
}

void SwitchingEditor::captureExtra(Capture& capture, std::vector<Problem>& /*problems*/) {
  // A change of switch model brings that model's level thresholds; keeping the
  // model keeps the thresholds the ECU has (they may have been set by hand).
  int chosen = -1;
  for (int i = 0; i < 3; ++i)
    if (auto* o = control<QRadioButton>(QStringLiteral("Option%1").arg(5 + i)); o && o->isChecked()) chosen = i;
  if (chosen < 0 || chosen == shared().param(kSwitchModel).ecu) return;
  if (auto thresholds = switchModelThresholds(chosen))
    for (int i = 0; i < 3; ++i) capture.set(kThresholds[i], (*thresholds)[static_cast<std::size_t>(i)]);
}

}  // namespace kelvo6::params
