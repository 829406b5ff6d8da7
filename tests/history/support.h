#pragma once
// Shared by the history tests: restore points and records with recognisable
// values, a scratch database file, and the column names of a view.

#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <string>

#include "history/location.h"
#include "history/model.h"
#include "history/sql_store.h"

namespace kelvo6::history::testing {

// A restore point whose values all derive from `seed`.
Snapshot sampleSnapshot(int seed, Millis takenAt, const std::string& vehicle = {});
WriteEntry sampleWrite(const std::string& snapshotKey, int item, Millis writtenAt);
EolResult sampleEol(const std::string& unit, const std::string& result);

// A SQLite file in a folder removed at the end of the test.
struct ScratchFile {
  QTemporaryDir dir;
  Location location() const;
  QString path() const { return dir.filePath(QStringLiteral("history.sqlite")); }
};

// The column names of a table or view, in order, read through the open store's connection.
QStringList columnsOf(const QString& connection, const QString& relation);
// One value read with plain SQL, as text.
QString queryOne(const QString& connection, const QString& sql);

}  // namespace kelvo6::history::testing
