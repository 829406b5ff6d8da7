// Fuzz target: the log reader. Whatever it accepts holds only values its
// channels allow, in time order, and reads back the same once written again.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "datalog/csv_format.h"
#include "datalog/log_reader.h"

using namespace kelvo6::datalog;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string text(reinterpret_cast<const char*>(data), size);
  ReadResult r = readLogText(text);
  if (!r.log) {
    if (r.problem == ReadProblem::kNone || r.line < 1) std::abort();
    return 0;
  }
  const LogData& log = *r.log;
  std::vector<Ch> columns = columnsOf(log.present());
  if (columns.empty()) std::abort();
  std::string again = infoLine(log.info) + headingLine(columns);
  for (std::size_t i = 0; i < log.size(); ++i) {
    if (i && log.times()[i] < log.times()[i - 1]) std::abort();
    Sample s;
    s.tMs = log.times()[i];
    for (Ch c : columns) {
      const int v = log.values(c)[i];
      if (v < channel(c).valueMin || v > channel(c).valueMax) std::abort();
      s[c] = v;
    }
    appendRow(again, s, columns);
  }
  ReadResult back = readLogText(again);
  if (!back.log || back.log->size() != log.size() || back.log->present() != log.present()) std::abort();
  for (Ch c : columns)
    if (back.log->values(c) != log.values(c)) std::abort();
  if (back.log->times() != log.times()) std::abort();
  return 0;
}
