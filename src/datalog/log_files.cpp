#include "datalog/log_files.h"

#include <filesystem>
#include <system_error>

namespace kelvo6::datalog {

namespace fs = std::filesystem;

std::string logsFolder(const char* home) {
  std::string base = home && *home ? home : ".";
  return base + "/TAVRIN_IE/Logs";
}

bool makeFolder(const std::string& folder, std::string* error) {
  std::error_code ec;
  fs::create_directories(folder, ec);
  if (!ec && fs::is_directory(folder, ec)) return true;
  if (error) *error = ec ? ec.message() : "not a folder";
  return false;
}

std::string newLogPath(const std::string& folder, std::time_t t) {
  std::tm local{};
  localtime_r(&t, &local);
  char stem[32];
  std::strftime(stem, sizeof stem, "%Y-%m-%d_%H-%M-%S", &local);
  std::string path = folder + "/" + stem + ".csv";
  std::error_code ec;
  for (int n = 2; fs::exists(path, ec) && n < 1000; ++n) path = folder + "/" + stem + "-" + std::to_string(n) + ".csv";
  return path;
}

std::string isoTime(std::time_t t) {
  std::tm local{};
  localtime_r(&t, &local);
  char text[40];
  std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S%z", &local);
  std::string s = text;  // +0200 -> +02:00
  if (s.size() >= 5) s.insert(s.size() - 2, ":");
  return s;
}

}  // namespace kelvo6::datalog
