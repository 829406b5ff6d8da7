#pragma once
// Reads a log file back: any comma-separated file with our heading row (the
// time column and at least one known channel, in any order), in UTF-8 with
// or without a byte-order mark or in Latin-1. Columns it cannot show are named
// in the result, never dropped without a word. Anything else is refused with
// the line that could not be read.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "datalog/log_data.h"

namespace kelvo6::datalog {

enum class ReadProblem {
  kNone,
  kCannotOpen,     // the system's reason in `detail`
  kTooLarge,
  kNoHeading,      // no line with the time column and a known channel
  kMissingFields,  // fewer fields than the heading
  kNotANumber,     // `detail` = the column heading
  kOutOfRange,     // `detail` = the column heading
  kTimeBackwards,
};

struct ReadResult {
  std::optional<LogData> log;  // set when the file was read
  ReadProblem problem = ReadProblem::kNone;
  int line = 0;  // 1-based line of the problem
  std::string detail;
  // The last line was cut off mid-row (a recording that ended in a crash)
  // and was left out.
  bool cutShort = false;
  // Headings of the columns left out: not a channel we know, or a channel's
  // second column.
  std::vector<std::string> leftOut;
};

constexpr std::uint64_t kLargestLog = 1ull << 30;

ReadResult readLog(const std::string& path);
ReadResult readLogText(std::string_view text);

}  // namespace kelvo6::datalog
