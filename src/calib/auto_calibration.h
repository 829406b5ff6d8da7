#pragma once
// Arithmetic of the automatic calibration: the measurement of one tick
// (averages, stable counts, references), the adjustment of the KGB under test,
// the deviation bar, the blinking message and the three table fill patterns.

#include <array>
#include <optional>

#include "core/colour.h"
#include "core/language.h"

namespace kelvo6::calib {

constexpr int kAutoKgbMin = 100;
constexpr int kAutoKgbMax = 115;

// The advice when a run stops at 115 and at 100.
extern const core::Text3 kAdviceIncrease;
extern const core::Text3 kAdviceDecrease;

// What one measurement tick reads from the calibration live block.
struct AutoSample {
  int injectionTime = 0;
  int rpm = 0;
  int lambda1 = 0, lambda2 = 0;
  int fuelFlag = 0;  // 1 = petrol
};

// The injection-time averages last measured on each fuel.
struct References {
  int petrol = 0;
  int gas = 0;
};

// What one evaluation on petrol reads from the counts: which way K should move
// (+1 up, -1 down, 0 not at all), by how much, or that the value is found.
struct Verdict {
  int direction = 0;
  int step = 0;
  bool found = false;
};
Verdict evaluationVerdict(int aboveCount, int belowCount, int largestDeviation);

// One calibration run: 0 measuring, 1 value found, 2 limit reached.
class AutoCalibrationRun {
 public:
  explicit AutoCalibrationRun(int startKgb) : k(startKgb) {}
  virtual ~AutoCalibrationRun() = default;
  AutoCalibrationRun(const AutoCalibrationRun&) = default;
  AutoCalibrationRun& operator=(const AutoCalibrationRun&) = default;

  // Averages, stable counts, references and the adjustment of one tick.
  // Returns true when the fuel switch is to be armed.
  bool measure(const AutoSample& s, References& refs, int interval);
  // After a fuel switch: every count, sum and average restarts; one more switch made.
  void fuelSwitched();
  // The message colour of this tick in run states 1 and 2 (red at 2, blue at 4).
  std::optional<core::Rgb> blink();

  int runState = 0;
  int k;
  int switchCount = 0;
  int injectionSum = 0, injectionCount = 0, injectionAverage = 0, injectionStableCount = 0;
  int rpmSum = 0, rpmCount = 0, rpmAverage = 0, rpmStableCount = 0;
  int lambdaSum[2] = {0, 0}, lambdaCount = 0, lambdaAverage[2] = {0, 0};
  int stableTicks = 0, aboveCount = 0, belowCount = 0, largestDeviation = 0;
  int blinkCount = 0;
  bool injectionStable = false, rpmStable = false;

 protected:
  // Acts on an evaluation: K moves by the step; past 100 or 115 it stays at the
  // limit and the run state becomes 2.
  virtual void adjust(const Verdict& verdict);

 private:
  void restartCounts() { stableTicks = aboveCount = belowCount = 0; }
};

// KGB step of one evaluation: Int(largest deviation / 200).
inline int adjustmentStep(int largestDeviation) { return largestDeviation / 200; }

// The 21-segment bar: segment 0 the centre, 1-10 left (gas side), 11-20 right
// (petrol side); each segment stands for 50 microseconds of deviation.
constexpr core::Rgb kBarRed{250, 0, 0};
constexpr core::Rgb kBarYellow{250, 250, 0};
struct DeviationBar {
  int deviation = 0;
  std::array<core::Rgb, 21> segments{};
};
// On the petrol side the deviation is from the gas reference and grows right;
// on the gas side from the petrol reference and grows left.
DeviationBar deviationBar(int liveInjectionTime, bool petrolSide, const References& refs);

enum class FillPattern { kStandard, kRising, kFalling, kNone };
FillPattern fillPatternFor(bool specialised, int fuelType);
// Cells 1..64 (index 0 is cell 1) filled from V by the pattern; nullopt for kNone.
std::optional<std::array<int, 64>> fillCells(FillPattern pattern, int v);

}  // namespace kelvo6::calib
