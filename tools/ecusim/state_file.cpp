#include "state_file.h"

#include <cstdio>
#include <fstream>

namespace kelvo6::ecusim {

bool writeStateFile(const std::string& path, const sim::Ecu& ecu) {
  const std::string temporary = path + ".tmp";
  {
    std::ofstream out(temporary, std::ios::trunc);
    if (!out) return false;
    for (int n = 1; n <= 62; ++n) out << "param " << n << ' ' << ecu.param(n) << '\n';
    for (int n = 1; n <= 64; ++n) out << "cell " << n << ' ' << ecu.cell(n) << '\n';
    for (const sim::WriteRecord& w : ecu.writes())
      out << "write " << (w.cell ? "cell " : "param ") << w.number << ' ' << w.value << '\n';
    if (!out.flush()) return false;
  }
  return std::rename(temporary.c_str(), path.c_str()) == 0;
}

}  // namespace kelvo6::ecusim
