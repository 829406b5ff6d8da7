// The multi-point calibration window: loading and activation, its three
// timers (measurement tick, fuel switch, table writer) and what its buttons
// do. The traffic is the automatic calibration's: read calibration data with
// the K under test every 300 ms, switch fuel at each change of phase,
// calibration off on leaving, and after APPLY the writer of calibration
// pressure, temperature and cells.

#include "calib/multipoint_window.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QFileInfo>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QTableWidget>
#include <algorithm>
#include <cstdlib>

#include "app/connection.h"
#include "calib/kgb_table.h"
#include "calib/multipoint_drive.h"
#include "calib/multipoint_texts.h"
#include "calib/multipoint_view.h"
#include "calib/table_transfer.h"
#include "datalog/cell_stats.h"
#include "datalog/log_files.h"
#include "datalog/log_reader.h"
#include "link/params.h"
#include "link/requests.h"
#include "platform/desktop.h"

namespace kelvo6::calib {

namespace {
constexpr int kSwitchDelayMs = 1000;
// The stable-time interval a first run starts with when none was chosen yet:
// with 0 every tick counts as above or below and no value is ever found.
constexpr int kFirstInterval = 100;
// Ticks without an answer after which a point in progress is given up: the
// values on show are no longer the engine's.
constexpr int kStaleTicks = 4;
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
  connect(buttons_[4], &QPushButton::clicked, this, [this] { removePressed(); });
  connect(buttons_[5], &QPushButton::clicked, this, [this] { applyPressed(); });
  connect(buttons_[6], &QPushButton::clicked, this, [this] { discardPressed(); });
  connect(buttons_[7], &QPushButton::clicked, this, [this] { undoPressed(); });
  connect(refine_, &QCheckBox::toggled, this, [this] { showPoints(); });

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
  if (!connected()) setWindowTitle(app::text3(kMpTitleNotConnected, lang));
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
  // The ECU behind a line that came back may have been restarted: calibration
  // mode is asked for again, as it was before, and nothing is measured or
  // written until it is confirmed.
  if (!ctx().connection.isOpen()) {
    lineDown_ = connected();
  } else if (lineDown_ || awaitingCalOn_) {
    if (lineDown_) s.received.calOnAck = false;
    lineDown_ = false;
    awaitingCalOn_ = !s.received.calOnAck;
    if (awaitingCalOn_) send(link::calibrationOn());
  }
  // Only a fresh answer is the engine of this moment; without answers a point
  // in progress is given up rather than measured on frozen values.
  bool fresh = s.received.calData && ctx().connection.isOpen();
  s.received.calData = false;
  staleTicks_ = fresh ? 0 : staleTicks_ + 1;
  if (run_.inProgress() && (!ctx().connection.isOpen() || staleTicks_ >= kStaleTicks)) {
    timer1_->stop();
    run_.lineLost();
  }
  const auto& l = s.live;
  if (fresh) {
    trackPetrolDemand();
    if (run_.tick({l.injectionTime, l.rpm, l.lambda1, l.lambda2, l.fuelFlag}, interval_)) armSwitch();
    // A switch armed before the engine left the point belongs to the phase that restarts.
    auto n = run_.notice();
    if (n == RunNotice::kRpmMoved || n == RunNotice::kTimeMoved) timer1_->stop();
    if (n == RunNotice::kNotSettling && run_.noticeFresh()) {
      timer1_->stop();
      int rpm = run_.anchorRpm() ? run_.anchorRpm() : l.rpm, time = run_.anchorTime() ? run_.anchorTime() : petrolDemand_;
      unsettled_.push_back(core::cellAt(rpm, time, rpmAxis(), tinjAxis()).number());
      showSuggestion();
    }
  }
  refresh();
  if (ctx().connection.isOpen()) send(link::readCalibrationData(run_.trialKgb()));
  timer2_->start();
}

void MultiPointWindow::trackPetrolDemand() {
  // The ECU looks up its cell from the petrol demand on either fuel. On gas the
  // live time is the gas time; the petrol demand is the last one seen on
  // petrol as long as the engine speed stays there.
  const auto& l = shared().live;
  if (l.fuelFlag == 1) {
    petrolDemand_ = l.injectionTime;
    petrolRpm_ = l.rpm;
  } else if (petrolDemand_ == 0 || std::abs(l.rpm - petrolRpm_) > kPointRpmBand) {
    petrolDemand_ = l.injectionTime;  // nothing better known
  }
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
  int demand = petrolDemand_ ? petrolDemand_ : l.injectionTime;
  run_.startPoint(startingKgb(run_.points(), l.rpm, demand, rpmAxis(), tinjAxis(), run_.trialKgb(), base()));
  lastState_ = -1;
  refresh();
}

void MultiPointWindow::acceptPressed() {
  if (!run_.accept(rpmAxis(), tinjAxis())) return;
  timer1_->stop();
  // Back to petrol, so that the engine is placed at the next point by the
  // petrol demand the ECU looks up, and that point starts from petrol.
  if (shared().live.fuelFlag != 1) {
    send(link::switchFuel());
    shared().received.fuelSwitchAck = false;
  }
  lastState_ = -1;
  showPoints();
  refresh();
}

void MultiPointWindow::removePressed() {
  // The point chosen in the list, otherwise the last one.
  int row = pointList_->currentRow();
  bool chosen = row >= 0 && pointList_->selectionModel()->isRowSelected(row, {});
  if (chosen) run_.removePoint(static_cast<std::size_t>(row));
  else run_.removeLastPoint();
  pointList_->clearSelection();
  lastState_ = -1;
  showPoints();
  refresh();
}

bool MultiPointWindow::askToLosePoints(const core::Text3& question) {
  if (run_.points().empty() || !connected()) return true;
  platform::Question q{windowTitle(), app::text3(question, language()).arg(run_.points().size()), {}, {}};
  return ctx().desktop.confirm(this, q);
}

void MultiPointWindow::discardPressed() {
  if (!askToLosePoints(kMpDiscardQuestion)) return;
  // Back to the start: no point, no proposal, nothing written.
  timer1_->stop();
  run_.cancelPoint();
  run_.clearPoints();
  lastState_ = -1;
  showPoints();
  refresh();
}

void MultiPointWindow::applyPressed() {
  if (!proposal_ || run_.inProgress()) return;
  auto& s = shared();
  if (!writeCut_) {
    // The table as it is now is what UNDO puts back.
    Table before;
    for (int n = 1; n <= 64; ++n) before.cells[static_cast<std::size_t>(n - 1)] = s.cell(n).ecu;
    before.pressure = s.param(link::param::kCalPressure).ecu;
    before.temperature = s.param(link::param::kCalTemperature).ecu;
    undo_.push_back(before);
  }
  write_ = Write::kApply;
  // As the automatic calibration's OK: the calibration pressure and
  // temperature of this moment, the cells, then the writer; cells that
  // already hold their proposed value are not sent.
  startWriting(proposal_->cells, s.live.pressure1, s.live.temperature1);
}

void MultiPointWindow::undoPressed() {
  if (undo_.empty() || run_.inProgress()) return;
  write_ = Write::kUndo;
  const Table& t = undo_.back();
  startWriting(t.cells, t.pressure, t.temperature);
}

void MultiPointWindow::drivePressed() {
  platform::FileDialogRequest request;
  request.title = windowTitle();
  request.folder = QString::fromStdString(datalog::logsFolder(std::getenv("HOME")));
  request.filter = QStringLiteral("Logs (*.csv)");
  const QString path = ctx().desktop.chooseFile(this, request);
  if (path.isEmpty()) return;
  const QString name = QFileInfo(path).fileName();
  datalog::ReadResult r = datalog::readLog(path.toStdString());
  if (!r.log) {
    drive_->setText(app::text3(kMpDriveUnreadable, language()).arg(name));
    return;
  }
  // Placed on this ECU's axes: the cells the suggestions are made for.
  datalog::CellMap map = datalog::cellMap(*r.log, rpmAxis(), tinjAxis());
  auto weights = driveWeights(map);
  driveWeights_.assign(weights.begin(), weights.end());
  drive_->setText(app::text3(kMpDrive, language()).arg(name).arg(map.samples));
  showSuggestion();
}

void MultiPointWindow::startWriting(const std::array<int, 64>& cells, int pressure, int temperature) {
  auto& s = shared();
  stopTimers();
  writing_ = true;
  writeCut_ = false;
  buttons_[1]->setEnabled(false);  // EXIT waits for the writer: it would leave calibration mode under it
  writeTarget_ = cells;
  for (int n = 1; n <= 64; ++n) {
    auto i = static_cast<std::size_t>(n - 1);
    writeChanges_[i] = s.cell(n).ecu != cells[i];
  }
  stageAutomaticStore(s, cells);
  s.param(link::param::kCalPressure).pending = pressure;
  s.param(link::param::kCalTemperature).pending = temperature;
  updateButtons();
  showMessage(app::text3(write_ == Write::kUndo ? kMpRestoring : kMpWriting, language()));
  timer3_->start();
}

void MultiPointWindow::writerTick() {
  stopTimers();
  auto& s = shared();
  if (!ctx().connection.isOpen()) {
    writeCut();
    return;
  }
  if (auto step = nextAutoCalibrationWrite(s)) {
    send(step->frame());
    timer3_->start();
    return;
  }
  writeFinished();
}

void MultiPointWindow::writeFinished() {
  auto& s = shared();
  s.calib.tableWriteRequested = false;
  writing_ = false;
  buttons_[1]->setEnabled(true);
  int written = static_cast<int>(std::count(writeChanges_.begin(), writeChanges_.end(), true));
  if (write_ == Write::kUndo) undo_.pop_back();
  const int lang = language();
  showMessage(write_ == Write::kUndo ? app::text3(kMpRestored, lang) : app::text3(kMpApplied, lang).arg(written));
  write_ = Write::kNone;
  lastState_ = static_cast<int>(run_.phase());  // the message stays until the run moves on
  showPoints();
  refresh();
  timer2_->start();
}

void MultiPointWindow::writeCut() {
  // The line went: say which cells hold the new value and which do not, keep
  // the proposal and the table before, and let the fitter finish or undo once
  // the line is back. Nothing staged is written by anyone meanwhile.
  auto& s = shared();
  writing_ = false;
  writeCut_ = true;
  buttons_[1]->setEnabled(true);
  int changes = 0, written = 0;
  QStringList missing;
  for (int n = 1; n <= 64; ++n) {
    auto i = static_cast<std::size_t>(n - 1);
    if (!writeChanges_[i]) continue;
    ++changes;
    if (s.cell(n).ecu == writeTarget_[i]) ++written;
    else missing << QString::number(n);
  }
  dropStagedWrite();
  showMessage(app::text3(kMpWriteCut, language()).arg(written).arg(changes).arg(missing.join(QStringLiteral(", "))));
  lastState_ = static_cast<int>(run_.phase());
  refresh();
  timer2_->start();
}

void MultiPointWindow::dropStagedWrite() {
  auto& s = shared();
  s.calib.tableWriteRequested = false;
  for (int n = 1; n <= 64; ++n) s.cell(n).pending = s.cell(n).ecu;
  for (int p : {link::param::kCalPressure, link::param::kCalTemperature}) s.param(p).pending = s.param(p).ecu;
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
  if (!leaving_ && !askToLosePoints(kMpExitQuestion)) return;
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
