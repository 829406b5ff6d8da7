#include "sim/true_map.h"
#include "core/file_io.h"

#include <cerrno>
#include <cstdlib>
#include <sstream>

namespace kelvo6::sim {

namespace {

// Rows of the TINJ axis from the shortest time; engine speed rises to the right.
constexpr std::array<int, 64> kBuiltIn{
    108, 109, 111, 112, 113, 113, 114, 115,  //
    107, 108, 110, 111, 111, 112, 113, 114,  //
    106, 107, 108, 109, 110, 111, 112, 113,  //
    105, 106, 107, 107, 108, 109, 111, 112,  //
    104, 105, 105, 106, 106, 108, 110, 111,  //
    103, 104, 104, 105, 106, 107, 108, 110,  //
    102, 103, 103, 104, 105, 106, 107, 109,  //
    100, 101, 102, 103, 104, 105, 106, 108,
};

constexpr int kLowest = 1, kHighest = 255;

}  // namespace

TrueMap TrueMap::builtIn() {
  TrueMap m;
  m.values_ = kBuiltIn;
  return m;
}

TrueMap TrueMap::flat(int kgb) {
  TrueMap m;
  m.values_.fill(kgb);
  return m;
}

std::optional<TrueMap> TrueMap::parse(const std::string& text, std::string* error) {
  auto fail = [&](int line, const std::string& why) -> std::optional<TrueMap> {
    if (error) *error = "line " + std::to_string(line) + ": " + why;
    return std::nullopt;
  };
  TrueMap m;
  std::size_t count = 0;
  std::istringstream in(text);
  std::string line;
  int number = 0;
  while (std::getline(in, line)) {
    ++number;
    line = line.substr(0, line.find('#'));
    for (char& ch : line)
      if (ch == ',' || ch == ';' || ch == '\t' || ch == '\r') ch = ' ';
    std::istringstream words(line);
    std::string word;
    while (words >> word) {
      errno = 0;
      char* end = nullptr;
      long v = std::strtol(word.c_str(), &end, 10);
      if (*end != '\0' || errno != 0) return fail(number, "\"" + word + "\" is not a whole number");
      if (v < kLowest || v > kHighest)
        return fail(number, word + " is not a coefficient from " + std::to_string(kLowest) + " to " +
                                std::to_string(kHighest));
      if (count == m.values_.size()) return fail(number, "more than 64 values");
      m.values_[count++] = static_cast<int>(v);
    }
  }
  if (count < m.values_.size())
    return fail(number, "the file ends after " + std::to_string(count) + " values; 64 are needed");
  return m;
}

std::optional<TrueMap> TrueMap::load(const std::string& path, std::string* error) {
  auto text = core::readTextFile(path, error);
  if (!text) return std::nullopt;
  return parse(*text, error);
}

}  // namespace kelvo6::sim
