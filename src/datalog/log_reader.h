#pragma once
// Reads a log file back: any comma-separated file with our heading row (the
// time column and at least one known channel, in any order; unknown columns
// are left out). Anything else is refused with the line that could not be read.

#include <cstdint>
#include <optional>
#include <string>

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
};

constexpr std::uint64_t kLargestLog = 1ull << 30;

ReadResult readLog(const std::string& path);
ReadResult readLogText(std::string_view text);

}  // namespace kelvo6::datalog
