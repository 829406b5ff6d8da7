#pragma once
// Samples kept in columns: the times and, for each channel present, its
// values. The oscilloscope fills one live; the reader fills one from a file.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "datalog/channels.h"

namespace kelvo6::datalog {

// What the first line of a log says about the recording.
struct LogInfo {
  std::string program;     // program version
  std::string ecuVersion;  // "2.5.3", or "" when not connected
  std::string port;        // device and line settings
  std::string started;     // ISO 8601 with the UTC offset
  std::string source;      // the window that recorded
  std::optional<std::array<int, 8>> rpmAxis, tinjAxis;  // the KGB table's axes
  // Change-over speed and temperature (parameters 12 and 13), which some
  // operating state texts name.
  std::optional<int> switchRpm, switchTemperature;
};

class LogData {
 public:
  explicit LogData(ChannelSet present = {}) : present_(present) {}

  void append(const Sample& s);
  void reserve(std::size_t rows);
  void clear();

  const ChannelSet& present() const { return present_; }
  bool has(Ch c) const { return present_.test(static_cast<std::size_t>(index(c))); }
  std::size_t size() const { return times_.size(); }
  bool empty() const { return times_.empty(); }
  const std::vector<std::int64_t>& times() const { return times_; }
  // Values of a present channel, one per time; empty for an absent one.
  const std::vector<std::int32_t>& values(Ch c) const { return columns_[static_cast<std::size_t>(index(c))]; }
  std::int64_t firstMs() const { return times_.empty() ? 0 : times_.front(); }
  std::int64_t lastMs() const { return times_.empty() ? 0 : times_.back(); }
  // The last sample at or before `tMs` (the first one when `tMs` is earlier).
  std::optional<std::size_t> indexAt(std::int64_t tMs) const;

  LogInfo info;

 private:
  ChannelSet present_;
  std::vector<std::int64_t> times_;
  std::array<std::vector<std::int32_t>, kChannelCount> columns_;
};

}  // namespace kelvo6::datalog
