#include "history/sql_store.h"

#include <QDir>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>
#include <functional>

namespace kelvo6::history {

namespace {

constexpr int kBusyTimeoutMs = 5000;
constexpr int kConnectTimeoutS = 5;

QString qs(const std::string& s) { return QString::fromStdString(s); }
std::string ss(const QVariant& v) { return v.toString().toStdString(); }

// Runs `body` in a transaction: committed when it returns true, rolled back otherwise.
bool inTransaction(QSqlDatabase& db, const std::function<bool()>& body) {
  if (!db.transaction()) return false;
  if (body() && db.commit()) return true;
  db.rollback();
  return false;
}

bool exec(QSqlQuery& q, const QString& sql, const QVariantList& values = {}) {
  if (!q.prepare(sql)) return false;
  for (const QVariant& v : values) q.addBindValue(v);
  return q.exec();
}

}  // namespace

std::string configurationOf(const Snapshot& snapshot) {
  // FNV-1a over the values in order: equal configurations, equal text.
  std::uint64_t h = 1469598103934665603ULL;
  auto mix = [&h](int v) {
    for (int i = 0; i < 4; ++i) {
      h ^= static_cast<std::uint8_t>(v >> (8 * i));
      h *= 1099511628211ULL;
    }
  };
  for (int v : snapshot.params) mix(v);
  for (int v : snapshot.cells) mix(v);
  char text[17];
  std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(h));
  return text;
}

SqlStore::SqlStore(QString connection) : connection_(std::move(connection)) {}

SqlStore::~SqlStore() { close(); }

bool SqlStore::isOpen() const {
  return QSqlDatabase::contains(connection_) && QSqlDatabase::database(connection_, false).isOpen();
}

void SqlStore::close() {
  if (!QSqlDatabase::contains(connection_)) return;
  {
    QSqlDatabase db = QSqlDatabase::database(connection_, false);
    db.close();
  }
  QSqlDatabase::removeDatabase(connection_);
}

bool SqlStore::fail(const QString& what, const QString& detail, std::string* error) {
  if (error) {
    QString where = location_.kind == Location::Kind::kSqlite ? QStringLiteral("database file ")
                                                              : QStringLiteral("database server ");
    *error = (what + QStringLiteral(" (") + where + qs(location_.display()) + QStringLiteral(")") +
              (detail.trimmed().isEmpty() ? QString() : QStringLiteral(": ") + detail.trimmed()))
                 .toStdString();
  }
  return false;
}

bool SqlStore::open(const Location& location, std::string* error, int upToVersion) {
  close();
  location_ = location;
  dialect_ = location.kind == Location::Kind::kSqlite ? Dialect::kSqlite : Dialect::kPostgres;
  if (connect(upToVersion, error)) return true;
  close();
  return false;
}

bool SqlStore::connect(int upToVersion, std::string* error) {
  QSqlDatabase db;
  if (dialect_ == Dialect::kSqlite) {
    const QFileInfo file(qs(location_.file));
    if (!QDir().mkpath(file.absolutePath())) return fail("cannot create the folder of the history", {}, error);
    db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection_);
    db.setDatabaseName(file.absoluteFilePath());
    db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(kBusyTimeoutMs));
  } else {
    db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), connection_);
    db.setHostName(qs(location_.host));
    db.setPort(location_.port);
    db.setDatabaseName(qs(location_.database));
    if (!location_.user.empty()) db.setUserName(qs(location_.user));
    db.setConnectOptions(QStringLiteral("connect_timeout=%1").arg(kConnectTimeoutS));
  }
  if (!db.open()) return fail("cannot open the history", db.lastError().text(), error);
  if (dialect_ == Dialect::kSqlite) {
    // The first read of the file: a damaged or foreign file fails here,
    // before anything could change it.
    QSqlQuery q(db);
    if (!q.exec(QStringLiteral("SELECT COUNT(*) FROM sqlite_master")) || !q.next())
      return fail("the file is not a usable history database", q.lastError().text(), error);
  }
  int version = 0;
  if (!checkSchema(&version, error)) return false;
  if (dialect_ == Dialect::kSqlite) {
    // Write-ahead log and a busy time-out: two programs on one PC share the file.
    QSqlQuery q(db);
    if (!q.exec(QStringLiteral("PRAGMA journal_mode=WAL")))
      return fail("the file is not a usable history database", q.lastError().text(), error);
    q.exec(QStringLiteral("PRAGMA foreign_keys=ON"));
  }
  return migrate(version, upToVersion, error);
}

int SqlStore::schemaVersion() {
  QSqlDatabase db = QSqlDatabase::database(connection_, false);
  if (!db.tables().contains(QStringLiteral("schema_version"))) return 0;
  QSqlQuery q(db);
  if (!q.exec(QStringLiteral("SELECT version FROM schema_version")) || !q.next()) return -1;
  return q.value(0).toInt();
}

bool SqlStore::checkSchema(int* version, std::string* error) {
  QSqlDatabase db = QSqlDatabase::database(connection_, false);
  *version = schemaVersion();
  if (*version == 0 && !db.tables().isEmpty())
    return fail("the database belongs to another program; it was left as it is", {}, error);
  if (*version < 0) return fail("the history database is damaged (no schema version)", db.lastError().text(), error);
  if (*version > latestSchemaVersion())
    return fail(QStringLiteral("the history database was made by a newer program (schema %1)").arg(*version), {},
                error);
  return true;
}

bool SqlStore::migrate(int version, int upToVersion, std::string* error) {
  QSqlDatabase db = QSqlDatabase::database(connection_, false);
  const int target = upToVersion > 0 ? upToVersion : latestSchemaVersion();
  for (const Migration& m : migrations(dialect_)) {
    if (m.version <= version || m.version > target) continue;
    QString failed;
    bool done = inTransaction(db, [&] {
      QSqlQuery q(db);
      for (const std::string& sql : m.statements) {
        if (!q.exec(qs(sql))) {
          failed = q.lastError().text();
          return false;
        }
      }
      return exec(q, QStringLiteral("UPDATE schema_version SET version = ?"), {m.version});
    });
    if (!done) return fail(QStringLiteral("cannot bring the history to schema %1").arg(m.version), failed, error);
    version = m.version;
  }
  return true;
}

bool SqlStore::addSnapshot(const Snapshot& s, std::string* error) {
  QSqlDatabase db = QSqlDatabase::database(connection_, false);
  const std::string configuration = configurationOf(s);
  QString failed;
  bool done = inTransaction(db, [&] {
    QSqlQuery q(db);
    QString vehicle = qs(s.vehicle);
    if (vehicle.isEmpty()) {
      if (!exec(q,
                QStringLiteral("SELECT vehicle FROM snapshot WHERE configuration = ? AND vehicle <> '' "
                               "ORDER BY taken_at DESC, id DESC LIMIT 1"),
                {qs(configuration)}))
        return failed = q.lastError().text(), false;
      if (q.next()) vehicle = q.value(0).toString();
    }
    if (!exec(q,
              QStringLiteral("INSERT INTO snapshot (key, taken_at, station, port, ecu_software, vehicle, "
                             "configuration) VALUES (?, ?, ?, ?, ?, ?, ?) ON CONFLICT (key) DO NOTHING RETURNING id"),
              {qs(s.key), qs(isoTime(s.takenAt)), qs(s.station), qs(s.port), qs(s.ecuSoftware), vehicle,
               qs(configuration)}))
      return failed = q.lastError().text(), false;
    if (!q.next()) return true;  // stored before: nothing more to add
    const qlonglong id = q.value(0).toLongLong();
    QString sql = QStringLiteral("INSERT INTO snapshot_value (snapshot_id, item, value) VALUES ");
    QVariantList values;
    auto add = [&](bool cell, int number, int value) {
      sql += values.isEmpty() ? QStringLiteral("(?, ?, ?)") : QStringLiteral(", (?, ?, ?)");
      values << id << qs(itemName(cell, number)) << value;
    };
    for (int n = 1; n <= kSnapshotParams; ++n) add(false, n, s.params[static_cast<std::size_t>(n - 1)]);
    for (int n = 1; n <= kSnapshotCells; ++n) add(true, n, s.cells[static_cast<std::size_t>(n - 1)]);
    if (!exec(q, sql, values)) return failed = q.lastError().text(), false;
    return true;
  });
  if (!done) return fail("cannot keep the restore point", failed.isEmpty() ? db.lastError().text() : failed, error);
  return true;
}

bool SqlStore::addWrite(const WriteEntry& w, std::string* error) {
  QSqlQuery q(QSqlDatabase::database(connection_, false));
  if (!exec(q,
            QStringLiteral("INSERT INTO ecu_write (key, snapshot_key, written_at, station, operator, source, item, "
                           "old_value, new_value) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?) ON CONFLICT (key) DO NOTHING"),
            {qs(w.key), qs(w.snapshotKey), qs(isoTime(w.writtenAt)), qs(w.station), qs(w.operatorName), qs(w.source),
             qs(w.item), w.oldValue, w.newValue}))
    return fail("cannot journal the write", q.lastError().text(), error);
  return true;
}

bool SqlStore::addEolResult(const EolResult& r, std::string* error) {
  QSqlQuery q(QSqlDatabase::database(connection_, false));
  if (!exec(q,
            QStringLiteral("INSERT INTO eol_record (key, unit, tested_at, station, operator, tool_version, "
                           "ecu_software, cylinders, result, failed_checks) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?) "
                           "ON CONFLICT (key) DO NOTHING"),
            {qs(r.key), qs(r.unit), qs(isoTime(r.testedAt)), qs(r.station), qs(r.operatorName), qs(r.toolVersion),
             qs(r.ecuSoftware), r.cylinders, qs(r.result), qs(r.failedChecks)}))
    return fail("cannot record the end-of-line result", q.lastError().text(), error);
  return true;
}

bool SqlStore::setVehicle(const std::string& snapshotKey, const std::string& vehicle, std::string* error) {
  QSqlQuery q(QSqlDatabase::database(connection_, false));
  if (!exec(q, QStringLiteral("UPDATE snapshot SET vehicle = ? WHERE key = ?"), {qs(vehicle), qs(snapshotKey)}))
    return fail("cannot name the vehicle", q.lastError().text(), error);
  return true;
}

std::optional<std::vector<SnapshotSummary>> SqlStore::snapshots(const SnapshotFilter& f, std::string* error) {
  QString sql = QStringLiteral(
      "SELECT s.id, s.key, s.taken_at, s.station, s.port, s.ecu_software, s.vehicle, "
      "(SELECT COUNT(*) FROM ecu_write w WHERE w.snapshot_key = s.key) FROM snapshot s WHERE 1 = 1");
  QVariantList values;
  if (!f.vehicle.empty()) {
    QString pattern = qs(f.vehicle).toLower();
    pattern.replace(QLatin1Char('\\'), QStringLiteral("\\\\"))
        .replace(QLatin1Char('%'), QStringLiteral("\\%"))
        .replace(QLatin1Char('_'), QStringLiteral("\\_"));
    sql += QStringLiteral(" AND LOWER(s.vehicle) LIKE ? ESCAPE '\\'");
    values << QStringLiteral("%") + pattern + QStringLiteral("%");
  }
  if (f.from) {
    sql += QStringLiteral(" AND s.taken_at >= ?");
    values << qs(isoTime(*f.from));
  }
  if (f.until) {
    sql += QStringLiteral(" AND s.taken_at < ?");
    values << qs(isoTime(*f.until));
  }
  sql += QStringLiteral(" ORDER BY s.taken_at DESC, s.id DESC");
  if (f.limit > 0) sql += QStringLiteral(" LIMIT %1").arg(f.limit);
  QSqlQuery q(QSqlDatabase::database(connection_, false));
  q.setForwardOnly(true);
  if (!exec(q, sql, values)) return fail("cannot read the restore points", q.lastError().text(), error), std::nullopt;
  std::vector<SnapshotSummary> out;
  while (q.next()) {
    out.push_back({q.value(0).toLongLong(), ss(q.value(1)), parseIsoTime(ss(q.value(2))).value_or(0), ss(q.value(3)),
                   ss(q.value(4)), ss(q.value(5)), ss(q.value(6)), q.value(7).toInt()});
  }
  return out;
}

std::optional<Snapshot> SqlStore::snapshot(const std::string& key, std::string* error) {
  QSqlQuery q(QSqlDatabase::database(connection_, false));
  if (!exec(q,
            QStringLiteral("SELECT id, key, taken_at, station, port, ecu_software, vehicle FROM snapshot WHERE key = ?"),
            {qs(key)}))
    return fail("cannot read the restore point", q.lastError().text(), error), std::nullopt;
  if (!q.next()) return fail("no such restore point", qs(key), error), std::nullopt;
  Snapshot s;
  s.id = q.value(0).toLongLong();
  s.key = ss(q.value(1));
  s.takenAt = parseIsoTime(ss(q.value(2))).value_or(0);
  s.station = ss(q.value(3));
  s.port = ss(q.value(4));
  s.ecuSoftware = ss(q.value(5));
  s.vehicle = ss(q.value(6));
  if (!exec(q, QStringLiteral("SELECT item, value FROM snapshot_value WHERE snapshot_id = ?"), {QVariant::fromValue<qlonglong>(s.id)}))
    return fail("cannot read the restore point", q.lastError().text(), error), std::nullopt;
  int count = 0;
  while (q.next()) {
    bool cell = false;
    int number = 0;
    if (!parseItem(ss(q.value(0)), &cell, &number)) continue;
    (cell ? s.cells[static_cast<std::size_t>(number - 1)] : s.params[static_cast<std::size_t>(number - 1)]) =
        q.value(1).toInt();
    ++count;
  }
  if (count != kSnapshotParams + kSnapshotCells)
    return fail("the restore point is incomplete", qs(key), error), std::nullopt;
  return s;
}

// Rows of the write journal, oldest first; every query selects the same columns.
static std::vector<WriteEntry> readWriteRows(QSqlQuery& q) {
  std::vector<WriteEntry> out;
  while (q.next()) {
    out.push_back({ss(q.value(0)), ss(q.value(1)), parseIsoTime(ss(q.value(2))).value_or(0), ss(q.value(3)),
                   ss(q.value(4)), ss(q.value(5)), ss(q.value(6)), q.value(7).toInt(), q.value(8).toInt()});
  }
  return out;
}

std::optional<std::vector<WriteEntry>> SqlStore::writesAfter(const std::string& snapshotKey, std::string* error) {
  QSqlQuery q(QSqlDatabase::database(connection_, false));
  if (!exec(q,
            QStringLiteral("SELECT key, snapshot_key, written_at, station, operator, source, item, old_value, "
                           "new_value FROM ecu_write WHERE snapshot_key = ? ORDER BY written_at, id"),
            {qs(snapshotKey)}))
    return fail("cannot read the write journal", q.lastError().text(), error), std::nullopt;
  return readWriteRows(q);
}

std::optional<std::vector<WriteEntry>> SqlStore::allWrites(std::string* error) {
  QSqlQuery q(QSqlDatabase::database(connection_, false));
  if (!exec(q, QStringLiteral("SELECT key, snapshot_key, written_at, station, operator, source, item, old_value, "
                              "new_value FROM ecu_write ORDER BY written_at, id")))
    return fail("cannot read the write journal", q.lastError().text(), error), std::nullopt;
  return readWriteRows(q);
}

bool SqlStore::remove(Kind kind, const std::string& key, std::string* error) {
  QSqlDatabase db = QSqlDatabase::database(connection_, false);
  QString failed;
  const bool done = inTransaction(db, [&] {
    QSqlQuery q(db);
    auto run = [&](const QString& sql) { return exec(q, sql, {qs(key)}) || (failed = q.lastError().text(), false); };
    switch (kind) {
      case Kind::kSnapshot:
        return run(QStringLiteral("DELETE FROM snapshot_value WHERE snapshot_id IN (SELECT id FROM snapshot WHERE key = ?)")) &&
               run(QStringLiteral("DELETE FROM snapshot WHERE key = ?"));
      case Kind::kWrite: return run(QStringLiteral("DELETE FROM ecu_write WHERE key = ?"));
      case Kind::kEolResult: return run(QStringLiteral("DELETE FROM eol_record WHERE key = ?"));
    }
    return false;
  });
  if (!done) return fail("cannot take a forwarded row out", failed, error);
  return true;
}

int SqlStore::rowCount() {
  return queryCount(QStringLiteral("SELECT (SELECT COUNT(*) FROM snapshot) + (SELECT COUNT(*) FROM ecu_write) + "
                                   "(SELECT COUNT(*) FROM eol_record)"));
}

int SqlStore::queryCount(const QString& sql) {
  QSqlQuery q(QSqlDatabase::database(connection_, false));
  return q.exec(sql) && q.next() ? q.value(0).toInt() : 0;
}

std::optional<std::vector<EolResult>> SqlStore::eolResults(std::string* error) {
  QSqlQuery q(QSqlDatabase::database(connection_, false));
  if (!exec(q, QStringLiteral("SELECT key, unit, tested_at, station, operator, tool_version, ecu_software, "
                              "cylinders, result, failed_checks FROM eol_record ORDER BY tested_at, id")))
    return fail("cannot read the end-of-line results", q.lastError().text(), error), std::nullopt;
  std::vector<EolResult> out;
  while (q.next()) {
    out.push_back({ss(q.value(0)), ss(q.value(1)), parseIsoTime(ss(q.value(2))).value_or(0), ss(q.value(3)),
                   ss(q.value(4)), ss(q.value(5)), ss(q.value(6)), q.value(7).toInt(), ss(q.value(8)),
                   ss(q.value(9))});
  }
  return out;
}

}  // namespace kelvo6::history
