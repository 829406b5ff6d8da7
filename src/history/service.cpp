#include "history/service.h"

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

Service::Service(Location location, int retryMs) : location_(std::move(location)), retryMs_(retryMs) {
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
  idle_.wait(lock, [this] { return (queue_.empty() && jobs_.empty()) || stuck_; });
}

bool Service::waitUntilStored(int timeoutMs) {
  std::unique_lock lock(mutex_);
  return idle_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [this] { return queue_.empty() && jobs_.empty(); });
}

int Service::waiting() const {
  std::lock_guard lock(mutex_);
  return static_cast<int>(queue_.size());
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

bool Service::store(const Record& r, std::string* error) {
  if (!ensureOpen(error)) return false;
  return std::visit(
      [&](const auto& v) {
        using T = std::decay_t<decltype(v)>;
        if constexpr (std::is_same_v<T, Snapshot>) return store_->addSnapshot(v, error);
        else if constexpr (std::is_same_v<T, WriteEntry>) return store_->addWrite(v, error);
        else return store_->addEolResult(v, error);
      },
      r);
}

void Service::loop() {
  std::unique_lock lock(mutex_);
  {
    lock.unlock();
    std::string error;
    const bool opened = ensureOpen(&error);
    lock.lock();
    problem_ = opened ? std::string() : error;
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
    if (!queue_.empty() && !stuck_) {
      Record head = queue_.front();
      lock.unlock();
      std::string error;
      const bool stored = store(head, &error);
      if (!stored && store_ && !store_->isOpen()) store_.reset();
      lock.lock();
      if (stored) {
        queue_.pop_front();
        problem_.clear();
      } else {
        // Kept at the head, in order, and tried again later; a connection
        // that went away is opened anew then.
        problem_ = error;
        stuck_ = true;
        store_.reset();
      }
      idle_.notify_all();
      continue;
    }
    if (stop_) break;
    idle_.notify_all();
    if (stuck_) {
      wake_.wait_for(lock, std::chrono::milliseconds(retryMs_), [this] { return stop_ || !jobs_.empty(); });
      if (!stop_) stuck_ = false;
      else break;
    } else {
      wake_.wait(lock, [this] { return stop_ || !jobs_.empty() || !queue_.empty(); });
    }
  }
  // Last attempt at what is still queued when the program ends.
  if (stuck_ && !queue_.empty()) {
    stuck_ = false;
    while (!queue_.empty()) {
      Record head = queue_.front();
      lock.unlock();
      std::string error;
      const bool stored = store(head, &error);
      lock.lock();
      if (!stored) break;
      queue_.pop_front();
    }
  }
  lock.unlock();
  store_.reset();
}

}  // namespace kelvo6::history
