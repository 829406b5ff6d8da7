#pragma once
// Why the serial settings dialog cannot take what was chosen or typed, in the
// fitter's language, and what a network server confirmed at the last opening.

#include <string>

#include "platform/serial_port.h"

namespace kelvo6::shell {

struct DialogEntries {
  std::string baudText;  // as typed or chosen in the rate list
  bool baudListed = false;  // the text names an entry of the rate list
  std::string device;     // the device or network address chosen, empty for COM1..COM4
  std::string settings;   // the settings string the entries build
};

// The reason, or empty when the entries can be used.
std::string refusalOf(const DialogEntries& e, int language);

// The line settings `port` had from the far end when it was last opened on
// `device`, as a line for the dialog; empty for a local device.
std::string farEndNote(const std::string& device, const platform::SerialPort& port, int language);

}  // namespace kelvo6::shell
