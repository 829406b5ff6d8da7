#pragma once
// The history's own thread: what the program records is queued and stored
// there, so the line's timing never waits on the database. A record that could
// not be stored stays queued (in order) and is tried again; with a server, it
// waits in the station's own file instead (`spool`, also across restarts) and
// is forwarded, oldest first, once the server answers. Reads wait for the
// thread and answer with the reason when the database is not usable.

#include <chrono>
#include <condition_variable>
#include <optional>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <variant>

#include "history/location.h"
#include "history/store.h"

namespace kelvo6::history {

// How long a refused database rests before it is tried again.
constexpr int kRetryMs = 5000;

class Service {
 public:
  using Record = std::variant<Snapshot, WriteEntry, EolResult>;

  // Starts the thread, which opens the database at once.
  explicit Service(Location location, int retryMs = kRetryMs, std::optional<Location> spool = std::nullopt);
  ~Service();  // stores what it can of the queue, then stops
  Service(const Service&) = delete;
  Service& operator=(const Service&) = delete;

  void record(Record record);
  // Runs `job` on the history's thread with the open store and waits for it;
  // false with the reason when the database is not open.
  bool run(const std::function<void(Store&)>& job, std::string* error);
  // Runs `job` on the history's thread, without waiting, once everything
  // recorded before it is on the database (so it sees those rows).
  void afterStored(std::function<void(Store&)> job);
  // Waits until the queue is empty or the database refuses its first record.
  void flush();
  // Waits until every queued record is stored, retries included; false when
  // some still wait after `timeoutMs`.
  bool waitUntilStored(int timeoutMs);

  // Records not stored yet (in memory or in the station's file), and the last
  // problem ("" while all is well).
  int waiting() const;
  std::string problem() const;
  const Location& location() const { return location_; }

 private:
  void loop();
  bool ensureOpen(std::string* error);
  bool store(const Record& r, std::string* error);
  bool ensureSpool(std::string* error);
  bool spoolRecord(const Record& r, std::string* error);
  // Sends what waits in the station's file to the server, taking out each row it has.
  bool forwardSpool(std::string* error);
  void spoolForwarded();

  Location location_;
  const int retryMs_;
  mutable std::mutex mutex_;
  std::condition_variable wake_, idle_;
  std::deque<Record> queue_;
  std::deque<std::function<void()>> jobs_;
  std::deque<std::function<void(Store&)>> afterStored_;  // the front leaves once it has run
  std::string problem_;
  bool stuck_ = false;  // the head of the queue was refused; waiting to retry
  bool stop_ = false;
  std::chrono::steady_clock::time_point retryAt_;
  std::optional<Location> spool_;
  int spoolCount_ = 0;        // rows waiting in the station's file
  bool spoolBroken_ = false;  // the station's file refused a row too
  std::unique_ptr<class SqlStore> store_;  // used on the thread only
  std::unique_ptr<class SqlStore> spoolStore_;
  std::thread thread_;
};

}  // namespace kelvo6::history
