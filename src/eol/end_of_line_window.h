#pragma once
// The end-of-line test window Form9: starts the ECU's self-test for the chosen
// cylinder count, polls its report every 200 ms, paints one lamp per check,
// and guides the operator through key off / key on to the final "RESET OK".

#include <array>
#include <memory>
#include <optional>

#include "app/screen.h"
#include "eol/lamps.h"
#include "eol/records_row.h"
#include "platform/scheduler.h"

class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace kelvo6::platform {
class Lamp;
}

namespace kelvo6::eol {

class EndOfLineWindow : public app::Screen {
  Q_OBJECT
 public:
  explicit EndOfLineWindow(app::Context& ctx);
  ~EndOfLineWindow() override;
  void load() override;
  void activate() override;
  void unload() override;

 private:
  void buildInjectorFrame();
  void buildCheckFrames();
  void cylinderChosen(int index);
  void showRows(int cylinders);
  void startTest();
  void pollTick();
  void showResults();
  void keyOffCountdown();
  void waitForEcuReset();
  void paint(int lamp, bool red);
  void paintAll(bool red);
  void showMessage(const QString& text);
  int chosenCylinders() const;
  // Production record of the unit whose results are on show; `tellFitter`
  // says whether a failure to write it may open the message window.
  void recordUnit(bool tellFitter = true);
  // The identity typed or scanned (a scanner ends with Enter): an empty one is
  // refused, any other starts the unit's test.
  void unitEntered();
  // Before a scanned unit's test: the software version of the ECU now on the fixture.
  void versionTick();
  void saveReport();

  std::array<platform::Lamp*, kLampCount> lamps_{};
  std::array<QLabel*, kInjectors> rowLabels_{};
  std::array<QRadioButton*, 3> options_{};
  QLabel* message_ = nullptr;
  QPushButton* start_ = nullptr;
  QPushButton* exit_ = nullptr;
  QPushButton* report_ = nullptr;
  QLineEdit* unitField_ = nullptr;
  std::string unitUnderTest_;  // the identity the running test was started with
  std::string unitVersion_;    // its ECU software, "" when not read for this unit
  std::unique_ptr<platform::Timer> poll_;
  std::unique_ptr<platform::Timer> versionRead_;
  int versionAttempts_ = 0;

  bool testRunning_ = false;  // from the start button to "RESET OK"
  int cylinders_ = 4;
  int noAnswerTicks_ = 0;
  int keyOffSeconds_ = 10;
  int keyOffSubTicks_ = 0;
  int resetWaitSeconds_ = 0;
  int resetWaitSubTicks_ = 0;

  DecodedResults lastResults_{};            // the last report decoded for this unit
  bool unrecordedResults_ = false;          // results shown and not yet recorded
  std::optional<UnitResult> recordedUnit_;  // the last unit recorded, for its report
};

}  // namespace kelvo6::eol
