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

class QCheckBox;
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
  // Where the ECU looks up its cell now: the petrol demand, also on gas.
  int petrolDemand() const { return petrolDemand_; }
  // The cell (1..64) the window asks to hold next, if any.
  std::optional<int> suggestedCell() const { return suggested_; }

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
  void removePressed();
  void applyPressed();
  void undoPressed();
  void drivePressed();  // a recorded drive weighs the cells for the suggestions
  void discardPressed();
  void exitPressed();
  void stopTimers();
  // Stages `cells` (and the calibration pressure and temperature) for the writer.
  void startWriting(const std::array<int, 64>& cells, int pressure, int temperature);
  void writeCut();       // the line went while writing
  void writeFinished();  // every staged value echoed
  void dropStagedWrite();
  void trackPetrolDemand();
  bool askToLosePoints(const core::Text3& question);
  void showNotice();

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
  BaseTable base();  // the ECU's table when the fitter refines it
  void showSuggestion();

  MultiPointRun run_{0};
  std::optional<TableFit> proposal_;
  int interval_ = 0;
  bool writing_ = false;
  bool leaving_ = false;
  // What is being written, and the table it replaces.
  enum class Write { kNone, kApply, kUndo };
  Write write_ = Write::kNone;
  struct Table {
    std::array<int, 64> cells{};
    int pressure = 0, temperature = 0;
  };
  std::array<int, 64> writeTarget_{};
  std::array<bool, 64> writeChanges_{};
  bool writeCut_ = false;       // the line went while writing: finish or undo once it is back
  std::vector<Table> undo_;     // tables before each APPLY, the last on top
  int staleTicks_ = 0;          // ticks without an answer
  bool lineDown_ = false;       // the port went; calibration mode is asked for again when it is back
  bool awaitingCalOn_ = false;  // calibration on sent after the line came back, not yet confirmed
  int petrolDemand_ = 0;
  int petrolRpm_ = 0;           // engine speed when the petrol demand was last seen
  int lastState_ = -1;  // the run phase the message line shows

  QLabel* message_ = nullptr;
  std::array<QLabel*, 64> current_{};
  std::array<QLabel*, 64> proposed_{};
  std::array<QLabel*, 16> axisLabels_{};  // RPM then TINJ of the ECU's table
  std::array<QLabel*, 16> proposedAxisLabels_{};
  std::vector<QLabel*> pointMarkers_;
  QWidget* marker_ = nullptr;
  QLabel* nextMarker_ = nullptr;  // the suggested cell on the ECU's table
  QLabel* next_ = nullptr;
  QCheckBox* refine_ = nullptr;
  std::optional<int> suggested_;
  std::vector<int> unsettled_;
  std::vector<double> driveWeights_;  // per cell, from the recorded drive; empty without one
  QLabel* drive_ = nullptr;  // cells where a point would not settle: not suggested again
  QLabel* stableRpm_ = nullptr;
  QLabel* stableTime_ = nullptr;
  platform::Lamp* petrolLamp_ = nullptr;
  platform::Lamp* gasLamp_ = nullptr;
  QScrollBar* intervalBar_ = nullptr;
  QTableWidget* pointList_ = nullptr;
  std::array<QPushButton*, 8> buttons_{};
  std::unique_ptr<platform::Timer> timer1_, timer2_, timer3_;
};

}  // namespace kelvo6::calib
