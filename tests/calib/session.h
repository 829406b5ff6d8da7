#pragma once
// Steps of a fitter's session that the calibration tests share.

#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>

#include "core/shared.h"
#include "link/frame.h"
#include "sim/ecu.h"
#include "support/harness.h"

namespace kelvo6::testing {

// MENU, the handshake with the simulated ECU, then the calibration window.
inline void openCalibration(Harness& h, int languageButton = 0) {
  if (languageButton) h.click("Form1", QStringLiteral("Command%1").arg(languageButton));
  h.click("Form1", "Command1");
  h.advance(2500);
  h.click("Form2", "Command5");
  h.advance(500);
}

inline void openCalibrationNotConnected(Harness& h, int languageButton = 0) {
  if (languageButton) h.click("Form1", QStringLiteral("Command%1").arg(languageButton));
  h.click("Form1", "Command7");
  h.click("Form1", "Command1");
  h.click("Form2", "Command5");
}

inline QString text(Harness& h, const char* form, const QString& name) {
  return h.control<QLineEdit>(form, name)->text();
}
inline QString grid(Harness& h, int field) { return text(h, "Form16", QStringLiteral("Text6_%1").arg(field)); }
inline bool enabled(Harness& h, const char* form, const char* name) {
  return h.control<QWidget>(form, name)->isEnabled();
}
inline bool shown(Harness& h, const char* form, const char* name) {
  QWidget* w = h.control<QWidget>(form, name);
  return w->isVisibleTo(w->window());
}
inline QColor colourOf(Harness& h, const char* form, const QString& name, const char* property) {
  return h.control<QWidget>(form, name)->property(property).value<QColor>();
}

// Parameter writes (command 2) and cell writes (command 9) sent, as (number, value).
inline std::vector<std::pair<int, int>> writesSent(Harness& h, int command) {
  std::vector<std::pair<int, int>> out;
  for (const Frame& f : h.sentWithCommand(command)) {
    if (command == 2) out.emplace_back(f[6], f[7] * 256 + f[8]);
    if (command == 9) out.emplace_back(f[5], f[6]);
  }
  return out;
}

// Advances in ticks until `done` holds or `limitMs` has passed; true when it held.
template <class Pred>
bool advanceUntil(Harness& h, Pred done, int limitMs, int stepMs = 100) {
  for (int t = 0; t < limitMs; t += stepMs) {
    if (done()) return true;
    h.advance(stepMs);
  }
  return done();
}

// Answers built by hand, for tests that need values the simulated car never gives.
inline Frame answer(int type, const Frame& data) {
  Frame f{0x50, 0x43, 0x00, static_cast<std::uint8_t>(5 + data.size()), static_cast<std::uint8_t>(type)};
  f.insert(f.end(), data.begin(), data.end());
  return f;
}
inline void put16(Frame& f, int v) {
  f.push_back(static_cast<std::uint8_t>(v / 256));
  f.push_back(static_cast<std::uint8_t>(v % 256));
}
struct CalibrationBlock {
  int lambda1 = 400, lambda2 = 400, pressure1 = 1200, pressure2 = 0, temperature1 = 60, temperature2 = 80;
  int kgbInUse = 110, rpm = 900, injectionTime = 3000, state = 0, fuelFlag = 1;
  Frame frame(int type = 10) const {
    Frame d;
    for (int v : {lambda1, lambda2, pressure1, pressure2, temperature1, temperature2, kgbInUse, rpm, injectionTime})
      put16(d, v);
    d.push_back(static_cast<std::uint8_t>(state));
    d.push_back(static_cast<std::uint8_t>(fuelFlag));
    return answer(type, d);
  }
};

// The handshake answered by hand with `params` (index = number) and all cells `cell`,
// then the calibration window opened on `block`.
inline void openCalibrationByHand(Harness& h, const std::array<int, 63>& params, int cell, const CalibrationBlock& block) {
  h.click("Form1", "Command1");
  h.advance(50);
  h.reply(answer(7, {2, 4, 1}));
  h.advance(50);
  Frame p;
  for (int k = 1; k <= 62; ++k) put16(p, params[static_cast<std::size_t>(k)]);
  h.reply(answer(1, p));
  h.advance(1000);
  h.reply(answer(8, Frame(64, static_cast<std::uint8_t>(cell))));
  h.advance(1000);
  h.click("Form2", "Command5");
  h.reply(block.frame());
  h.advance(500);
}

}  // namespace kelvo6::testing
