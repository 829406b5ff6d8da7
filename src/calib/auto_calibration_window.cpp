#include "calib/auto_calibration_window.h"

#include <QCloseEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>

#include "app/connection.h"
#include "app/texts.h"
#include "calib/kgb_table.h"
#include "calib/table_transfer.h"
#include "link/frame.h"
#include "link/params.h"
#include "link/requests.h"
#include "platform/widgets.h"

namespace kelvo6::calib {

namespace {

using core::Text3;

constexpr Text3 kLeadToPosition{"Portare la vettura nella posizione di taratura",
                                "Lead the vehicle into the adjustment position", "Araci Ayarlama Durumuna Getirin"};
constexpr app::ControlText kTexts[] = {
    {"title", {"KELVO6 - Taratura automatica", "KELVO6 - Automatic calibration", "KELVO6 - Otomatic Kalibrasyon"}},
    {"Label1", kLeadToPosition},
    {"Label_Text1", {"Tinj Benzina usec", "Tinj Petrol usec", "Benzin Tinj Suresi"}},
    {"Label_Text9", {"TInj usec", "Tinj usec", "Tinj usec"}},
    {"Label_Text8", {"RPM", "RPM", "DEVIR"}},
    {"Label_Text7", {"KGB TARATURA", "KGB calibration", "KGB Kalibrasyon"}},
    {"Label_Text3", {"Lambda mV", "Oxygen sensor mV", "LAMBDA mV"}},
    {"Label_Text4", {"Media Lambda mV", "Avg Oxygen sensor mV", "LAMBDA Ort mV"}},
    {"Label_Text5", {"Lambda2 mV", "Oxygen sensor2 mV", "LAMBDA-2 mV"}},
    {"Label_Text6", {"Media Lambda2 mV", "Avg Oxygen sensor2 mV", "LAMBDA-2 Ort mV"}},
    {"Label_Text11", {"Pressione mbar", "Pressure mBar", "Basinc mBar"}},
    {"Label7", {"GIRI STABILI", "STABLE RPM", "Sabit Devir"}},
    {"Label9", {"TINJ STABILI", "STABLE INJECTION TIME", "Sabit Enjektor Suresi"}},
    {"Label16", {"Intervallo TINJ stabili", "Range of stable TINJ", "Sabit Tinj Araligi"}},
    {"Label10", {"VariazioneTinj G/B", "Modification of Tinj G/P", "G/B inic Tinj Suresini Degistirme"}},
    {"Label13", {"TARATURA STANDARD", "STANDARD CALIBRATION", "Standart Kalibrasyon"}},
    {"Label12", {"TARATURA SPECIALIZZATA", "SPECIALIZED CALIBRATION", "Ozel Kalibrasyon"}},
    {"Command2", {"OK", "OK", "TAMAM"}},
    {"Command1", {"EXIT", "EXIT", "CIKIS"}},
};
constexpr Text3 kGasTimeLpg{"Tinj Gas usec", "Tinj LPG usec", "LPG Tinj Suresi"};
constexpr Text3 kGasTimeCng{"Tinj Gas usec", "Tinj CNG usec", "CNG Tinj Suresi"};
constexpr Text3 kFound{"Premere OK per memorizzare il valore in tabella", "Press OK to store the value in the table",
                       "Toblodaki Degeri Yuklemek icin TAMAM'i Tiklayin"};
constexpr Text3 kNoValidKgb{"KGB in uso non valido (0-255): nulla e' stato memorizzato",
                            "The KGB in use is not valid (0-255): nothing was stored",
                            "Kullanilan KGB gecersiz (0-255): hicbir sey kaydedilmedi"};

constexpr int kSwitchDelayMs = 1000;
constexpr int kSwitchDelayAtLoadMs = 10000;
constexpr core::Rgb kDarkGreen{0, 150, 0};
constexpr core::Rgb kDarkRed{150, 0, 0};

}  // namespace

AutoCalibrationWindow::AutoCalibrationWindow(app::Context& ctx) : Screen(ctx, QStringLiteral("Form8")) {
  setWindowTitle(QStringLiteral("KELVO6 - Taratura automatica"));
  setFixedSize(720, 470);

  message_ = new QLabel(this);
  message_->setObjectName("Label1");
  message_->setGeometry(16, 10, 688, 30);
  message_->setAlignment(Qt::AlignCenter);
  QFont bold = message_->font();
  bold.setBold(true);
  bold.setPointSize(bold.pointSize() + 1);
  message_->setFont(bold);

  addField("Text1", "Tinj Benzina usec", 16, 56);
  addField("Text2", "Tinj Gas usec", 16, 88);
  addField("Text9", "TInj usec", 16, 120);
  addField("Text8", "RPM", 16, 152);
  addField("Text7", "KGB TARATURA", 16, 184);
  addField("Text11", "Pressione mbar", 16, 216);
  addField("Text3", "Lambda mV", 380, 56);
  addField("Text4", "Media Lambda mV", 380, 88);
  addField("Text5", "Lambda2 mV", 380, 120);
  addField("Text6", "Media Lambda2 mV", 380, 152);
  petrolLamp_ = new platform::Lamp(this, platform::Lamp::Shape::kCircle);
  petrolLamp_->setObjectName("Shape2");
  petrolLamp_->setGeometry(262, 58, 20, 20);
  gasLamp_ = new platform::Lamp(this, platform::Lamp::Shape::kCircle);
  gasLamp_->setObjectName("Shape3");
  gasLamp_->setGeometry(262, 90, 20, 20);

  auto label = [this](const char* name, const char* text, QRect where) {
    auto* l = new QLabel(QString::fromUtf8(text), this);
    l->setObjectName(QString::fromLatin1(name));
    l->setGeometry(where);
    return l;
  };
  stableRpm_ = label("Label7", "GIRI STABILI", QRect(380, 190, 220, 22));
  stableTime_ = label("Label9", "TINJ STABILI", QRect(380, 214, 220, 22));
  safety_ = label("Label11", "SAFETY", QRect(610, 190, 90, 22));
  for (QLabel* l : {stableRpm_, stableTime_, safety_}) {
    l->setFont(bold);
    l->hide();
  }
  platform::setForeColor(safety_, core::colour::kRed);

  label("Label16", "Intervallo TINJ stabili", QRect(16, 256, 170, 24));
  auto* intervalField = new QLineEdit(this);
  intervalField->setObjectName("Text10");
  intervalField->setGeometry(188, 256, 70, 24);
  intervalField->setAlignment(Qt::AlignRight);
  intervalField->setReadOnly(true);
  interval_ = new QScrollBar(Qt::Vertical, this);
  interval_->setObjectName("VScroll1");
  interval_->setRange(0, 1000);
  interval_->setSingleStep(10);
  interval_->setPageStep(100);
  interval_->setGeometry(262, 248, 18, 40);
  connect(interval_, &QScrollBar::valueChanged, this, [this](int v) {
    field("Text10")->setText(QString::number(v));
    shared().calib.autoInterval = v;
  });

  label("Label10", "VariazioneTinj G/B", QRect(16, 298, 300, 24));
  auto* deviation = new QLineEdit(this);
  deviation->setObjectName("Text13");
  deviation->setGeometry(320, 298, 70, 24);
  deviation->setAlignment(Qt::AlignRight);
  deviation->setReadOnly(true);
  // Segment 0 in the middle; 1-10 grow to the left, 11-20 to the right.
  constexpr int kCentre = 348, kPitch = 24;
  for (int j = 0; j <= 20; ++j) {
    auto* seg = new platform::Lamp(this);
    seg->setObjectName(QStringLiteral("Shape1_%1").arg(j));
    int x = j == 0 ? kCentre : j <= 10 ? kCentre - kPitch * j : kCentre + kPitch * (j - 10);
    seg->setGeometry(x, 334, 22, 22);
    bar_[static_cast<std::size_t>(j)] = seg;
  }
  label("Label15", "-", QRect(kCentre - kPitch * 11 + 6, 334, 16, 22));
  label("Label14", "+", QRect(kCentre + kPitch * 11 + 4, 334, 16, 22));

  for (int i = 0; i < 2; ++i) {
    options_[i] = new QRadioButton(this);
    options_[i]->setObjectName(QStringLiteral("Option1_%1").arg(i));
    options_[i]->setGeometry(16, 380 + 32 * i, 22, 24);
    optionLabels_[i] = label(i == 0 ? "Label13" : "Label12", i == 0 ? "TARATURA STANDARD" : "TARATURA SPECIALIZZATA",
                             QRect(40, 380 + 32 * i, 300, 24));
    optionLabels_[i]->setFont(bold);
    connect(options_[i], &QRadioButton::clicked, this, [this, i] {
      app::selectOption({options_[0], options_[1]}, {optionLabels_[0], optionLabels_[1]}, i);
    });
  }
  platform::setForeColor(optionLabels_[0], core::colour::kRed);
  platform::setForeColor(optionLabels_[1], core::colour::kBlue);

  ok_ = new QPushButton(QStringLiteral("OK"), this);
  ok_->setObjectName("Command2");
  ok_->setGeometry(420, 396, 130, 40);
  exit_ = new QPushButton(QStringLiteral("EXIT"), this);
  exit_->setObjectName("Command1");
  exit_->setGeometry(570, 396, 130, 40);
  connect(ok_, &QPushButton::clicked, this, [this] { store(); });
  connect(exit_, &QPushButton::clicked, this, [this] { exitPressed(); });

  timer1_ = makeTimer("Timer1", kSwitchDelayAtLoadMs, [this] { switchTick(); });
  timer2_ = makeTimer("Timer2", 300, [this] { measureTick(); });
  timer3_ = makeTimer("Timer3", 100, [this] { writerTick(); });
}

AutoCalibrationWindow::~AutoCalibrationWindow() = default;

QLineEdit* AutoCalibrationWindow::addField(const char* name, const char* caption, int x, int y) {
  auto* l = new QLabel(QString::fromUtf8(caption), this);
  l->setObjectName(QStringLiteral("Label_%1").arg(QString::fromLatin1(name)));
  l->setGeometry(x, y, 170, 24);
  auto* f = new QLineEdit(this);
  f->setObjectName(QString::fromLatin1(name));
  f->setGeometry(x + 172, y, 70, 24);
  f->setAlignment(Qt::AlignRight);
  f->setReadOnly(true);
  return f;
}

QLineEdit* AutoCalibrationWindow::field(const char* name) const { return findChild<QLineEdit*>(QString::fromLatin1(name)); }

bool AutoCalibrationWindow::specialised() const { return options_[1]->isChecked(); }

void AutoCalibrationWindow::load() {
  auto& c = shared().calib;
  run_ = AutoCalibrationRun(c.trialKgb);
  c.petrolReference = c.gasReference = 0;
  interval_->setValue(c.autoInterval);
  field("Text10")->setText(QString::number(c.autoInterval));
  for (std::size_t j = 0; j < bar_.size(); ++j) bar_[j]->setFill(j == 0 ? kBarRed : kBarYellow);
  int lang = language();
  app::applyTexts(this, kTexts, lang);
  bool cng = shared().param(link::param::kFuelType).ecu != 0;
  app::setCaption(findChild<QLabel*>("Label_Text2"), app::text3(cng ? kGasTimeCng : kGasTimeLpg, lang));
}

void AutoCalibrationWindow::activate() {
  options_[0]->setChecked(true);
  app::selectOption({options_[0], options_[1]}, {optionLabels_[0], optionLabels_[1]}, 0);
  if (!connected()) {
    ok_->setEnabled(false);
    return;
  }
  timer2_->start();
}

void AutoCalibrationWindow::unload() {
  for (auto* t : {timer1_.get(), timer2_.get(), timer3_.get()}) t->stop();
  shared().calib.autoCalRequested = false;
}

void AutoCalibrationWindow::measureTick() {
  timer2_->stop();
  auto& s = shared();
  auto& c = s.calib;
  endRefusalOnceKgbValid();
  if (run_.runState == 1 || run_.runState == 2) showRunMessage();
  if (c.calOffRequested) {
    // A lost line leaves no ECU to confirm calibration off: close now.
    if (!ctx().connection.isOpen()) {
      for (auto* t : {timer1_.get(), timer2_.get(), timer3_.get()}) t->stop();
      close();
      return;
    }
    if (!s.received.calOffAck) {
      send(link::calibrationOff());
      timer2_->start();
      return;
    }
    timer1_->stop();
    close();
    return;
  }
  s.received.calData = false;
  const auto& l = s.live;
  auto show = [this](const char* name, int v) { field(name)->setText(QString::number(v)); };
  show("Text3", l.lambda1);
  show("Text5", l.lambda2);
  show("Text8", l.rpm);
  show("Text7", l.kgbInUse);
  show("Text9", l.injectionTime);
  show("Text11", l.pressure1);

  References refs{c.petrolReference, c.gasReference};
  AutoSample sample{l.injectionTime, l.rpm, l.lambda1, l.lambda2, l.fuelFlag};
  bool arm = run_.measure(sample, refs, c.autoInterval);
  c.petrolReference = refs.petrol;
  c.gasReference = refs.gas;
  if (run_.lambdaCount == 0) {
    show("Text4", run_.lambdaAverage[0]);
    show("Text6", run_.lambdaAverage[1]);
  }
  stableRpm_->setVisible(run_.rpmStable);
  stableTime_->setVisible(run_.injectionStable);
  safety_->setVisible(l.calState == 7);
  showFuelAndBar(refs);
  if (arm) armSwitch();

  if (ctx().connection.isOpen()) send(link::readCalibrationData(run_.k));
  timer2_->start();
}

void AutoCalibrationWindow::endRefusalOnceKgbValid() {
  // The refusal of OK holds while the ECU reports no valid KGB in use; then
  // the message line returns to the run's own message and its blinking.
  if (refusal_.isEmpty() || !link::fitsWire8(shared().live.kgbInUse)) return;
  refusal_.clear();
  message_->setText(app::text3(kLeadToPosition, language()));
  message_->setPalette(QPalette());
  message_->setProperty("foreColor", QVariant());
}

void AutoCalibrationWindow::showRunMessage() {
  if (!refusal_.isEmpty()) return;
  const Text3* text = nullptr;
  if (run_.runState == 1) text = &kFound;
  if (run_.runState == 2 && run_.k == kAutoKgbMax) text = &kAdviceIncrease;
  if (run_.runState == 2 && run_.k == kAutoKgbMin) text = &kAdviceDecrease;
  if (text) message_->setText(app::text3(*text, language()));
  if (auto colour = run_.blink()) platform::setForeColor(message_, *colour);
}

void AutoCalibrationWindow::showFuelAndBar(const References& refs) {
  const auto& l = shared().live;
  bool petrolSide = l.fuelFlag == 1 || l.calState != 0;
  // Like the references, the fields keep the last completed average of their fuel.
  bool averaged = run_.injectionAverage != 0;
  QString average = QString::number(run_.injectionAverage);
  if (petrolSide) {
    petrolLamp_->setFill(core::colour::kRed);
    gasLamp_->setFill(kDarkGreen);
    if (averaged) field("Text1")->setText(average);
    if (averaged && run_.switchCount == 0) field("Text2")->setText(average);
  } else {
    petrolLamp_->setFill(kDarkRed);
    gasLamp_->setFill(core::colour::kGreen);
    if (averaged) field("Text2")->setText(average);
  }
  DeviationBar bar = deviationBar(l.injectionTime, petrolSide, refs);
  field("Text13")->setText(QString::number(bar.deviation));
  for (std::size_t j = 0; j < bar_.size(); ++j) bar_[j]->setFill(bar.segments[j]);
}

void AutoCalibrationWindow::armSwitch() {
  // Arming again while armed keeps the countdown already running.
  if (timer1_->isRunning()) return;
  timer1_->setInterval(kSwitchDelayMs);
  timer1_->start();
}

void AutoCalibrationWindow::switchTick() {
  timer1_->stop();
  timer2_->stop();
  send(link::switchFuel());
  shared().received.fuelSwitchAck = false;
  stableRpm_->hide();
  stableTime_->hide();
  run_.fuelSwitched();
  timer2_->start();
}

void AutoCalibrationWindow::store() {
  auto& s = shared();
  // V goes into every cell: it must be a one-byte value the ECU reported.
  EntryCheck v = checkEntry(field("Text7")->text().toStdString(), kCellMax);
  if (!v.ok()) {
    refusal_ = app::text3(kNoValidKgb, language());
    message_->setText(refusal_);
    platform::setForeColor(message_, core::colour::kRed);
    return;
  }
  refusal_.clear();
  for (auto* t : {timer1_.get(), timer2_.get(), timer3_.get()}) t->stop();
  exit_->setEnabled(false);
  FillPattern pattern = fillPatternFor(specialised(), s.param(link::param::kFuelType).ecu);
  std::array<int, core::kCellCount> cells{};
  for (int n = 1; n <= core::kCellCount; ++n) cells[static_cast<std::size_t>(n - 1)] = s.cell(n).pending;
  if (auto filled = fillCells(pattern, v.value)) cells = *filled;  // another fuel type: only 29 and 28
  stageAutomaticStore(s, cells);
  timer3_->start();
}

void AutoCalibrationWindow::writerTick() {
  for (auto* t : {timer1_.get(), timer2_.get(), timer3_.get()}) t->stop();
  auto& s = shared();
  // A lost line ends the writing: EXIT is given back, and what was not yet
  // echoed stays pending for the calibration window to pick up.
  if (!ctx().connection.isOpen()) {
    exit_->setEnabled(true);
    return;
  }
  bool finished = false;
  send(nextAutomaticWriterFrame(s, &finished));
  (finished ? timer2_ : timer3_)->start();
}

// Closed from the window frame while calibration mode is on: as EXIT, so the
// ECU is not left in calibration mode; the window closes once it confirms.
// While the table is written EXIT is off and the frame closes at once, so a
// writer the ECU never answers cannot hold the window.
void AutoCalibrationWindow::closeEvent(QCloseEvent* event) {
  if (!isHidden() && exit_->isEnabled() && connected() && ctx().connection.isOpen() &&
      !shared().calib.calOffRequested) {
    event->ignore();
    exitPressed();
    return;
  }
  Screen::closeEvent(event);
}

void AutoCalibrationWindow::exitPressed() {
  // Without a port (not connected, or the line was lost) no ECU can confirm
  // calibration off: close at once.
  if (!connected() || !ctx().connection.isOpen()) {
    timer3_->stop();
    timer1_->stop();
    timer2_->stop();
    close();
    return;
  }
  auto& s = shared();
  send(link::calibrationOff());
  awaitCalibrationOff(s);
  timer2_->start();
}

}  // namespace kelvo6::calib
