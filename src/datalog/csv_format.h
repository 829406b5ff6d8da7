#pragma once
// The text of a log file: a first comment line about the recording, a heading
// row of channel names with units, then one row per sample with the time in
// ms since the start. Plain comma-separated values that a spreadsheet opens.

#include <string>
#include <string_view>
#include <vector>

#include "datalog/log_data.h"

namespace kelvo6::datalog {

constexpr std::string_view kTimeHeading = "Time (ms)";
constexpr std::string_view kInfoMark = "# KELVO6 log";
// Written first, so that spreadsheets read the units ("°C") as UTF-8 on opening.
constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";

// The text of a log as UTF-8: without a byte-order mark, and a file that is
// not valid UTF-8 (a spreadsheet's Latin-1 copy) converted from Latin-1.
// Returns `text` itself when it needs no change, else `buffer` filled.
std::string_view asUtf8(std::string_view text, std::string& buffer);

// The first line, quoted as one field so its commas stay in one cell.
std::string infoLine(const LogInfo& info);
// Parses a first line written by infoLine; false when it is not one.
bool parseInfoLine(std::string_view line, LogInfo* info);

std::vector<Ch> columnsOf(const ChannelSet& set);  // in table order
std::string headingLine(const std::vector<Ch>& columns);
// Appends one row ("1250,2300,...\n") to `out`.
void appendRow(std::string& out, const Sample& s, const std::vector<Ch>& columns);

// Splits a CSV line into fields; a field in double quotes may hold commas and
// doubled quotes. A trailing carriage return is dropped. `fields` is reused
// from call to call so that reading a long log allocates little.
void splitFields(std::string_view line, std::vector<std::string>& fields);

}  // namespace kelvo6::datalog
