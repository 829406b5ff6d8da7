#pragma once
// The vehicle status window Form3: live engine and kit values polled every
// 300 ms, the lambda, pressure and level bars redrawn every 400 ms, the fuel
// lamps and switch, the operating state line, and a link watchdog that closes
// the window when the ECU stops answering.

#include <array>
#include <cstdint>
#include <memory>

#include "app/screen.h"
#include "platform/scheduler.h"
#include "status/gauges.h"

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace kelvo6::platform {
class Lamp;
}

namespace kelvo6::record {
class RecordToggle;
}

namespace kelvo6::status {

class StatusScreen : public app::Screen {
  Q_OBJECT
 public:
  explicit StatusScreen(app::Context& ctx);
  ~StatusScreen() override;
  void load() override;
  void activate() override;
  void unload() override;

 private:
  void build();
  void pollTick();
  void barTick();
  void watchdogTick();
  void switchFuel();
  void stopTimers();

  // One tick of a lambda probe's fields; returns whether they show "NC".
  bool showLambda(int mV, int average, int& lowCounter, QLineEdit* value, QLineEdit* averageField);
  void showInjectors();
  void showEngineSpeed();
  void showTemperature(int raw, int shown, int& counter, QLineEdit* field);
  void showPressure(int mbar, int& counter, QLineEdit* field);

  template <std::size_t N>
  static void paint(const std::array<platform::Lamp*, N>& lamps, const std::array<core::Rgb, N>& colours);

  QLineEdit* state_ = nullptr;         // Text1
  QLineEdit* lambda1Average_ = nullptr;  // Text2
  QLineEdit* lambda1_ = nullptr;       // Text3
  QLineEdit* levelAverage_ = nullptr;  // Text4
  std::array<QLineEdit*, 16> injection_{};  // Text5: petrol 0-7, gas 8-15
  QLineEdit* rpm_ = nullptr;           // Text6
  QLineEdit* kgbTable_ = nullptr;      // Text7
  QLineEdit* temperature1_ = nullptr;  // Text8
  QLineEdit* kgbCorrected_ = nullptr;  // Text9
  QLineEdit* pressure1_ = nullptr;     // Text10
  QLineEdit* temperature2_ = nullptr;  // Text11
  QLineEdit* pressure2_ = nullptr;     // Text12
  QLineEdit* lambda2_ = nullptr;       // Text13
  QLineEdit* lambda2Average_ = nullptr;  // Text14

  std::array<platform::Lamp*, kLambdaSegments> lambda1Bar_{};     // Shape1
  std::array<platform::Lamp*, kLevelSegments> levelBar_{};        // Shape2
  std::array<platform::Lamp*, kPressureSegments> pressure1Bar_{};  // Shape3
  std::array<platform::Lamp*, kPressureSegments> pressure2Bar_{};  // Shape4
  std::array<platform::Lamp*, kLambdaSegments> lambda2Bar_{};     // Shape5
  platform::Lamp* petrolLamp_ = nullptr;  // Shape6
  platform::Lamp* gasLamp_ = nullptr;     // Shape7

  QPushButton* exit_ = nullptr;        // Command1
  QPushButton* fuelSwitch_ = nullptr;  // Command2
  record::RecordToggle* record_ = nullptr;  // Command3: records the answers this window polls

  std::unique_ptr<platform::Timer> poll_, bars_, watchdog_;
  // What the watchdog saw at its last tick: the count of answers received,
  // and whether the ECU was asked anything since (live data or a fuel switch).
  std::uint64_t answersAtLastWatch_ = 0;
  bool askedEcu_ = false;
};

}  // namespace kelvo6::status
