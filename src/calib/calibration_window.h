#pragma once
// The vehicle calibration window Form16: the KGB grid with the operating-point
// marker, the live values, the correctives, calibration mode and the trial KGB,
// the guided store functions, the coil and injector calibration, and the five
// timers that carry its traffic with the ECU.

#include <QColor>
#include <QMap>
#include <QString>
#include <array>
#include <map>
#include <memory>
#include <optional>

#include "app/screen.h"
#include "calib/calibration_texts.h"
#include "calib/live_display.h"
#include "core/colour.h"
#include "platform/scheduler.h"

class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QScrollBar;

namespace kelvo6::platform {
class Lamp;
}

namespace kelvo6::record {
class RecordToggle;
}

namespace kelvo6::calib {

class CalibrationWindow : public app::Screen {
  Q_OBJECT
 public:
  explicit CalibrationWindow(app::Context& ctx);
  ~CalibrationWindow() override;

  void load() override;
  void activate() override;
  void unload() override;

  void showParameter(int number, int value, const link::FieldRef& field) override;
  void showCell(int cell, int value) override;
  void showCalibrationMode(bool on, const QString& title, const QString& caption) override;

 protected:
  // The window frame does what EXIT does while calibration mode is on.
  void closeEvent(QCloseEvent* event) override;

 private:
  enum class Workflow { kNone, kStoreRpm, kStorePressure, kStoreTemperature, kCoil };

  // Layout (calibration_layout.cpp).
  void buildGrid();
  void buildLiveFields();
  void buildCorrectives();
  void buildControls();
  QLineEdit* addField(const char* name, const char* caption, int x, int y, QWidget* parent, int captionWidth = 150,
                      int fieldWidth = 64);

  // Display (calibration_window.cpp).
  void refreshLive();
  void showGridFromEcu();
  void showExampleValues();
  void showCorrectivesFromEcu();
  void showScrollValue(const char* scroll, const char* field, int value);
  void showValue(QLineEdit* field, int value);
  void placeMarker(int twipX, int twipY);
  void applyFuelColour(core::Rgb colour);
  void showLambdaBar();
  void showMessageLine();
  Prompt currentPrompt();
  Workflow workflow();
  int guidedFunction() const;
  int trialKgb() const;
  void setTrialKgbControl(int kgbInUse);

  // Actions (calibration_actions.cpp).
  void switchFuel();
  void guidedSelected(int value);
  void startGuided();
  void openGraphical();
  void toggleLambdaShown();
  void modify();
  bool collectTableEntries();
  std::optional<int> collectStoreEntry(QLineEdit* field, int max);
  // The automatic calibration (Form8) or the multi-point one (MultiPoint),
  // opened once the ECU confirms calibration mode on.
  void startAutomatic(const QString& form);
  void toggleCalibration();
  void fillTable();
  void exitPressed();
  void coilCountMoved(int count);
  void coilOk();
  void showInjectorLabels();
  void hideCoilWidgets();
  void showCorrectiveFrames(bool shown);
  void markEntry(QLineEdit* field, const core::Text3& reason);
  void mark(QLineEdit* field);
  void unmark(QLineEdit* field);
  void clearMarks();
  void clearRefusal();
  void entryEdited(QLineEdit* field);
  void trialTyped();
  void correctiveScrolled(const char* field, int value);
  void correctiveTyped(const char* scroll, QLineEdit* field);

  // Traffic (calibration_transfer.cpp).
  void handshakeTick();   // Timer1
  void pollTick();        // Timer2
  void closingTick();     // Timer3
  void tableWriterTick(); // Timer4
  void storeWriterTick(); // Timer5
  void stopAllTimers();
  void holdButtonsForHandshake(bool closing);
  void releaseButtonsAfterHandshake();
  void setStandardButtonsEnabled(bool enabled);
  void beginBusyWrite();
  void writeComplete();
  void endStoreWorkflow();
  void cancelStoreWorkflow();
  void restoreAfterCoilExit();

  QLineEdit* field(const char* name) const;
  QPushButton* button(int number) const { return buttons_.at(static_cast<std::size_t>(number)); }
  QScrollBar* scroll(const char* name) const;

  std::array<QLineEdit*, 80> grid_{};
  std::map<QString, QLineEdit*> fields_;
  std::map<QString, QScrollBar*> scrolls_;
  std::array<QPushButton*, 13> buttons_{};
  record::RecordToggle* record_ = nullptr;  // Command13: records the answers this window polls
  QWidget* marker_ = nullptr;
  QGroupBox* lambdaFrame_ = nullptr;
  QGroupBox* temperatureFrame_ = nullptr;
  QGroupBox* pressureFrame_ = nullptr;
  QFrame* pressure2Frame_ = nullptr;
  QLabel* coilCaption_ = nullptr;
  QLabel* gasTimeCaption_ = nullptr;
  std::array<QLabel*, 16> injectorLabels_{};
  std::array<platform::Lamp*, 20> lambdaBar_{};
  std::vector<QLineEdit*> fuelColoured_;

  std::unique_ptr<platform::Timer> timer1_, timer2_, timer3_, timer4_, timer5_;

  InjectionAverage injectionAverage_;
  TenSampleAverage lambdaAverage_[2];
  RpmAverage rpmAverage_;
  int smoothedPressure_ = 0;
  FuelColour fuelColour_;
  std::optional<core::Rgb> shownFuelColour_;
  int litSegment_ = -1;
  bool coilCountConfirmed_ = false;
  bool leaving_ = false;  // EXIT has asked for calibration off and waits to close
  QString automaticForm_ = QStringLiteral("Form8");

  // Refused entries: each marked field with the background it had, and why the
  // last press was refused, shown on the message line until the next edit.
  QMap<QLineEdit*, QColor> marked_;
  QString refusal_;
  // Buttons disabled while a handshake waits for the ECU, enabled again after it.
  std::vector<int> heldButtons_;
};

}  // namespace kelvo6::calib
