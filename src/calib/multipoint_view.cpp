// What the multi-point window shows on every tick and after every press: the
// live values of the point being measured, the message line, the two tables,
// the accepted points and which buttons may be pressed.

#include "calib/multipoint_view.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>

#include "app/connection.h"
#include "calib/kgb_table.h"
#include "calib/multipoint_texts.h"
#include "calib/multipoint_window.h"
#include "link/params.h"
#include "platform/widgets.h"

namespace kelvo6::calib {

CellLook proposedLook(int proposed, int ecu, CellBasis basis) {
  CellLook look;
  if (proposed > ecu) look.back = kHigherBack;
  if (proposed < ecu) look.back = kLowerBack;
  switch (basis) {
    case CellBasis::kMeasured:
      look.fore = kMeasuredFore;
      look.bold = true;
      break;
    case CellBasis::kAtLimit:
      look.fore = kAtLimitFore;
      look.bold = true;
      break;
    case CellBasis::kExtrapolated:
      look.fore = kExtrapolatedFore;
      look.italic = true;
      break;
    case CellBasis::kInterpolated: break;
  }
  return look;
}

QPoint pointCentre(const GridGeometry& grid, int rpm, int injectionTime, const std::array<int, 8>& rpmAxis,
                   const std::array<int, 8>& tinjAxis) {
  // The centre of the calibration window's marker, scaled from its grid in
  // twips to this one, so that it lies in the cell core::cellAt names.
  const int half = core::kMarkerTwips / 2;
  int x = core::markerX(rpm, rpmAxis) + half - core::kGridLeftTwips;
  int y = core::markerY(injectionTime, tinjAxis) + half - core::kGridTopTwips;
  return {grid.left + x * kGridCellWidth / core::kGridColumnTwips, grid.top + y * kGridCellHeight / core::kGridRowTwips};
}

namespace {

void showLook(QLabel* l, const CellLook& look) {
  if (l->property("backColor").value<QColor>() != platform::toQColor(look.back)) platform::setBackColor(l, look.back);
  if (l->property("foreColor").value<QColor>() != platform::toQColor(look.fore)) platform::setForeColor(l, look.fore);
  QFont f = l->font();
  if (f.bold() != look.bold || f.italic() != look.italic) {
    f.setBold(look.bold);
    f.setItalic(look.italic);
    l->setFont(f);
  }
}

void setText(QLabel* l, const QString& text) {
  if (l->text() != text) l->setText(text);
}

}  // namespace

std::array<int, 8> MultiPointWindow::rpmAxis() {
  if (!connected()) return kExampleRpmAxis;
  std::array<int, 8> a{};
  for (int p = 1; p <= kAxisPoints; ++p) a[static_cast<std::size_t>(p - 1)] = shared().param(rpmAxisParam(p)).ecu;
  return a;
}

std::array<int, 8> MultiPointWindow::tinjAxis() {
  if (!connected()) return kExampleTinjAxis;
  std::array<int, 8> a{};
  for (int p = 1; p <= kAxisPoints; ++p) a[static_cast<std::size_t>(p - 1)] = shared().param(tinjAxisParam(p)).ecu;
  return a;
}

int MultiPointWindow::ecuCell(int number) { return connected() ? shared().cell(number).ecu : kExampleCell; }

BaseTable MultiPointWindow::base() {
  if (!refine_->isChecked()) return std::nullopt;
  std::array<int, 64> cells{};
  for (int n = 1; n <= 64; ++n) cells[static_cast<std::size_t>(n - 1)] = ecuCell(n);
  return cells;
}

void MultiPointWindow::showSuggestion() {
  // The operating point whose measurement would most narrow the fit: held on
  // the axis points of its cell, which lie in that cell.
  const std::array<int, 8> rpm = rpmAxis(), tinj = tinjAxis();
  suggested_ = connected() ? calib::suggestedCell(run_.points(), rpm, tinj, driveWeights_, unsettled_) : std::nullopt;
  if (!suggested_) {
    next_->clear();
    nextMarker_->hide();
    return;
  }
  int column = (*suggested_ - 1) % 8, row = (*suggested_ - 1) / 8;
  int holdRpm = rpm[static_cast<std::size_t>(column)], holdTime = tinj[static_cast<std::size_t>(row)];
  next_->setText(app::text3(kMpNextPoint, language()).arg(holdRpm).arg(holdTime).arg(*suggested_));
  const GridGeometry g{kCurrentTable};
  nextMarker_->move(g.cellLeft(column), g.cellTop(row));
  nextMarker_->show();
  nextMarker_->raise();
}

void MultiPointWindow::showLive() {
  const auto& l = shared().live;
  auto show = [this](const char* name, int v) {
    auto* f = findChild<QLineEdit*>(QString::fromLatin1(name));
    f->setText(QString::number(v));
  };
  show("Text1", l.rpm);
  show("Text2", l.injectionTime);
  show("Text5", run_.trialKgb());
  show("Text7", l.kgbInUse);
  const PointSearch* search = run_.search();
  show("Text8", search ? search->cycles : 0);
  const References& refs = run_.references();
  if (refs.petrol) show("Text3", refs.petrol);
  if (refs.gas && search && search->switchCount > 0) show("Text4", refs.gas);
  stableRpm_->setVisible(search && search->rpmStable);
  stableTime_->setVisible(search && search->injectionStable);
  bool petrol = l.fuelFlag == 1;
  petrolLamp_->setFill(petrol ? core::colour::kRed : core::colour::kDimRed);
  gasLamp_->setFill(petrol ? core::colour::kDimGreen : core::colour::kGreen);

  // The ring marks the cell the ECU uses: that of the petrol demand, on either fuel.
  int demand = petrolDemand_ ? petrolDemand_ : l.injectionTime;
  QPoint centre = pointCentre(GridGeometry{kCurrentTable}, l.rpm, demand, rpmAxis(), tinjAxis());
  marker_->move(centre - QPoint(kMarkerSize / 2, kMarkerSize / 2));
  marker_->show();
  marker_->raise();
}

void MultiPointWindow::showMessage(const QString& text) {
  message_->setText(text);
  message_->setProperty("foreColor", QVariant());
  message_->setPalette(QPalette());
}

void MultiPointWindow::showNotice() {
  const int lang = language();
  switch (run_.notice()) {
    case RunNotice::kRpmMoved: showMessage(app::text3(kMpRpmMoved, lang).arg(run_.anchorRpm())); break;
    case RunNotice::kTimeMoved: showMessage(app::text3(kMpTimeMoved, lang).arg(run_.anchorTime())); break;
    case RunNotice::kBackAtPoint: showMessage(app::text3(kMpBackAtPoint, lang)); break;
    case RunNotice::kGivenUp: showMessage(app::text3(kMpGivenUp, lang)); break;
    case RunNotice::kLineLost: showMessage(app::text3(kMpLineLost, lang)); break;
    case RunNotice::kNotSettling: showMessage(app::text3(kMpNotSettling, lang)); break;
    case RunNotice::kNone: break;
  }
}

void MultiPointWindow::showRunState() {
  // The message follows the run's phase; found and limit blink as on the
  // automatic calibration. What the run has to say (the engine left the
  // point, the point given up) shows until the phase changes.
  auto phase = run_.phase();
  int state = static_cast<int>(phase);
  if (writing_) return;
  if (run_.takeNotice()) {
    lastState_ = state;
    showNotice();
  }
  if (state != lastState_) {
    lastState_ = state;
    const int lang = language();
    switch (phase) {
      case MultiPointRun::Phase::kIdle:
        if (!connected()) showMessage(app::text3(kMpNotConnected, lang));
        else if (run_.points().empty()) showMessage(app::text3(kMpFirstPoint, lang));
        else showMessage(app::text3(kMpAccepted, lang).arg(run_.points().size()));
        break;
      case MultiPointRun::Phase::kMeasuring: showMessage(app::text3(kMpMeasuring, lang)); break;
      case MultiPointRun::Phase::kFound: showMessage(app::text3(kMpFound, lang)); break;
      case MultiPointRun::Phase::kAtLimit:
        showMessage(app::text3(run_.trialKgb() >= kAutoKgbMax ? kAdviceIncrease : kAdviceDecrease, lang));
        break;
    }
  }
  if (phase == MultiPointRun::Phase::kFound || phase == MultiPointRun::Phase::kAtLimit)
    if (auto colour = run_.blink()) platform::setForeColor(message_, *colour);
}

void MultiPointWindow::showTables() {
  const std::array<int, 8> rpm = rpmAxis(), tinj = tinjAxis();
  for (std::size_t i = 0; i < 8; ++i) {
    for (auto* axes : {&axisLabels_, &proposedAxisLabels_}) {
      setText((*axes)[i], QString::number(rpm[i]));
      setText((*axes)[8 + i], QString::number(tinj[i]));
    }
  }
  std::array<bool, 64> covered{};
  for (const MeasuredPoint& p : run_.points())
    covered[static_cast<std::size_t>(core::cellAt(p.rpm, p.injectionTime, rpm, tinj).number() - 1)] = true;
  for (int n = 1; n <= 64; ++n) {
    auto i = static_cast<std::size_t>(n - 1);
    int ecu = ecuCell(n);
    setText(current_[i], QString::number(ecu));
    showLook(current_[i], CellLook{covered[i] ? kCoveredBack : core::colour::kWhite});
    if (proposal_) {
      setText(proposed_[i], QString::number(proposal_->cells[i]));
      showLook(proposed_[i], proposedLook(proposal_->cells[i], ecu, proposal_->basis[i]));
    } else {
      setText(proposed_[i], QString());
      showLook(proposed_[i], CellLook{});
    }
  }
}

void MultiPointWindow::showPoints() {
  proposal_ = fitTable(run_.points(), rpmAxis(), tinjAxis(), base());
  showSuggestion();
  const auto& points = run_.points();
  const int lang = language();
  pointList_->setRowCount(static_cast<int>(points.size()));
  for (std::size_t i = 0; i < points.size(); ++i) {
    const MeasuredPoint& p = points[i];
    const QString values[] = {QString::number(i + 1),  QString::number(p.rpm),    QString::number(p.injectionTime),
                              QString::number(p.k),    QString::number(p.cycles),
                              p.atLimit ? app::text3(kMpLimitMark, lang) : QString()};
    for (int c = 0; c < 6; ++c) {
      auto* item = new QTableWidgetItem(values[c]);
      item->setTextAlignment(Qt::AlignCenter);
      if (p.atLimit) item->setForeground(platform::toQColor(kAtLimitFore));
      pointList_->setItem(static_cast<int>(i), c, item);
    }
  }

  // One numbered marker per point over the ECU's table.
  while (pointMarkers_.size() > points.size()) {
    delete pointMarkers_.back();
    pointMarkers_.pop_back();
  }
  QFont small = font();
  small.setPointSize(7);
  small.setBold(true);
  for (std::size_t i = 0; i < points.size(); ++i) {
    if (i == pointMarkers_.size()) {
      auto* m = new QLabel(this);
      m->setObjectName(QStringLiteral("Point_%1").arg(i + 1));
      m->setText(QString::number(i + 1));
      m->setFont(small);
      m->setAlignment(Qt::AlignCenter);
      m->setAttribute(Qt::WA_TransparentForMouseEvents);
      m->setProperty("overlay", true);
      m->resize(kMarkerSize, kMarkerSize);
      pointMarkers_.push_back(m);
    }
    QLabel* m = pointMarkers_[i];
    const MeasuredPoint& p = points[i];
    core::Rgb c = p.atLimit ? kAtLimitFore : kMeasuredFore;
    m->setStyleSheet(QStringLiteral("border: 2px solid rgb(%1,%2,%3); border-radius: %4px; color: rgb(%1,%2,%3);"
                                    " background: rgba(255,255,255,160);")
                         .arg(c.r).arg(c.g).arg(c.b).arg(kMarkerSize / 2));
    m->move(pointCentre(GridGeometry{kCurrentTable}, p.rpm, p.injectionTime, rpmAxis(), tinjAxis()) -
            QPoint(kMarkerSize / 2, kMarkerSize / 2));
    m->show();
    m->raise();
  }
  marker_->raise();
  showTables();
}

void MultiPointWindow::refresh() {
  showLive();
  showRunState();
  showTables();
  updateButtons();
}

void MultiPointWindow::updateButtons() {
  bool lineUp = connected() && ctx().connection.isOpen();
  bool ready = lineUp && !writing_ && !leaving_ && !awaitingCalOn_;
  auto phase = run_.phase();
  bool havePoints = !run_.points().empty();
  bool inProgress = run_.inProgress();
  buttons_[2]->setEnabled(ready);
  buttons_[3]->setEnabled(ready && (phase == MultiPointRun::Phase::kFound || phase == MultiPointRun::Phase::kAtLimit));
  buttons_[4]->setEnabled(ready && havePoints);
  // A point being measured or found but not accepted would be left out.
  buttons_[5]->setEnabled(ready && proposal_.has_value() && !inProgress);
  buttons_[6]->setEnabled(ready && (havePoints || inProgress));
  buttons_[7]->setEnabled(ready && !undo_.empty() && !inProgress);
}

}  // namespace kelvo6::calib
