#pragma once
// The history in a SQLite file or on a PostgreSQL server, through Qt SQL.
// One SqlStore is one connection and is used on the thread that opened it.

#include <QString>

#include "history/location.h"
#include "history/schema.h"
#include "history/store.h"

namespace kelvo6::history {

class SqlStore : public Store {
 public:
  // `connection` names the Qt SQL connection; unique per open store.
  explicit SqlStore(QString connection);
  ~SqlStore() override;
  SqlStore(const SqlStore&) = delete;
  SqlStore& operator=(const SqlStore&) = delete;

  // Opens the database and brings its schema up to `upToVersion` (0 = the
  // latest). Refuses a file that is not a database, a database of another
  // program, or one made by a newer version; the reason names the file or server.
  bool open(const Location& location, std::string* error, int upToVersion = 0);
  bool isOpen() const;
  void close();
  int schemaVersion();
  const Location& location() const { return location_; }

  bool addSnapshot(const Snapshot& snapshot, std::string* error) override;
  bool addWrite(const WriteEntry& write, std::string* error) override;
  bool addEolResult(const EolResult& result, std::string* error) override;
  bool setVehicle(const std::string& snapshotKey, const std::string& vehicle, std::string* error) override;
  std::optional<std::vector<SnapshotSummary>> snapshots(const SnapshotFilter& filter, std::string* error) override;
  std::optional<Snapshot> snapshot(const std::string& key, std::string* error) override;
  std::optional<std::vector<WriteEntry>> writesAfter(const std::string& snapshotKey, std::string* error) override;
  std::optional<std::vector<EolResult>> eolResults(std::string* error) override;

  // For a station's local file of rows waiting for the server: every write,
  // a row taken out once the server has it, and how many rows there are.
  std::optional<std::vector<WriteEntry>> allWrites(std::string* error);
  enum class Kind { kSnapshot, kWrite, kEolResult };
  bool remove(Kind kind, const std::string& key, std::string* error);
  int rowCount();

 private:
  bool connect(int upToVersion, std::string* error);
  bool checkSchema(int* version, std::string* error);
  bool migrate(int version, int upToVersion, std::string* error);
  int queryCount(const QString& sql);
  bool fail(const QString& what, const QString& detail, std::string* error);

  QString connection_;
  Location location_;
  Dialect dialect_ = Dialect::kSqlite;
};

}  // namespace kelvo6::history
