// Legacy .xls (BIFF) workbooks through FreeXL. FreeXL reads past its own
// buffers on some damaged files, so it runs in a child process: a fault there
// makes that one file unreadable instead of ending the program.

#include <freexl.h>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>

#include "platform/workbook.h"

namespace kelvo6::platform::workbook_detail {

namespace {

std::string freexlError(int code) {
  switch (code) {
    case FREEXL_FILE_NOT_FOUND: return "file not found";
    case FREEXL_INSUFFICIENT_MEMORY: return "not enough memory";
    case FREEXL_INVALID_CFBF_HEADER:
    case FREEXL_CFBF_READ_ERROR: return "damaged workbook (compound file)";
    default: return "damaged or unsupported .xls workbook (code " + std::to_string(code) + ")";
  }
}

// Closes the workbook whatever way the reading ends.
struct Handle {
  const void* h = nullptr;
  ~Handle() {
    if (h) freexl_close(h);
  }
};

WorkbookCell cellAt(const void* h, unsigned rows, unsigned short columns, CellAddress a) {
  WorkbookCell c;
  auto row = static_cast<unsigned>(a.row - 1);
  auto column = static_cast<unsigned short>(a.column - 1);
  if (row >= rows || column >= columns) return c;  // outside the used range: empty
  FreeXL_CellValue v{};
  if (freexl_get_cell_value(h, row, column, &v) != FREEXL_OK) {
    c.kind = WorkbookCell::Kind::kError;
    c.text = "unreadable cell";
    return c;
  }
  switch (v.type) {
    case FREEXL_CELL_INT:
      c.kind = WorkbookCell::Kind::kNumber;
      c.number = v.value.int_value;
      break;
    case FREEXL_CELL_DOUBLE:
      c.kind = WorkbookCell::Kind::kNumber;
      c.number = v.value.double_value;
      break;
    case FREEXL_CELL_TEXT:
    case FREEXL_CELL_SST_TEXT:
      c.kind = WorkbookCell::Kind::kText;
      c.text = v.value.text_value ? v.value.text_value : "";
      break;
    case FREEXL_CELL_DATE:
    case FREEXL_CELL_DATETIME:
    case FREEXL_CELL_TIME:
      c.kind = WorkbookCell::Kind::kError;
      c.text = std::string("a date or time ") + (v.value.text_value ? v.value.text_value : "");
      break;
    default: break;  // empty
  }
  return c;
}

WorkbookReadResult readInThisProcess(const std::string& path) {
  WorkbookReadResult result;
  Handle handle;
  int rc = freexl_open(path.c_str(), &handle.h);
  if (rc != FREEXL_OK) {
    handle.h = nullptr;  // FreeXL releases what it opened when it fails
    result.error = freexlError(rc);
    return result;
  }
  unsigned int info = 0;
  if (freexl_get_info(handle.h, FREEXL_BIFF_PASSWORD, &info) == FREEXL_OK && info == FREEXL_BIFF_OBFUSCATED) {
    result.error = "the workbook is password protected";
    return result;
  }
  unsigned int sheets = 0;
  if (freexl_get_info(handle.h, FREEXL_BIFF_SHEET_COUNT, &sheets) != FREEXL_OK || sheets == 0) {
    result.error = "the workbook has no worksheet";
    return result;
  }
  if ((rc = freexl_select_active_worksheet(handle.h, 0)) != FREEXL_OK) {
    result.error = freexlError(rc);
    return result;
  }
  unsigned int rows = 0;
  unsigned short columns = 0;
  if ((rc = freexl_worksheet_dimensions(handle.h, &rows, &columns)) != FREEXL_OK) {
    result.error = freexlError(rc);
    return result;
  }
  for (int n = 1; n <= kWorkbookParams; ++n)
    result.sheet.params[static_cast<std::size_t>(n - 1)] = cellAt(handle.h, rows, columns, parameterAddress(n));
  for (int n = 1; n <= kWorkbookCells; ++n)
    result.sheet.cells[static_cast<std::size_t>(n - 1)] = cellAt(handle.h, rows, columns, tableCellAddress(n));
  result.ok = true;
  return result;
}

// The child's answer on the pipe: ok flag, error, then every cell as kind,
// number and text, texts and the error prefixed by their length.
void putText(std::string& out, const std::string& t) {
  auto n = static_cast<std::uint32_t>(t.size());
  out.append(reinterpret_cast<const char*>(&n), sizeof n);
  out += t;
}
std::string encode(const WorkbookReadResult& r) {
  std::string out(1, r.ok ? '\1' : '\0');
  putText(out, r.error);
  auto putCell = [&](const WorkbookCell& c) {
    out += static_cast<char>(c.kind);
    out.append(reinterpret_cast<const char*>(&c.number), sizeof c.number);
    putText(out, c.text);
  };
  for (const WorkbookCell& c : r.sheet.params) putCell(c);
  for (const WorkbookCell& c : r.sheet.cells) putCell(c);
  return out;
}

struct Reader {
  const std::string& in;
  std::size_t at = 0;
  bool good = true;
  template <class T>
  T take() {
    T v{};
    if (in.size() - at < sizeof v) {
      good = false;
      return v;
    }
    std::memcpy(&v, in.data() + at, sizeof v);
    at += sizeof v;
    return v;
  }
  std::string text() {
    auto n = take<std::uint32_t>();
    if (!good || in.size() - at < n) {
      good = false;
      return {};
    }
    std::string t = in.substr(at, n);
    at += n;
    return t;
  }
};
bool decode(const std::string& bytes, WorkbookReadResult& r) {
  Reader in{bytes};
  r.ok = in.take<char>() == 1;
  r.error = in.text();
  auto takeCell = [&](WorkbookCell& c) {
    auto kind = in.take<unsigned char>();
    if (kind > static_cast<unsigned char>(WorkbookCell::Kind::kError)) in.good = false;
    c.kind = static_cast<WorkbookCell::Kind>(kind);
    c.number = in.take<double>();
    c.text = in.text();
  };
  for (WorkbookCell& c : r.sheet.params) takeCell(c);
  for (WorkbookCell& c : r.sheet.cells) takeCell(c);
  return in.good && in.at == bytes.size();
}

bool writeAll(int fd, const std::string& bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<std::size_t>(n);
  }
  return true;
}

}  // namespace

WorkbookReadResult readLegacyWorkbook(const std::string& path) {
  WorkbookReadResult result;
  int fds[2];
  if (::pipe(fds) != 0) {
    result.error = std::string("cannot read the .xls workbook: ") + std::strerror(errno);
    return result;
  }
  pid_t child = ::fork();
  if (child < 0) {
    ::close(fds[0]);
    ::close(fds[1]);
    result.error = std::string("cannot read the .xls workbook: ") + std::strerror(errno);
    return result;
  }
  if (child == 0) {
    ::close(fds[0]);
    // What FreeXL or a sanitizer might print about the file is no news for the
    // fitter: the parent reports the file as damaged.
    int null = ::open("/dev/null", O_WRONLY);
    if (null >= 0) ::dup2(null, STDERR_FILENO);
    bool sent = writeAll(fds[1], encode(readInThisProcess(path)));
    ::_exit(sent ? 0 : 1);
  }
  ::close(fds[1]);
  std::string answer;
  char buffer[4096];
  for (;;) {
    ssize_t n = ::read(fds[0], buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    answer.append(buffer, static_cast<std::size_t>(n));
  }
  ::close(fds[0]);
  int status = 0;
  while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0 || !decode(answer, result)) {
    result = {};
    result.error = "damaged or unsupported .xls workbook (the reader failed on it)";
  }
  return result;
}

}  // namespace kelvo6::platform::workbook_detail
