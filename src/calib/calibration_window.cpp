// The vehicle calibration window: construction, loading, activation, the live
// display of every polling tick, and what the receive path writes into it.

#include "calib/calibration_window.h"
#include "record/record_toggle.h"

#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalBlocker>
#include <algorithm>

#include "calib/correctives.h"
#include "calib/kgb_table.h"
#include "link/params.h"
#include "platform/widgets.h"

namespace kelvo6::calib {

namespace {
constexpr int kWindowWidth = 1180;
constexpr int kWindowHeight = 690;
}  // namespace

CalibrationWindow::CalibrationWindow(app::Context& ctx) : Screen(ctx, QStringLiteral("Form16")) {
  setWindowTitle(app::text3(kTitleConnected, 1));
  setFixedSize(kWindowWidth, kWindowHeight);
  buildGrid();
  buildLiveFields();
  buildCorrectives();
  buildControls();

  for (const char* name : {"Text1", "Text2", "Text3", "Text4", "Text5", "Text7", "Text12", "Text14", "Text16",
                           "Text17", "Text18", "Text21", "Text22"})
    field(name)->setReadOnly(true);
  for (const char* name : {"Text8", "Text11", "Text13"}) platform::installDigitsOnlyFilter(field(name));
  for (QLineEdit* f : findChildren<QLineEdit*>()) {
    QString n = f->objectName();
    if (n != "Text4" && n != "Text8" && n != "Text12" && n != "Text15") fuelColoured_.push_back(f);
  }

  connect(scroll("VScroll1"), &QScrollBar::valueChanged, this, [this](int v) {
    field("Text11")->setText(QString::number(v));
    shared().calib.trialKgb = v;
    entryEdited(field("Text11"));
  });
  connect(field("Text11"), &QLineEdit::textEdited, this, [this] { trialTyped(); });
  connect(scroll("VScroll5"), &QScrollBar::valueChanged, this, [this](int v) { guidedSelected(v); });
  connect(scroll("VScroll6"), &QScrollBar::valueChanged, this, [this](int v) { coilCountMoved(v); });
  connect(field("Text8"), &QLineEdit::textEdited, this, [this] { correctiveTyped("VScroll6", field("Text8")); });
  connect(field("Text9"), &QLineEdit::textEdited, this, [this] { entryEdited(field("Text9")); });

  connect(button(1), &QPushButton::clicked, this, [this] { exitPressed(); });
  connect(button(2), &QPushButton::clicked, this, [this] { switchFuel(); });
  connect(button(3), &QPushButton::clicked, this, [this] { coilOk(); });
  connect(button(4), &QPushButton::clicked, this, [this] { startGuided(); });
  connect(button(5), &QPushButton::clicked, this, [this] { openGraphical(); });
  connect(button(6), &QPushButton::clicked, this, [this] { toggleLambdaShown(); });
  connect(button(7), &QPushButton::clicked, this, [this] { modify(); });
  connect(button(8), &QPushButton::clicked, this, [this] { startAutomatic(QStringLiteral("Form8")); });
  connect(button(12), &QPushButton::clicked, this, [this] { startAutomatic(QStringLiteral("MultiPoint")); });
  connect(button(9), &QPushButton::clicked, this, [this] { toggleCalibration(); });
  connect(button(11), &QPushButton::clicked, this, [this] { fillTable(); });

  timer1_ = makeTimer("Timer1", 500, [this] { handshakeTick(); });
  timer2_ = makeTimer("Timer2", 300, [this] { pollTick(); });
  timer3_ = makeTimer("Timer3", 500, [this] { closingTick(); });
  timer4_ = makeTimer("Timer4", 100, [this] { tableWriterTick(); });
  timer5_ = makeTimer("Timer5", 200, [this] { storeWriterTick(); });
}

CalibrationWindow::~CalibrationWindow() = default;

QLineEdit* CalibrationWindow::field(const char* name) const { return fields_.at(QString::fromLatin1(name)); }
QScrollBar* CalibrationWindow::scroll(const char* name) const { return scrolls_.at(QString::fromLatin1(name)); }

void CalibrationWindow::load() {
  int lang = language();
  app::applyTexts(this, calibrationCaptions(), lang);
  setWindowTitle(app::text3(connected() ? kTitleConnected : kTitleNotConnected, lang));
  bool cng = shared().param(link::param::kFuelType).ecu != 0;
  gasTimeCaption_->setText(app::text3(cng ? kGasTimeCng : kGasTimeLpg, lang));
  button(9)->setText(app::text3(kCalibrationToggleOff, lang));
  record_->setLanguage(lang);
  record_->setAvailable(connected());

  button(5)->setEnabled(false);
  shared().calib.lambdaShown = 1;
  button(6)->setText(app::text3(kLambdaButton[0], lang));
  hideCoilWidgets();
  for (std::size_t k = 0; k < lambdaBar_.size(); ++k) lambdaBar_[k]->setFill(kLambdaBarColours[k]);
  platform::setBackColor(field("Text11"), core::colour::kWhite);
  {
    QSignalBlocker block(scroll("VScroll5"));
    scroll("VScroll5")->setValue(1);
  }
  guidedSelected(1);
}

void CalibrationWindow::activate() {
  auto& s = shared();
  auto& c = s.calib;
  if (!connected()) {
    for (int n : {2, 3, 6, 7, 9, 11}) button(n)->setEnabled(false);
    // No write can complete without an ECU, so the chart is reachable at once.
    button(5)->setEnabled(true);
    for (const char* name : {"VScroll2", "VScroll3", "VScroll4"}) {
      QSignalBlocker block(scroll(name));
      scroll(name)->setValue(0);
      scroll(name)->setEnabled(false);
    }
    scroll("VScroll6")->setEnabled(false);
    pressure2Frame_->hide();
    showExampleValues();
    return;
  }
  for (QLineEdit* g : grid_) g->setReadOnly(false);
  for (const CorrectiveField& f : kCorrectiveFields) field(f.field)->setReadOnly(false);
  for (const char* name : {"Text8", "Text9"}) field(name)->setReadOnly(false);
  bool calibrating = !c.calOffRequested;
  unmark(field("Text11"));
  platform::setBackColor(field("Text11"), calibrating ? core::colour::kBlack : core::colour::kWhite);
  setTrialKgbControl(s.live.kgbInUse);
  scroll("VScroll1")->setEnabled(calibrating);
  field("Text11")->setEnabled(calibrating);
  scroll("VScroll5")->setEnabled(!calibrating && workflow() == Workflow::kNone);
  // A write or handshake under way goes on: the fitter may have clicked
  // another window and come back. Otherwise a table write left by the
  // automatic calibration starts, or live polling.
  bool writing = timer4_->isRunning();
  bool exchanging = writing || timer1_->isRunning() || timer3_->isRunning() || timer5_->isRunning();
  if (!exchanging) {
    releaseButtonsAfterHandshake();
    if (c.tableWriteRequested) {
      beginBusyWrite();
      timer4_->start();
    } else {
      timer2_->start();
    }
  }
  pressure2Frame_->setVisible(s.param(link::param::kPressureSensorModel).ecu != 0);
  // While the table goes out the fields show what is being written; the
  // echoes bring each into line.
  if (!writing) {
    showCorrectivesFromEcu();
    showGridFromEcu();
  }
}

void CalibrationWindow::unload() {
  stopAllTimers();
  record_->stop();
}

void CalibrationWindow::setTrialKgbControl(int kgbInUse) {
  // The trial KGB lies in 100-115. A KGB in use outside that range (above 255:
  // none valid) starts it at the nearest end, and the field shows that value,
  // the one polling sends and the fill writes; KGB IN USO shows the ECU's own.
  QScrollBar* bar = scroll("VScroll1");
  {
    QSignalBlocker block(bar);
    bar->setValue(std::clamp(kgbInUse, bar->minimum(), bar->maximum()));
  }
  showValue(field("Text11"), bar->value());
  shared().calib.trialKgb = bar->value();
}

int CalibrationWindow::trialKgb() const { return scroll("VScroll1")->value(); }

void CalibrationWindow::showGridFromEcu() {
  for (int i = 0; i < kGridFields; ++i) showValue(grid_[static_cast<std::size_t>(i)], gridValue(shared(), i).ecu);
}

void CalibrationWindow::showValue(QLineEdit* f, int value) {
  // A refused text replaced by a value from the ECU is no longer refused.
  f->setText(QString::number(value));
  unmark(f);
}

void CalibrationWindow::showExampleValues() {
  for (int i = 0; i < kGridFields; ++i) {
    grid_[static_cast<std::size_t>(i)]->setText(QString::number(exampleGridValue(i)));
    grid_[static_cast<std::size_t>(i)]->setReadOnly(true);
  }
  for (const CorrectiveField& f : kCorrectiveFields) {
    field(f.field)->setText(QString::number(f.example));
    field(f.field)->setReadOnly(true);
  }
  QScrollBar* bar = scroll("VScroll1");
  {
    QSignalBlocker block(bar);
    bar->setValue(kTrialKgbMax);
  }
  field("Text11")->setText(QString::number(kTrialKgbMax));
  shared().calib.trialKgb = kTrialKgbMax;
}

void CalibrationWindow::showCorrectivesFromEcu() {
  for (const CorrectiveField& f : kCorrectiveFields) {
    int v = shared().param(f.param).ecu;
    if (f.scroll)
      showScrollValue(f.scroll, f.field, v);
    else
      showValue(field(f.field), v);
  }
}

void CalibrationWindow::showScrollValue(const char* scrollName, const char* fieldName, int value) {
  // A value beyond the bar's range puts the bar at its nearest end and is
  // shown as it is in the field.
  QScrollBar* bar = scroll(scrollName);
  {
    QSignalBlocker block(bar);
    bar->setValue(std::clamp(value, bar->minimum(), bar->maximum()));
  }
  showValue(field(fieldName), value);
}

void CalibrationWindow::showParameter(int number, int value, const link::FieldRef& ref) {
  const CorrectiveField* f = correctiveOf(number);
  if (f && f->scroll) {
    showScrollValue(f->scroll, f->field, value);
    return;
  }
  Screen::showParameter(number, value, ref);
}

void CalibrationWindow::showCell(int cell, int value) {
  if (cell < 1 || cell > core::kCellCount) return;
  showValue(grid_[static_cast<std::size_t>(gridFieldOfCell(cell))], value);
}

void CalibrationWindow::showCalibrationMode(bool on, const QString& title, const QString& caption) {
  setWindowTitle(title);
  button(9)->setText(caption);
  // The confirmation a toggle waits for gives the buttons back at once; the
  // automatic calibration and the closing still have a step to take after it.
  const auto& c = shared().calib;
  if (timer3_->isRunning()) return;
  if (on ? !c.calOffRequested && !c.autoCalRequested : c.calOffRequested) releaseButtonsAfterHandshake();
}

CalibrationWindow::Workflow CalibrationWindow::workflow() {
  const auto& c = shared().calib;
  if (c.coilCalibration) return Workflow::kCoil;
  if (c.storeRpm) return Workflow::kStoreRpm;
  if (c.storePressure) return Workflow::kStorePressure;
  if (c.storeTemperature) return Workflow::kStoreTemperature;
  return Workflow::kNone;
}

int CalibrationWindow::guidedFunction() const { return scroll("VScroll5")->value(); }

Prompt CalibrationWindow::currentPrompt() {
  switch (workflow()) {
    case Workflow::kStoreRpm: return Prompt::kStoreRpm;
    case Workflow::kStorePressure:
    case Workflow::kStoreTemperature: return Prompt::kStoreValue;
    case Workflow::kCoil:
      return shared().received.injectorFlags ? Prompt::kCoilStore : Prompt::kCoilCount;
    case Workflow::kNone: break;
  }
  return Prompt::kNone;
}

void CalibrationWindow::refreshLive() {
  auto& s = shared();
  const auto& l = s.live;
  auto show = [this](const char* name, long long v) { field(name)->setText(QString::number(v)); };
  show("Text1", l.lambda1);
  show("Text18", l.lambda2);
  show("Text3", l.injectionTime);
  show("Text5", l.rpm);
  show("Text7", l.pressure1);
  show("Text16", l.pressure2);
  show("Text22", l.temperature1);
  show("Text21", l.temperature2 - 40);
  show("Text14", l.kgbInUse);

  smoothedPressure_ = smoothPressure(l.pressure1, smoothedPressure_);
  switch (workflow()) {
    case Workflow::kStoreRpm: show("Text9", l.rpm); break;
    case Workflow::kStorePressure: show("Text9", smoothedPressure_); break;
    case Workflow::kStoreTemperature: show("Text9", l.temperature1); break;
    default: break;
  }

  auto ecu = [&s](int n) { return s.param(n).ecu; };
  show("Text27", temperatureCorrection(l.temperature1, ecu(28), ecu(26), ecu(27)));
  show("Text13", pressureCorrection(l.pressure1, l.rpm, ecu(29), ecu(21), ecu(22), ecu(23)));

  injectionAverage_.add(l.injectionTime);
  int shownTime = injectionAverage_.value != 0 ? injectionAverage_.value : l.injectionTime;
  show(l.fuelFlag == 1 ? "Text12" : "Text4", shownTime);
  lambdaAverage_[0].add(l.lambda1);
  lambdaAverage_[1].add(l.lambda2);
  if (lambdaAverage_[0].count == 0) {
    show("Text2", lambdaAverage_[0].value);
    show("Text17", lambdaAverage_[1].value);
  }
  rpmAverage_.add(l.rpm);

  std::array<int, 8> rpmAxis{}, tinjAxis{};
  for (int p = 1; p <= kAxisPoints; ++p) {
    rpmAxis[static_cast<std::size_t>(p - 1)] = ecu(rpmAxisParam(p));
    tinjAxis[static_cast<std::size_t>(p - 1)] = ecu(tinjAxisParam(p));
  }
  placeMarker(markerX(l.rpm, rpmAxis), markerY(l.injectionTime, tinjAxis));

  if (auto colour = fuelColour_.tick(l.calState, l.fuelFlag)) applyFuelColour(*colour);
  showMessageLine();
  showLambdaBar();
}

void CalibrationWindow::placeMarker(int twipX, int twipY) {
  marker_->setProperty("twipX", twipX);
  marker_->setProperty("twipY", twipY);
  marker_->move(twipX / kTwipsPerPixel, twipY / kTwipsPerPixel);
}

void CalibrationWindow::applyFuelColour(core::Rgb colour) {
  if (shownFuelColour_ == colour) return;
  shownFuelColour_ = colour;
  for (QLineEdit* f : fuelColoured_) platform::setForeColor(f, colour);
}

void CalibrationWindow::showMessageLine() {
  QString text;
  if (!refusal_.isEmpty()) {
    text = refusal_;
  } else if (auto state = stateMessage(shared().live.calState, language(), shared().param(link::param::kSwitchTemperature).ecu,
                                       shared().param(link::param::kSwitchRpm).ecu)) {
    text = QString::fromStdString(*state);
  } else {
    text = QString::fromStdString(promptText(currentPrompt(), language()));
  }
  field("Text15")->setText(text);
}

void CalibrationWindow::showLambdaBar() {
  const auto& s = shared();
  bool second = s.calib.lambdaShown == 2;
  int type = s.param(second ? link::param::kProbe2Type : link::param::kProbe1Type).ecu;
  int lit = lambdaBarSegment(second ? s.live.lambda2 : s.live.lambda1, type);
  if (lit == litSegment_) return;
  for (std::size_t k = 0; k < lambdaBar_.size(); ++k)
    lambdaBar_[k]->setFill(static_cast<int>(k) == lit ? core::colour::kYellow : kLambdaBarColours[k]);
  litSegment_ = lit;
}

}  // namespace kelvo6::calib
