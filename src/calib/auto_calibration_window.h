#pragma once
// The automatic calibration window Form8: alternates petrol and gas, measures
// the injection time on each once engine speed and time are stable, moves the
// trial KGB until the two match, then fills the table and writes it.

#include <memory>

#include "app/screen.h"
#include "calib/auto_calibration.h"
#include "platform/scheduler.h"

class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QScrollBar;

namespace kelvo6::platform {
class Lamp;
}

namespace kelvo6::calib {

class AutoCalibrationWindow : public app::Screen {
  Q_OBJECT
 public:
  explicit AutoCalibrationWindow(app::Context& ctx);
  ~AutoCalibrationWindow() override;

  void load() override;
  void activate() override;
  void unload() override;

  const AutoCalibrationRun& run() const { return run_; }

 protected:
  // The window frame does what EXIT does while calibration mode is on.
  void closeEvent(QCloseEvent* event) override;

 private:
  QLineEdit* addField(const char* name, const char* caption, int x, int y);
  QLineEdit* field(const char* name) const;
  void measureTick();  // Timer2
  void switchTick();   // Timer1
  void writerTick();   // Timer3
  void endRefusalOnceKgbValid();
  void showRunMessage();
  void showFuelAndBar(const References& refs);
  void armSwitch();
  void store();
  void exitPressed();
  bool specialised() const;

  AutoCalibrationRun run_{0};
  QString refusal_;  // why OK was refused, shown on the message line
  QLabel* message_ = nullptr;
  QLabel* stableRpm_ = nullptr;
  QLabel* stableTime_ = nullptr;
  QLabel* safety_ = nullptr;
  QRadioButton* options_[2] = {};
  QLabel* optionLabels_[2] = {};
  QScrollBar* interval_ = nullptr;
  platform::Lamp* petrolLamp_ = nullptr;
  platform::Lamp* gasLamp_ = nullptr;
  std::array<platform::Lamp*, 21> bar_{};
  QPushButton* ok_ = nullptr;
  QPushButton* exit_ = nullptr;
  std::unique_ptr<platform::Timer> timer1_, timer2_, timer3_;
};

}  // namespace kelvo6::calib
