#include "eol/result_decoding.h"

#include <cstddef>

namespace kelvo6::eol {

namespace {

// How one check byte is read and which lamps it paints. A bit-tested byte
// lists its lamps from the highest bit down to bit 0.
struct CheckRule {
  bool bitTested;
  int lampCount;
  std::array<int, 5> lamps;
};

// Check bytes 1..9 in order.
constexpr std::array<CheckRule, 9> kCheckRules{{
    {false, 2, {42, 32}},            // RELE_GAS, PRESSIONE1
    {false, 2, {51, 43}},            // TASTO_GAS, RELE_GENERALE
    {true, 5, {41, 46, 45, 36, 47}}, // BUZZER, RPM, TPS_DIGITALE, TPS_ANALOGICO, LED1
    {false, 2, {48, 38}},            // LED2, TEMPERATURA1
    {true, 3, {35, 34, 49}},         // LAMBDA2, LAMBDA1, LED3
    {false, 2, {50, 37}},            // LED4, DSP
    {true, 4, {40, 39, 44, 33}},     // EMUL_LAMBDA2, EMUL_LAMBDA1, RELE_EMULAZIONE, PRESSIONE2
    {true, 2, {52, 53}},             // BATTERIA, SENSORI
    {false, 1, {54}},                // EEPROM
}};

// Tests `value` against the weights 2^(n-1) .. 2 in turn, subtracting each
// weight that fits; the last (bit 0) is set only when exactly 1 remains.
// `count` is 1..5; the result lists the bits from the highest down.
std::array<bool, 5> testBits(int value, int count) {
  std::array<bool, 5> set{};
  int remaining = value;
  for (int i = 0; i < count - 1; ++i) {
    int weight = 1 << (count - 1 - i);
    set[static_cast<std::size_t>(i)] = remaining >= weight;
    if (remaining >= weight) remaining -= weight;
  }
  set[static_cast<std::size_t>(count - 1)] = remaining == 1;
  return set;
}

}  // namespace

DecodedResults decodeResults(const std::array<int, kInjectors>& injectorStatus, const std::array<int, 9>& checkBytes) {
  DecodedResults d;
  auto paint = [&d](int lamp, bool red) { d.red[static_cast<std::size_t>(lamp)] = red; };

  for (int i = 1; i <= kInjectors; ++i) {
    auto bits = testBits(injectorStatus[static_cast<std::size_t>(i - 1)], 4);
    paint(statLamp(i), bits[0]);
    paint(emulLamp(i), bits[1]);
    paint(outLamp(i), bits[2]);
    paint(inLamp(i), bits[3]);
    d.emulation[static_cast<std::size_t>(i - 1)] = bits[1];
  }
  for (int j = 1; j <= 4; ++j)
    paint(pairLamp(j), d.emulation[static_cast<std::size_t>(2 * j - 2)] && d.emulation[static_cast<std::size_t>(2 * j - 1)]);

  for (std::size_t n = 0; n < kCheckRules.size(); ++n) {
    const CheckRule& rule = kCheckRules[n];
    int value = checkBytes[n];
    if (rule.bitTested) {
      auto bits = testBits(value, rule.lampCount);
      for (int k = 0; k < rule.lampCount; ++k) paint(rule.lamps[static_cast<std::size_t>(k)], bits[static_cast<std::size_t>(k)]);
    } else {
      for (int k = 0; k < rule.lampCount; ++k) paint(rule.lamps[static_cast<std::size_t>(k)], value == 1);
    }
  }
  return d;
}

}  // namespace kelvo6::eol
