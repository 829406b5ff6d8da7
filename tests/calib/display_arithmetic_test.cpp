// Arithmetic of the calibration screen: marker, averages, fuel colour, lambda
// bar and the correction values.

#include <gtest/gtest.h>

#include "calib/correctives.h"
#include "core/rounding.h"
#include "calib/kgb_table.h"
#include "calib/live_display.h"

namespace kelvo6::calib {
namespace {

constexpr std::array<int, 8> kRpm = kExampleRpmAxis;    // 650 1000 2000 ... 7000
constexpr std::array<int, 8> kTinj = kExampleTinjAxis;  // 2000 3500 5000 ... 15000

TEST(Marker, InterpolatesBetweenAxisPoints) {
  EXPECT_EQ(markerX(1000, kRpm), 1320 + 840);
  EXPECT_EQ(markerX(1500, kRpm), 1320 + 840 + 420);
  EXPECT_EQ(markerX(7000, kRpm), 1320 + 840 * 6 + 840);
  EXPECT_EQ(markerY(4250, kTinj), 840 + 480 + 240);
  EXPECT_EQ(markerY(15000, kTinj), 840 + 480 * 7);
}

TEST(Marker, OutsideTheAxesItSitsAtTheFixedEnds) {
  EXPECT_EQ(markerY(0, kTinj), 720);
  EXPECT_EQ(markerY(2000, kTinj), 720);  // on the first point is not inside any interval
  EXPECT_EQ(markerY(15001, kTinj), 4320);
  EXPECT_EQ(markerX(0, kRpm), 960);
  EXPECT_EQ(markerX(9000, kRpm), 7440);
  // An injection time of 0 is at 720 even with a first axis point of 0.
  std::array<int, 8> fromZero{0, 1000, 2000, 3000, 4000, 5000, 6000, 7000};
  EXPECT_EQ(markerY(0, fromZero), 720);
}

TEST(Marker, EqualAxisPointsAreSkippedWithoutDividingByZero) {
  std::array<int, 8> flat{1000, 1000, 1000, 1000, 1000, 1000, 1000, 5000};
  EXPECT_EQ(markerX(3000, flat), 1320 + 840 * 6 + 420);  // only the last interval rises
  std::array<int, 8> dip{1000, 3000, 2000, 2500, 4000, 5000, 6000, 7000};
  EXPECT_EQ(markerX(2250, dip), 1320 + 525);  // the first interval holding it wins
}

TEST(Averages, InjectionTimeAverageIsTheExactMeanRoundedDownToTen) {
  InjectionAverage a;
  for (int i = 0; i < 9; ++i) a.add(3057);
  EXPECT_EQ(a.value, 0);  // no average yet
  a.add(3057);
  EXPECT_EQ(a.value, 3050);  // ten times 305.7 is 3057: Int(305.7) x 10
  // Tenths that add up to a whole: 300.1 + 301.9 five times is exactly 3010.
  InjectionAverage b;
  for (int i = 0; i < 5; ++i) {
    b.add(3001);
    b.add(3019);
  }
  EXPECT_EQ(b.value, 3010);
  // Any steady time shows itself rounded down to ten.
  for (int t = 0; t <= 65535; ++t) {
    InjectionAverage steady;
    for (int i = 0; i < 10; ++i) steady.add(t);
    ASSERT_EQ(steady.value, t / 10 * 10) << t;
  }
}

TEST(Averages, IntegerQuotientsRoundHalvesToEven) {
  EXPECT_EQ(core::roundedQuotient(7, 2), 4);   // 3.5
  EXPECT_EQ(core::roundedQuotient(5, 2), 2);   // 2.5
  EXPECT_EQ(core::roundedQuotient(-5, 2), -2);
  EXPECT_EQ(core::roundedQuotient(-7, 2), -4);
  EXPECT_EQ(core::roundedQuotient(-6, 5), -1);  // -1.2
  EXPECT_EQ(core::roundedQuotient(14, 5), 3);   // 2.8
}

TEST(Averages, LambdaAndRpmAndSmoothedPressure) {
  TenSampleAverage l;
  for (int v : {100, 200, 300, 400, 500, 600, 700, 800, 900, 1005}) l.add(v);
  EXPECT_EQ(l.value, 550);
  RpmAverage r;
  for (int i = 0; i < 10; ++i) r.add(857);
  EXPECT_EQ(r.value, 850);
  EXPECT_EQ(smoothPressure(1000, 0), 500);
  EXPECT_EQ(smoothPressure(1001, 0), 500);  // 500.5 to even
  EXPECT_EQ(smoothPressure(1003, 0), 502);  // 501.5 to even
}

TEST(FuelColour, BlinksDuringAChangeOverAndFollowsTheFuelOtherwise) {
  FuelColour f;
  EXPECT_EQ(f.tick(0, 1), core::colour::kRed);
  EXPECT_EQ(f.tick(0, 0), core::colour::kGreen);
  std::vector<std::optional<core::Rgb>> seen;
  for (int i = 0; i < 7; ++i) seen.push_back(f.tick(3, 1));
  EXPECT_FALSE(seen[0]);
  EXPECT_FALSE(seen[1]);
  EXPECT_EQ(seen[2], core::colour::kRed);
  EXPECT_EQ(seen[4], core::colour::kRed);
  EXPECT_EQ(seen[5], core::colour::kGreen);
  EXPECT_FALSE(seen[6]);  // the count restarted
  EXPECT_EQ(f.tick(7, 0), core::colour::kGreen);
  EXPECT_EQ(f.counter(), 0);
}

TEST(LambdaBar, SegmentBandsForStraightAndInvertedSensors) {
  EXPECT_EQ(lambdaBarSegment(0, 1), 0);
  EXPECT_EQ(lambdaBarSegment(249, 1), 0);
  EXPECT_EQ(lambdaBarSegment(250, 1), 1);
  EXPECT_EQ(lambdaBarSegment(4999, 1), 19);
  EXPECT_EQ(lambdaBarSegment(5000, 1), -1);  // at full scale nothing is lit
  EXPECT_EQ(lambdaBarSegment(999, 2), 0);    // straight: the top band is segment 0
  EXPECT_EQ(lambdaBarSegment(0, 2), 19);
  EXPECT_EQ(lambdaBarSegment(120, 3), 2);
  EXPECT_EQ(lambdaBarSegment(1000, 3), -1);
  EXPECT_EQ(lambdaBarSegment(100, 7), -1);  // unknown sensor type
  EXPECT_EQ(lambdaBarSegment(-5, 1), -1);
}

TEST(Correction, TemperatureValueTruncatedTowardZero) {
  EXPECT_EQ(temperatureCorrection(60, 40, 2, 10), 4);
  EXPECT_EQ(temperatureCorrection(53, 40, 2, 10), 2);   // 2.6
  EXPECT_EQ(temperatureCorrection(27, 40, 2, 10), -2);  // -2.6
  EXPECT_EQ(temperatureCorrection(60, 40, 2, 0), 0);
}

TEST(Correction, PressureValueAboveTheRpmThresholdOnly) {
  EXPECT_EQ(pressureCorrection(950, 1500, 1000, 3, 100, 1100), 1);
  EXPECT_EQ(pressureCorrection(950, 1099, 1000, 3, 100, 1100), 0);
  EXPECT_EQ(pressureCorrection(1050, 1500, 1000, 3, 100, 1100), -1);
  EXPECT_EQ(pressureCorrection(950, 1500, 1000, 3, 0, 1100), 0);
  // 16-bit inputs whose product passes 32 bits are shown as computed.
  EXPECT_EQ(pressureCorrection(0, 65535, 65535, 65535, 1, 0), 65535LL * 65535LL);
}

TEST(Correction, EntriesWithinTheirFieldOrUnchangedFromTheEcu) {
  const CorrectiveField& variation = *correctiveOf(26);  // scroll 0-3
  EXPECT_TRUE(correctiveEntryAllowed(variation, 3, 0));
  EXPECT_FALSE(correctiveEntryAllowed(variation, 4, 0));
  EXPECT_TRUE(correctiveEntryAllowed(variation, 9, 9));  // the ECU's own value stays
  const CorrectiveField& range = *correctiveOf(22);
  EXPECT_TRUE(correctiveEntryAllowed(range, 65535, 0));
  EXPECT_FALSE(correctiveEntryAllowed(range, 65536, 65536));
  EXPECT_EQ(correctiveOf(28), nullptr);
}

}  // namespace
}  // namespace kelvo6::calib
