#include "calib/live_display.h"

#include "core/rounding.h"

namespace kelvo6::calib {

void InjectionAverage::add(int sample) {
  // The sum of ten samples / 10 is sum / 10; Int(that / 10) x 10 is sum / 100 x 10.
  sum += sample;
  if (++count < 10) return;
  value = sum / 100 * 10;
  sum = count = 0;
}

void TenSampleAverage::add(int sample) {
  sum += sample;
  if (++count < 10) return;
  value = sum / 10;
  sum = count = 0;
}

void RpmAverage::add(int sample) {
  sum += sample;
  if (++count < 10) return;
  value = sum / 10 / 10 * 10;
  sum = count = 0;
}

int smoothPressure(int pressure1, int previous) {
  return static_cast<int>(core::roundedQuotient(static_cast<std::int64_t>(pressure1) + previous, 2));
}

std::optional<core::Rgb> FuelColour::tick(int stateCode, int fuelFlag) {
  if (stateCode >= 1 && stateCode <= 5) {
    ++counter_;
    if (counter_ >= 3 && counter_ <= 5) return core::colour::kRed;
    if (counter_ >= 6) {
      counter_ = 0;
      return core::colour::kGreen;
    }
    return std::nullopt;
  }
  counter_ = 0;
  return fuelFlag == 1 ? core::colour::kRed : core::colour::kGreen;
}

const std::array<core::Rgb, 20> kLambdaBarColours{{
    {150, 0, 0}, {150, 10, 0}, {160, 30, 0}, {180, 70, 0}, {200, 110, 0}, {220, 150, 0}, {100, 130, 0},
    {50, 150, 0}, {0, 170, 0}, {0, 190, 0}, {0, 190, 0}, {0, 170, 0}, {50, 150, 0}, {100, 130, 0},
    {220, 150, 0}, {200, 110, 0}, {180, 70, 0}, {160, 30, 0}, {150, 10, 0}, {150, 0, 0},
}};

int lambdaBarSegment(int voltage, int sensorType) {
  int fullScale = 0, width = 0;
  if (sensorType == 0 || sensorType == 1) {
    fullScale = 5000;
    width = 250;
  } else if (sensorType == 2 || sensorType == 3) {
    fullScale = 1000;
    width = 50;
  } else {
    return -1;
  }
  if (voltage < 0 || voltage >= fullScale) return -1;
  int band = voltage / width;  // segment k covers k x w up to (k + 1) x w
  bool inverted = sensorType == 1 || sensorType == 3;
  return inverted ? band : 19 - band;
}

}  // namespace kelvo6::calib
