#pragma once
// The multi-point calibration window: the automatic calibration's search for
// K at one held operating point after another, the accepted points on the
// ECU's table, the proposed table fitted from them beside the ECU's, and its
// writing. Opened from the calibration window once calibration mode is on;
// its traffic is that of the automatic calibration.

#include <QString>
#include <array>
#include <memory>
#include <optional>

#include "app/screen.h"
#include "calib/multipoint_fit.h"
#include "calib/multipoint_run.h"
#include "platform/scheduler.h"

class QLabel;
class QLineEdit;
class QPushButton;
class QScrollBar;
class QTableWidget;

namespace kelvo6::platform {
class Lamp;
}

namespace kelvo6::calib {

class MultiPointWindow : public app::Screen {
  Q_OBJECT
 public:
  explicit MultiPointWindow(app::Context& ctx);
  ~MultiPointWindow() override;

  void load() override;
  void activate() override;
  void unload() override;

  const MultiPointRun& run() const { return run_; }
  const std::optional<TableFit>& proposal() const { return proposal_; }

 protected:
  // The window frame does what EXIT does while calibration mode is on.
  void closeEvent(QCloseEvent* event) override;

 private:
  // Layout (multipoint_layout.cpp).
  void buildGrids();
  void buildLiveFields();
  void buildPointList();
  void buildButtons();
  QLineEdit* addField(const char* name, const char* caption, int x, int y);

  // Behaviour (multipoint_window.cpp).
  void measureTick();  // Timer2, 300 ms
  void switchTick();   // Timer1, one-shot
  void writerTick();   // Timer3, 100 ms
  void armSwitch();
  void measurePressed();
  void acceptPressed();
  void removeLastPressed();
  void applyPressed();
  void discardPressed();
  void exitPressed();
  void stopTimers();

  // Display (multipoint_view.cpp).
  void refresh();  // everything below that changes with a tick or a press
  void showLive();
  void showRunState();
  void showMessage(const QString& text);
  void showTables();
  void showPoints();
  void updateButtons();
  std::array<int, 8> rpmAxis();
  std::array<int, 8> tinjAxis();
  int ecuCell(int number);

  MultiPointRun run_{0};
  std::optional<TableFit> proposal_;
  int interval_ = 0;
  bool writing_ = false;
  bool leaving_ = false;
  int lastState_ = -1;  // the run phase the message line shows

  QLabel* message_ = nullptr;
  std::array<QLabel*, 64> current_{};
  std::array<QLabel*, 64> proposed_{};
  std::array<QLabel*, 16> axisLabels_{};  // RPM then TINJ of the ECU's table
  std::array<QLabel*, 16> proposedAxisLabels_{};
  std::vector<QLabel*> pointMarkers_;
  QWidget* marker_ = nullptr;
  QLabel* stableRpm_ = nullptr;
  QLabel* stableTime_ = nullptr;
  platform::Lamp* petrolLamp_ = nullptr;
  platform::Lamp* gasLamp_ = nullptr;
  QScrollBar* intervalBar_ = nullptr;
  QTableWidget* pointList_ = nullptr;
  std::array<QPushButton*, 7> buttons_{};
  std::unique_ptr<platform::Timer> timer1_, timer2_, timer3_;
};

}  // namespace kelvo6::calib
