// What the buttons and controls of the vehicle calibration window do: the
// guided functions, MODIFICA for each workflow, the coil and injector
// calibration, calibration mode, the whole-table fill, the automatic and
// graphical calibration, and EXIT in each situation.

#include <QCloseEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalBlocker>

#include "app/connection.h"
#include "app/navigator.h"
#include "calib/calibration_window.h"
#include "calib/correctives.h"
#include "calib/kgb_table.h"
#include "link/params.h"
#include "link/requests.h"
#include "platform/widgets.h"

namespace kelvo6::calib {

namespace {

const core::Text3& reasonFor(EntryProblem p) {
  switch (p) {
    case EntryProblem::kEmpty: return kRefusedEmpty;
    case EntryProblem::kNotANumber: return kRefusedNotANumber;
    default: return kRefusedOutOfRange;
  }
}

// The parameter a guided store function shows in Text9.
int guidedParam(int function) {
  switch (function) {
    case 2: return link::param::kSwitchRpm;
    case 3: return link::param::kCalPressure;
    case 4: return link::param::kCalTemperature;
    default: return 0;
  }
}

constexpr core::Rgb kMarkedBackground{255, 255, 0};

}  // namespace

void CalibrationWindow::switchFuel() {
  send(link::switchFuel());
  shared().received.fuelSwitchAck = false;
}

void CalibrationWindow::guidedSelected(int value) {
  // A cyclic selector of functions 1-5 on a bar of 0-6.
  QScrollBar* bar = scroll("VScroll5");
  if (value <= 0 || value >= 6) {
    bar->setValue(value <= 0 ? 5 : 1);
    return;
  }
  button(4)->setText(app::text3(guidedFunctionCaption(value), language()));
  int param = guidedParam(value);
  field("Text9")->setVisible(param != 0);
  if (param != 0) field("Text9")->setText(QString::number(shared().param(param).ecu));
}

void CalibrationWindow::startGuided() {
  int function = guidedFunction();
  if (function < 2 || function > 5) return;
  clearMarks();  // a refused table store is left; the prompt takes the message line
  auto& c = shared().calib;
  for (int n : {2, 4, 5, 6, 8, 9, 11, 12}) button(n)->setEnabled(false);
  showCorrectiveFrames(false);
  scroll("VScroll5")->setEnabled(false);
  if (function == 5) {
    c.coilCalibration = true;
    shared().received.injectorFlags = false;
    c.coilExitRequested = false;
    c.coilCount = 1;
    coilCountConfirmed_ = false;
    {
      QSignalBlocker block(scroll("VScroll6"));
      scroll("VScroll6")->setValue(1);
    }
    field("Text8")->setText(QStringLiteral("1"));
    for (QLabel* l : injectorLabels_) l->hide();  // results of an earlier run
    button(7)->setEnabled(false);
    button(3)->show();
    button(3)->setEnabled(connected());
    for (QWidget* w : {static_cast<QWidget*>(field("Text8")), static_cast<QWidget*>(scroll("VScroll6")),
                       static_cast<QWidget*>(coilCaption_)})
      w->show();
    scroll("VScroll6")->setEnabled(true);
    return;
  }
  c.storeRpm = function == 2;
  c.storePressure = function == 3;
  c.storeTemperature = function == 4;
  field("Text9")->show();
  field("Text9")->setEnabled(true);
}

void CalibrationWindow::openGraphical() {
  stopAllTimers();
  ctx().navigator.open(QStringLiteral("Form15"), this);
}

void CalibrationWindow::toggleLambdaShown() {
  int& shown = shared().calib.lambdaShown;
  shown = shown == 1 ? 2 : 1;
  button(6)->setText(app::text3(kLambdaButton[shown - 1], language()));
  litSegment_ = -2;  // redraw the bar for the other sensor
  showLambdaBar();
}

void CalibrationWindow::modify() {
  auto& s = shared();
  switch (workflow()) {
    case Workflow::kCoil: {
      int working = 0;
      for (int flag : s.calib.injectorFlags) working += flag != 0 ? 1 : 0;
      s.param(link::param::kInjectors).pending = working;
      s.param(link::param::kCoils).pending = s.calib.coilCount;
      beginBusyWrite();
      timer5_->start();
      return;
    }
    case Workflow::kStoreRpm:
    case Workflow::kStorePressure:
    case Workflow::kStoreTemperature: {
      Workflow w = workflow();
      QLineEdit* source = field(w == Workflow::kStoreTemperature ? "Text22" : "Text9");
      auto value = collectStoreEntry(source, link::kMaxValue16);
      if (!value) return;
      int param = w == Workflow::kStoreRpm       ? link::param::kSwitchRpm
                  : w == Workflow::kStorePressure ? link::param::kCalPressure
                                                  : link::param::kCalTemperature;
      s.param(param).pending = *value;
      beginBusyWrite();
      timer5_->start();
      return;
    }
    case Workflow::kNone:
      if (!collectTableEntries()) return;
      beginBusyWrite();
      timer4_->start();
      return;
  }
}

bool CalibrationWindow::collectTableEntries() {
  // Every entry is checked before any pending value changes: one bad field
  // stops the whole store, so nothing half-written reaches the ECU.
  clearMarks();
  auto& s = shared();
  std::vector<std::pair<core::ValuePair*, int>> values;
  for (const CorrectiveField& f : kCorrectiveFields) {
    QLineEdit* e = field(f.field);
    EntryCheck check = checkEntry(e->text().toStdString(), link::kMaxValue16);
    if (check.ok() && !correctiveEntryAllowed(f, check.value, s.param(f.param).ecu))
      check = {EntryProblem::kOutOfRange, 0};
    if (!check.ok()) {
      markEntry(e, reasonFor(check.problem));
      continue;
    }
    values.emplace_back(&s.param(f.param), check.value);
  }
  for (int i = 0; i < kGridFields; ++i) {
    QLineEdit* e = grid_[static_cast<std::size_t>(i)];
    EntryCheck check = checkEntry(e->text().toStdString(), gridSlot(i).max());
    if (!check.ok()) {
      markEntry(e, reasonFor(check.problem));
      continue;
    }
    values.emplace_back(&gridValue(s, i), check.value);
  }
  if (!marked_.isEmpty()) return false;
  for (auto& [pair, value] : values) pair->pending = value;
  return true;
}

std::optional<int> CalibrationWindow::collectStoreEntry(QLineEdit* source, int max) {
  clearMarks();
  EntryCheck check = checkEntry(source->text().toStdString(), max);
  if (check.ok()) return check.value;
  markEntry(source, reasonFor(check.problem));
  return std::nullopt;
}

void CalibrationWindow::markEntry(QLineEdit* f, const core::Text3& reason) {
  mark(f);
  if (refusal_.isEmpty()) refusal_ = app::text3(reason, language());
  field("Text15")->setText(refusal_);
}

void CalibrationWindow::mark(QLineEdit* f) {
  if (!marked_.contains(f)) marked_.insert(f, f->property("backColor").value<QColor>());
  platform::setBackColor(f, kMarkedBackground);
}

void CalibrationWindow::unmark(QLineEdit* f) {
  if (!marked_.contains(f)) return;
  QColor before = marked_.take(f);
  auto channel = [](int c) { return static_cast<std::uint8_t>(c); };
  platform::setBackColor(f, before.isValid() ? core::Rgb{channel(before.red()), channel(before.green()), channel(before.blue())}
                                             : core::colour::kWhite);
}

void CalibrationWindow::clearMarks() {
  for (QLineEdit* f : marked_.keys()) unmark(f);
  refusal_.clear();
}

void CalibrationWindow::clearRefusal() {
  if (refusal_.isEmpty()) return;
  refusal_.clear();
  showMessageLine();
}

void CalibrationWindow::entryEdited(QLineEdit* f) {
  // The next edit ends a refusal: the edited field loses its mark and the
  // message, which said why the last press was refused, gives way to the
  // state text. Other fields keep their marks until they are mended.
  unmark(f);
  clearRefusal();
}

void CalibrationWindow::trialTyped() {
  // A typed value of 100-115 becomes the trial KGB at once. Any other text is
  // not in effect (polling keeps the last trial KGB), so the field stays
  // marked until it holds one.
  QLineEdit* f = field("Text11");
  entryEdited(f);
  EntryCheck check = checkEntry(f->text().toStdString(), kTrialKgbMax);
  if (check.ok() && check.value >= kTrialKgbMin)
    scroll("VScroll1")->setValue(check.value);
  else
    mark(f);
}

void CalibrationWindow::correctiveScrolled(const char* fieldName, int value) {
  QLineEdit* f = field(fieldName);
  f->setText(QString::number(value));
  entryEdited(f);
}

void CalibrationWindow::correctiveTyped(const char* scrollName, QLineEdit* f) {
  // A typed value inside the bar's range moves the bar with it.
  QScrollBar* bar = scroll(scrollName);
  if (!bar->isEnabled()) return;
  EntryCheck check = checkEntry(f->text().toStdString(), bar->maximum());
  if (check.ok() && check.value >= bar->minimum()) bar->setValue(check.value);
}

void CalibrationWindow::startAutomatic(const QString& form) {
  automaticForm_ = form;
  hideCoilWidgets();
  showCorrectiveFrames(true);
  if (!connected()) {
    stopAllTimers();
    ctx().navigator.open(automaticForm_, this);
    return;
  }
  auto& s = shared();
  auto& c = s.calib;
  if (s.live.fuelFlag == 1) {
    send(link::calibrationOn());
  } else {
    send(link::switchFuel());
    s.received.fuelSwitchAck = false;
  }
  c.autoCalRequested = true;
  s.received.calOffAck = false;
  s.received.calOnAck = false;
  c.calOffRequested = false;
  c.tableWriteRequested = false;
  s.live.calState = 0;
  for (auto* t : {timer2_.get(), timer3_.get(), timer4_.get(), timer5_.get()}) t->stop();
  timer1_->start();
  holdButtonsForHandshake(false);
}

void CalibrationWindow::toggleCalibration() {
  auto& s = shared();
  auto& c = s.calib;
  QLineEdit* trial = field("Text11");
  unmark(trial);
  if (c.calOffRequested) {
    send(link::calibrationOn());
    c.calOffRequested = false;
    s.received.calOnAck = false;
    c.autoCalRequested = false;
    scroll("VScroll1")->setEnabled(true);
    trial->setEnabled(true);
    platform::setBackColor(trial, core::colour::kBlack);
    scroll("VScroll5")->setEnabled(false);
  } else {
    send(link::calibrationOff());
    c.calOffRequested = true;
    s.received.calOffAck = false;
    scroll("VScroll5")->setEnabled(true);
    scroll("VScroll1")->setEnabled(false);
    trial->setEnabled(false);
    platform::setBackColor(trial, core::colour::kWhite);
  }
  hideCoilWidgets();
  showCorrectiveFrames(true);
  for (auto* t : {timer2_.get(), timer3_.get(), timer4_.get(), timer5_.get()}) t->stop();
  timer1_->start();
  holdButtonsForHandshake(false);
}

void CalibrationWindow::fillTable() {
  // Every cell takes the trial KGB, so the field must show the one in effect:
  // a typed text that is not a trial KGB is refused, and nothing is written.
  QLineEdit* trial = field("Text11");
  EntryCheck typed = checkEntry(trial->text().toStdString(), kTrialKgbMax);
  if (!typed.ok() || typed.value != trialKgb()) {
    markEntry(trial, kRefusedTrialKgb);
    return;
  }
  clearRefusal();
  fillWholeTable(shared(), trialKgb());
  shared().calib.wholeTableFill = true;
  beginBusyWrite();
  timer4_->start();
}

// Closed from the window frame while calibration mode is on and no guided
// store or coil calibration runs: as EXIT, so the ECU is not left in
// calibration mode; the window closes once the ECU confirms. Otherwise the
// frame closes at once, as before.
void CalibrationWindow::closeEvent(QCloseEvent* event) {
  if (!isHidden() && !leaving_ && !shared().calib.calOffRequested && workflow() == Workflow::kNone &&
      button(1)->isEnabled() && connected() && ctx().connection.isOpen()) {
    event->ignore();
    exitPressed();
    return;
  }
  Screen::closeEvent(event);
}

void CalibrationWindow::exitPressed() {
  auto& s = shared();
  // Without a port (not connected, or the line was lost) no ECU can confirm
  // calibration off or report its injectors: close at once instead of waiting
  // for an answer that cannot come. Values not yet echoed stay pending.
  if (!connected() || !ctx().connection.isOpen()) {
    stopAllTimers();
    close();
    return;
  }
  switch (workflow()) {
    case Workflow::kCoil:
      timer5_->stop();  // leaving: a coil store not yet echoed stays pending
      send(link::readInjectorFlags());
      timer1_->start();
      s.calib.coilExitRequested = true;
      scroll("VScroll5")->setEnabled(true);
      return;
    case Workflow::kStoreRpm:
    case Workflow::kStorePressure:
    case Workflow::kStoreTemperature: cancelStoreWorkflow(); return;
    case Workflow::kNone: break;
  }
  s.received.calOffAck = false;
  for (auto* t : {timer1_.get(), timer2_.get(), timer4_.get(), timer5_.get()}) t->stop();
  send(link::calibrationOff());
  leaving_ = true;
  setBusy(true);
  timer3_->start();
  holdButtonsForHandshake(true);
}

void CalibrationWindow::coilCountMoved(int count) {
  shared().calib.coilCount = count;
  field("Text8")->setText(QString::number(count));
  field("Text15")->setText(app::text3(kCoilCountMovedPrompt, language()));
}

void CalibrationWindow::coilOk() {
  scroll("VScroll6")->setEnabled(false);
  coilCountConfirmed_ = true;
  timer1_->start();
}

void CalibrationWindow::showInjectorLabels() {
  const auto& flags = shared().calib.injectorFlags;
  for (int k = 1; k <= 8; ++k) {
    bool working = flags[static_cast<std::size_t>(k - 1)] != 0;
    injectorLabels_[static_cast<std::size_t>(k - 1)]->setVisible(working);
    injectorLabels_[static_cast<std::size_t>(k + 7)]->setVisible(!working);
  }
}

void CalibrationWindow::hideCoilWidgets() {
  for (QWidget* w : {static_cast<QWidget*>(button(3)), static_cast<QWidget*>(field("Text8")),
                     static_cast<QWidget*>(scroll("VScroll6")), static_cast<QWidget*>(coilCaption_)})
    w->hide();
  for (QLabel* l : injectorLabels_) l->hide();
}

void CalibrationWindow::showCorrectiveFrames(bool shown) {
  for (QGroupBox* f : {lambdaFrame_, temperatureFrame_, pressureFrame_}) f->setVisible(shown);
}

}  // namespace kelvo6::calib
