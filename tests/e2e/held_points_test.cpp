// The program's automatic calibration against the simulated car held at one
// operating point after another, on virtual time: at each point it finds the
// car's true coefficient of the cell the point falls in.

#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>

#include "sim/ecu.h"
#include "support/harness.h"

namespace kelvo6::testing {
namespace {

const QString kFound = "Premere OK per memorizzare il valore in tabella";

template <class Pred>
bool advanceUntil(Harness& h, Pred done, int limitMs, int stepMs = 300) {
  for (int t = 0; t < limitMs && !done(); t += stepMs) h.advance(stepMs);
  return done();
}

// Runs the automatic calibration from the calibration window until it has found
// a value, and leaves it with EXIT; the value found.
int calibrateHere(Harness& h) {
  h.click("Form16", "Command8");
  if (!advanceUntil(h, [&] { return h.window("Form8") != nullptr; }, 5000)) return -2;
  h.setScroll("Form8", "VScroll1", 100);
  if (!advanceUntil(h, [&] { return h.control<QLabel>("Form8", "Label1")->text() == kFound; }, 900000)) return -1;
  const int found = h.control<QLineEdit>("Form8", "Text7")->text().toInt();
  h.click("Form8", "Command1");
  advanceUntil(h, [&] { return h.window("Form8") == nullptr; }, 5000);
  return found;
}

TEST(HeldPoints, TheAutomaticCalibrationFindsTheTrueValueAtEachHeldPoint) {
  Harness h;
  sim::Ecu& ecu = *h.ecu();
  const sim::TrueMap car = sim::TrueMap::builtIn();
  h.click("Form1", "Command1");
  h.advance(2500);
  h.click("Form2", "Command5");
  h.advance(500);
  ASSERT_TRUE(h.window("Form16"));
  // Idle, town at part load, country road at higher load, full load at top speed.
  const struct {
    int rpm, time, cell;
  } points[] = {{650, 2150, 1}, {2000, 5250, 19}, {4000, 11250, 45}, {7000, 15000, 64}};
  for (const auto& p : points) {
    ASSERT_EQ(ecu.memory().cellAt(p.rpm, p.time), p.cell);
    ecu.engine().hold(p.rpm, sim::Load::petrolTime(p.time));
    h.advance(5000);
    EXPECT_EQ(calibrateHere(h), car.cell(p.cell)) << "cell " << p.cell;
    ASSERT_TRUE(h.window("Form16"));
    EXPECT_TRUE(ecu.engine().release());
  }
}

}  // namespace
}  // namespace kelvo6::testing
