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
}

bool MultiPointRun::tick(const AutoSample& s, int interval) {
  if (!search_) return false;
  bool arm = search_->measure(s, refs_, interval);
  // The point is where the engine held steady on petrol.
  if (s.fuelFlag == 1 && search_->rpmStable && search_->injectionStable && search_->injectionAverage != 0) {
    pointRpm_ = search_->rpmAverage;
    pointTime_ = search_->injectionAverage;
  }
  return arm;
}

void MultiPointRun::fuelSwitched() {
  if (search_) search_->fuelSwitched();
}

bool MultiPointRun::accept() {
  Phase p = phase();
  if ((p != Phase::kFound && p != Phase::kAtLimit) || pointTime_ == 0) return false;
  points_.push_back({pointRpm_, pointTime_, search_->k, p == Phase::kAtLimit, search_->cycles});
  holdKgb_ = search_->k;
  search_.reset();
  return true;
}

void MultiPointRun::cancelPoint() {
  if (search_) holdKgb_ = search_->k;
  search_.reset();
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
