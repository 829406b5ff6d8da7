#pragma once
// The KGB the simulated car really needs, cell by cell: the coefficient at
// which the gas mixture matches petrol at each operating point. A well
// calibrated table equals it; where the table differs, the car's own engine
// computer trims its injection time on gas.

#include <array>
#include <optional>
#include <string>

#include "sim/memory.h"

namespace kelvo6::sim {

class TrueMap {
 public:
  // A plausible car: richer need at low load and at high speed, 100 to 115.
  static TrueMap builtIn();
  // The same need everywhere.
  static TrueMap flat(int kgb);
  // 64 whole numbers 1..255 in cell order (cell 1 first: the shortest petrol
  // injection time, engine speed rising along each row), separated by blanks,
  // commas or semicolons, in any number of lines; '#' starts a comment. On a
  // bad file: nullopt and a message that names the line.
  static std::optional<TrueMap> parse(const std::string& text, std::string* error);
  static std::optional<TrueMap> load(const std::string& path, std::string* error);

  int cell(int number) const { return values_.at(static_cast<std::size_t>(number - 1)); }
  // The value at the cell the operating point falls in, on the ECU's axes.
  int at(int rpm, int injectionTime, const EcuMemory& memory) const { return cell(memory.cellAt(rpm, injectionTime)); }
  bool operator==(const TrueMap&) const = default;

 private:
  std::array<int, 64> values_{};
};

}  // namespace kelvo6::sim
