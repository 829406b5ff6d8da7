#include "datalog/log_data.h"

#include <algorithm>

namespace kelvo6::datalog {

void LogData::append(const Sample& s) {
  times_.push_back(s.tMs);
  for (int c = 0; c < kChannelCount; ++c)
    if (present_.test(static_cast<std::size_t>(c)))
      columns_[static_cast<std::size_t>(c)].push_back(s.v[static_cast<std::size_t>(c)]);
}

void LogData::reserve(std::size_t rows) {
  times_.reserve(rows);
  for (int c = 0; c < kChannelCount; ++c)
    if (present_.test(static_cast<std::size_t>(c))) columns_[static_cast<std::size_t>(c)].reserve(rows);
}

void LogData::clear() {
  times_.clear();
  for (auto& column : columns_) column.clear();
}

std::optional<std::size_t> LogData::indexAt(std::int64_t tMs) const {
  if (times_.empty()) return std::nullopt;
  auto it = std::upper_bound(times_.begin(), times_.end(), tMs);
  if (it == times_.begin()) return 0;
  return static_cast<std::size_t>(it - times_.begin() - 1);
}

}  // namespace kelvo6::datalog
