#pragma once
// What the receive path writes into open windows. The dispatcher knows no
// widgets; the application routes each call to the window that shows the value.

#include <string>

namespace kelvo6::link {

class Display {
 public:
  virtual ~Display() = default;
  // A confirmed write echo of parameter `number` (never during a bulk transfer).
  virtual void parameterConfirmed(int number, int value) = 0;
  // A confirmed cell echo (never during a bulk transfer).
  virtual void cellConfirmed(int cell, int value) = 0;
  // The ECU software version as text, for the main menu (also during a bulk transfer).
  virtual void versionText(const std::string& text) = 0;
  // Calibration mode confirmed on or off: the calibration window's title and
  // the caption of its toggle button (also during a bulk transfer).
  virtual void calibrationMode(bool on, const std::string& title, const std::string& caption) = 0;
  // Every write the ECU acknowledged (also during a bulk transfer), with the
  // value it replaced: for the write journal.
  virtual void writeAcknowledged(bool /*cell*/, int /*number*/, int /*oldValue*/, int /*newValue*/) {}
};

// A display that shows nothing: for headless use, fuzzing and benchmarks.
class NullDisplay : public Display {
 public:
  void parameterConfirmed(int, int) override {}
  void cellConfirmed(int, int) override {}
  void versionText(const std::string&) override {}
  void calibrationMode(bool, const std::string&, const std::string&) override {}
};

}  // namespace kelvo6::link
