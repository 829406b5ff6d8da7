#pragma once
// Where recordings go: $HOME/TAVRIN_IE/Logs, one file per recording named by
// its date and time.

#include <ctime>
#include <optional>
#include <string>

namespace kelvo6::datalog {

// The logs folder under `home` (HOME when null or empty: the current folder).
std::string logsFolder(const char* home);
// Creates the folder and its parents when missing; false with the reason.
bool makeFolder(const std::string& folder, std::string* error);
// "2024-05-01_10-15-30.csv" for the local time `t`, with "-2", "-3" ... added
// when a file of that name already exists in `folder`.
std::string newLogPath(const std::string& folder, std::time_t t);
// "2024-05-01T10:15:30+02:00".
std::string isoTime(std::time_t t);

}  // namespace kelvo6::datalog
