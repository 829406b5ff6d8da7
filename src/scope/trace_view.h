#pragma once
// Stacked traces sharing one time axis, drawn with Qt Charts: one strip per
// chosen channel, each thinned to the pixels it has (so a two-hour log draws
// as fast as ten seconds), and a cursor line across every strip.

#include <QWidget>
#include <optional>
#include <vector>

#include "datalog/log_data.h"

class QChart;
class QChartView;
class QLineSeries;
class QValueAxis;
class QVBoxLayout;

namespace kelvo6::scope {

class TraceView : public QWidget {
  Q_OBJECT
 public:
  explicit TraceView(QWidget* parent = nullptr);
  ~TraceView() override;

  void setData(const datalog::LogData* data) { data_ = data; }
  void setChannels(const std::vector<datalog::Ch>& channels, int language);
  const std::vector<datalog::Ch>& channels() const { return channels_; }
  // The span shown, in ms of the data's own time.
  void setSpan(std::int64_t t0, std::int64_t t1);
  std::int64_t spanStart() const { return t0_; }
  std::int64_t spanEnd() const { return t1_; }
  void setCursorTime(std::optional<std::int64_t> tMs);
  std::optional<std::int64_t> cursorTime() const { return cursor_; }
  // Draws the traces of the span again from the data, in the strips in sight.
  void redraw();
  // Draws the strips that came into sight since they were last left out.
  void redrawVisible();
  // How many times the traces were drawn again since the view was made.
  int redraws() const { return redraws_; }
  // Points drawn for a channel's trace at the last redraw (for tests).
  int pointsDrawn(datalog::Ch c) const;
  // Where in the strip of `c` the time `tMs` is drawn, in this widget's coordinates.
  QPoint positionOf(datalog::Ch c, std::int64_t tMs) const;
  // Time labels under every strip (the stack scrolls, so the bottom one may be
  // out of sight), or under the bottom strip only.
  void setTimeLabelsOnEveryStrip(bool every);
  // The plot area of a channel's strip, and its time axis, for tests.
  QRectF plotAreaOf(datalog::Ch c) const;
  const QValueAxis* timeAxisOf(datalog::Ch c) const;

  // Each strip at least this tall: its title, a readable plot and time labels.
  static constexpr int kStripMinHeight = 110;

 signals:
  void cursorPlaced(qint64 tMs);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void resizeEvent(QResizeEvent* e) override;

 private:
  struct Strip {
    datalog::Ch channel;
    QChartView* view;
    QChart* chart;
    QLineSeries* trace;
    QLineSeries* cursor;
    QValueAxis* x;
    QValueAxis* y;
    bool stale = false;  // out of sight at the last redraw
  };
  void drawCursor(Strip& s);
  void placeTimeTicks(Strip& s);
  const Strip* stripOf(datalog::Ch c) const;

  const datalog::LogData* data_ = nullptr;
  std::vector<datalog::Ch> channels_;
  std::vector<Strip> strips_;
  QVBoxLayout* layout_;
  std::int64_t t0_ = 0, t1_ = 30000;
  std::optional<std::int64_t> cursor_;
  bool timeLabelsEverywhere_ = false;
  int redraws_ = 0;
};

// The step between time labels, in seconds: 1, 2 or 5 times a power of ten, so
// that about `labels` of them fall in `spanSeconds`.
double timeLabelStep(double spanSeconds, int labels);

}  // namespace kelvo6::scope
