#include "params/other_editor.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include "link/param_texts.h"
#include "params/form_parts.h"

namespace kelvo6::params {

namespace {

constexpr EditorField kFields[] = {
    {2, 4, "Label1"},   {1, 4, "Label2"},   {28, 84, "Label11"},   {29, 1300, "Label4"}, {10, 0, "Label5"},
    {11, 0, "Label6"},  {23, 1100, "Label14"}, {57, 0},            {33, 0},
};

constexpr app::ControlText kTexts[] = {
    {"title", {"KELVO6 - Altri parametri", "KELVO6 - Other parameters", "KELVO6 - Diger Degerler"}},
    {"Command1", kExitText},
    {"Command2", kModifyText},
    {"Label1", {"Numero di bobine", "Number of coils", "Bobin Sayisi"}},
    {"Label2", {"Numero di iniettori", "Number of injectors", "Enjektor Sayisi"}},
    {"Label4", {"Pressione di taratura", "Calibration pressure", "Kalibrasyon Basinci"}},
    {"Label5", {"Temperatura minima", "Minimum temperature", "Minimum Sicaklik"}},
    {"Label6", {"Temperatura massima", "Maximum temperature", "Maksimum Sicaklik"}},
    {"Label11", {"Temperatura di taratura", "Calibration temperature", "Kalibrasyon Sicakligi"}},
    {"Label14",
     {"Soglia giri inserimento correttivo pressione", "RPM threshold to activate pressure corrective values",
      "Basinc Duzeltme Degerlerinin Aktif Olmasi icin Devir Degeri"}},
    {"Frame1", {"SENSORE PRESSIONE", "PRESSURE SENSOR", "BASINC SENSORU"}},
    {"Frame2", {"INIETTORE GAS", "GAS INJECTOR MODEL", "GAS INJECTOR MODEL"}},
    {"Label16", link::kPressureSensorTexts[0]},
    {"Label17", link::kPressureSensorTexts[1]},
    {"Label18", link::kInjectorModelTexts[0]},
    {"Label15", link::kInjectorModelTexts[1]},
    {"Label7", kReadModeText},
    {"Label3", kWriteModeText},
};

constexpr EditorDefinition kDefinition{
    "Form13", 200, "Option1", "Option2", kUnsigned16Max, true, true, false, kFields, kTexts,
    {"KELVO6 - Altri parametri Non Connesso", "KELVO6 - Other parameters Not connected",
     "KELVO6 - Diger Degerler   Iletisim Yok"}};

QGroupBox* modelFrame(QWidget* parent, const char* name, const char* option0, const char* label0,
                      const char* option1, const char* label1) {
  QGroupBox* box = parts::frame(parent, name, {});
  auto* grid = new QGridLayout(box);
  QRadioButton* a = parts::option(box, option0);
  QRadioButton* b = parts::option(box, option1);
  grid->addWidget(a, 0, 0);
  grid->addWidget(parts::captionFor(a, label0, {}), 0, 1);
  grid->addWidget(b, 1, 0);
  grid->addWidget(parts::captionFor(b, label1, {}), 1, 1);
  grid->setColumnStretch(1, 1);
  return box;
}

}  // namespace

OtherEditor::OtherEditor(app::Context& ctx) : Editor(ctx, kDefinition) {
  auto* grid = new QGridLayout;
  struct Row {
    const char* label;
    const char* field;
    const char* unit;
  };
  const Row rows[] = {{"Label1", "Text1", nullptr}, {"Label2", "Text2", nullptr}, {"Label4", "Text3", "mbar"},
                      {"Label5", "Text4", "°C"},    {"Label6", "Text5", "°C"},    {"Label11", "Text6", "°C"},
                      {"Label14", "Text7", "rpm"}};
  int r = 0;
  for (const Row& row : rows) {
    grid->addWidget(parts::label(this, row.label, {}), r, 0);
    grid->addWidget(parts::field(this, row.field), r, 1);
    if (row.unit) grid->addWidget(parts::unit(this, QString::fromUtf8(row.unit)), r, 2);
    ++r;
  }
  grid->setRowStretch(r, 1);

  auto* right = new QVBoxLayout;
  right->addWidget(modelFrame(this, "Frame1", "Option3", "Label16", "Option4", "Label17"));
  right->addWidget(modelFrame(this, "Frame2", "Option5", "Label18", "Option6", "Label15"));
  right->addStretch();

  auto* columns = new QHBoxLayout;
  columns->addLayout(grid);
  columns->addSpacing(16);
  columns->addLayout(right);

  auto* v = new QVBoxLayout(this);
  v->addLayout(columns);
  v->addWidget(parts::modeChoices(this, "Option1", "Label7", "Option2", "Label3"));
  v->addWidget(warningLine());
  v->addWidget(messageLine());
  v->addLayout(parts::editorButtons(this));
}

}  // namespace kelvo6::params
