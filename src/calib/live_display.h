#pragma once
// Arithmetic of the calibration screen's live display: averages, smoothed
// pressure, the operating-point marker over the grid, the fuel colour with its
// blinking during a change-over, and the lambda bar segment.

#include <array>
#include <optional>

#include "core/colour.h"
#include "core/kgb_grid.h"

namespace kelvo6::calib {

// Injection-time average: each sample adds sample / 10 to a sum; after ten
// samples the average is Int(sum / 10) x 10, the mean rounded down to a
// multiple of 10, computed exactly. 0 means no average yet.
struct InjectionAverage {
  int sum = 0, count = 0, value = 0;
  void add(int sample);
};
// Ten-sample average of a voltage: Int(sum / 10).
struct TenSampleAverage {
  int sum = 0, count = 0, value = 0;
  void add(int sample);
};
// Ten-sample engine speed average, rounded down to a multiple of 10.
struct RpmAverage {
  int sum = 0, count = 0, value = 0;
  void add(int sample);
};

// s = (pressure 1 + s) / 2, rounded, ties to even.
int smoothPressure(int pressure1, int previous);

// Marker position in twips: the marker's left edge follows the engine speed
// over the RPM axis, its top edge the injection time over the TINJ axis.
struct MarkerTwips {
  int x = 960;
  int y = 720;
};
// The marker arithmetic and the grid geometry are shared with everything that
// places an operating point on the table (core/kgb_grid.h).
using core::axisTwips;
using core::kGridColumnTwips;
using core::kGridLeftTwips;
using core::kGridRowTwips;
using core::kGridTopTwips;
using core::kTwipsPerPixel;
using core::markerX;
using core::markerY;

// Text colour of the live fields. During the change-over states 1-5 it blinks:
// ticks 3-5 of six red, tick 6 green; otherwise red on petrol, green on gas.
class FuelColour {
 public:
  // The colour for this tick, or nullopt to leave it as it is.
  std::optional<core::Rgb> tick(int stateCode, int fuelFlag);
  int counter() const { return counter_; }

 private:
  int counter_ = 0;
};

// Load colours of the twenty lambda bar segments, segment 0 first.
extern const std::array<core::Rgb, 20> kLambdaBarColours;
// The segment (0..19) whose band holds the voltage, or -1 (voltage at or above
// full scale, negative, or an unknown sensor type).
int lambdaBarSegment(int voltage, int sensorType);

}  // namespace kelvo6::calib
