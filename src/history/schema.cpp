#include "history/schema.h"

namespace kelvo6::history {

namespace {

// The few words the two dialects spell differently.
struct Words {
  const char* id;  // an automatic integer key
};
constexpr Words kSqliteWords{"INTEGER PRIMARY KEY AUTOINCREMENT"};
constexpr Words kPostgresWords{"BIGINT GENERATED ALWAYS AS IDENTITY PRIMARY KEY"};

std::string replaceAll(std::string text, const std::string& from, const std::string& to) {
  for (auto at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
    text.replace(at, from.size(), to);
  return text;
}

// Version 1: restore points and the write journal, with their views.
// Version 2: end-of-line results, with their view.
std::vector<Migration> build(const Words& w) {
  auto id = [&](std::string s) { return replaceAll(std::move(s), "@ID", w.id); };
  return {
      {1,
       {"CREATE TABLE schema_version (version INTEGER NOT NULL)",
        "INSERT INTO schema_version (version) VALUES (0)",
        id("CREATE TABLE snapshot (id @ID, key TEXT NOT NULL UNIQUE, taken_at TEXT NOT NULL, station TEXT NOT "
           "NULL, port TEXT NOT NULL, ecu_software TEXT NOT NULL, vehicle TEXT NOT NULL DEFAULT '', "
           "configuration TEXT NOT NULL)"),
        "CREATE INDEX snapshot_taken_at ON snapshot (taken_at)",
        "CREATE INDEX snapshot_configuration ON snapshot (configuration)",
        "CREATE TABLE snapshot_value (snapshot_id BIGINT NOT NULL REFERENCES snapshot (id), item TEXT NOT NULL, "
        "value INTEGER NOT NULL, PRIMARY KEY (snapshot_id, item))",
        id("CREATE TABLE ecu_write (id @ID, key TEXT NOT NULL UNIQUE, snapshot_key TEXT NOT NULL, written_at "
           "TEXT NOT NULL, station TEXT NOT NULL, operator TEXT NOT NULL, source TEXT NOT NULL, item TEXT NOT "
           "NULL, old_value INTEGER NOT NULL, new_value INTEGER NOT NULL)"),
        "CREATE INDEX ecu_write_snapshot ON ecu_write (snapshot_key)",
        "CREATE VIEW ecu_snapshot_values AS SELECT s.id AS snapshot_id, s.taken_at, s.station, s.ecu_software, "
        "s.vehicle, v.item, v.value FROM snapshot s JOIN snapshot_value v ON v.snapshot_id = s.id",
        "CREATE VIEW ecu_writes AS SELECT written_at, station, operator, source, item, old_value, new_value "
        "FROM ecu_write"}},
      {2,
       {id("CREATE TABLE eol_record (id @ID, key TEXT NOT NULL UNIQUE, unit TEXT NOT NULL, tested_at TEXT NOT "
           "NULL, station TEXT NOT NULL, operator TEXT NOT NULL, tool_version TEXT NOT NULL, ecu_software TEXT NOT "
           "NULL, cylinders INTEGER NOT NULL, result TEXT NOT NULL, failed_checks TEXT NOT NULL)"),
        "CREATE INDEX eol_record_unit ON eol_record (unit)",
        "CREATE VIEW eol_results AS SELECT unit, tested_at, station, operator, tool_version, ecu_software, "
        "cylinders, result, failed_checks FROM eol_record"}},
  };
}

}  // namespace

const std::vector<Migration>& migrations(Dialect dialect) {
  static const std::vector<Migration> sqlite = build(kSqliteWords);
  static const std::vector<Migration> postgres = build(kPostgresWords);
  return dialect == Dialect::kSqlite ? sqlite : postgres;
}

int latestSchemaVersion() { return migrations(Dialect::kSqlite).back().version; }

}  // namespace kelvo6::history
