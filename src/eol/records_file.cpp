#include "eol/records_file.h"
#include "core/file_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace kelvo6::eol {

namespace {

std::string systemError(const std::string& what, const std::string& path) {
  return what + " " + path + ": " + std::strerror(errno);
}

// Closes the descriptor whatever way the append leaves.
struct Descriptor {
  int fd = -1;
  ~Descriptor() {
    if (fd >= 0) ::close(fd);
  }
};


// The new file's name must reach the disk too, or a power cut may lose it.
void syncFolderOf(const std::string& path) {
  std::string folder = std::filesystem::path(path).parent_path().string();
  Descriptor d{::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)};
  if (d.fd >= 0) ::fsync(d.fd);
}

std::string rollBack(int fd, off_t previousEnd, std::string error) {
  if (::ftruncate(fd, previousEnd) == 0) ::fsync(fd);
  return error;
}

bool isWholeRow(const std::vector<std::string>& fields, std::size_t columns) {
  if (fields.size() != columns) return false;
  // A row cut inside its last field would still count its columns right.
  return fields.back() == kPass || fields.back() == kFail;
}

}  // namespace

std::string recordsFileName(const std::string& dateTime) { return dateTime.substr(0, 10) + ".csv"; }

std::string appendLine(const std::string& path, const std::string& header, const std::string& row) {
  Descriptor d{::open(path.c_str(), O_RDWR | O_CREAT | O_APPEND | O_CLOEXEC, 0644)};
  if (d.fd < 0) return systemError("cannot open", path);
  struct stat st {};
  if (::fstat(d.fd, &st) != 0) return systemError("cannot examine", path);

  std::string bytes;
  if (st.st_size == 0) {
    bytes = header;
  } else {
    char last = '\n';
    if (::pread(d.fd, &last, 1, st.st_size - 1) != 1) return systemError("cannot read", path);
    if (last != '\n') bytes = "\n";  // a row torn by a crash stays a line of its own
  }
  bytes += row;
  // One write of the whole row: with O_APPEND it lands after everything that
  // is there, also when another program appends to the same day's file.
  // A row that did not reach the disk whole (a full disk, a size limit) is
  // cut back to the previous end of the file: never a torn row.
  if (!core::writeAll(d.fd, bytes)) return rollBack(d.fd, st.st_size, systemError("cannot write", path));
  if (::fsync(d.fd) != 0) return rollBack(d.fd, st.st_size, systemError("cannot flush", path));
  if (st.st_size == 0) syncFolderOf(path);
  return {};
}

std::string appendRecord(const std::string& folder, const UnitResult& unit) {
  std::error_code ec;
  std::filesystem::create_directories(folder, ec);
  if (ec) return "cannot create " + folder + ": " + ec.message();
  std::string path = (std::filesystem::path(folder) / recordsFileName(unit.dateTime)).string();
  return appendLine(path, csvLine(recordHeader()), csvLine(recordFields(unit)));
}

RecordsRead readRecords(const std::string& path) {
  RecordsRead r;
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    r.error = systemError("cannot open", path);
    return r;
  }
  std::stringstream whole;
  whole << in.rdbuf();
  const std::string text = whole.str();
  const std::vector<std::string> header = recordHeader();

  std::size_t start = 0;
  bool first = true;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    bool ended = end != std::string::npos;
    std::string_view line(text.data() + start, (ended ? end : text.size()) - start);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    start = ended ? end + 1 : text.size();
    std::vector<std::string> fields = splitCsvLine(line);
    if (ended && fields == header) {
      // A second header comes from two programs starting the same day's file.
      if (first) r.headerFirst = true;
    } else if (ended && isWholeRow(fields, header.size())) {
      r.rows.push_back(std::move(fields));
    } else {
      ++r.tornLines;
    }
    first = false;
  }
  return r;
}

}  // namespace kelvo6::eol
