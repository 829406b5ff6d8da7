// The five timers of the vehicle calibration window and the wire traffic they
// carry: calibration-mode and injector-flag handshakes (Timer1), live polling
// with the trial KGB (Timer2), the closing handshake (Timer3), the table writer
// (Timer4) and the guided store writer (Timer5). Each tick stops its own timer
// first and restarts it when it has more to do.

#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>

#include "app/connection.h"
#include "app/navigator.h"
#include "calib/calibration_window.h"
#include "calib/table_transfer.h"
#include "link/params.h"
#include "link/requests.h"

namespace kelvo6::calib {

void CalibrationWindow::stopAllTimers() {
  for (auto* t : {timer1_.get(), timer2_.get(), timer3_.get(), timer4_.get(), timer5_.get()}) t->stop();
}

void CalibrationWindow::holdButtonsForHandshake(bool closing) {
  // The buttons that would stop a handshake before the ECU has confirmed it
  // wait for it: the write buttons and the chart always, and while closing
  // the toggle and the automatic calibration too. EXIT stays, and so does the
  // toggle otherwise, whose new request takes the old one's place.
  std::vector<int> held{5, 7, 11};
  if (closing) held.insert(held.end(), {8, 9, 12});
  for (int n : held) {
    if (!button(n)->isEnabled()) continue;
    button(n)->setEnabled(false);
    heldButtons_.push_back(n);
  }
}

void CalibrationWindow::releaseButtonsAfterHandshake() {
  for (int n : heldButtons_) button(n)->setEnabled(true);
  heldButtons_.clear();
}

void CalibrationWindow::setStandardButtonsEnabled(bool enabled) {
  for (int n : {2, 4, 5, 6, 7, 8, 9, 11, 12}) {
    bool needsEcu = n == 2 || n == 6 || n == 7 || n == 9 || n == 11;
    if (enabled && needsEcu && !connected()) continue;
    button(n)->setEnabled(enabled);
  }
}

void CalibrationWindow::beginBusyWrite() {
  stopAllTimers();
  for (int n : {2, 3, 4, 5, 6, 7, 8, 9, 11, 12}) button(n)->setEnabled(false);
  setBusy(true);
}

void CalibrationWindow::handshakeTick() {
  timer1_->stop();
  timer2_->stop();
  auto& s = shared();
  auto& c = s.calib;
  if (c.coilCalibration) {
    if (!s.received.injectorFlags) {
      send(link::readInjectorFlags());
      timer1_->start();
    } else if (c.coilExitRequested) {
      restoreAfterCoilExit();
      timer2_->start();
    } else {
      showInjectorLabels();
      button(7)->setEnabled(true);
      timer2_->start();
    }
    return;
  }
  if (!c.calOffRequested && !s.received.calOnAck) {
    send(link::calibrationOn());
    timer1_->start();
  } else if (c.calOffRequested && !s.received.calOffAck) {
    send(link::calibrationOff());
    timer1_->start();
  } else if (s.received.calOnAck && c.autoCalRequested) {
    s.received.calData = false;
    send(link::calibrationOn());
    stopAllTimers();
    ctx().navigator.open(automaticForm_, this);
  } else {
    releaseButtonsAfterHandshake();
    timer2_->start();
  }
}

void CalibrationWindow::pollTick() {
  timer2_->stop();
  auto& s = shared();
  auto& c = s.calib;
  s.received.calData = false;
  if (ctx().connection.isOpen() && !c.autoCalRequested) {
    bool otherWorkflow = c.storeRpm || c.storePressure || c.storeTemperature;
    if (c.coilCalibration && !s.received.injectorFlags && !otherWorkflow)
      send(link::readCoilModeData(c.coilCount));
    else
      send(link::readCalibrationData(trialKgb()));
  }
  refreshLive();
  if (!c.autoCalRequested) timer2_->start();
}

void CalibrationWindow::closingTick() {
  timer3_->stop();
  // A port lost while waiting for calibration off leaves nothing to wait for.
  if (shared().received.calOffAck || !ctx().connection.isOpen()) {
    for (auto* t : {timer1_.get(), timer2_.get(), timer4_.get()}) t->stop();
    close();
    return;
  }
  send(link::calibrationOff());
  timer3_->start();
}

void CalibrationWindow::tableWriterTick() {
  timer2_->stop();
  timer4_->stop();
  const auto& c = shared().calib;
  if (auto step = nextTableWrite(shared(), c.wholeTableFill || c.tableWriteRequested)) {
    send(step->frame());
    timer4_->start();
    return;
  }
  writeComplete();
}

void CalibrationWindow::writeComplete() {
  timer2_->start();
  setStandardButtonsEnabled(true);
  shared().calib.wholeTableFill = false;
  shared().calib.tableWriteRequested = false;
  setBusy(false);
}

void CalibrationWindow::storeWriterTick() {
  timer2_->stop();
  timer5_->stop();
  const auto& c = shared().calib;
  std::vector<int> params;
  if (c.storeRpm) params = {link::param::kSwitchRpm};
  if (c.storePressure) params = {link::param::kCalPressure};
  if (c.storeTemperature) params = {link::param::kCalTemperature};
  if (c.coilCalibration) params = {link::param::kCoils, link::param::kInjectors};
  if (auto step = nextParamWrite(shared(), params)) {
    send(step->frame());
    timer5_->start();
    return;
  }
  endStoreWorkflow();
}

void CalibrationWindow::endStoreWorkflow() {
  auto& c = shared().calib;
  bool wasCoil = c.coilCalibration;
  clearMarks();
  timer2_->start();
  setStandardButtonsEnabled(true);
  field("Text9")->setEnabled(false);
  setBusy(false);
  field("Text15")->setText(QString());
  showCorrectiveFrames(true);
  c.storeRpm = c.storePressure = c.storeTemperature = c.coilCalibration = false;
  scroll("VScroll5")->setEnabled(true);
  if (wasCoil) {
    button(3)->hide();
    button(3)->setEnabled(false);
  }
}

void CalibrationWindow::cancelStoreWorkflow() {
  auto& c = shared().calib;
  timer5_->stop();  // a store not yet echoed stays pending
  clearMarks();
  c.storeRpm = c.storePressure = c.storeTemperature = false;
  timer2_->start();
  setStandardButtonsEnabled(true);
  setBusy(false);
  field("Text15")->setText(QString());
  showCorrectiveFrames(true);
  guidedSelected(guidedFunction());  // Text9 shows the ECU value again
  field("Text9")->setEnabled(false);
  scroll("VScroll5")->setEnabled(true);
}

void CalibrationWindow::restoreAfterCoilExit() {
  auto& c = shared().calib;
  hideCoilWidgets();
  showCorrectiveFrames(true);
  setStandardButtonsEnabled(true);
  button(3)->setEnabled(false);
  setBusy(false);
  field("Text15")->setText(QString());
  c.coilCalibration = false;
  c.coilExitRequested = false;
}

}  // namespace kelvo6::calib
