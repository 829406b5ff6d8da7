#include "calib/multipoint_run.h"

#include <algorithm>
#include <cstdlib>

namespace kelvo6::calib {

void PointSearch::adjust(const Verdict& v) {
  // At a limit the evaluation repeats on every stable tick; it stays there.
  if (runState != 0) return;
  ++cycles;
  if (v.found) {
    runState = 1;
    return;
  }
  if (v.direction == 0) return;
  if (lastDirection_ != 0 && v.direction != lastDirection_) {
    if (lastStep_ == 1) {
      // Up by one said "more", back by one says "less": the need lies between.
      if (largestDeviation > lastDeviation_) k = lastK_;
      runState = 1;
      return;
    }
    maxStep_ = std::max(1, lastStep_ / 2);
  }
  int step = std::min(std::max(1, v.step), maxStep_);
  int next = std::clamp(k + v.direction * step, kAutoKgbMin, kAutoKgbMax);
  if (next == k) {
    runState = 2;  // measured at the limit, and the car needs more (or less) still
    return;
  }
  lastDirection_ = v.direction;
  lastStep_ = std::abs(next - k);
  lastK_ = k;
  lastDeviation_ = largestDeviation;
  k = next;
}

void MultiPointRun::startPoint(int startKgb) {
  search_.emplace(std::clamp(startKgb, kAutoKgbMin, kAutoKgbMax));
  refs_ = {};
  pointRpm_ = pointTime_ = 0;
  anchorRpm_ = anchorTime_ = gasAnchor_ = timeAverages_ = restarts_ = unsettledTicks_ = 0;
  away_ = false;
  notice_ = RunNotice::kNone;
}

bool MultiPointRun::tick(const AutoSample& s, int interval) {
  if (!search_) return false;
  // Averages form every 10 (speed) and 5 (time) samples; their counts are 0 right after.
  bool arm = search_->measure(s, refs_, interval);
  bool rpmFormed = search_->rpmCount == 0, timeFormed = search_->injectionCount == 0;
  bool onPetrol = s.fuelFlag == 1;
  if (!atPoint(rpmFormed, timeFormed, onPetrol)) return false;
  bool steady = search_->rpmStable && search_->injectionStable;
  unsettledTicks_ = steady || search_->runState != 0 ? 0 : unsettledTicks_ + 1;
  if (unsettledTicks_ >= kPointSettleTicks) {
    giveUp(RunNotice::kNotSettling);
    return false;
  }
  // The point is where the engine held steady on petrol.
  if (onPetrol && search_->rpmStable && search_->injectionStable && search_->injectionAverage != 0) {
    pointRpm_ = search_->rpmAverage;
    pointTime_ = search_->injectionAverage;
  }
  return arm;
}

bool MultiPointRun::atPoint(bool rpmFormed, bool timeFormed, bool onPetrol) {
  PointSearch& p = *search_;
  bool steady = p.rpmStable && p.injectionStable && p.rpmAverage != 0 && p.injectionAverage != 0;
  if (timeFormed) ++timeAverages_;
  // The point is fixed where the engine first holds steady.
  if (anchorRpm_ == 0 && steady) anchorRpm_ = p.rpmAverage;
  if (anchorTime_ == 0 && steady && onPetrol) anchorTime_ = p.injectionAverage;
  if (gasAnchor_ == 0 && steady && !onPetrol) gasAnchor_ = p.injectionAverage;
  // The first time average of a phase may still hold the other fuel's answers.
  bool timeChecked = timeFormed && timeAverages_ >= 2;
  int timeAnchor = onPetrol ? anchorTime_ : gasAnchor_;
  RunNotice moved = RunNotice::kNone;
  if (rpmFormed && anchorRpm_ != 0 && std::abs(p.rpmAverage - anchorRpm_) > kPointRpmBand)
    moved = RunNotice::kRpmMoved;
  else if (timeChecked && timeAnchor != 0 && std::abs(p.injectionAverage - timeAnchor) > kPointTimeBand)
    moved = RunNotice::kTimeMoved;
  bool inside = (!rpmFormed || anchorRpm_ == 0 || std::abs(p.rpmAverage - anchorRpm_) <= kPointRpmBand) &&
                (!timeChecked || timeAnchor == 0 || std::abs(p.injectionAverage - timeAnchor) <= kPointTimeBand);
  if (moved != RunNotice::kNone) {
    // Every count of the phase goes: what was measured may be from elsewhere.
    p.restartPhase();
    timeAverages_ = 0;
    if (!away_) {
      away_ = true;
      if (++restarts_ > kPointRestarts) {
        giveUp(RunNotice::kGivenUp);
        return false;
      }
      say(moved);
    }
    return false;
  }
  if (away_ && inside && (rpmFormed || timeChecked)) {
    away_ = false;
    say(RunNotice::kBackAtPoint);
  }
  return !away_;
}

void MultiPointRun::giveUp(RunNotice why) {
  if (search_) holdKgb_ = search_->k;
  search_.reset();
  away_ = false;
  say(why);
}

void MultiPointRun::lineLost() {
  if (search_) giveUp(RunNotice::kLineLost);
}

void MultiPointRun::fuelSwitched() {
  if (!search_) return;
  search_->fuelSwitched();
  gasAnchor_ = timeAverages_ = unsettledTicks_ = 0;
}

bool MultiPointRun::accept(const std::array<int, 8>& rpmAxis, const std::array<int, 8>& tinjAxis) {
  Phase p = phase();
  if ((p != Phase::kFound && p != Phase::kAtLimit) || pointTime_ == 0) return false;
  // A cell measured again takes the new value: the earlier one may be the bad one.
  core::GridCell cell = core::cellAt(pointRpm_, pointTime_, rpmAxis, tinjAxis);
  std::erase_if(points_, [&](const MeasuredPoint& m) {
    return core::cellAt(m.rpm, m.injectionTime, rpmAxis, tinjAxis).number() == cell.number();
  });
  points_.push_back({pointRpm_, pointTime_, search_->k, p == Phase::kAtLimit, search_->cycles});
  holdKgb_ = search_->k;
  search_.reset();
  notice_ = RunNotice::kNone;
  return true;
}

void MultiPointRun::cancelPoint() {
  if (search_) holdKgb_ = search_->k;
  search_.reset();
  notice_ = RunNotice::kNone;
}

void MultiPointRun::removePoint(std::size_t index) {
  if (index < points_.size()) points_.erase(points_.begin() + static_cast<std::ptrdiff_t>(index));
}

void MultiPointRun::removeLastPoint() {
  if (!points_.empty()) points_.pop_back();
}

void MultiPointRun::clearPoints() { points_.clear(); }

MultiPointRun::Phase MultiPointRun::phase() const {
  if (!search_) return Phase::kIdle;
  switch (search_->runState) {
    case 1: return Phase::kFound;
    case 2: return Phase::kAtLimit;
    default: return Phase::kMeasuring;
  }
}

}  // namespace kelvo6::calib
