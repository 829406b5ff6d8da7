#pragma once
// The oscilloscope: live traces of the engine sampled as fast as the line
// allows, paused and scrolled back through everything sampled since it opened,
// a cursor that reads every shown channel at one instant, recording, and the
// viewer of recorded logs with the same traces. Without an ECU it only views.

#include <memory>
#include <optional>

#include "app/screen.h"
#include "datalog/log_data.h"
#include "link/answer_observer.h"
#include "platform/scheduler.h"
#include "scope/sampler.h"

class QComboBox;
class QLabel;
class QListWidget;
class QPushButton;
class QScrollArea;
class QScrollBar;

namespace kelvo6::record {
class RecordToggle;
}

namespace kelvo6::scope {

class TraceView;

class OscilloscopeWindow : public app::Screen, public link::AnswerObserver {
  Q_OBJECT
 public:
  explicit OscilloscopeWindow(app::Context& ctx);
  ~OscilloscopeWindow() override;

  void load() override;
  void activate() override;
  void unload() override;
  void answerHandled(int type, std::int64_t atMs) override;
  void requestSent(int command, std::int64_t atMs) override;

  // What the traces show: the live samples or an opened log.
  const datalog::LogData& shown() const { return log_ ? *log_ : live_; }
  bool viewingLog() const { return log_.has_value(); }
  Sampler& sampler() { return *sampler_; }
  TraceView* traces() const { return traces_; }
  // Opens a log file as the file dialog would; false (and the message shown)
  // when it cannot be read.
  bool openLog(const QString& path);

  static const std::vector<int>& windowSeconds();

 private:
  void build();
  void startSampling();
  void stopSampling();
  void refreshTick();
  void chooseLog();
  void backToLive();
  void openCellMap();
  void channelsChanged();
  void placeTimeLabels();
  void showChannels();
  void resizeEvent(QResizeEvent* e) override;
  void windowChanged();
  void scrolled(int value);
  void pauseToggled(bool paused);
  void updateSpan();
  void updateScroll();
  void showCursor(std::int64_t tMs);
  void showSummary();
  std::int64_t windowMs() const;
  std::vector<datalog::Ch> chosenChannels() const;
  void fillChannelList();

  datalog::LogData live_;
  std::optional<datalog::LogData> log_;
  QString logName_;
  std::int64_t startMs_ = 0;
  bool paused_ = false;
  std::int64_t viewStart_ = 0;  // left edge while paused or viewing a log

  std::unique_ptr<Sampler> sampler_;
  std::unique_ptr<platform::Timer> refresh_;

  TraceView* traces_ = nullptr;
  QScrollArea* tracesScroll_ = nullptr;
  QListWidget* channelList_ = nullptr;
  QComboBox* window_ = nullptr;
  QScrollBar* scroll_ = nullptr;
  QPushButton* pause_ = nullptr;
  QPushButton* openLog_ = nullptr;
  QPushButton* live_button_ = nullptr;
  QPushButton* cellMap_ = nullptr;
  QPushButton* exit_ = nullptr;
  QLabel* rate_ = nullptr;
  QLabel* message_ = nullptr;
  QLabel* readout_ = nullptr;
  record::RecordToggle* record_ = nullptr;
  bool updatingScroll_ = false;
  bool shownOnce_ = false;
};

}  // namespace kelvo6::scope
