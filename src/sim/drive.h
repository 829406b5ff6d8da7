#pragma once
// A scripted drive for the simulated car: a list of steps, each an engine
// speed, a load and how long to stay there, through which the engine moves
// smoothly. A step can also be held until someone says to go on, so that a
// calibration can take as long as it needs at that operating point.
//
// Drive file, one step a line, '#' starts a comment, blank lines are skipped:
//
//   RPM  LOAD  DURATION
//
//   RPM       engine speed, 0 to 9000
//   LOAD      N%      throttle load, 0 to 100 (the car's petrol time follows)
//             Nus     the petrol injection time itself, 0 to 65535 microseconds
//             cutoff  deceleration with the fuel cut: injection time 0
//   DURATION  Ns, N.Ns or Nms; or "hold": stay until told to go on
//
// A line "loop" (anywhere) starts the drive again after its last step;
// without it the engine stays at the last step.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace kelvo6::sim {

struct Load {
  enum class Kind { kPercent, kPetrolTime, kCutoff };
  Kind kind = Kind::kPercent;
  int value = 0;

  static Load percent(int p) { return {Kind::kPercent, p}; }
  static Load petrolTime(int us) { return {Kind::kPetrolTime, us}; }
  static Load cutoff() { return {Kind::kCutoff, 0}; }
  bool operator==(const Load&) const = default;
};

// The petrol injection time the car's engine computer asks for at this engine
// speed and throttle load (percent).
int petrolTimeFor(int rpm, int loadPercent);
// The petrol time a load asks for at this engine speed.
int petrolTimeFor(int rpm, const Load& load);

struct DriveStep {
  int rpm = 800;
  Load load = Load::percent(8);
  std::int64_t durationMs = 0;
  bool hold = false;  // until released; durationMs is not used
  bool operator==(const DriveStep&) const = default;
};

struct Drive {
  std::vector<DriveStep> steps;
  bool loop = false;

  // A few minutes of a town and country drive, looping: idle, pull-aways,
  // steady cruising at three speeds, a hard acceleration, a free rev and
  // decelerations with the fuel cut.
  static Drive demo();
  // A drive file as described above; on a bad line, nullopt and a message
  // that names it.
  static std::optional<Drive> parse(const std::string& text, std::string* error);
  static std::optional<Drive> load(const std::string& path, std::string* error);
  std::int64_t lengthMs() const;  // without hold steps
  bool operator==(const Drive&) const = default;
};

// Plays a drive on the engine's clock.
class DrivePlayer {
 public:
  explicit DrivePlayer(Drive drive);
  void advance(std::int64_t ms);
  const DriveStep& step() const { return drive_.steps[index_]; }
  std::size_t index() const { return index_; }
  // True while a hold step waits to be released.
  bool waiting() const { return !finished_ && step().hold; }
  // Goes on from a hold step; false when the current step is not one.
  bool release();

 private:
  void next();

  Drive drive_;
  std::size_t index_ = 0;
  std::int64_t inStepMs_ = 0;
  bool finished_ = false;
};

}  // namespace kelvo6::sim
