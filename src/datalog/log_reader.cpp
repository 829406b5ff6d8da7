#include "datalog/log_reader.h"

#include <cerrno>
#include <charconv>
#include <cstring>
#include <fstream>
#include <sstream>
#include <vector>

#include "datalog/csv_format.h"

namespace kelvo6::datalog {

namespace {

ReadResult refuse(ReadProblem p, int line, std::string detail = {}) {
  ReadResult r;
  r.problem = p;
  r.line = line;
  r.detail = std::move(detail);
  return r;
}

std::string_view trimmed(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

template <class T>
bool number(std::string_view field, T* out) {
  field = trimmed(field);
  if (!field.empty() && field.front() == '+') field.remove_prefix(1);
  auto [p, ec] = std::from_chars(field.data(), field.data() + field.size(), *out);
  return ec == std::errc() && p == field.data() + field.size() && !field.empty();
}

struct Column {
  Ch channel;
  std::size_t field;
};

}  // namespace

ReadResult readLog(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return refuse(ReadProblem::kCannotOpen, 0, std::strerror(errno));
  in.seekg(0, std::ios::end);
  auto size = static_cast<std::uint64_t>(in.tellg());
  if (size > kLargestLog) return refuse(ReadProblem::kTooLarge, 0);
  in.seekg(0);
  std::string text(size, '\0');
  if (!in.read(text.data(), static_cast<std::streamsize>(size))) return refuse(ReadProblem::kCannotOpen, 0, "read");
  return readLogText(text);
}

ReadResult readLogText(std::string_view original) {
  std::string converted;
  const std::string_view text = asUtf8(original, converted);
  LogInfo info;
  std::vector<std::string> fields;
  std::vector<Column> columns;
  std::optional<std::size_t> timeField;
  std::size_t needed = 0;
  std::optional<LogData> log;
  std::int64_t previousMs = INT64_MIN;
  bool cutShort = false;
  bool ours = false;  // written by our recorder, which ends every row with a line break
  std::vector<std::string> leftOut;

  int lineNumber = 0;
  std::size_t at = 0;
  while (at < text.size()) {
    std::size_t end = text.find('\n', at);
    bool lastUnterminated = end == std::string_view::npos;
    std::string_view line = text.substr(at, lastUnterminated ? std::string_view::npos : end - at);
    at = lastUnterminated ? text.size() : end + 1;
    ++lineNumber;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (trimmed(line).empty()) continue;

    if (!log) {
      // Before the heading: our first line, or the heading itself.
      if (lineNumber == 1 && parseInfoLine(line, &info)) {
        ours = true;
        continue;
      }
      splitFields(line, fields);
      ChannelSet present;
      for (std::size_t i = 0; i < fields.size(); ++i) {
        std::string_view h = trimmed(fields[i]);
        if (h == kTimeHeading) {
          if (timeField) leftOut.emplace_back(h);
          else timeField = i;
        } else if (auto c = channelByHeading(h); c && !present.test(static_cast<std::size_t>(index(*c)))) {
          present.set(static_cast<std::size_t>(index(*c)));
          columns.push_back({*c, i});
        } else if (!h.empty()) {
          leftOut.emplace_back(h);
        }
      }
      if (!timeField || columns.empty()) return refuse(ReadProblem::kNoHeading, lineNumber);
      needed = *timeField;
      for (const Column& c : columns) needed = std::max(needed, c.field);
      log.emplace(present);
      log->info = info;
      log->reserve(text.size() / (line.size() / 2 + 8));
      continue;
    }

    if (lastUnterminated && ours) {
      // Our recorder ends every row: this one was cut off by a crash, and
      // even if it parses, its last number may have lost digits.
      cutShort = true;
      break;
    }
    splitFields(line, fields);
    Sample s;
    ReadResult problem;
    if (fields.size() <= needed) {
      problem = refuse(ReadProblem::kMissingFields, lineNumber);
    } else if (!number(fields[*timeField], &s.tMs)) {
      problem = refuse(ReadProblem::kNotANumber, lineNumber, std::string(kTimeHeading));
    } else if (s.tMs < previousMs) {
      problem = refuse(ReadProblem::kTimeBackwards, lineNumber);
    } else {
      for (const Column& c : columns) {
        const Channel& ch = channel(c.channel);
        std::int32_t v = 0;
        if (!number(fields[c.field], &v)) {
          problem = refuse(ReadProblem::kNotANumber, lineNumber, heading(c.channel));
          break;
        }
        if (v < ch.valueMin || v > ch.valueMax) {
          problem = refuse(ReadProblem::kOutOfRange, lineNumber, heading(c.channel));
          break;
        }
        s[c.channel] = v;
      }
    }
    if (problem.problem != ReadProblem::kNone) return problem;
    previousMs = s.tMs;
    log->append(s);
  }
  if (!log) return refuse(ReadProblem::kNoHeading, std::max(lineNumber, 1));
  ReadResult r;
  r.log = std::move(log);
  r.cutShort = cutShort;
  r.leftOut = std::move(leftOut);
  return r;
}

}  // namespace kelvo6::datalog
