#include "status/status_window.h"

#include <QFontMetrics>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

#include "app/connection.h"
#include "app/texts.h"
#include "link/params.h"
#include "link/requests.h"
#include "link/state_texts.h"
#include "platform/widgets.h"
#include "record/record_toggle.h"
#include "status/status_memory.h"
#include "status/status_texts.h"

namespace kelvo6::status {

namespace {

using platform::Lamp;
namespace param = link::param;

constexpr int kPollMs = 300;
constexpr int kBarsMs = 400;
constexpr int kWatchdogMs = 2000;
constexpr int kSilentPeriodsBeforeClosing = 2;
constexpr int kSegmentWidth = 16;
constexpr int kSegmentHeight = 22;
constexpr int kLampSize = 26;
const QString kNc = QStringLiteral("NC");

QString number(int v) { return QString::number(v); }

QLineEdit* field(QWidget* parent, const QString& name, int digits = 6) {
  auto* f = new QLineEdit(QStringLiteral("0"), parent);
  f->setObjectName(name);
  f->setReadOnly(true);
  f->setAlignment(Qt::AlignCenter);
  f->setFocusPolicy(Qt::NoFocus);
  f->setFixedWidth(f->fontMetrics().horizontalAdvance(QString(digits, QLatin1Char('0'))) + 16);
  return f;
}

QGroupBox* group(QWidget* parent, const char* name, const char* designCaption) {
  auto* g = new QGroupBox(QString::fromUtf8(designCaption), parent);
  g->setObjectName(QString::fromLatin1(name));
  return g;
}

QLabel* label(QWidget* parent, const QString& name, const QString& text) {
  auto* l = new QLabel(text, parent);
  l->setObjectName(name);
  return l;
}

Lamp* segment(QWidget* parent, const char* shape, int index) {
  auto* s = new Lamp(parent);
  s->setObjectName(QStringLiteral("%1_%2").arg(QLatin1String(shape)).arg(index));
  s->setFixedSize(kSegmentWidth, kSegmentHeight);
  return s;
}

// A horizontal bar of segments; `rightToLeft` puts segment 0 at the right end.
template <std::size_t N>
QGridLayout* barRow(QWidget* parent, const char* shape, std::array<Lamp*, N>& segments, bool rightToLeft) {
  auto* grid = new QGridLayout;
  grid->setHorizontalSpacing(2);
  grid->setVerticalSpacing(1);
  for (int i = 0; i < static_cast<int>(N); ++i) {
    segments[static_cast<std::size_t>(i)] = segment(parent, shape, i);
    int column = rightToLeft ? static_cast<int>(N) - 1 - i : i;
    grid->addWidget(segments[static_cast<std::size_t>(i)], 0, column);
  }
  return grid;
}

// A scale caption under a bar, centred on the boundary after `segments` segments.
void scaleMark(QGridLayout* bar, QLabel* mark, int segments, int total) {
  QFont f = mark->font();
  f.setPointSizeF(f.pointSizeF() * 0.85);
  mark->setFont(f);
  if (segments <= 0) {
    bar->addWidget(mark, 1, 0, 1, 2, Qt::AlignLeft);
  } else if (segments >= total) {
    bar->addWidget(mark, 1, total - 2, 1, 2, Qt::AlignRight);
  } else {
    bar->addWidget(mark, 1, segments - 1, 1, 2, Qt::AlignHCenter);
  }
}

// The widest line the state field may have to show, so it never clips.
int widestStateText(const QFontMetrics& fm) {
  int widest = 0;
  for (int version : {4, 5})
    for (int language = 1; language <= 3; ++language)
      for (int code = 0; code <= 255; ++code)
        if (auto t = link::stateText(code, language, version, 65535, 65535))
          widest = std::max(widest, fm.horizontalAdvance(QString::fromStdString(*t)));
  for (int language = 1; language <= 3; ++language)
    widest = std::max(widest, fm.horizontalAdvance(app::text3(kLinkLost, language)));
  return widest;
}

}  // namespace

StatusScreen::StatusScreen(app::Context& ctx) : Screen(ctx, QStringLiteral("Form3")) {
  setWindowTitle(app::text3(kTitleConnected, 1));
  build();
  poll_ = makeTimer("Timer1", kPollMs, [this] { pollTick(); });
  bars_ = makeTimer("Timer2", kBarsMs, [this] { barTick(); });
  watchdog_ = makeTimer("Timer3", kWatchdogMs, [this] { watchdogTick(); });
}

StatusScreen::~StatusScreen() = default;

void StatusScreen::build() {
  // Injection times: the petrol row in red, the gas row in green, each with
  // the lamp of its fuel at its head.
  auto* injection = group(this, "Frame1", "Tempi Iniezione");
  auto* injectionGrid = new QGridLayout(injection);
  petrolLamp_ = new Lamp(injection, Lamp::Shape::kCircle);
  petrolLamp_->setObjectName("Shape6");
  gasLamp_ = new Lamp(injection, Lamp::Shape::kCircle);
  gasLamp_->setObjectName("Shape7");
  for (Lamp* l : {petrolLamp_, gasLamp_}) l->setFixedSize(kLampSize, kLampSize);
  petrolLamp_->setFill(core::colour::kDimRed);
  gasLamp_->setFill(core::colour::kDimGreen);
  auto* petrolName = label(injection, "Label11", QStringLiteral("Benzina"));
  auto* gasName = label(injection, "Label12", QStringLiteral("GPL"));
  injectionGrid->addWidget(petrolLamp_, 0, 0);
  injectionGrid->addWidget(petrolName, 0, 1);
  injectionGrid->addWidget(gasLamp_, 1, 0);
  injectionGrid->addWidget(gasName, 1, 1);
  for (int i = 0; i < 16; ++i) {
    injection_[static_cast<std::size_t>(i)] = field(injection, QStringLiteral("Text5_%1").arg(i));
    platform::setForeColor(injection_[static_cast<std::size_t>(i)],
                           i < 8 ? core::colour::kRed : core::Rgb{0, 160, 0});
    injectionGrid->addWidget(injection_[static_cast<std::size_t>(i)], i / 8, 2 + i % 8);
  }
  injectionGrid->setColumnStretch(1, 1);

  // Lambda probes: value, average and the bar from lean (left) to rich (right).
  auto lambdaGroup = [this](const char* frame, const char* caption, const char* averageFrame,
                            const char* averageCaption, const char* valueName, const char* averageName,
                            const char* shape, std::array<Lamp*, kLambdaSegments>& bar, const char* leanName,
                            const char* richName, QLineEdit*& value, QLineEdit*& average) {
    auto* g = group(this, frame, caption);
    auto* v = new QVBoxLayout(g);
    auto* top = new QHBoxLayout;
    value = field(g, QString::fromLatin1(valueName));
    auto* avgBox = group(g, averageFrame, averageCaption);
    auto* avgRow = new QHBoxLayout(avgBox);
    average = field(avgBox, QString::fromLatin1(averageName));
    avgRow->addWidget(average);
    top->addWidget(value, 0, Qt::AlignBottom);
    top->addStretch();
    top->addWidget(avgBox);
    v->addLayout(top);
    auto* barLine = new QHBoxLayout;
    barLine->addWidget(label(g, QString::fromLatin1(leanName), QStringLiteral("MAGRA")));
    barLine->addLayout(barRow(g, shape, bar, true));
    barLine->addWidget(label(g, QString::fromLatin1(richName), QStringLiteral("RICCA")));
    barLine->addStretch();
    v->addLayout(barLine);
    return g;
  };
  auto* lambda1 = lambdaGroup("Frame2", "LAMBDA", "Frame5", "Media lambda", "Text3", "Text2", "Shape1", lambda1Bar_,
                              "Label28", "Label29", lambda1_, lambda1Average_);
  auto* lambda2 = lambdaGroup("Frame8", "LAMBDA2", "Frame12", "Media lambda 2", "Text13", "Text14", "Shape5",
                              lambda2Bar_, "Label6", "Label7", lambda2_, lambda2Average_);

  // Single values.
  auto single = [this](const char* frame, const char* caption, const char* name, QLineEdit*& out) {
    auto* g = group(this, frame, caption);
    auto* row = new QHBoxLayout(g);
    out = field(g, QString::fromLatin1(name));
    row->addWidget(out, 0, Qt::AlignHCenter);
    return g;
  };
  auto* temperature1 = single("Frame3", "Temperatura", "Text8", temperature1_);
  auto* temperature2 = single("Frame10", "Temperatura2", "Text11", temperature2_);
  auto* kgbTable = single("Frame9", "KTAB", "Text7", kgbTable_);
  auto* kgbCorrected = single("Frame6", "KCOR", "Text9", kgbCorrected_);

  // Pressures: value and a bar of 150 mbar segments up to 3000 mbar.
  auto pressureGroup = [this](const char* frame, const char* caption, const char* name, const char* shape,
                              std::array<Lamp*, kPressureSegments>& bar, QLineEdit*& out) {
    auto* g = group(this, frame, caption);
    auto* row = new QHBoxLayout(g);
    out = field(g, QString::fromLatin1(name));
    row->addWidget(out, 0, Qt::AlignTop);
    QGridLayout* grid = barRow(g, shape, bar, false);
    const std::pair<const char*, int> marks[] = {{"0", 0}, {"1000", 7}, {"2000", 13}, {"3000", kPressureSegments}};
    for (auto [text, at] : marks) scaleMark(grid, new QLabel(QString::fromLatin1(text), g), at, kPressureSegments);
    row->addLayout(grid);
    row->addStretch();
    return g;
  };
  auto* pressure1 = pressureGroup("Frame7", "Pressione", "Text10", "Shape3", pressure1Bar_, pressure1_);
  auto* pressure2 = pressureGroup("Frame11", "Pressione2", "Text12", "Shape4", pressure2Bar_, pressure2_);

  // Level: averaged sender voltage and the 16-segment bar, reserve at the left.
  auto* level = group(this, "Frame4", "Livello");
  auto* levelRow = new QHBoxLayout(level);
  levelAverage_ = field(level, QStringLiteral("Text4"));
  levelRow->addWidget(levelAverage_, 0, Qt::AlignTop);
  QGridLayout* levelGrid = barRow(level, "Shape2", levelBar_, false);
  const std::pair<int, const char*> levelMarks[] = {{4, "0"}, {0, "1/4"}, {1, "2/4"}, {2, "3/4"}, {3, "4/4"}};
  const int levelMarkAt[] = {4, 8, 12, kLevelSegments, 0};  // by Label2 index
  for (auto [index, text] : levelMarks)
    scaleMark(levelGrid, label(level, QStringLiteral("Label2_%1").arg(index), QString::fromLatin1(text)),
              levelMarkAt[index], kLevelSegments);
  levelRow->addLayout(levelGrid);
  levelRow->addStretch();

  // Engine speed, large.
  auto* speed = new QWidget(this);
  auto* speedRow = new QHBoxLayout(speed);
  rpm_ = field(speed, QStringLiteral("Text6"), 5);
  QFont big = rpm_->font();
  big.setPointSizeF(big.pointSizeF() * 2.6);
  big.setBold(true);
  rpm_->setFont(big);
  rpm_->setFixedWidth(QFontMetrics(big).horizontalAdvance(QStringLiteral("00000")) + 20);
  auto* units = new QVBoxLayout;
  units->setSpacing(0);
  units->addStretch();
  auto* rpmName = label(speed, QStringLiteral("Label1"), QStringLiteral("RPM"));
  QFont bold = rpmName->font();
  bold.setBold(true);
  rpmName->setFont(bold);
  units->addWidget(rpmName);
  units->addWidget(label(speed, QStringLiteral("Label10"), QStringLiteral("x min")));
  units->addStretch();
  speedRow->addStretch();
  speedRow->addWidget(rpm_);
  speedRow->addLayout(units);
  speedRow->addStretch();

  // Operating state: one long line.
  state_ = new QLineEdit(this);
  state_->setObjectName("Text1");
  state_->setReadOnly(true);
  state_->setFocusPolicy(Qt::NoFocus);
  QFont stateFont = state_->font();
  stateFont.setBold(true);
  state_->setFont(stateFont);
  state_->setMinimumWidth(widestStateText(QFontMetrics(stateFont)) + 24);

  exit_ = new QPushButton(QStringLiteral("EXIT"), this);
  exit_->setObjectName("Command1");
  fuelSwitch_ = new QPushButton(QStringLiteral("Commuta"), this);
  fuelSwitch_->setObjectName("Command2");
  fuelSwitch_->setEnabled(false);
  for (QPushButton* b : {exit_, fuelSwitch_}) b->setMinimumHeight(34);

  auto* readings = new QGridLayout;
  readings->addWidget(temperature1, 0, 0);
  readings->addWidget(temperature2, 0, 1);
  readings->addWidget(kgbTable, 1, 0);
  readings->addWidget(kgbCorrected, 1, 1);

  auto* grid = new QGridLayout(this);
  grid->addWidget(injection, 0, 0, 1, 2);
  grid->addWidget(lambda1, 1, 0);
  grid->addLayout(readings, 1, 1, 2, 1);
  grid->addWidget(lambda2, 2, 0);
  grid->addWidget(pressure1, 3, 0);
  grid->addWidget(pressure2, 4, 0);
  grid->addWidget(level, 5, 0);
  grid->addWidget(speed, 3, 1, 3, 1);
  grid->addWidget(state_, 6, 0, 1, 2);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(fuelSwitch_);
  buttons->addStretch();
  buttons->addWidget(exit_);
  grid->addLayout(buttons, 7, 0, 1, 2);
  // Recording, on a row of its own under the described buttons.
  record_ = new record::RecordToggle(ctx(), this, datalog::liveDataRecording("Form3"), QStringLiteral("Command3"));
  grid->addWidget(record_, 8, 0, 1, 2);
  grid->setRowStretch(9, 1);

  connect(exit_, &QPushButton::clicked, this, [this] {
    stopTimers();
    close();
  });
  connect(fuelSwitch_, &QPushButton::clicked, this, [this] { switchFuel(); });
}

template <std::size_t N>
void StatusScreen::paint(const std::array<Lamp*, N>& lamps, const std::array<core::Rgb, N>& colours) {
  for (std::size_t i = 0; i < N; ++i) lamps[i]->setFill(colours[i]);
}

void StatusScreen::load() {
  auto& s = shared();
  const int lang = language();
  app::applyTexts(this, captions(), lang);
  if (const char* title = core::pick(connected() ? kTitleConnected : kTitleNotConnected, lang))
    setWindowTitle(QString::fromUtf8(title));
  if (const char* gas = core::pick(s.param(param::kFuelType).ecu == 0 ? kGasLpg : kGasCng, lang))
    app::setCaption(control<QLabel>("Label12"), QString::fromUtf8(gas));
  const std::pair<const char*, int> lambdaFrames[] = {{"Frame2", 1}, {"Frame8", 2}};
  for (auto [frame, probe] : lambdaFrames) {
    int type = s.param(probe == 1 ? param::kProbe1Type : param::kProbe2Type).ecu;
    if (const core::Text3* caption = lambdaCaption(probe, type))
      if (const char* text = core::pick(*caption, lang))
        app::setCaption(control<QGroupBox>(QString::fromLatin1(frame)), QString::fromUtf8(text));
  }

  paint(lambda1Bar_, lambdaBarAtRest());
  paint(lambda2Bar_, lambdaBarAtRest());
  for (auto* bar : {&pressure1Bar_, &pressure2Bar_})
    for (Lamp* l : *bar) l->setFill(core::colour::kDimRed);
  for (int i = 0; i < kLevelSegments; ++i) levelBar_[static_cast<std::size_t>(i)]->setFill(levelColour(i, false));

  record_->setLanguage(lang);
  record_->setAvailable(connected());
  control<QGroupBox>("Frame11")->setVisible(s.param(param::kPressureSensorModel).ecu != 0);
  control<QGroupBox>("Frame8")->hide();
  control<QGroupBox>("Frame10")->hide();

  if (connected()) {
    fuelSwitch_->setEnabled(true);
    poll_->start();
    bars_->start();
    // A loose cable is noticed and the fitter brought back to the start.
    answersAtLastWatch_ = ctx().connection.answersReceived();
    askedEcu_ = false;
    watchdog_->start();
  }
}

void StatusScreen::activate() {
  auto& s = shared();
  if (!connected()) {
    stopTimers();
    const core::Rgb yellow = core::colour::kYellow;
    for (auto* bar : {&lambda1Bar_, &lambda2Bar_}) {
      (*bar)[18]->setFill(yellow);
      (*bar)[19]->setFill(yellow);
    }
    levelBar_[0]->setFill(yellow);
    for (auto* bar : {&pressure1Bar_, &pressure2Bar_}) {
      (*bar)[0]->setFill(yellow);
      (*bar)[1]->setFill(yellow);
    }
    petrolLamp_->setFill(yellow);
    gasLamp_->setFill(yellow);
    return;
  }
  StatusMemory& m = memoryOf(s);
  m.lambda1.average = s.live.lambda1;
  m.lambda2.average = s.live.lambda2;
  m.level.average = s.live.level;
  m.lambda1Low = 0;
  m.lambda2Low = 0;
  for (QLineEdit* f : injection_) {
    f->setEnabled(true);
    f->show();
  }
}

void StatusScreen::unload() {
  stopTimers();
  record_->stop();
}

void StatusScreen::stopTimers() {
  poll_->stop();
  bars_->stop();
  watchdog_->stop();
}

void StatusScreen::switchFuel() {
  send(link::switchFuel());
  shared().received.fuelSwitchAck = false;
}

void StatusScreen::pollTick() {
  poll_->stop();
  auto& s = shared();
  const core::LiveValues& live = s.live;
  StatusMemory& m = memoryOf(s);

  // A switch waiting for its acknowledgement takes the place of the poll.
  send(s.received.fuelSwitchAck ? link::readLiveData() : link::switchFuel());
  askedEcu_ = true;

  kgbTable_->setText(number(live.kgbTable));
  kgbCorrected_->setText(number(live.kgbCorrected));

  m.lambda1.add(live.lambda1);
  showLambda(live.lambda1, m.lambda1.average, m.lambda1Low, lambda1_, lambda1Average_);
  m.lambda2.add(live.lambda2);
  if (showLambda(live.lambda2, m.lambda2.average, m.lambda2Low, lambda2_, lambda2Average_))
    for (Lamp* l : lambda2Bar_) l->setFill(core::colour::kGrey);

  m.level.add(live.level);
  levelAverage_->setText(number(m.level.average));

  showInjectors();
  showEngineSpeed();
  showTemperature(live.temperature1, live.temperature1, m.temperature1Absent, temperature1_);
  showTemperature(live.temperature2, live.temperature2 - 40, m.temperature2Absent, temperature2_);
  showPressure(live.pressure1, m.pressure1Absent, pressure1_);
  showPressure(live.pressure2, m.pressure2Absent, pressure2_);

  FuelLamps lamps = fuelLamps(live.fuelFlag);
  petrolLamp_->setFill(lamps.petrol);
  gasLamp_->setFill(lamps.gas);

  // While the watchdog reports a silent line its warning stays on the line.
  if (s.lostLinkCounter == 0) {
    auto text = link::stateText(live.state, language(), s.version[1], s.param(param::kSwitchRpm).ecu,
                          s.param(param::kSwitchTemperature).ecu);
    if (text) state_->setText(QString::fromStdString(*text));
  }

  poll_->start();
}

bool StatusScreen::showLambda(int mV, int average, int& lowCounter, QLineEdit* value, QLineEdit* averageField) {
  switch (track(lowCounter, mV <= kLambdaLowMv, kLambdaLowLimit)) {
    case Reading::kFresh:
      value->setEnabled(true);
      averageField->setEnabled(true);
      [[fallthrough]];
    case Reading::kHeld:
      value->setText(number(mV));
      averageField->setText(number(average));
      return false;
    case Reading::kAbsent:
      for (QLineEdit* f : {value, averageField}) {
        f->setText(kNc);
        f->setEnabled(false);
      }
      return true;
  }
  return false;
}

void StatusScreen::showInjectors() {
  auto& s = shared();
  StatusMemory& m = memoryOf(s);
  for (std::size_t i = 0; i < 8; ++i) {
    const int t = s.live.petrolTime[i];
    bool still = t == m.previousInjection[i] && !showsStillInjection(s.live.state);
    QLineEdit* petrol = injection_[i];
    QLineEdit* gas = injection_[i + 8];
    switch (track(m.injectorUnchanged[i], still, kUnchangedLimit)) {
      case Reading::kFresh:
        petrol->setEnabled(true);
        gas->setEnabled(true);
        petrol->setText(number(t));
        gas->setText(number(gasTime(t, s.live.kgbCorrected)));
        m.previousInjection[i] = t;
        break;
      case Reading::kHeld: break;  // the fields keep their text
      case Reading::kAbsent:
        for (QLineEdit* f : {petrol, gas}) {
          f->setText(kNc);
          f->setEnabled(false);
        }
        break;
    }
  }
}

void StatusScreen::showEngineSpeed() {
  StatusMemory& m = memoryOf(shared());
  const int rpm = shared().live.rpm;
  switch (track(m.rpmUnchanged, rpm == m.previousRpm, kUnchangedLimit)) {
    case Reading::kFresh:
      rpm_->setEnabled(true);
      rpm_->setText(number(rpm));
      break;
    case Reading::kHeld: rpm_->setText(number(rpm)); break;
    case Reading::kAbsent:
      // A still engine speed greys out; only a still 0 means no signal.
      rpm_->setEnabled(false);
      rpm_->setText(rpm == 0 ? kNc : number(rpm));
      break;
  }
  m.previousRpm = rpm;
}

void StatusScreen::showTemperature(int raw, int shown, int& counter, QLineEdit* f) {
  switch (track(counter, raw == 0, kTemperatureAbsentLimit)) {
    case Reading::kFresh: f->setEnabled(true); [[fallthrough]];
    case Reading::kHeld: f->setText(number(shown)); break;
    case Reading::kAbsent:
      f->setText(kNc);
      f->setEnabled(false);
      break;
  }
}

void StatusScreen::showPressure(int mbar, int& counter, QLineEdit* f) {
  switch (track(counter, mbar == kPressureNoReading, kPressureAbsentLimit)) {
    case Reading::kFresh: f->setEnabled(true); [[fallthrough]];
    case Reading::kHeld: f->setText(number(mbar)); break;
    case Reading::kAbsent:
      f->setText(kNc);
      f->setEnabled(false);
      break;
  }
}

void StatusScreen::barTick() {
  bars_->stop();
  auto& s = shared();
  const core::LiveValues& live = s.live;
  paint(levelBar_, levelBar(memoryOf(s).level.average, s.param(param::kLevelMin).ecu, s.param(param::kLevelMax).ecu,
                            s.levelStep));
  paint(lambda1Bar_, lambdaBar(live.lambda1, s.param(param::kProbe1Type).ecu, s.lambdaRange[0]));
  if (lambda2_->text() != kNc)
    paint(lambda2Bar_, lambdaBar(live.lambda2, s.param(param::kProbe2Type).ecu, s.lambdaRange[1]));
  paint(pressure1Bar_, pressureBar(live.pressure1));
  if (s.param(param::kPressureSensorModel).ecu == 1) paint(pressure2Bar_, pressureBar(live.pressure2));
  bars_->start();
}

void StatusScreen::watchdogTick() {
  watchdog_->stop();
  auto& s = shared();
  // An ECU that answers anything is not lost, so a slow fuel-switch
  // acknowledgement with other answers flowing keeps the window; an ECU that
  // answers nothing to what it was asked (live data or a switch, whichever is
  // pending) is lost in the same time either way.
  const std::uint64_t answers = ctx().connection.answersReceived();
  const bool answered = s.received.liveWatchdog || answers != answersAtLastWatch_;
  const bool asked = askedEcu_;
  answersAtLastWatch_ = answers;
  askedEcu_ = false;
  if (answered || !asked) {
    s.received.liveWatchdog = false;
    if (answered) s.lostLinkCounter = 0;
    watchdog_->start();
    return;
  }
  ++s.lostLinkCounter;
  state_->setText(app::text3(kLinkLost, language()));
  if (s.lostLinkCounter < kSilentPeriodsBeforeClosing) {
    watchdog_->start();
    return;
  }
  stopTimers();
  close();
}

}  // namespace kelvo6::status
