#pragma once
// Writes a log file from a thread of its own, so that the window that records
// never waits for the disk. Rows are flushed to the file (and to the disk) at
// least once a second of recording, when the recording stops, and after a
// second without samples, so a crash or a pulled cable loses at most the last
// second. A write that fails (disk full, device gone) stops the writer; what
// was written stays.

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "datalog/log_data.h"

namespace kelvo6::datalog {

// True when the rows held since the last flush must go to the file now: the
// sample is a second or more past the last flush.
constexpr bool flushDue(std::int64_t sampleMs, std::int64_t lastFlushMs) { return sampleMs - lastFlushMs >= 1000; }

class LogWriter {
 public:
  // Creates `path` (it must not exist) and starts the writer; nullptr with the
  // system's reason when the file cannot be created.
  static std::unique_ptr<LogWriter> start(const std::string& path, const LogInfo& info, const ChannelSet& channels,
                                          std::string* error);
  ~LogWriter();
  LogWriter(const LogWriter&) = delete;
  LogWriter& operator=(const LogWriter&) = delete;

  // Queues a sample (time in ms since the start); never waits for the disk.
  void append(const Sample& s);
  // Writes what is queued, flushes and closes the file. Idempotent.
  void stop();
  // Waits until every queued sample has been formatted (for tests).
  void waitIdle();

  const std::string& path() const { return path_; }
  std::uint64_t bytesWritten() const { return bytes_.load(); }
  // The system's reason when a write failed; empty while all is well.
  std::string error() const;
  bool failed() const { return failed_.load(); }

 private:
  LogWriter(int fd, std::string path, std::string head, std::vector<Ch> columns);
  void run();
  bool writeOut(std::string& buffer);

  int fd_;
  std::string path_;
  std::vector<Ch> columns_;
  std::string head_;

  mutable std::mutex mutex_;
  std::condition_variable wake_, idle_;
  std::deque<Sample> queue_;
  bool stopping_ = false;
  bool busy_ = false;
  std::string error_;
  std::atomic<bool> failed_{false};
  std::atomic<std::uint64_t> bytes_{0};
  std::thread thread_;
};

}  // namespace kelvo6::datalog
