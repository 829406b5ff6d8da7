#include "datalog/log_writer.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>

#include "datalog/csv_format.h"
#include "core/file_io.h"

namespace kelvo6::datalog {

std::unique_ptr<LogWriter> LogWriter::start(const std::string& path, const LogInfo& info, const ChannelSet& channels,
                                            std::string* error) {
  int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_APPEND | O_CLOEXEC, 0644);
  if (fd < 0 && errno == EEXIST && path.rfind("/dev/", 0) == 0)
    fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC);  // a device given on purpose
  if (fd < 0) {
    if (error) *error = std::strerror(errno);
    return nullptr;
  }
  std::vector<Ch> columns = columnsOf(channels);
  std::string head = std::string(kUtf8Mark) + infoLine(info) + headingLine(columns);
  return std::unique_ptr<LogWriter>(new LogWriter(fd, path, std::move(head), std::move(columns)));
}

LogWriter::LogWriter(int fd, std::string path, std::string head, std::vector<Ch> columns)
    : fd_(fd), path_(std::move(path)), columns_(std::move(columns)), head_(std::move(head)) {
  thread_ = std::thread([this] { run(); });
}

LogWriter::~LogWriter() { stop(); }

void LogWriter::append(const Sample& s) {
  {
    std::lock_guard lock(mutex_);
    if (stopping_ || failed_) return;
    queue_.push_back(s);
  }
  wake_.notify_one();
}

void LogWriter::stop() {
  {
    std::lock_guard lock(mutex_);
    if (stopping_ && !thread_.joinable()) return;
    stopping_ = true;
  }
  wake_.notify_one();
  if (thread_.joinable()) thread_.join();
  if (fd_ >= 0) {
    ::close(fd_);
    fd_ = -1;
  }
}

void LogWriter::waitIdle() {
  std::unique_lock lock(mutex_);
  idle_.wait(lock, [this] { return (queue_.empty() && !busy_) || failed_ || !thread_.joinable(); });
}

std::string LogWriter::error() const {
  std::lock_guard lock(mutex_);
  return error_;
}

bool LogWriter::writeOut(std::string& buffer) {
  if (!core::writeAll(fd_, buffer)) {
    std::lock_guard lock(mutex_);
    error_ = errno != 0 ? std::strerror(errno) : "nothing written";
    failed_ = true;
    return false;
  }
  bytes_ += static_cast<std::uint64_t>(buffer.size());
  buffer.clear();
  // Onto the disk as well, so a power cut keeps it too; devices that cannot
  // sync (a pipe, /dev/null) are fine as they are.
  if (::fdatasync(fd_) != 0 && errno != EINVAL && errno != EROFS) {
    std::lock_guard lock(mutex_);
    error_ = std::strerror(errno);
    failed_ = true;
    return false;
  }
  return true;
}

void LogWriter::run() {
  std::string buffer = head_;
  if (!writeOut(buffer)) {
    idle_.notify_all();
    return;
  }
  std::int64_t lastFlushMs = 0;
  std::vector<Sample> batch;
  std::unique_lock lock(mutex_);
  while (true) {
    bool woken = wake_.wait_for(lock, std::chrono::seconds(1), [this] { return stopping_ || !queue_.empty(); });
    batch.assign(queue_.begin(), queue_.end());
    queue_.clear();
    bool stopping = stopping_;
    busy_ = true;
    lock.unlock();
    bool ok = true;
    for (const Sample& s : batch) {
      appendRow(buffer, s, columns_);
      if (flushDue(s.tMs, lastFlushMs)) {
        ok = writeOut(buffer);
        lastFlushMs = s.tMs;
        if (!ok) break;
      }
    }
    // A quiet second (the line went silent) or the end: out with the rest.
    if (ok && (!woken || stopping) && !buffer.empty()) ok = writeOut(buffer);
    lock.lock();
    busy_ = false;
    idle_.notify_all();
    if (!ok || stopping) break;
  }
  queue_.clear();
}

}  // namespace kelvo6::datalog
