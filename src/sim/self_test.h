#pragma once
// The ECU's end-of-line self-test: running, results, key off (silent), EEPROM
// reset, ECU reset, done.

#include <array>
#include <cstdint>

namespace kelvo6::sim {

class SelfTest {
 public:
  struct Report {
    int state = 0;
    std::array<int, 8> injectorStatus{};
    std::array<int, 9> checkBytes{};
  };

  void start(int cylinders, std::int64_t nowMs);
  void advanceTo(std::int64_t nowMs);
  Report report() const;

  // Key off: the ECU has no power and answers nothing until the key is on again.
  void setKeyOff(bool off, std::int64_t nowMs);
  bool keyOff() const { return keyOff_; }
  bool running() const { return phase_ != Phase::kIdle; }

  // Results the next test reports; all passing by default.
  void setInjectorStatus(int injector, int status) { injectorStatus_[static_cast<std::size_t>(injector - 1)] = status; }
  void setCheckByte(int n, int value) { checkBytes_[static_cast<std::size_t>(n - 1)] = value; }
  // When true, the key is switched off by itself a few seconds after the results
  // are shown and on again shortly after (kelvo6-ecusim without an operator).
  void setAutomaticKey(bool automatic) { automaticKey_ = automatic; }

 private:
  enum class Phase { kIdle, kRunning, kResults, kEepromReset, kEcuReset, kDone };
  void enter(Phase p, std::int64_t nowMs) { phase_ = p; phaseStartMs_ = nowMs; }

  Phase phase_ = Phase::kIdle;
  std::int64_t phaseStartMs_ = 0;
  std::int64_t nowMs_ = 0;
  int cylinders_ = 4;
  bool keyOff_ = false;
  bool keyWasOff_ = false;
  bool automaticKey_ = false;
  std::array<int, 8> injectorStatus_{};
  std::array<int, 9> checkBytes_{};
};

}  // namespace kelvo6::sim
