#pragma once
// Steps of a multi-point calibration that its window tests share.

#include <QLabel>

#include "calib/multipoint_window.h"
#include "calib/session.h"

namespace kelvo6::testing {

using calib::MultiPointRun;
using Phase = MultiPointRun::Phase;

inline calib::MultiPointWindow* multiPoint(Harness& h) {
  return static_cast<calib::MultiPointWindow*>(h.window("MultiPoint"));
}

// The engine held at an operating point, the calibration window open and the
// multi-point window opened from it.
inline calib::MultiPointWindow* openMultiPoint(Harness& h, int rpm = 2000, int petrolTime = 4000) {
  h.ecu()->engine().hold(rpm, sim::Load::petrolTime(petrolTime));
  openCalibration(h);
  h.click("Form16", "Command12");
  advanceUntil(h, [&] { return multiPoint(h) != nullptr; }, 3000);
  return multiPoint(h);
}

// MEASURE POINT at the operating point held now; true once found or at a limit.
inline bool measure(Harness& h) {
  h.click("MultiPoint", "Command2");
  return advanceUntil(
      h, [&] { return multiPoint(h)->run().phase() == Phase::kFound || multiPoint(h)->run().phase() == Phase::kAtLimit; },
      600000, 300);
}

// The engine moved to a point and held there, the point measured and accepted.
inline bool takePoint(Harness& h, int rpm, int petrolTime) {
  h.ecu()->engine().hold(rpm, sim::Load::petrolTime(petrolTime));
  h.advance(3000);
  if (!measure(h)) return false;
  h.click("MultiPoint", "Command3");
  return true;
}

inline QString message(Harness& h) { return h.control<QLabel>("MultiPoint", "Label1")->text(); }

}  // namespace kelvo6::testing
