#pragma once
// Shared steps of the parameter window tests: a fitter connected to the
// simulated ECU (or working without one) with the parameter hub open.

#include <QByteArray>
#include <QCheckBox>
#include <QColor>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <functional>
#include <vector>

#include "core/shared.h"
#include "link/requests.h"
#include "sim/ecu.h"
#include "support/harness.h"

namespace kelvo6::testing {

// Connects (with `setUp` run on the ECU before the handshake) and opens the hub.
inline void openHub(Harness& h, const std::function<void(sim::Ecu&)>& setUp = {}, int language = 1) {
  if (setUp) setUp(*h.ecu());
  h.click("Form1", language == 2 ? "Command4" : language == 3 ? "Command5" : "Command3");
  h.click("Form1", "Command1");
  h.advance(2500);
  h.click("Form2", "Command4");
}

inline void openHubNotConnected(Harness& h, int language = 1) {
  h.click("Form1", language == 2 ? "Command4" : language == 3 ? "Command5" : "Command3");
  h.click("Form1", "Command7");
  h.click("Form1", "Command1");
  h.click("Form2", "Command4");
}

inline QColor fore(Harness& h, const char* form, const char* name) {
  return h.control<QWidget>(form, name)->property("foreColor").value<QColor>();
}
inline QColor fill(Harness& h, const char* form, const char* name) {
  return h.control<QWidget>(form, name)->property("fillColor").value<QColor>();
}
inline QString text(Harness& h, const char* form, const char* name) {
  return h.control<QLineEdit>(form, name)->text();
}
inline bool checked(Harness& h, const char* form, const char* name) {
  return h.control<QAbstractButton>(form, name)->isChecked();
}

// Parameter numbers of the write requests sent, in order.
inline std::vector<int> writtenParameters(Harness& h) {
  std::vector<int> out;
  for (const Frame& f : h.sentWithCommand(2)) out.push_back(f[6]);
  return out;
}

const QColor kRed(255, 0, 0), kBlue(0, 0, 255);

// HOME pointed at a fresh folder for the length of a test.
class TemporaryHome {
 public:
  TemporaryHome() : previous_(qgetenv("HOME")) { qputenv("HOME", dir_.path().toUtf8()); }
  ~TemporaryHome() { qputenv("HOME", previous_); }
  QString path() const { return dir_.path(); }
  QString archive() const { return dir_.path() + "/TAVRIN_IE/VehiclesArchive"; }

 private:
  QTemporaryDir dir_;
  QByteArray previous_;
};

}  // namespace kelvo6::testing
