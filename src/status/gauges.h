#pragma once
// The arithmetic of the vehicle status window, without widgets: running
// averages, the "NC" judgement of absent sensors, the gas injection time and
// the colours of the lambda, pressure and level bars and of the fuel lamps.

#include <array>

#include "core/colour.h"
#include "core/shared.h"

namespace kelvo6::status {

constexpr int kAverageSamples = 50;

// 50-sample average of a lambda probe: the shown average changes once per 50
// samples and is the integer part of their mean. Summed in whole millivolts,
// so a steady 451 mV averages to 451 (fifths of a millivolt added up in
// floating point fall just short and would show 450).
struct LambdaAverage {
  int count = 0;
  int sum = 0;  // mV
  int average = 0;
  void add(int mV);
};

// 50-sample average of the level sender, summed in tens of millivolts.
struct LevelAverage {
  int count = 0;
  int sum = 0;
  int average = 0;
  void add(int mV);
};

// What a field shows on a tick, judged by a counter of consecutive ticks
// without a plausible (or without a changing) reading.
enum class Reading {
  kFresh,   // a plausible reading: counter cleared, field enabled and written
  kHeld,    // implausible for fewer than `limit` ticks so far: counter raised
  kAbsent,  // implausible for more than `limit` ticks: "NC", field disabled
};
Reading track(int& counter, bool implausible, int limit);

// Consecutive-tick limits after which a reading counts as absent.
constexpr int kLambdaLowLimit = 100;       // probe at 5 mV or less
constexpr int kLambdaLowMv = 5;
constexpr int kTemperatureAbsentLimit = 100;  // raw value 0
constexpr int kPressureAbsentLimit = 20;   // value exactly 10
constexpr int kPressureNoReading = 10;
constexpr int kUnchangedLimit = 10;        // injection times and engine speed

// Gas injection time from a petrol time (µs) and the corrected KGB (percent),
// rounded down: petrol / 10 x KGB / 10, in exact integer arithmetic.
int gasTime(int petrolUs, int kgbCorrected);
// States in which the injection times are shown even when they do not change.
bool showsStillInjection(int state);

constexpr int kLambdaSegments = 20;
constexpr int kPressureSegments = 20;
constexpr int kLevelSegments = 16;
constexpr int kPressureSegmentMbar = 150;

using LambdaBar = std::array<core::Rgb, kLambdaSegments>;
using PressureBar = std::array<core::Rgb, kPressureSegments>;
using LevelBar = std::array<core::Rgb, kLevelSegments>;

// The colour of lambda segment i when it does not hold the pointer.
core::Rgb lambdaSegmentColour(int i);
// The lambda bar for probe voltage x: the pointer (yellow) on the segment or
// segments whose range holds x, both neighbours at a boundary. Segment 0 is
// the rich end. Types 1 and 3 are inverted probes, 0 and 2 straight; any other
// type has no scale, so no pointer is drawn.
LambdaBar lambdaBar(int x, int probeType, core::BarRange range);
// All segments in their own colours (the bar at rest).
LambdaBar lambdaBarAtRest();

// 150 mbar per segment: yellow up to the pressure, dim red above.
PressureBar pressureBar(int mbar);

// Which of the 16 level segments are lit for the averaged level, with the
// sender's limits (parameters 19 and 20) and the level step (|20 - 19| / 16,
// as the dispatcher keeps it). A sender whose minimum is at or above its
// maximum falls as the tank fills. The thresholds are compared exactly, in
// sixteenths of a millivolt.
std::array<bool, kLevelSegments> levelLit(int average, int minLevel, int maxLevel, double step);
// Segments 0-3 are the reserve (red), the others green; unlit ones dim.
core::Rgb levelColour(int i, bool lit);
LevelBar levelBar(int average, int minLevel, int maxLevel, double step);

struct FuelLamps {
  core::Rgb petrol;
  core::Rgb gas;
};
// Fuel flag 1 is petrol; every other value is gas.
FuelLamps fuelLamps(int fuelFlag);

}  // namespace kelvo6::status
