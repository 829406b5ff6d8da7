#pragma once
// Arithmetic of the tank level indicator: the sender reading at a threshold,
// the dashboard lamps for a live level, the reserve lamp's blink, and the
// thresholds that each fuel switch model brings with it.

#include <array>
#include <optional>

namespace kelvo6::params {

// Sender reading (mV) at `percent` of the span from `min` to `max`, rounded
// half to even; a falling sender (min >= max) counts down from min.
int thresholdReading(int min, int max, int percent);

// Switch model 2 lights its first quarter lamp at this fixed level (percent).
constexpr int kModel2ReservePercent = 8;

// Lamps of the dashboard indicator. `levelLit` is Shape2, Shape3, Shape4, Shape5.
struct LevelLamps {
  bool reserve = false;  // in the reserve row: the red lamp blinks
  std::array<bool, 4> levelLit{};
};

// The lamps for live level `level` with thresholds t1..t3 (percent) between the
// empty (`min`) and full (`max`) readings; nothing for an unknown switch model.
std::optional<LevelLamps> levelLamps(int switchModel, int min, int max, int t1, int t2, int t3, int level);

// One live tick in the reserve row: the next blink counter and whether the red
// lamp is lit (three ticks dark, three lit).
struct ReserveBlink {
  int counter = 0;
  bool lit = false;
};
ReserveBlink reserveBlink(int counter);

// Level thresholds 1..3 that choosing a switch model writes; none for the plain
// switch (model 0), which keeps the thresholds the ECU has.
std::optional<std::array<int, 3>> switchModelThresholds(int switchModel);

}  // namespace kelvo6::params
