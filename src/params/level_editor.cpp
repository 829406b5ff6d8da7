#include "params/level_editor.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include "link/requests.h"
#include "link/param_texts.h"
#include "params/form_parts.h"
#include "params/level.h"
#include "platform/widgets.h"

namespace kelvo6::params {

namespace {

constexpr int kLevelMin = 19, kLevelMax = 20, kSwitchModel = 58;
constexpr int kThresholdParams[3] = {16, 17, 18};
constexpr const char* kThresholdFields[3] = {"Text3", "Text4", "Text5"};
constexpr const char* kThresholdHeadings[3] = {"Label3", "Label4", "Label5"};
constexpr const char* kScrollNames[3] = {"VScroll3", "VScroll2", "VScroll1"};
constexpr const char* kReadingNames[3] = {"Label13", "Label14", "Label17"};

constexpr core::Rgb kRedLit{255, 0, 0}, kRedDark{192, 0, 0};
constexpr core::Rgb kGreenLit{0, 255, 0}, kGreenDark{0, 192, 0};

constexpr EditorField kFields[] = {
    {kLevelMin, 0, "Label1"},
    {kLevelMax, 5000, "Label2"},
    {16, 10, "Label3"},
    {17, 30, "Label4"},
    {18, 60, "Label5"},
};

constexpr app::ControlText kTexts[] = {
    {"title",
     {"KELVO6 - Parametri indicatore", "KELVO6 - Indicator parameters", "KELVO6 - Gaz Seviye Gostergesi Degerleri"}},
    {"Command1", kExitText},
    {"Command2", kModifyText},
    {"Command3", {"Imposta come livello max", "Set as maximum value", "Maksimum Deger Olarak Belirle"}},
    {"Command4", {"Imposta come livello min", "Set as minimum value", "Minimum Deger Olarak Belirle"}},
    {"Label8", kReadModeText},
    {"Label7", kWriteModeText},
    {"Label1", {"Livello minimo", "Minimum level", "Minimum Seviye"}},
    {"Label2", {"Livello massimo", "Maximum level", "Maksimum Seviye"}},
    {"Label19", {"Livello attuale", "Actual level", "Seviye"}},
};

// Threshold headings of the three-lamp model (also used when not connected)
// and of the four-lamp model.
constexpr app::ControlText kThirds[] = {
    {"Label3", {"Soglia Ris->1/3", "Threshold Res->1/3", "Doluluk Orani 0->1/3"}},
    {"Label4", {"Soglia 1/2->2/3", "Threshold 1/3->2/3", "Doluluk 1/3->2/3"}},
    {"Label5", {"Soglia 2/3->3/3", "Threshold 2/3->3/3", "Doluluk 2/3->3/3"}},
};
constexpr app::ControlText kQuarters[] = {
    {"Label22", {"Soglia Ris->1/4", "Threshold Res->1/4", "Doluluk Orani 0->1/4"}},
    {"Label3", {"Soglia 1/4->2/4", "Threshold 1/4->2/4", "Doluluk 1/4->2/4"}},
    {"Label4", {"Soglia 2/4->3/4", "Threshold 2/4->3/4", "Doluluk 2/4->3/4"}},
    {"Label5", {"Soglia 3/4->4/4", "Threshold 3/4->4/4", "Doluluk 3/4->4/4"}},
};
constexpr core::Text3 kNoLiveReading{
    "Nessuna lettura del livello ancora: compare in Livello attuale dopo aver premuto Modifica.",
    "No live reading of the level yet: it shows under Actual level once Modify has been pressed.",
    "Henuz seviye okumasi yok: Kaydet tusuna basildiktan sonra Seviye alaninda gorunur."};

constexpr const auto& kModelNames = link::kSwitchModelTexts;

constexpr EditorDefinition kDefinition{
    "Form14", 300, "Option1", "Option2", kSigned16Max, true, true, false, kFields, kTexts,
    {"KELVO6 - Parametri indicatore Non connesso", "KELVO6 - Indicator parameters Not connected",
     "KELVO6 - Gaz Seviye Gostergesi Degerleri  Iletisim Yok"}};

platform::Lamp* lamp(QWidget* parent, const char* name, core::Rgb colour) {
  auto* l = new platform::Lamp(parent, platform::Lamp::Shape::kCircle);
  l->setObjectName(name);
  l->setFixedSize(30, 30);
  l->setFill(colour);
  return l;
}

}  // namespace

LevelEditor::LevelEditor(app::Context& ctx) : Editor(ctx, kDefinition) {
  auto* limits = new QGridLayout;
  limits->addWidget(parts::label(this, "Label1", {}), 0, 0);
  limits->addWidget(parts::field(this, "Text1"), 0, 1);
  limits->addWidget(parts::unit(this, "mV"), 0, 2);
  limits->addWidget(parts::button(this, "Command4", "Imposta come livello min"), 0, 3);
  limits->addWidget(parts::label(this, "Label2", {}), 1, 0);
  limits->addWidget(parts::field(this, "Text2"), 1, 1);
  limits->addWidget(parts::unit(this, "mV"), 1, 2);
  limits->addWidget(parts::button(this, "Command3", "Imposta come livello max"), 1, 3);
  limits->addWidget(parts::label(this, "Label19", {}), 2, 0);
  QLineEdit* actual = parts::field(this, "Text6");
  actual->setProperty("keepsReadOnly", true);  // the live reading, not an entry
  actual->setReadOnly(true);
  limits->addWidget(actual, 2, 1);
  limits->addWidget(parts::unit(this, "mV"), 2, 2);
  limits->setColumnStretch(4, 1);

  // One column per threshold: heading, scroll bar, percent field, reading.
  auto* thresholds = new QGridLayout;
  // The four-lamp model's fixed first quarter: shown, never sent.
  thresholds->addWidget(parts::label(this, "Label22", "Soglia Ris->1/4"), 0, 0, Qt::AlignHCenter);
  QLineEdit* reserve = parts::field(this, "Text7", 48);
  reserve->setText(QString::number(kModel2ReservePercent));
  reserve->setProperty("keepsReadOnly", true);
  reserve->setReadOnly(true);
  platform::installDigitsOnlyFilter(reserve);
  auto* reserveRow = new QHBoxLayout;
  reserveRow->addWidget(reserve);
  QLabel* reservePercent = parts::label(this, "Label24", "%");
  reserveRow->addWidget(reservePercent);
  thresholds->addLayout(reserveRow, 2, 0, Qt::AlignHCenter);
  const char* designHeadings[3] = {"SOGLIA Ris -> 1/3", "SOGLIA 1/3 -> 2/3", "SOGLIA 2/3 -> 3/3"};
  for (int i = 0; i < 3; ++i) {
    int column = i + 1;
    thresholds->addWidget(parts::label(this, kThresholdHeadings[i], designHeadings[i]), 0, column, Qt::AlignHCenter);
    auto* scroll = new QScrollBar(Qt::Vertical, this);
    scroll->setObjectName(kScrollNames[i]);
    scroll->setRange(0, 100);
    scroll->setInvertedAppearance(true);  // up is more
    scroll->setFixedHeight(110);
    scrolls_[static_cast<std::size_t>(i)] = scroll;
    thresholds->addWidget(scroll, 1, column, Qt::AlignHCenter);
    auto* fieldRow = new QHBoxLayout;
    QLineEdit* f = parts::field(this, kThresholdFields[i], 48);
    thresholdFields_[static_cast<std::size_t>(i)] = f;
    fieldRow->addWidget(f);
    fieldRow->addWidget(parts::unit(this, "%"));
    thresholds->addLayout(fieldRow, 2, column, Qt::AlignHCenter);
    auto* readingRow = new QHBoxLayout;
    QLabel* reading = parts::label(this, kReadingNames[i], {});
    reading->setMinimumWidth(44);
    reading->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    readings_[static_cast<std::size_t>(i)] = reading;
    readingRow->addWidget(reading);
    readingRow->addWidget(parts::unit(this, "mV"));
    thresholds->addLayout(readingRow, 3, column, Qt::AlignHCenter);
    connect(scroll, &QScrollBar::valueChanged, this, [this, i](int v) { scrolled(i, v); });
  }
  for (QWidget* w : {control<QWidget>("Label22"), static_cast<QWidget*>(reserve), static_cast<QWidget*>(reservePercent)})
    w->hide();

  // The dashboard: red reserve lamp, then the level lamps from the bottom.
  reserveLamp_ = lamp(this, "Shape1", kRedDark);
  levelLamps_ = {lamp(this, "Shape2", kGreenDark), lamp(this, "Shape3", kGreenDark),
                 lamp(this, "Shape4", kGreenDark), lamp(this, "Shape5", kGreenDark)};
  levelLamps_[3]->hide();
  auto* lamps = new QHBoxLayout;
  QLabel* model = parts::heading(this, "Label23", {});
  lamps->addWidget(model);
  lamps->addSpacing(16);
  lamps->addWidget(reserveLamp_);
  for (int i : {3, 0, 1, 2}) lamps->addWidget(levelLamps_[static_cast<std::size_t>(i)]);
  lamps->addStretch();

  auto* v = new QVBoxLayout(this);
  v->addLayout(limits);
  v->addSpacing(6);
  v->addLayout(thresholds);
  v->addLayout(lamps);
  v->addWidget(parts::modeChoices(this, "Option1", "Label8", "Option2", "Label7"));
  v->addWidget(warningLine());
  v->addWidget(messageLine());
  v->addLayout(parts::editorButtons(this));

  connect(control<QPushButton>("Command3"), &QPushButton::clicked, this, [this] { learn(true); });
  connect(control<QPushButton>("Command4"), &QPushButton::clicked, this, [this] { learn(false); });
  live_ = makeTimer("Timer2", 300, [this] { liveTick(); });
}

LevelEditor::~LevelEditor() = default;

int LevelEditor::switchModel() { return shared().param(kSwitchModel).ecu; }

void LevelEditor::load() {
  Editor::load();
  // Filled once, here; activation only sets the texts.
  fill();
  if (connected() && switchModel() == 2)
    for (const char* name : {"Shape5", "Text7", "Label22", "Label24"}) control<QWidget>(name)->show();
  // The headings and model name of this run already, so that the window is
  // first shown at the size they need.
  applyLevelTexts();
}

void LevelEditor::activate() {
  applyLevelTexts();
  layout()->activate();  // a caption that changed is laid out before the window is next drawn
  if (connected()) {
    for (const char* choice : {definition().readChoice, definition().writeChoice})
      if (auto* c = control<QWidget>(QString::fromLatin1(choice))) c->setEnabled(true);
    shared().live.level = 0;
  }
}

void LevelEditor::unload() {
  Editor::unload();
  live_->stop();
}

void LevelEditor::applyLevelTexts() {
  applyLanguage();
  int model = connected() ? switchModel() : 1;
  if (model == 1) app::applyTexts(this, kThirds, language());
  if (model == 2) app::applyTexts(this, kQuarters, language());
  if (model >= 0 && model <= 2)
    if (const char* name = core::pick(kModelNames[model], language()))
      control<QLabel>("Label23")->setText(QString::fromUtf8(name));
  reserveMessageRoom();
}

QStringList LevelEditor::extraMessages() const {
  QString actual = fieldName("Label19", nullptr, control<QLineEdit>("Text6"));
  return {app::text3(kNoLiveReading, language()), problemText(EntryProblem::kOutOfRange, actual, kSigned16Max)};
}

void LevelEditor::afterFill() {
  if (connected()) {
    const auto& s = shared();
    for (int i = 0; i < 3; ++i) {
      int p = s.param(kThresholdParams[i]).ecu;
      setScroll(i, p);
      showReading(i, s.param(kLevelMin).ecu, s.param(kLevelMax).ecu, p);
    }
    return;
  }
  // Not connected: the readings follow the example values in the fields.
  auto number = [this](const char* name) { return control<QLineEdit>(name)->text().toInt(); };
  for (int i = 0; i < 3; ++i) {
    int p = number(kThresholdFields[i]);
    setScroll(i, p);
    showReading(i, number("Text1"), number("Text2"), p);
  }
}

void LevelEditor::showReading(int index, int min, int max, int percent) {
  readings_[static_cast<std::size_t>(index)]->setText(QString::number(thresholdReading(min, max, percent)));
}

void LevelEditor::setScroll(int index, int value) {
  QScrollBar* s = scrolls_[static_cast<std::size_t>(index)];
  QSignalBlocker quiet(s);  // the program moving it is not the user moving it
  s->setValue(value);
}

void LevelEditor::scrolled(int index, int value) {
  entryEdited();
  thresholdFields_[static_cast<std::size_t>(index)]->setText(QString::number(value));
  showReading(index, shared().param(kLevelMin).ecu, shared().param(kLevelMax).ecu, value);
}

void LevelEditor::showParameter(int number, int value, const link::FieldRef& field) {
  Editor::showParameter(number, value, field);
  for (int i = 0; i < 3; ++i)
    if (number == kThresholdParams[i]) setScroll(i, value);
}

void LevelEditor::writeControlsChanged(bool write) {
  for (const char* name : {"Command3", "Command4"}) control<QWidget>(name)->setEnabled(write);
  for (QScrollBar* s : scrolls_) s->setEnabled(write);
}

void LevelEditor::modify() {
  Capture capture;
  std::vector<Problem> problems;
  captureFields(capture, problems);
  if (!reportProblems(problems)) return;
  for (const char* name : {"Command3", "Command4"}) control<QWidget>(name)->setEnabled(false);
  learnMax_ = learnMin_ = false;
  live_->stop();
  startWriting();
  commit(capture);
}

void LevelEditor::learn(bool maximum) {
  QLineEdit* actual = control<QLineEdit>("Text6");
  if (actual->text().isEmpty()) {
    // Only a reading from the ECU fills the field; before the first one
    // there is nothing to learn.
    showMessage(app::text3(kNoLiveReading, language()));
    return;
  }
  std::vector<Problem> problems;
  Entry reading = checkEntry(actual, "Label19", nullptr, kSigned16Max, problems);
  if (!reportProblems(problems)) return;  // a reading no limit can hold
  for (const char* name : {"Command3", "Command4"}) control<QWidget>(name)->setEnabled(false);
  learnMax_ = maximum;
  learnMin_ = !maximum;
  live_->stop();
  startWriting();
  shared().param(maximum ? kLevelMax : kLevelMin).pending = reading.value;
}

int LevelEditor::nextParameter() {
  auto differs = [this](int n) {
    const core::ValuePair& p = shared().param(n);
    return p.needsWrite() && link::fitsWire16(p.pending);
  };
  if (!learnMax_ && differs(kLevelMin)) return kLevelMin;
  if (differs(kLevelMax) && !learnMin_) return kLevelMax;
  if (!learnMax_ && !learnMin_)
    for (int n : kThresholdParams)
      if (differs(n)) return n;
  return 0;
}

void LevelEditor::writeFinished() {
  const auto& s = shared();
  for (int i = 0; i < 3; ++i)
    showReading(i, s.param(kLevelMin).ecu, s.param(kLevelMax).ecu, s.param(kThresholdParams[i]).ecu);
  enterReadMode();
  if (connected()) {
    blink_ = 0;
    shared().received.liveData = false;
    live_->start();
  }
  setBusy(false);
}

void LevelEditor::liveTick() {
  send(link::readLiveData());
  // Until the ECU answers, the stored level is no reading of this sender.
  if (!shared().received.liveData) return;
  control<QLineEdit>("Text6")->setText(QString::number(shared().live.level));
  showLamps();
}

void LevelEditor::showLamps() {
  const auto& s = shared();
  auto lamps = levelLamps(switchModel(), s.param(kLevelMin).ecu, s.param(kLevelMax).ecu, s.param(16).ecu,
                          s.param(17).ecu, s.param(18).ecu, s.live.level);
  if (!lamps) return;  // an unknown switch model leaves the lamps as they are
  if (lamps->reserve) {
    ReserveBlink b = reserveBlink(blink_);
    blink_ = b.counter;
    reserveLamp_->setFill(b.lit ? kRedLit : kRedDark);
  } else {
    reserveLamp_->setFill(kRedLit);
  }
  for (std::size_t i = 0; i < levelLamps_.size(); ++i)
    levelLamps_[i]->setFill(lamps->levelLit[i] ? kGreenLit : kGreenDark);
}

}  // namespace kelvo6::params
