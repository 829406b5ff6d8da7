#pragma once
// The line of text for the ECU's operating state code, as the status window
// shows it. Two ECU software generations number their states differently; the
// middle number of the software version picks the generation.

#include <optional>
#include <string>

namespace kelvo6::link {

// The text for `code` in `language` (1 IT, 2 EN, 3 TR) for the generation given
// by the version's middle number (4 or 5). A code the generation does not list
// gives a single blank (the line is cleared). No text at all (the line keeps
// what it shows) for a generation or language without a table, Turkish with
// generation 5 included. `switchRpm` and `switchTemperature` are parameters 12
// and 13, appended to the texts that name them.
std::optional<std::string> stateText(int code, int language, int versionMiddle, int switchRpm,
                                     int switchTemperature);

}  // namespace kelvo6::link
