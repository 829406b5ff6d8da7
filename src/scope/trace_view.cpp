#include "scope/trace_view.h"

#include <QChart>
#include <QChartView>
#include <QGraphicsLayout>
#include <QLineSeries>
#include <QMouseEvent>
#include <QValueAxis>
#include <QVBoxLayout>
#include <algorithm>
#include <climits>

#include "app/texts.h"
#include "datalog/decimate.h"

namespace kelvo6::scope {

namespace {
constexpr int kStripHeight = 96;
const QColor kTraceColour(0, 90, 200);
const QColor kStepColour(170, 60, 0);
const QColor kCursorColour(220, 0, 0);

double seconds(std::int64_t ms) { return static_cast<double>(ms) / 1000.0; }
}  // namespace

TraceView::TraceView(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("Traces"));
  layout_ = new QVBoxLayout(this);
  layout_->setContentsMargins(0, 0, 0, 0);
  layout_->setSpacing(0);
}

TraceView::~TraceView() = default;

void TraceView::setChannels(const std::vector<datalog::Ch>& channels, int language) {
  for (Strip& s : strips_) delete s.view;
  strips_.clear();
  channels_ = channels;
  for (std::size_t i = 0; i < channels.size(); ++i) {
    const datalog::Channel& ch = datalog::channel(channels[i]);
    auto* chart = new QChart;
    chart->legend()->hide();
    chart->setMargins(QMargins(2, 0, 2, 0));
    chart->setBackgroundRoundness(0);
    QString title = app::text3(ch.caption, language);
    if (*ch.unit) title += QStringLiteral(" (%1)").arg(QString::fromUtf8(ch.unit));
    chart->setTitle(title);
    QFont titleFont = chart->titleFont();
    titleFont.setPointSizeF(titleFont.pointSizeF() * 0.9);
    titleFont.setBold(true);
    chart->setTitleFont(titleFont);

    auto* trace = new QLineSeries;
    QPen pen(ch.step ? kStepColour : kTraceColour);
    pen.setWidthF(1.2);
    trace->setPen(pen);
    auto* cursor = new QLineSeries;
    QPen cursorPen(kCursorColour);
    cursorPen.setWidthF(1.0);
    cursor->setPen(cursorPen);
    chart->addSeries(trace);
    chart->addSeries(cursor);
    auto* x = new QValueAxis;
    auto* y = new QValueAxis;
    x->setLabelFormat(QStringLiteral("%.0f s"));
    y->setLabelFormat(QStringLiteral("%.0f"));
    y->setTickCount(3);
    x->setTickCount(7);
    QFont small = x->labelsFont();
    small.setPointSizeF(small.pointSizeF() * 0.85);
    x->setLabelsFont(small);
    y->setLabelsFont(small);
    x->setLabelsVisible(i + 1 == channels.size());  // the time labels under the bottom strip only
    chart->addAxis(x, Qt::AlignBottom);
    chart->addAxis(y, Qt::AlignLeft);
    for (QLineSeries* s : {trace, cursor}) {
      s->attachAxis(x);
      s->attachAxis(y);
    }
    auto* view = new QChartView(chart, this);
    view->setObjectName(QStringLiteral("Trace_%1").arg(QString::fromLatin1(ch.csvName)));
    view->setRenderHint(QPainter::Antialiasing, false);
    view->setMinimumHeight(kStripHeight);
    view->viewport()->installEventFilter(this);
    layout_->addWidget(view);
    view->show();  // now, not on a later event: it is drawn at once
    strips_.push_back({channels[i], view, chart, trace, cursor, x, y});
  }
  layout_->activate();  // the new strips get their room before they are drawn
  redraw();
}

void TraceView::setSpan(std::int64_t t0, std::int64_t t1) {
  t0_ = t0;
  t1_ = std::max(t1, t0 + 1);
}

void TraceView::setCursorTime(std::optional<std::int64_t> tMs) {
  cursor_ = tMs;
  for (Strip& s : strips_) drawCursor(s);
}

void TraceView::drawCursor(Strip& s) {
  if (!cursor_ || *cursor_ < t0_ || *cursor_ > t1_) {
    s.cursor->clear();
    return;
  }
  const double x = seconds(*cursor_);
  s.cursor->replace(QList<QPointF>{{x, s.y->min()}, {x, s.y->max()}});
}

void TraceView::resizeEvent(QResizeEvent* e) {
  QWidget::resizeEvent(e);
  redraw();  // the thinning follows the pixels each strip has
}

void TraceView::redraw() {
  for (Strip& s : strips_) {
    // The chart lays itself out on a later event; its plot area is needed now.
    if (QGraphicsLayout* l = s.chart->layout()) l->activate();
    const datalog::Channel& ch = datalog::channel(s.channel);
    QList<QPointF> points;
    int lo = ch.scaleMin, hi = ch.scaleMax;
    if (data_ && data_->has(s.channel)) {
      const int columns = std::max(50, static_cast<int>(s.chart->plotArea().width()));
      const auto thin = datalog::decimate(data_->times(), data_->values(s.channel), t0_, t1_, columns);
      points.reserve(static_cast<qsizetype>(thin.size() * (ch.step ? 2 : 1)));
      for (std::size_t i = 0; i < thin.size(); ++i) {
        const auto& p = thin[i];
        // A code or flag holds its value until the next sample: drawn as steps.
        if (ch.step && i > 0) points.append({seconds(p.tMs), static_cast<double>(thin[i - 1].value)});
        points.append({seconds(p.tMs), static_cast<double>(p.value)});
        if (p.tMs >= t0_ && p.tMs <= t1_) {
          lo = std::min(lo, p.value);
          hi = std::max(hi, p.value);
        }
      }
    }
    s.trace->replace(points);
    s.x->setRange(seconds(t0_), seconds(t1_));
    const double pad = ch.step ? 0.5 : 0.0;
    s.y->setRange(lo - pad, hi + pad);
    drawCursor(s);
  }
}

int TraceView::pointsDrawn(datalog::Ch c) const {
  for (const Strip& s : strips_)
    if (s.channel == c) return static_cast<int>(s.trace->count());
  return -1;
}

QPoint TraceView::positionOf(datalog::Ch c, std::int64_t tMs) const {
  for (const Strip& s : strips_)
    if (s.channel == c) {
      QPointF inChart = s.chart->mapToPosition(QPointF(seconds(tMs), (s.y->min() + s.y->max()) / 2), s.trace);
      QPoint inView = s.view->mapFromScene(s.chart->mapToScene(inChart));
      return s.view->viewport()->mapTo(const_cast<TraceView*>(this), inView);
    }
  return {};
}

bool TraceView::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::MouseButtonPress) {
    for (Strip& s : strips_) {
      if (s.view->viewport() != watched) continue;
      auto* e = static_cast<QMouseEvent*>(event);
      QPointF inChart = s.chart->mapFromScene(s.view->mapToScene(e->position().toPoint()));
      if (!s.chart->plotArea().contains(inChart)) return false;
      const double x = s.chart->mapToValue(inChart, s.trace).x();
      const auto t = static_cast<std::int64_t>(x * 1000.0 + (x >= 0 ? 0.5 : -0.5));
      setCursorTime(t);
      emit cursorPlaced(t);
      return true;
    }
  }
  return QWidget::eventFilter(watched, event);
}

}  // namespace kelvo6::scope
