#pragma once
// The multi-point run: the automatic calibration's measurement at one held
// operating point after another, each point found, accepted and kept. Plain
// C++, fed one live sample per 300 ms tick; the window sends what it says.

#include <optional>
#include <vector>

#include "calib/auto_calibration.h"
#include "calib/multipoint_fit.h"

namespace kelvo6::calib {

// The search for K at one operating point: the automatic calibration's
// averages, stability, counts and step rule, with a step that settles where
// the rule alone would swing. The rule's step counts 200 microseconds of
// deviation as one KGB unit, which is right near idle; at a heavier load one
// unit moves the injection time further, so the bare step overshoots and can
// swing for ever, or run into 100 or 115 on the way. Here:
// - a step of 0 with a clear direction moves K by 1;
// - a step that turns back is at most half the one before it (at least 1), and
//   no later step is larger; turning back after a step of 1 means the need lies
//   between the two values: the point is found at the one whose deviation was
//   smaller;
// - a step past 100 or 115 stops at the limit and is measured there; only an
//   evaluation at the limit that asks for more ends the run at the limit.
class PointSearch : public AutoCalibrationRun {
 public:
  explicit PointSearch(int startKgb) : AutoCalibrationRun(startKgb) {}
  int cycles = 0;  // evaluations on petrol after a gas phase

 protected:
  void adjust(const Verdict& verdict) override;

 private:
  int lastDirection_ = 0;
  int lastStep_ = 0;
  int lastK_ = 0;
  int lastDeviation_ = 0;
  int maxStep_ = kAutoKgbMax - kAutoKgbMin;
};

class MultiPointRun {
 public:
  enum class Phase { kIdle, kMeasuring, kFound, kAtLimit };

  // `holdKgb`: the trial KGB sent while no point is measured.
  explicit MultiPointRun(int holdKgb) : holdKgb_(holdKgb) {}

  // Starts measuring at the engine's current operating point, from `startKgb`
  // (kept to 100..115); a point being measured is given up.
  void startPoint(int startKgb);
  // One 300 ms tick: true when the fuel switch is to be armed.
  bool tick(const AutoSample& sample, int interval);
  // After the fuel switch was sent.
  void fuelSwitched();
  // Keeps the point when its value is found or it stopped at a limit, and
  // returns to idle; false (nothing kept) otherwise.
  bool accept();
  // Gives up the point being measured; the accepted points stay.
  void cancelPoint();
  void removeLastPoint();
  void clearPoints();

  Phase phase() const;
  // The found or limit message's colour for this tick (see AutoCalibrationRun::blink).
  std::optional<core::Rgb> blink() { return search_ ? search_->blink() : std::nullopt; }
  // The trial KGB to send now: the one under test, or the last one held.
  int trialKgb() const { return search_ ? search_->k : holdKgb_; }
  const PointSearch* search() const { return search_ ? &*search_ : nullptr; }
  const References& references() const { return refs_; }
  const std::vector<MeasuredPoint>& points() const { return points_; }

 private:
  std::optional<PointSearch> search_;
  References refs_;
  int holdKgb_;
  int pointRpm_ = 0;   // averages of the last stable petrol tick
  int pointTime_ = 0;
  std::vector<MeasuredPoint> points_;
};

}  // namespace kelvo6::calib
