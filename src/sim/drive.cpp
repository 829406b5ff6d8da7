#include "sim/drive.h"
#include "core/file_io.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <sstream>

namespace kelvo6::sim {

int petrolTimeFor(int rpm, int loadPercent) {
  // A closed throttle still needs fuel to idle; the time grows with the air
  // the engine takes in, and a little with speed.
  return 1800 + 115 * std::clamp(loadPercent, 0, 100) + std::max(0, rpm) * 15 / 100;
}

int petrolTimeFor(int rpm, const Load& load) {
  switch (load.kind) {
    case Load::Kind::kPercent: return petrolTimeFor(rpm, load.value);
    case Load::Kind::kPetrolTime: return load.value;
    case Load::Kind::kCutoff: return 0;
  }
  return 0;
}

Drive Drive::demo() {
  auto step = [](int rpm, Load load, double seconds) {
    return DriveStep{rpm, load, static_cast<std::int64_t>(std::lround(seconds * 1000)), false};
  };
  const Load idle = Load::percent(8);
  Drive d;
  d.loop = true;
  d.steps = {
      step(800, idle, 25),                   // idle after the start
      step(2200, Load::percent(30), 4),      // pull away
      step(1400, Load::percent(20), 2),      // change up
      step(2600, Load::percent(35), 5),      // pull in second
      step(2000, Load::percent(18), 20),     // town, steady
      step(1500, Load::cutoff(), 3),         // off the throttle: fuel cut
      step(800, idle, 10),                   // at the lights
      step(2500, Load::percent(40), 5),      // pull away
      step(3000, Load::percent(30), 25),     // country road, steady
      step(4000, Load::percent(80), 4),      // hard acceleration
      step(3500, Load::percent(60), 6),      // overtaking
      step(2800, Load::percent(25), 25),     // steady again
      step(1800, Load::cutoff(), 4),         // deceleration, fuel cut
      step(1000, Load::percent(10), 3),
      step(800, idle, 15),                   // idle
      step(4500, Load::percent(25), 2),      // a rev in neutral
      step(1500, Load::cutoff(), 1.5),       // and back down
      step(800, idle, 20),
  };
  return d;
}

std::int64_t Drive::lengthMs() const {
  std::int64_t total = 0;
  for (const DriveStep& s : steps)
    if (!s.hold) total += s.durationMs;
  return total;
}

namespace {

// A whole number from `word`, or nullopt.
std::optional<long> wholeNumber(const std::string& word) {
  if (word.empty() || word[0] == '-' || word[0] == '+') return std::nullopt;
  errno = 0;
  char* end = nullptr;
  long v = std::strtol(word.c_str(), &end, 10);
  if (*end != '\0' || errno != 0) return std::nullopt;
  return v;
}

// "12s", "1.5s", "500ms": milliseconds, or nullopt.
std::optional<std::int64_t> duration(const std::string& word) {
  if (word.size() > 2 && word.compare(word.size() - 2, 2, "ms") == 0) {
    auto v = wholeNumber(word.substr(0, word.size() - 2));
    if (v && *v <= 24L * 3600 * 1000) return *v;
    return std::nullopt;
  }
  if (word.size() > 1 && word.back() == 's') {
    const std::string number = word.substr(0, word.size() - 1);
    if (number.find_first_not_of("0123456789.") != std::string::npos || number.front() == '.' ||
        std::count(number.begin(), number.end(), '.') > 1)
      return std::nullopt;
    const double seconds = std::strtod(number.c_str(), nullptr);
    if (seconds > 24.0 * 3600) return std::nullopt;
    return static_cast<std::int64_t>(std::lround(seconds * 1000));
  }
  return std::nullopt;
}

std::optional<Load> loadOf(const std::string& word) {
  if (word == "cutoff") return Load::cutoff();
  if (word.size() > 1 && word.back() == '%') {
    auto v = wholeNumber(word.substr(0, word.size() - 1));
    if (v && *v <= 100) return Load::percent(static_cast<int>(*v));
    return std::nullopt;
  }
  if (word.size() > 2 && word.compare(word.size() - 2, 2, "us") == 0) {
    auto v = wholeNumber(word.substr(0, word.size() - 2));
    if (v && *v <= 65535) return Load::petrolTime(static_cast<int>(*v));
  }
  return std::nullopt;
}

}  // namespace

std::optional<Drive> Drive::parse(const std::string& text, std::string* error) {
  auto fail = [&](int line, const std::string& why) -> std::optional<Drive> {
    if (error) *error = "line " + std::to_string(line) + ": " + why;
    return std::nullopt;
  };
  Drive d;
  std::istringstream in(text);
  std::string line;
  int number = 0;
  while (std::getline(in, line)) {
    ++number;
    line = line.substr(0, line.find('#'));
    std::istringstream words(line);
    std::vector<std::string> w;
    for (std::string word; words >> word;) w.push_back(word);
    if (w.empty()) continue;
    if (w.size() == 1 && w[0] == "loop") {
      d.loop = true;
      continue;
    }
    if (w.size() != 3) return fail(number, "a step is RPM LOAD DURATION, e.g. \"2500 30% 10s\"");
    DriveStep step;
    auto rpm = wholeNumber(w[0]);
    if (!rpm || *rpm > 9000) return fail(number, "\"" + w[0] + "\" is not an engine speed from 0 to 9000");
    step.rpm = static_cast<int>(*rpm);
    auto l = loadOf(w[1]);
    if (!l) return fail(number, "\"" + w[1] + "\" is not a load (0% to 100%, 0us to 65535us, or cutoff)");
    step.load = *l;
    if (w[2] == "hold") {
      step.hold = true;
    } else {
      auto ms = duration(w[2]);
      if (!ms || *ms <= 0) return fail(number, "\"" + w[2] + "\" is not a duration (e.g. 10s, 2.5s, 500ms) or hold");
      step.durationMs = *ms;
    }
    d.steps.push_back(step);
  }
  if (d.steps.empty()) return fail(number, "the drive has no steps");
  return d;
}

std::optional<Drive> Drive::load(const std::string& path, std::string* error) {
  auto text = core::readTextFile(path, error);
  if (!text) return std::nullopt;
  return parse(*text, error);
}

DrivePlayer::DrivePlayer(Drive drive) : drive_(std::move(drive)) {
  if (drive_.steps.empty()) drive_.steps.push_back(DriveStep{});
}

void DrivePlayer::next() {
  inStepMs_ = 0;
  if (index_ + 1 < drive_.steps.size()) {
    ++index_;
  } else if (drive_.loop) {
    index_ = 0;
  } else {
    finished_ = true;  // the engine stays at the last step
  }
}

void DrivePlayer::advance(std::int64_t ms) {
  // A loop of steps that all take no time cannot occur: every timed step lasts at least 1 ms.
  while (ms > 0 && !finished_) {
    const DriveStep& s = step();
    if (s.hold) return;
    const std::int64_t left = s.durationMs - inStepMs_;
    if (ms < left) {
      inStepMs_ += ms;
      return;
    }
    ms -= left;
    next();
  }
}

bool DrivePlayer::release() {
  if (!waiting()) return false;
  next();
  return true;
}

}  // namespace kelvo6::sim
