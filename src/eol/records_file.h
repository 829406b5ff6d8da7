#pragma once
// The production record: one CSV file per day in the records folder, one row
// per unit. Rows are appended so that a crash or a power cut never damages the
// rows already written, and a row torn by one never merges with the next.

#include <string>
#include <vector>

#include "eol/records_row.h"

namespace kelvo6::eol {

// "2024-05-17.csv" for a unit tested at "2024-05-17T14:03:22".
std::string recordsFileName(const std::string& dateTime);

// Appends `row` (one whole line) to the file at `path` with a single write,
// after `header` when the file is new, and flushes it to the disk. A last line
// left without its line end is closed first. A write that fails leaves the file
// as it was. Returns what went wrong, or an empty string.
std::string appendLine(const std::string& path, const std::string& header, const std::string& row);

// Appends the unit's row to its day's file in `folder`, creating the folder
// when missing. Returns what went wrong, or an empty string.
std::string appendRecord(const std::string& folder, const UnitResult& unit);

struct RecordsRead {
  std::string error;  // the file could not be read
  bool headerFirst = false;  // the file starts with the record's header
  std::vector<std::vector<std::string>> rows;  // every whole row, in file order
  int tornLines = 0;  // lines that are no whole row (left by a crash mid-write)
};
RecordsRead readRecords(const std::string& path);

}  // namespace kelvo6::eol
