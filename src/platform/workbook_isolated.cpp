// Runs a workbook reader in a forked child process that hands the cells back
// over a pipe. The spreadsheet libraries fail hard on some damaged files
// (FreeXL reads past its own buffers, liborcus stops on an assertion): in the
// child such a fault makes that one file unreadable instead of ending the
// program.

#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdint>
#include <cstring>

#include "platform/workbook.h"
#include "core/file_io.h"

namespace kelvo6::platform::workbook_detail {

namespace {

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


}  // namespace

WorkbookReadResult readInChildProcess(const std::function<WorkbookReadResult()>& read, int timeoutMs) {
  WorkbookReadResult result;
  int fds[2];
  if (::pipe(fds) != 0) {
    result.error = std::string("cannot read the workbook: ") + std::strerror(errno);
    return result;
  }
  pid_t child = ::fork();
  if (child < 0) {
    ::close(fds[0]);
    ::close(fds[1]);
    result.error = std::string("cannot read the workbook: ") + std::strerror(errno);
    return result;
  }
  if (child == 0) {
    ::close(fds[0]);
    // What FreeXL or a sanitizer might print about the file is no news for the
    // fitter: the parent reports the file as damaged.
    int null = ::open("/dev/null", O_WRONLY);
    if (null >= 0) ::dup2(null, STDERR_FILENO);
    // A fault ends the child at once, without handlers the parent installed.
    for (int sig : {SIGABRT, SIGSEGV, SIGBUS, SIGFPE, SIGILL}) std::signal(sig, SIG_DFL);
    WorkbookReadResult answer;
    try {
      answer = read();
    } catch (const std::exception& e) {
      answer = {};
      answer.error = std::string("cannot read the file: ") + e.what();
    } catch (...) {
      answer = {};
      answer.error = "cannot read the file";
    }
    bool sent = core::writeAll(fds[1], encode(answer));
    ::_exit(sent ? 0 : 1);
  }
  ::close(fds[1]);
  // The child's answer, read until it closes the pipe or its time is up.
  std::string answer;
  char buffer[4096];
  using Clock = std::chrono::steady_clock;
  const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
  bool timedOut = false;
  for (;;) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    if (left <= 0) {
      timedOut = true;
      break;
    }
    pollfd p{fds[0], POLLIN, 0};
    int ready = ::poll(&p, 1, static_cast<int>(left));
    if (ready < 0 && errno == EINTR) continue;
    if (ready < 0) break;
    if (ready == 0) continue;  // the deadline is checked above
    ssize_t n = ::read(fds[0], buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    answer.append(buffer, static_cast<std::size_t>(n));
  }
  ::close(fds[0]);
  if (timedOut) ::kill(child, SIGKILL);
  int status = 0;
  while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  if (timedOut) {
    result = {};
    result.error = "the reader did not finish within " + std::to_string((timeoutMs + 999) / 1000) +
                   " s (damaged or unsupported workbook)";
  } else if (!WIFEXITED(status) || WEXITSTATUS(status) != 0 || !decode(answer, result)) {
    result = {};
    result.error = "damaged or unsupported workbook (the reader failed on it)";
  }
  return result;
}

}  // namespace kelvo6::platform::workbook_detail
