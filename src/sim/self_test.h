#pragma once
// The ECU's end-of-line self-test: running (state 1), results (2), key off
// (no power, so no answers), EEPROM reset (3), ECU reset (4), idle again (0).

#include <array>
#include <cstdint>
#include <optional>

namespace kelvo6::sim {

class SelfTest {
 public:
  struct Report {
    int state = 0;
    std::array<int, 8> injectorStatus{};
    std::array<int, 9> checkBytes{};
  };

  // How long each phase lasts; the automatic key switches off this long after
  // the results appear and on again this long after that.
  struct Timing {
    std::int64_t runningMs = 2000;
    std::int64_t automaticKeyOffAfterMs = 3000;
    std::int64_t automaticKeyOnAfterMs = 3000;
    std::int64_t eepromResetMs = 1500;
    std::int64_t ecuResetMs = 3000;
  };

  // A start request; ignored while the key is off (the ECU has no power).
  void start(int cylinders, std::int64_t nowMs);
  void advanceTo(std::int64_t nowMs);
  Report report() const;

  // Key off: the ECU has no power and answers nothing until the key is on
  // again. Switched on after the results, the ECU resets its EEPROM; switched
  // off at any other point of a test, the test is lost and the ECU comes back idle.
  void setKeyOff(bool off, std::int64_t nowMs);
  bool keyOff() const { return keyOff_; }
  bool running() const { return phase_ != Phase::kIdle; }
  int cylinders() const { return cylinders_; }

  // Results the next test reports; all passing (0) by default.
  void setInjectorStatus(int injector, int status) { injectorStatus_.at(static_cast<std::size_t>(injector - 1)) = status; }
  void setCheckByte(int n, int value) { checkBytes_.at(static_cast<std::size_t>(n - 1)) = value; }
  // One check fails: the EEPROM check (check byte 9 reports 1).
  void failOneCheck() { setCheckByte(9, 1); }
  // When true, the key is switched off by itself a few seconds after the results
  // are shown and on again shortly after (kelvo6-ecusim without an operator).
  void setAutomaticKey(bool automatic) { automaticKey_ = automatic; }
  Timing& timing() { return timing_; }

 private:
  enum class Phase { kIdle, kRunning, kResults, kEepromReset, kEcuReset };
  void enter(Phase p, std::int64_t atMs) {
    phase_ = p;
    phaseStartMs_ = atMs;
  }
  // The time of the next change the ECU makes by itself, if any.
  std::optional<std::int64_t> nextChangeMs() const;
  void change(std::int64_t atMs);

  Timing timing_;
  Phase phase_ = Phase::kIdle;
  std::int64_t phaseStartMs_ = 0;
  std::int64_t keyOffSinceMs_ = 0;
  std::int64_t nowMs_ = 0;
  int cylinders_ = 0;
  bool keyOff_ = false;
  bool keyCycled_ = false;  // the key went off during these results
  bool automaticKey_ = false;
  std::array<int, 8> injectorStatus_{};
  std::array<int, 9> checkBytes_{};
};

}  // namespace kelvo6::sim
