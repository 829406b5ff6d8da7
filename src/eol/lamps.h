#pragma once
// Numbering of the end-of-line window's 61 lamps and which of them a cylinder
// count shows.

namespace kelvo6::eol {

constexpr int kLampCount = 61;
constexpr int kInjectors = 8;

// Four lamps per injector row, in the column order STAT, EMUL, OUT, IN.
constexpr int statLamp(int injector) { return 4 * (injector - 1); }
constexpr int emulLamp(int injector) { return 4 * (injector - 1) + 1; }
constexpr int outLamp(int injector) { return 4 * (injector - 1) + 2; }
constexpr int inLamp(int injector) { return 4 * (injector - 1) + 3; }
constexpr int kLastInjectorLamp = 31;
// Emulation relay of injector pair j (injectors 2j-1 and 2j), j = 1..4.
constexpr int pairLamp(int pair) { return 56 + pair; }

constexpr int kPowerLatchLamp = 55;
constexpr int kWatchDogLamp = 56;

constexpr bool isInjectorLamp(int lamp) { return lamp >= 0 && lamp <= kLastInjectorLamp; }
constexpr bool isPairLamp(int lamp) { return lamp >= pairLamp(1) && lamp <= pairLamp(4); }

// Injector rows 1..cylinders are shown, with one pair lamp per two cylinders;
// the check lamps 32..56 are always shown.
constexpr bool rowVisible(int injector, int cylinders) { return injector >= 1 && injector <= cylinders; }
constexpr bool lampVisible(int lamp, int cylinders) {
  if (isInjectorLamp(lamp)) return rowVisible(lamp / 4 + 1, cylinders);
  if (isPairLamp(lamp)) return lamp - 56 <= cylinders / 2;
  return lamp >= 0 && lamp < kLampCount;
}

}  // namespace kelvo6::eol
