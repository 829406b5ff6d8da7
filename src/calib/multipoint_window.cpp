// The multi-point calibration window: loading and activation, its three
// timers (measurement tick, fuel switch, table writer) and what its buttons
// do. The traffic is the automatic calibration's: read calibration data with
// the K under test every 300 ms, switch fuel at each change of phase,
// calibration off on leaving, and after APPLY the writer of calibration
// pressure, temperature and cells.

#include "calib/multipoint_window.h"

#include <QCloseEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QTableWidget>
#include <algorithm>

#include "app/connection.h"
#include "calib/kgb_table.h"
#include "calib/multipoint_texts.h"
#include "calib/multipoint_view.h"
#include "calib/table_transfer.h"
#include "link/params.h"
#include "link/requests.h"

namespace kelvo6::calib {

namespace {
constexpr int kSwitchDelayMs = 1000;
// The stable-time interval a first run starts with when none was chosen yet:
// with 0 every tick counts as above or below and no value is ever found.
constexpr int kFirstInterval = 100;
}  // namespace

MultiPointWindow::MultiPointWindow(app::Context& ctx) : Screen(ctx, QStringLiteral("MultiPoint")) {
  setWindowTitle(QStringLiteral("KELVO6 - Taratura multipunto"));
  setFixedSize(kWindowWidth, kWindowHeight);

  message_ = new QLabel(this);
  message_->setObjectName("Label1");
  message_->setGeometry(16, 8, kWindowWidth - 32, 28);
  message_->setAlignment(Qt::AlignCenter);
  QFont bold = message_->font();
  bold.setBold(true);
  bold.setPointSize(bold.pointSize() + 1);
  message_->setFont(bold);

  buildGrids();
  buildLiveFields();
  buildPointList();
  buildButtons();

  connect(intervalBar_, &QScrollBar::valueChanged, this, [this](int v) {
    interval_ = v;
    findChild<QLineEdit*>("Text10")->setText(QString::number(v));
    shared().calib.autoInterval = v;
  });
  connect(buttons_[1], &QPushButton::clicked, this, [this] { exitPressed(); });
  connect(buttons_[2], &QPushButton::clicked, this, [this] { measurePressed(); });
  connect(buttons_[3], &QPushButton::clicked, this, [this] { acceptPressed(); });
  connect(buttons_[4], &QPushButton::clicked, this, [this] { removeLastPressed(); });
  connect(buttons_[5], &QPushButton::clicked, this, [this] { applyPressed(); });
  connect(buttons_[6], &QPushButton::clicked, this, [this] { discardPressed(); });

  timer1_ = makeTimer("Timer1", kSwitchDelayMs, [this] { switchTick(); });
  timer2_ = makeTimer("Timer2", 300, [this] { measureTick(); });
  timer3_ = makeTimer("Timer3", 100, [this] { writerTick(); });
}

MultiPointWindow::~MultiPointWindow() = default;

void MultiPointWindow::load() {
  auto& s = shared();
  run_ = MultiPointRun(std::clamp(s.calib.trialKgb, kAutoKgbMin, kAutoKgbMax));
  int lang = language();
  app::applyTexts(this, multiPointCaptions(), lang);
  bool cng = s.param(link::param::kFuelType).ecu != 0;
  app::setCaption(findChild<QLabel*>("Label_Text4"), app::text3(cng ? kMpGasTimeCng : kMpGasTimeLpg, lang));
  QStringList headings;
  for (const core::Text3& h : kMpListHeadings) headings << app::text3(h, lang);
  pointList_->setHorizontalHeaderLabels(headings);
  // The interval is the automatic calibration's, kept for the run; the
  // fitter's own choice is kept as it is, only a first run starts at 100.
  interval_ = s.calib.autoInterval > 0 ? s.calib.autoInterval : kFirstInterval;
  {
    QSignalBlocker block(intervalBar_);
    intervalBar_->setValue(interval_);
  }
  findChild<QLineEdit*>("Text10")->setText(QString::number(interval_));
  showPoints();
  showRunState();
}

void MultiPointWindow::activate() {
  updateButtons();
  if (!connected()) {
    showTables();
    return;
  }
  if (!writing_ && !timer2_->isRunning() && !timer3_->isRunning()) timer2_->start();
}

void MultiPointWindow::unload() {
  stopTimers();
  shared().calib.autoCalRequested = false;
}

void MultiPointWindow::stopTimers() {
  for (auto* t : {timer1_.get(), timer2_.get(), timer3_.get()}) t->stop();
}

void MultiPointWindow::measureTick() {
  timer2_->stop();
  auto& s = shared();
  if (s.calib.calOffRequested) {
    // Leaving: calibration off until the ECU confirms; a lost line leaves no
    // ECU to confirm it.
    if (!ctx().connection.isOpen() || s.received.calOffAck) {
      stopTimers();
      close();
      return;
    }
    send(link::calibrationOff());
    timer2_->start();
    return;
  }
  s.received.calData = false;
  const auto& l = s.live;
  if (run_.tick({l.injectionTime, l.rpm, l.lambda1, l.lambda2, l.fuelFlag}, interval_)) armSwitch();
  refresh();
  if (ctx().connection.isOpen()) send(link::readCalibrationData(run_.trialKgb()));
  timer2_->start();
}

void MultiPointWindow::armSwitch() {
  // Arming again while armed keeps the countdown already running.
  if (!timer1_->isRunning()) timer1_->start();
}

void MultiPointWindow::switchTick() {
  timer1_->stop();
  timer2_->stop();
  send(link::switchFuel());
  shared().received.fuelSwitchAck = false;
  stableRpm_->hide();
  stableTime_->hide();
  run_.fuelSwitched();
  timer2_->start();
}

void MultiPointWindow::measurePressed() {
  // The search starts from what the points so far propose at this operating
  // point, so that a point near the others takes few cycles.
  const auto& l = shared().live;
  timer1_->stop();  // a switch armed by an earlier point is not this point's
  run_.startPoint(startingKgb(run_.points(), l.rpm, l.injectionTime, rpmAxis(), tinjAxis(), run_.trialKgb()));
  lastState_ = -1;
  refresh();
}

void MultiPointWindow::acceptPressed() {
  if (!run_.accept()) return;
  timer1_->stop();  // no last switch: the engine goes on to the next point as it is
  lastState_ = -1;
  showPoints();
  refresh();
}

void MultiPointWindow::removeLastPressed() {
  run_.removeLastPoint();
  lastState_ = -1;
  showPoints();
  refresh();
}

void MultiPointWindow::discardPressed() {
  // Back to the start: no point, no proposal, nothing written.
  timer1_->stop();
  run_.cancelPoint();
  run_.clearPoints();
  lastState_ = -1;
  showPoints();
  refresh();
}

void MultiPointWindow::applyPressed() {
  if (!proposal_) return;
  auto& s = shared();
  stopTimers();
  writing_ = true;
  buttons_[1]->setEnabled(false);
  updateButtons();
  showMessage(app::text3(kMpWriting, language()));
  // As the automatic calibration's OK: the calibration pressure and
  // temperature of this moment, the cells, then the writer; cells that
  // already hold their proposed value are not sent.
  stageAutomaticStore(s, proposal_->cells);
  timer3_->start();
}

void MultiPointWindow::writerTick() {
  stopTimers();
  auto& s = shared();
  // A lost line ends the writing: EXIT is given back, and what was not yet
  // echoed stays pending for the calibration window to pick up.
  if (!ctx().connection.isOpen()) {
    buttons_[1]->setEnabled(true);
    return;
  }
  bool finished = false;
  send(nextAutomaticWriterFrame(s, &finished));
  (finished ? timer2_ : timer3_)->start();
}

// Closed from the window frame: as the automatic calibration's frame, EXIT
// while calibration mode is on; at once while the table is written.
void MultiPointWindow::closeEvent(QCloseEvent* event) {
  if (!isHidden() && buttons_[1]->isEnabled() && connected() && ctx().connection.isOpen() &&
      !shared().calib.calOffRequested) {
    event->ignore();
    exitPressed();
    return;
  }
  Screen::closeEvent(event);
}

void MultiPointWindow::exitPressed() {
  // Without a port (not connected, or the line was lost) no ECU can confirm
  // calibration off: close at once.
  if (!connected() || !ctx().connection.isOpen()) {
    stopTimers();
    close();
    return;
  }
  auto& s = shared();
  leaving_ = true;
  timer1_->stop();
  updateButtons();
  send(link::calibrationOff());
  awaitCalibrationOff(s);
  timer2_->start();
}

}  // namespace kelvo6::calib
