// Appends production records as the end-of-line window does, for the tests
// that kill it with SIGKILL. Usage: records_writer FOLDER ROWS [--torn|--endless]
//   Writes sample units 0..ROWS-1, printing "written N" after each; then
//   --torn    leaves the first half of the next row in the file, as a power cut
//             during its write would, and prints "torn";
//   --endless goes on appending the next units until it is killed.
// Otherwise it prints "ready" and waits to be killed.

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "../records_sample.h"
#include "eol/records_file.h"

using namespace kelvo6::eol;

namespace {

void append(const std::string& folder, int i) {
  std::string error = appendRecord(folder, sample::unit(i));
  if (!error.empty()) {
    std::fprintf(stderr, "%s\n", error.c_str());
    std::exit(2);
  }
  std::printf("written %d\n", i + 1);
  std::fflush(stdout);
}

void leaveHalfARow(const std::string& folder, int i) {
  const UnitResult u = sample::unit(i);
  const std::string row = csvLine(recordFields(u));
  const std::string path = (std::filesystem::path(folder) / recordsFileName(u.dateTime)).string();
  int fd = ::open(path.c_str(), O_WRONLY | O_APPEND);
  if (fd < 0 || ::write(fd, row.data(), row.size() / 2) < 0) std::exit(3);
  ::fsync(fd);
  std::printf("torn\n");
  std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) return 1;
  const std::string folder = argv[1];
  const int rows = std::atoi(argv[2]);
  const std::string mode = argc > 3 ? argv[3] : "";
  int i = 0;
  for (; i < rows; ++i) append(folder, i);
  if (mode == "--endless") {
    for (;; ++i) append(folder, i);
  }
  if (mode == "--torn") leaveHalfARow(folder, i);
  std::printf("ready\n");
  std::fflush(stdout);
  for (;;) ::pause();
}
