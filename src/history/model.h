#pragma once
// What the history keeps: restore points (the ECU's whole configuration as read
// at a handshake), the journal of acknowledged writes, and end-of-line results.
// Plain values; the storage behind Store turns them into rows.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace kelvo6::history {

constexpr int kSnapshotParams = 62;
constexpr int kSnapshotCells = 64;

// Times are milliseconds since 1970-01-01 UTC; stored as ISO 8601 UTC text.
using Millis = std::int64_t;

struct Snapshot {
  std::int64_t id = 0;     // given by the database; 0 before it is stored
  std::string key;         // made at the station, unique everywhere
  Millis takenAt = 0;
  std::string station;
  std::string port;
  std::string ecuSoftware;
  std::string vehicle;     // empty until the fitter names it
  std::array<int, kSnapshotParams> params{};  // P1..P62
  std::array<int, kSnapshotCells> cells{};    // C1..C64
};

// One line of the snapshot list: the values are read only when needed.
struct SnapshotSummary {
  std::int64_t id = 0;
  std::string key;
  Millis takenAt = 0;
  std::string station;
  std::string port;
  std::string ecuSoftware;
  std::string vehicle;
  int writesAfter = 0;
};

// An item is "P<n>" for a parameter, "C<n>" for a table cell.
std::string itemName(bool cell, int number);
// The number and kind of an item name; false for anything else.
bool parseItem(const std::string& item, bool* cell, int* number);

struct WriteEntry {
  std::string key;          // made at the station
  std::string snapshotKey;  // the restore point this write followed, may be empty
  Millis writtenAt = 0;
  std::string station;
  std::string operatorName;
  std::string source;       // the window the write came from
  std::string item;
  int oldValue = 0;
  int newValue = 0;
};

struct SnapshotFilter {
  std::string vehicle;            // part of the name, any case; empty = all
  std::optional<Millis> from;     // taken at or after
  std::optional<Millis> until;    // taken before
  int limit = 0;                  // 0 = no limit
};

struct EolResult {
  std::string key;
  std::string unit;
  Millis testedAt = 0;
  std::string station;
  std::string operatorName;
  std::string toolVersion;
  std::string ecuSoftware;
  int cylinders = 0;
  std::string result;        // "PASS" or "FAIL"
  std::string failedChecks;  // the failing checks (or the reason), "; "-separated
};

// A key unique across stations: the station name, the time and a random part.
std::string makeKey(const std::string& station);
// Milliseconds since the epoch now, and the ISO 8601 UTC text of a time and back.
Millis nowMillis();
std::string isoTime(Millis t);
std::optional<Millis> parseIsoTime(const std::string& text);

}  // namespace kelvo6::history
