#pragma once
// The multi-point run: the automatic calibration's measurement at one held
// operating point after another, each point found, accepted and kept. Plain
// C++, fed one live sample per 300 ms tick; the window sends what it says.

#include <optional>
#include <utility>
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
  // The phase on this fuel starts again: every average and count, no switch.
  void restartPhase() {
    int switches = switchCount;
    fuelSwitched();
    switchCount = switches;
  }

 protected:
  void adjust(const Verdict& verdict) override;

 private:
  int lastDirection_ = 0;
  int lastStep_ = 0;
  int lastK_ = 0;
  int lastDeviation_ = 0;
  int maxStep_ = kAutoKgbMax - kAutoKgbMin;
};

// What the run has to tell the fitter beside its phase.
enum class RunNotice {
  kNone,
  kRpmMoved,    // the engine speed left the point's band: the phase restarts
  kTimeMoved,   // the petrol demand (or the gas time within a gas phase) left it
  kBackAtPoint, // back inside the band after leaving: the phase goes on
  kGivenUp,     // left the point too often: the point is given up, nothing taken
  kNotSettling, // no steady phase for kPointSettleTicks: the point is given up, nothing taken
  kLineLost,    // no answers: the point is given up, nothing taken
};

// A point counts only while the engine stays where it was when it first held
// steady: speed within kPointRpmBand of that speed, and on petrol the injection
// time within kPointTimeBand of that time. On gas the time moves with each
// trial K, so there it must stay within the band of the phase's own first
// steady average. The bands are those the automatic calibration calls steady.
constexpr int kPointRpmBand = 200;
constexpr int kPointTimeBand = 300;
// Departures a point survives; the next one gives it up.
constexpr int kPointRestarts = 3;
// Ticks a phase may go without the engine holding steady (60 s) before the
// point is given up: some operating points never settle on gas, where the
// car's trim carries the time back and forth across a row of the table.
constexpr int kPointSettleTicks = 200;

class MultiPointRun {
 public:
  enum class Phase { kIdle, kMeasuring, kFound, kAtLimit };

  // `holdKgb`: the trial KGB sent while no point is measured.
  explicit MultiPointRun(int holdKgb) : holdKgb_(holdKgb) {}

  // Starts measuring at the engine's current operating point, from `startKgb`
  // (kept to 100..115); a point being measured is given up.
  void startPoint(int startKgb);
  // One 300 ms tick with a fresh answer: true when the fuel switch is to be armed.
  bool tick(const AutoSample& sample, int interval);
  // After the fuel switch was sent.
  void fuelSwitched();
  // The line stopped answering: a point in progress is given up at once.
  void lineLost();
  // Keeps the point when its value is found or it stopped at a limit, and
  // returns to idle; a point kept earlier in the same cell of these axes is
  // replaced. False (nothing kept) otherwise.
  bool accept(const std::array<int, 8>& rpmAxis, const std::array<int, 8>& tinjAxis);
  // Gives up the point being measured; the accepted points stay.
  void cancelPoint();
  void removePoint(std::size_t index);
  void removeLastPoint();
  void clearPoints();
  // Starts with these points (a run the window goes on with).
  void setPoints(std::vector<MeasuredPoint> points) { points_ = std::move(points); }

  Phase phase() const;
  bool inProgress() const { return search_.has_value(); }
  // The last notice, and whether it came since the last call of takeNotice.
  RunNotice notice() const { return notice_; }
  bool takeNotice() { return std::exchange(noticeFresh_, false); }
  bool noticeFresh() const { return noticeFresh_; }
  int restarts() const { return restarts_; }
  // Where the point is held: speed and petrol time it first held steady at (0 before).
  int anchorRpm() const { return anchorRpm_; }
  int anchorTime() const { return anchorTime_; }
  // The found or limit message's colour for this tick (see AutoCalibrationRun::blink).
  std::optional<core::Rgb> blink() { return search_ ? search_->blink() : std::nullopt; }
  // The trial KGB to send now: the one under test, or the last one held.
  int trialKgb() const { return search_ ? search_->k : holdKgb_; }
  const PointSearch* search() const { return search_ ? &*search_ : nullptr; }
  const References& references() const { return refs_; }
  const std::vector<MeasuredPoint>& points() const { return points_; }

 private:
  // Checks the averages formed this tick against the point; false when the
  // engine is away from it (the phase then makes no progress).
  bool atPoint(bool rpmFormed, bool timeFormed, bool onPetrol);
  void say(RunNotice n) {
    notice_ = n;
    noticeFresh_ = true;
  }
  void giveUp(RunNotice why);

  std::optional<PointSearch> search_;
  References refs_;
  int holdKgb_;
  int pointRpm_ = 0;   // averages of the last stable petrol tick
  int pointTime_ = 0;
  int anchorRpm_ = 0, anchorTime_ = 0, gasAnchor_ = 0;
  int timeAverages_ = 0;  // injection averages formed in this phase
  int unsettledTicks_ = 0;  // ticks of this phase without a steady engine
  int restarts_ = 0;
  bool away_ = false;
  RunNotice notice_ = RunNotice::kNone;
  bool noticeFresh_ = false;
  std::vector<MeasuredPoint> points_;
};

}  // namespace kelvo6::calib
