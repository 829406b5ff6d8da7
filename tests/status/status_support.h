#pragma once
// Helpers of the status window tests: reaching the window, answering by hand,
// reading lamp colours.

#include <QColor>
#include <QLineEdit>
#include <QString>
#include <array>
#include <cstdint>
#include <map>

#include "link/frame.h"
#include "support/harness.h"

namespace kelvo6::testing {

// One live-data answer, field by field.
struct Live {
  int lambda1 = 450, lambda2 = 450, kgbTable = 110, kgbCorrected = 112;
  int pressure1 = 1200, pressure2 = 1400, temperature1 = 60, temperature2Raw = 80;
  int rpm = 800, level = 600;
  std::array<int, 8> petrol{3000, 3010, 3020, 3030, 0, 0, 0, 0};
  int state = 0, fuelFlag = 1;
};

inline Frame liveFrame(const Live& v) {
  Frame d;
  auto put = [&d](int x) {
    d.push_back(static_cast<std::uint8_t>(x >> 8));
    d.push_back(static_cast<std::uint8_t>(x & 0xFF));
  };
  for (int x : {v.lambda1, v.lambda2, v.kgbTable, v.kgbCorrected, v.pressure1, v.pressure2, v.temperature1,
                v.temperature2Raw, v.rpm, v.level})
    put(x);
  for (int t : v.petrol) put(t);
  d.push_back(static_cast<std::uint8_t>(v.state));
  d.push_back(static_cast<std::uint8_t>(v.fuelFlag));
  return link::buildRequest(3, d);
}

// Connects to the simulated ECU, runs the handshake and opens the status window.
inline void openStatus(Harness& h) {
  h.click("Form1", "Command1");
  h.advance(2500);
  h.click("Form2", "Command3");
  h.advance(500);
}

// Without a simulated ECU: answers the handshake by hand with these parameters
// (others 0) and opens the status window on `atOpen`. Afterwards each poll tick
// is fed with feed().
inline void openStatusByHand(Harness& h, const std::map<int, int>& params, const Live& atOpen,
                             std::array<int, 3> version = {2, 4, 1}) {
  h.click("Form1", "Command1");
  h.advance(50);
  h.reply(link::buildRequest(7, {static_cast<std::uint8_t>(version[0]), static_cast<std::uint8_t>(version[1]),
                                 static_cast<std::uint8_t>(version[2])}));
  h.advance(50);
  Frame set;
  for (int k = 1; k <= 62; ++k) {
    auto it = params.find(k);
    int v = it == params.end() ? 0 : it->second;
    set.push_back(static_cast<std::uint8_t>(v >> 8));
    set.push_back(static_cast<std::uint8_t>(v & 0xFF));
  }
  h.reply(link::buildRequest(1, set));
  h.advance(1000);
  h.reply(link::buildRequest(8, Frame(64, 110)));
  h.advance(1000);
  h.click("Form2", "Command3");
  h.reply(liveFrame(atOpen));
  h.advance(500);
}

// The answer to the last request arrives; then the next poll tick runs.
inline void feed(Harness& h, const Live& v) {
  h.reply(liveFrame(v));
  h.advance(300);
}

inline QColor fill(Harness& h, const QString& shape) {
  return h.control<QWidget>("Form3", shape)->property("fillColor").value<QColor>();
}

inline QLineEdit* text(Harness& h, const QString& name) { return h.control<QLineEdit>("Form3", name); }

}  // namespace kelvo6::testing
