#include "support.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QVariant>

namespace kelvo6::history::testing {

Snapshot sampleSnapshot(int seed, Millis takenAt, const std::string& vehicle) {
  Snapshot s;
  s.key = "test-" + std::to_string(seed) + "-" + std::to_string(takenAt);
  s.takenAt = takenAt;
  s.station = "bench";
  s.port = "/dev/ttyUSB0";
  s.ecuSoftware = "1.2.3";
  s.vehicle = vehicle;
  for (int i = 0; i < kSnapshotParams; ++i) s.params[static_cast<std::size_t>(i)] = (seed * 100 + i) % 65536;
  for (int i = 0; i < kSnapshotCells; ++i) s.cells[static_cast<std::size_t>(i)] = (seed + i) % 256;
  return s;
}

WriteEntry sampleWrite(const std::string& snapshotKey, int item, Millis writtenAt) {
  return {snapshotKey + "-w" + std::to_string(item), snapshotKey, writtenAt, "bench", "fitter", "Form6",
          itemName(false, item), item, item + 1};
}

EolResult sampleEol(const std::string& unit, const std::string& result) {
  return {"eol-" + unit + "-" + result, unit, 1700000000000, "bench", "fitter", "1.5.0", "1.2.3", 4, result,
          result == "PASS" ? "" : "Injector 2"};
}

Location ScratchFile::location() const {
  Location l;
  l.file = path().toStdString();
  return l;
}

QStringList columnsOf(const QString& connection, const QString& relation) {
  QSqlQuery q(QSqlDatabase::database(connection, false));
  QStringList names;
  if (!q.exec(QStringLiteral("SELECT * FROM %1 WHERE 1 = 0").arg(relation))) return names;
  const QSqlRecord r = q.record();
  for (int i = 0; i < r.count(); ++i) names << r.fieldName(i);
  return names;
}

QString queryOne(const QString& connection, const QString& sql) {
  QSqlQuery q(QSqlDatabase::database(connection, false));
  if (!q.exec(sql) || !q.next()) return QStringLiteral("<error>");
  return q.value(0).toString();
}

}  // namespace kelvo6::history::testing
