#include "scope/trace_view.h"

#include <QChart>
#include <QChartView>
#include <QFontMetricsF>
#include <QGraphicsLayout>
#include <QLineSeries>
#include <QMouseEvent>
#include <QValueAxis>
#include <QVBoxLayout>
#include <algorithm>
#include <climits>
#include <cmath>

#include "app/texts.h"
#include "datalog/decimate.h"

namespace kelvo6::scope {

namespace {
constexpr int kScaleWidth = 58;  // room for the scale labels left of every plot
constexpr int kTimeLabels = 6;   // about this many time labels under a strip
const QColor kTraceColour(0, 90, 200);
const QColor kStepColour(170, 60, 0);
const QColor kCursorColour(220, 0, 0);

double seconds(std::int64_t ms) { return static_cast<double>(ms) / 1000.0; }

// 1, 2 or 5 times a power of ten, at least `rough` (and at least `least`).
double niceStep(double rough, double least = 1.0) {
  double p = std::pow(10.0, std::floor(std::log10(std::max(rough, least))));
  for (double m : {1.0, 2.0, 5.0, 10.0})
    if (m * p >= rough) return m * p;
  return 10 * p;
}
}  // namespace

double timeLabelStep(double spanSeconds, int labels) {
  return niceStep(spanSeconds / std::max(1, labels), 0.1);
}

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
    x->setTickType(QValueAxis::TicksDynamic);  // labels at round times, placed in redraw
    x->setTickAnchor(0);
    x->setTruncateLabels(false);
    y->setLabelFormat(QStringLiteral("%.0f"));
    y->setTickType(QValueAxis::TicksDynamic);
    y->setTickAnchor(0);
    y->setTruncateLabels(false);  // a short strip would otherwise show "..." for 7000
    QFont small = x->labelsFont();
    small.setPointSizeF(small.pointSizeF() * 0.85);
    x->setLabelsFont(small);
    y->setLabelsFont(small);
    x->setLabelsVisible(timeLabelsEverywhere_ || i + 1 == channels.size());
    chart->addAxis(x, Qt::AlignBottom);
    chart->addAxis(y, Qt::AlignLeft);
    for (QLineSeries* s : {trace, cursor}) {
      s->attachAxis(x);
      s->attachAxis(y);
    }
    auto* view = new QChartView(chart, this);
    view->setObjectName(QStringLiteral("Trace_%1").arg(QString::fromLatin1(ch.csvName)));
    view->setRenderHint(QPainter::Antialiasing, false);
    view->setMinimumHeight(kStripMinHeight);
    view->viewport()->installEventFilter(this);
    layout_->addWidget(view);
    view->show();  // now, not on a later event: it is drawn at once
    strips_.push_back({channels[i], view, chart, trace, cursor, x, y});
  }
  layout_->activate();  // the new strips get their room before they are drawn
  redraw();
}

void TraceView::setTimeLabelsOnEveryStrip(bool every) {
  if (every == timeLabelsEverywhere_) return;
  timeLabelsEverywhere_ = every;
  for (std::size_t i = 0; i < strips_.size(); ++i) strips_[i].x->setLabelsVisible(every || i + 1 == strips_.size());
  redraw();
}

void TraceView::placeTimeTicks(Strip& s) {
  const double step = timeLabelStep(seconds(t1_ - t0_), kTimeLabels);
  if (step != s.x->tickInterval()) s.x->setTickInterval(step);
  const QString format = step >= 1.0 ? QStringLiteral("%.0f s") : QStringLiteral("%.1f s");
  if (format != s.x->labelFormat()) s.x->setLabelFormat(format);
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
  ++redraws_;
  // The part of the stack its parent (the scroll area's viewport) shows. A
  // strip scrolled out of sight is drawn when it comes back (redrawVisible).
  const QRect inSight = parentWidget() ? QRect(mapFrom(parentWidget(), QPoint(0, 0)), parentWidget()->size()) : rect();
  for (Strip& s : strips_) {
    s.stale = !s.view->geometry().intersects(inSight);
    if (s.stale) continue;
    // One plot area across every strip, so the time axes line up under each
    // other whatever the width of each scale's labels.
    const QSizeF size = s.view->viewport()->size();
    s.chart->resize(size);
    // Below the title by half a scale label: the top label is centred on the plot's edge.
    const qreal top = QFontMetricsF(s.chart->titleFont()).height() + QFontMetricsF(s.y->labelsFont()).height() / 2 + 10;
    const qreal bottom = s.x->labelsVisible() ? QFontMetricsF(s.x->labelsFont()).height() + 10
                                              : QFontMetricsF(s.y->labelsFont()).height() / 2 + 4;
    // Room right of the plot for half the widest time label, centred on the last tick.
    const qreal right = QFontMetricsF(s.x->labelsFont()).horizontalAdvance(QStringLiteral("0000.0 s")) / 2 + 4;
    const QRectF plot(kScaleWidth, top, std::max<qreal>(10, size.width() - kScaleWidth - right),
                      std::max<qreal>(10, size.height() - top - bottom));
    if (plot != s.chart->plotArea()) s.chart->setPlotArea(plot);
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
    placeTimeTicks(s);
    // A little headroom, and scale labels on round numbers inside the plot.
    const double span = std::max(1, hi - lo);
    const double pad = ch.step ? 0.5 : span * 0.08;
    // Only what changed: every change of an axis lays the chart out again.
    const double yMin = lo - (ch.step ? pad : 0.0), yMax = hi + pad;
    if (yMin != s.y->min() || yMax != s.y->max()) s.y->setRange(yMin, yMax);
    if (const double step = niceStep(span / 2.5); step != s.y->tickInterval()) s.y->setTickInterval(step);
    // Lay the axes out now rather than on a later event, so what is drawn
    // next is the new span.
    if (QGraphicsLayout* l = s.chart->layout()) {
      l->invalidate();
      l->activate();
    }
    drawCursor(s);
  }
}

const TraceView::Strip* TraceView::stripOf(datalog::Ch c) const {
  for (const Strip& s : strips_)
    if (s.channel == c) return &s;
  return nullptr;
}

void TraceView::redrawVisible() {
  if (std::any_of(strips_.begin(), strips_.end(), [](const Strip& s) { return s.stale; })) redraw();
}

int TraceView::pointsDrawn(datalog::Ch c) const {
  const Strip* s = stripOf(c);
  return s ? static_cast<int>(s->trace->count()) : -1;
}

QRectF TraceView::plotAreaOf(datalog::Ch c) const {
  const Strip* s = stripOf(c);
  return s ? s->chart->plotArea() : QRectF();
}

const QValueAxis* TraceView::timeAxisOf(datalog::Ch c) const {
  const Strip* s = stripOf(c);
  return s ? s->x : nullptr;
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
