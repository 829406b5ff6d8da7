#include "history/service.h"

#include <QFileInfo>
#include <QString>
#include <atomic>
#include <chrono>
#include <future>

#include "history/sql_store.h"

namespace kelvo6::history {

namespace {
QString newConnectionName() {
  static std::atomic<int> next{0};
  return QStringLiteral("kelvo6-history-%1").arg(++next);
}
}  // namespace

Service::Service(Location location, int retryMs, std::optional<Location> spool)
    : location_(std::move(location)), retryMs_(retryMs), spool_(std::move(spool)) {
  thread_ = std::thread([this] { loop(); });
}

Service::~Service() {
  {
    std::lock_guard lock(mutex_);
    stop_ = true;
  }
  wake_.notify_all();
  thread_.join();
}

void Service::record(Record record) {
  {
    std::lock_guard lock(mutex_);
    queue_.push_back(std::move(record));
  }
  wake_.notify_all();
}

void Service::afterStored(std::function<void(Store&)> job) {
  {
    std::lock_guard lock(mutex_);
    afterStored_.push_back(std::move(job));
  }
  wake_.notify_all();
}

bool Service::run(const std::function<void(Store&)>& job, std::string* error) {
  std::promise<bool> done;
  std::string reason;
  {
    std::lock_guard lock(mutex_);
    jobs_.push_back([&] {
      if (!ensureOpen(&reason)) return done.set_value(false);
      job(*store_);
      done.set_value(true);
    });
  }
  wake_.notify_all();
  const bool ok = done.get_future().get();
  if (!ok && error) *error = reason;
  return ok;
}

void Service::flush() {
  std::unique_lock lock(mutex_);
  idle_.wait(lock, [this] {
    if (!jobs_.empty()) return false;
    if (!queue_.empty()) return stuck_ && (!spool_ || spoolBroken_);
    return (spoolCount_ == 0 && afterStored_.empty()) || stuck_;
  });
}

bool Service::waitUntilStored(int timeoutMs) {
  std::unique_lock lock(mutex_);
  return idle_.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                        [this] { return queue_.empty() && jobs_.empty() && spoolCount_ == 0; });
}

int Service::waiting() const {
  std::lock_guard lock(mutex_);
  return static_cast<int>(queue_.size()) + spoolCount_;
}

std::string Service::problem() const {
  std::lock_guard lock(mutex_);
  return problem_;
}

bool Service::ensureOpen(std::string* error) {
  if (store_ && store_->isOpen()) return true;
  store_ = std::make_unique<SqlStore>(newConnectionName());
  if (store_->open(location_, error)) return true;
  store_.reset();
  return false;
}

bool Service::ensureSpool(std::string* error) {
  if (spoolStore_ && spoolStore_->isOpen()) return true;
  spoolStore_ = std::make_unique<SqlStore>(newConnectionName());
  if (spoolStore_->open(*spool_, error)) return true;
  spoolStore_.reset();
  return false;
}

namespace {
bool storeInto(SqlStore& target, const Service::Record& r, std::string* error) {
  return std::visit(
      [&](const auto& v) {
        using T = std::decay_t<decltype(v)>;
        if constexpr (std::is_same_v<T, Snapshot>) return target.addSnapshot(v, error);
        else if constexpr (std::is_same_v<T, WriteEntry>) return target.addWrite(v, error);
        else return target.addEolResult(v, error);
      },
      r);
}
}  // namespace

bool Service::store(const Record& r, std::string* error) {
  return ensureOpen(error) && storeInto(*store_, r, error);
}

bool Service::spoolRecord(const Record& r, std::string* error) {
  return ensureSpool(error) && storeInto(*spoolStore_, r, error);
}

void Service::spoolForwarded() {
  std::lock_guard lock(mutex_);
  if (spoolCount_ > 0) --spoolCount_;
}

bool Service::forwardSpool(std::string* error) {
  if (!ensureSpool(error) || !ensureOpen(error)) return false;
  using Kind = SqlStore::Kind;
  // Restore points first, oldest first; then the writes and the results. The
  // server keeps a key once, so a row sent again after a break is no double.
  auto points = spoolStore_->snapshots({}, error);
  if (!points) return false;
  for (auto it = points->rbegin(); it != points->rend(); ++it) {
    auto s = spoolStore_->snapshot(it->key, error);
    if (!s || !store_->addSnapshot(*s, error) || !spoolStore_->remove(Kind::kSnapshot, s->key, error)) return false;
    spoolForwarded();
  }
  auto writes = spoolStore_->allWrites(error);
  if (!writes) return false;
  for (const WriteEntry& w : *writes) {
    if (!store_->addWrite(w, error) || !spoolStore_->remove(Kind::kWrite, w.key, error)) return false;
    spoolForwarded();
  }
  auto results = spoolStore_->eolResults(error);
  if (!results) return false;
  for (const EolResult& r : *results) {
    if (!store_->addEolResult(r, error) || !spoolStore_->remove(Kind::kEolResult, r.key, error)) return false;
    spoolForwarded();
  }
  std::lock_guard lock(mutex_);
  spoolCount_ = spoolStore_->rowCount();
  return true;
}

void Service::loop() {
  std::string error;
  const bool spoolOpened = spool_ && QFileInfo::exists(QString::fromStdString(spool_->file)) && ensureSpool(&error);
  const int waitingInFile = spoolOpened ? spoolStore_->rowCount() : 0;
  const bool opened = ensureOpen(&error);
  std::unique_lock lock(mutex_);
  spoolCount_ = waitingInFile;
  problem_ = opened ? std::string() : error;
  if (!opened) {
    stuck_ = true;
    retryAt_ = std::chrono::steady_clock::now() + std::chrono::milliseconds(retryMs_);
  }
  for (;;) {
    if (!jobs_.empty()) {
      auto job = std::move(jobs_.front());
      jobs_.pop_front();
      lock.unlock();
      job();
      lock.lock();
      idle_.notify_all();
      continue;
    }
    if (!stuck_ && (!queue_.empty() || spoolCount_ > 0)) {
      const bool forward = spoolCount_ > 0;
      std::optional<Record> head;
      if (!queue_.empty()) head = queue_.front();
      lock.unlock();
      std::string why;
      bool stored = !forward || forwardSpool(&why);
      if (stored && head) stored = store(*head, &why);
      lock.lock();
      if (stored) {
        if (head) queue_.pop_front();
        problem_.clear();
      } else {
        // Kept in order and tried again later; a connection that went away
        // is opened anew then.
        problem_ = why;
        stuck_ = true;
        spoolBroken_ = false;
        retryAt_ = std::chrono::steady_clock::now() + std::chrono::milliseconds(retryMs_);
        lock.unlock();
        store_.reset();
        lock.lock();
      }
      idle_.notify_all();
      continue;
    }
    if (!stuck_ && !afterStored_.empty()) {
      const auto job = afterStored_.front();
      lock.unlock();
      std::string why;
      if (ensureOpen(&why)) job(*store_);
      lock.lock();
      afterStored_.pop_front();
      idle_.notify_all();
      continue;
    }
    if (stuck_ && spool_ && !spoolBroken_ && !queue_.empty()) {
      // The server is away: the record waits in the station's own file.
      Record head = queue_.front();
      lock.unlock();
      std::string why;
      const bool spooled = spoolRecord(head, &why);
      lock.lock();
      if (spooled) {
        queue_.pop_front();
        ++spoolCount_;
      } else {
        spoolBroken_ = true;
        problem_ += "; " + why;
      }
      idle_.notify_all();
      continue;
    }
    if (stop_) break;
    idle_.notify_all();
    if (stuck_) {
      wake_.wait_until(lock, retryAt_, [this] {
        return stop_ || !jobs_.empty() || (spool_ && !spoolBroken_ && !queue_.empty());
      });
      if (std::chrono::steady_clock::now() >= retryAt_) stuck_ = false;
    } else {
      wake_.wait(lock, [this] { return stop_ || !jobs_.empty() || !queue_.empty() || !afterStored_.empty(); });
    }
  }
  // Ending: what is still queued goes to the station's file, or is tried
  // once more on the database itself.
  while (!queue_.empty()) {
    Record head = queue_.front();
    lock.unlock();
    std::string why;
    const bool kept = spool_ ? spoolRecord(head, &why) : store(head, &why);
    lock.lock();
    if (!kept) break;
    queue_.pop_front();
  }
  lock.unlock();
  store_.reset();
  spoolStore_.reset();
}

}  // namespace kelvo6::history
