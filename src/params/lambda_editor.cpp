#include "params/lambda_editor.h"

#include <QGridLayout>
#include <array>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include "link/param_texts.h"
#include "params/form_parts.h"

namespace kelvo6::params {

namespace {

constexpr EditorField kFields[] = {
    {3, 2},
    {4, 350, "Label21"},
    {5, 600, "Label23"},
    {25, 1500, "Label3"},
    {50, 2},
    {51, 350, "Label26"},
    {52, 600, "Label25"},
};

constexpr core::Text3 kStraight05 = link::kSensorTypeTexts[0];
constexpr core::Text3 kInverted50 = link::kSensorTypeTexts[1];
constexpr core::Text3 kStraight01 = link::kSensorTypeTexts[2];
constexpr core::Text3 kInverted10 = link::kSensorTypeTexts[3];
constexpr core::Text3 kLean{"Soglia magro", "Lean threshold", "Fakir Karisim"};
constexpr core::Text3 kRich{"Soglia ricco", "Rich threshold", "Zengin Karisim"};
constexpr core::Text3 kEmulation{"PARAMETRI EMULAZIONE", "PARAMETERS FOR EMULATION", "Emulasyon Degerleri"};
constexpr core::Text3 kPeriod{"Periodo emulazione lambda", "LAMBDA PERIOD", "LAMBDA PERIOD"};
constexpr core::Text3 kDutyLean{"DUTY CYCLE MAGRA", "DUTY CYCLE LEAN", "DUTY CYCLE LEAN"};
constexpr core::Text3 kDutyRich{"DUTY CYCLE RICCA", "DUTY CYCLE RICH", "DUTY CYCLE RICH"};
constexpr core::Text3 kDutyCutoff{"DUTY CYCLE CUT OFF", "DUTY CYCLE CUT OFF", "DUTY CYCLE CUT OFF"};

constexpr app::ControlText kTexts[] = {
    {"title", {"KELVO6 - Parametri lambda", "KELVO6 - OXYGEN sensor parameters", "KELVO6 - LAMBDA Degerleri"}},
    {"Command1", kExitText},
    {"Command2", kModifyText},
    {"Frame1", {"LAMBDA1", "OXYGEN SENSOR1", "LAMBDA-1"}},
    {"Frame2", {"LAMBDA2", "OXYGEN SENSOR2", "LAMBDA-2"}},
    {"Label3",
     {"Soglia giri inserimento correzione", "RPM threshold activation corrective function",
      "Duzeltme Fonksiyonlarinin Aktif Olmasi Minimum Devir"}},
    {"Label23", kRich},      {"Label25", kRich},       {"Label21", kLean},      {"Label26", kLean},
    {"Label9", kReadModeText}, {"Label8", kWriteModeText},
    {"Label4", kEmulation},  {"Label5", kEmulation},   {"Label12", kPeriod},    {"Label28", kPeriod},
    {"Label19", kDutyLean},  {"Label29", kDutyLean},   {"Label20", kDutyRich},  {"Label30", kDutyRich},
    {"Label27", kDutyCutoff}, {"Label31", kDutyCutoff},
    {"Label6", kStraight05}, {"Label7", kInverted50},  {"Label10", kStraight01}, {"Label11", kInverted10},
    {"Label16", kStraight05}, {"Label15", kInverted50}, {"Label14", kStraight01}, {"Label13", kInverted10},
};

constexpr EditorDefinition kDefinition{
    "Form6", 500, "Option3", "Option4", kUnsigned16Max, true, true, true, kFields, kTexts,
    {"KELVO6 - Parametri lambda Non Connesso", "KELVO6 - OXYGEN sensor parameters Not Connected",
     "KELVO6 - LAMBDA Degerleri  Iletisim Yok"}};

// The names of one probe's controls.
struct ProbeNames {
  const char* frame;
  const char* options;           // option array name
  std::array<const char*, 4> typeLabels;  // by sensor type 0..3
  const char* lean;
  const char* leanLabel;
  const char* rich;
  const char* richLabel;
  const char* emulationHeading;
  // emulation period, lean, rich and cut-off duty cycles: field and heading
  std::array<const char*, 4> emulationFields;
  std::array<const char*, 4> emulationLabels;
};

constexpr ProbeNames kProbe1{"Frame1", "Option1", {"Label6", "Label7", "Label10", "Label11"},
                             "Text6", "Label21", "Text5", "Label23", "Label4",
                             {"Text4", "Text9", "Text10", "Text11"}, {"Label12", "Label19", "Label20", "Label27"}};
constexpr ProbeNames kProbe2{"Frame2", "Option2", {"Label16", "Label15", "Label14", "Label13"},
                             "Text8", "Label26", "Text7", "Label25", "Label5",
                             {"Text12", "Text13", "Text14", "Text15"}, {"Label28", "Label29", "Label30", "Label31"}};

QGroupBox* probeFrame(QWidget* parent, const ProbeNames& n) {
  QGroupBox* box = parts::frame(parent, n.frame, QString::fromLatin1(n.frame));
  auto* grid = new QGridLayout(box);
  int row = 0;
  // The 0-1 V types stand first.
  for (int type : {2, 3, 0, 1}) {
    QRadioButton* o = parts::option(box, QStringLiteral("%1_%2").arg(n.options).arg(type));
    grid->addWidget(o, row, 0);
    grid->addWidget(parts::captionFor(o, n.typeLabels[static_cast<std::size_t>(type)], {}), row, 1, 1, 2);
    ++row;
  }
  grid->setRowMinimumHeight(row++, 8);
  grid->addWidget(parts::label(box, n.leanLabel, {}), row, 0, 1, 2);
  grid->addWidget(parts::field(box, n.lean), row, 2);
  grid->addWidget(parts::unit(box, "mV"), row++, 3);
  grid->addWidget(parts::label(box, n.richLabel, {}), row, 0, 1, 2);
  grid->addWidget(parts::field(box, n.rich), row, 2);
  grid->addWidget(parts::unit(box, "mV"), row++, 3);

  // Emulation parameters: shown by the receive path only, kept hidden.
  auto* emulation = new QWidget(box);
  auto* e = new QGridLayout(emulation);
  e->setContentsMargins(0, 0, 0, 0);
  e->addWidget(parts::heading(emulation, n.emulationHeading, {}), 0, 0, 1, 3);
  const char* units[4] = {"msec", "%", "%", "%"};
  for (int i = 0; i < 4; ++i) {
    e->addWidget(parts::label(emulation, n.emulationLabels[static_cast<std::size_t>(i)], {}), i + 1, 0);
    e->addWidget(parts::field(emulation, n.emulationFields[static_cast<std::size_t>(i)]), i + 1, 1);
    e->addWidget(parts::unit(emulation, units[i]), i + 1, 2);
  }
  emulation->hide();
  grid->addWidget(emulation, row, 0, 1, 4);
  return box;
}

}  // namespace

LambdaEditor::LambdaEditor(app::Context& ctx) : Editor(ctx, kDefinition) {
  auto* probes = new QHBoxLayout;
  probes->addWidget(probeFrame(this, kProbe1));
  probes->addWidget(probeFrame(this, kProbe2));

  auto* speed = new QHBoxLayout;
  speed->addWidget(parts::label(this, "Label3", {}));
  speed->addWidget(parts::field(this, "Text3"));
  speed->addStretch();

  QWidget* modes = parts::modeChoices(this, "Option3", "Label9", "Option4", "Label8");

  auto* v = new QVBoxLayout(this);
  v->addLayout(probes);
  v->addLayout(speed);
  v->addWidget(modes);
  v->addWidget(warningLine());
  v->addWidget(messageLine());
  v->addLayout(parts::editorButtons(this));
  setWindowTitle("KELVO6 - Parametri lambda");
}

}  // namespace kelvo6::params
