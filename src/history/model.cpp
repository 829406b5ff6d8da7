#include "history/model.h"

#include <chrono>
#include <cstdio>
#include <ctime>
#include <random>

namespace kelvo6::history {

std::string itemName(bool cell, int number) { return (cell ? "C" : "P") + std::to_string(number); }

bool parseItem(const std::string& item, bool* cell, int* number) {
  if (item.size() < 2 || item.size() > 3 || (item[0] != 'P' && item[0] != 'C')) return false;
  int n = 0;
  for (std::size_t i = 1; i < item.size(); ++i) {
    if (item[i] < '0' || item[i] > '9') return false;
    n = n * 10 + (item[i] - '0');
  }
  const bool isCell = item[0] == 'C';
  if (n < 1 || n > (isCell ? kSnapshotCells : kSnapshotParams)) return false;
  *cell = isCell;
  *number = n;
  return true;
}

std::string makeKey(const std::string& station) {
  static thread_local std::mt19937_64 random{std::random_device{}()};
  char tail[17];
  std::snprintf(tail, sizeof tail, "%016llx", static_cast<unsigned long long>(random()));
  return station + "-" + std::to_string(nowMillis()) + "-" + tail;
}

Millis nowMillis() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
}

std::string isoTime(Millis t) {
  std::time_t seconds = static_cast<std::time_t>(t / 1000);
  int ms = static_cast<int>(t % 1000);
  if (ms < 0) {
    ms += 1000;
    --seconds;
  }
  std::tm utc{};
  gmtime_r(&seconds, &utc);
  char text[64];
  std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d.%03dZ", utc.tm_year + 1900, utc.tm_mon + 1,
                utc.tm_mday, utc.tm_hour, utc.tm_min, utc.tm_sec, ms);
  return text;
}

std::optional<Millis> parseIsoTime(const std::string& text) {
  std::tm utc{};
  int ms = 0;
  if (std::sscanf(text.c_str(), "%4d-%2d-%2dT%2d:%2d:%2d.%3d", &utc.tm_year, &utc.tm_mon, &utc.tm_mday, &utc.tm_hour,
                  &utc.tm_min, &utc.tm_sec, &ms) != 7)
    return std::nullopt;
  utc.tm_year -= 1900;
  utc.tm_mon -= 1;
  return static_cast<Millis>(timegm(&utc)) * 1000 + ms;
}

}  // namespace kelvo6::history
