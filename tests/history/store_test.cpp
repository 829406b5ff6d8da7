// The history's storage on real SQLite files: what is kept comes back equal,
// the schema grows by its steps without losing rows, the views have the
// columns supervisors query, and unusable files are refused untouched.

#include <gtest/gtest.h>

#include <QCryptographicHash>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>

#include "history/schema.h"
#include "support.h"

namespace kelvo6::history {
namespace {

using testing::columnsOf;
using testing::sampleEol;
using testing::sampleSnapshot;
using testing::sampleWrite;
using testing::ScratchFile;

constexpr Millis kDay = 24LL * 3600 * 1000;
constexpr Millis kT0 = 1796000000000;  // a day in 2026

TEST(HistoryStore, KeepsRestorePointsWritesAndResultsOnceEach) {
  ScratchFile f;
  SqlStore store(QStringLiteral("keeps"));
  std::string error;
  ASSERT_TRUE(store.open(f.location(), &error)) << error;
  const Snapshot older = sampleSnapshot(1, kT0, "Fiat Punto 1.2");
  const Snapshot newer = sampleSnapshot(2, kT0 + kDay);
  // Each record twice: a forwarded row that arrives again is kept once.
  for (int pass = 0; pass < 2; ++pass) {
    ASSERT_TRUE(store.addSnapshot(older, &error)) << error;
    ASSERT_TRUE(store.addSnapshot(newer, &error)) << error;
    ASSERT_TRUE(store.addWrite(sampleWrite(newer.key, 4, kT0 + kDay + 1), &error)) << error;
    ASSERT_TRUE(store.addWrite(sampleWrite(newer.key, 9, kT0 + kDay + 2), &error)) << error;
    ASSERT_TRUE(store.addEolResult(sampleEol("SN1", "FAIL"), &error)) << error;
  }
  auto list = store.snapshots({}, &error);
  ASSERT_TRUE(list) << error;
  ASSERT_EQ(list->size(), 2u);
  EXPECT_EQ((*list)[0].key, newer.key);  // newest first
  EXPECT_EQ((*list)[0].writesAfter, 2);
  EXPECT_EQ((*list)[1].vehicle, "Fiat Punto 1.2");

  auto back = store.snapshot(older.key, &error);
  ASSERT_TRUE(back) << error;
  EXPECT_EQ(back->params, older.params);
  EXPECT_EQ(back->cells, older.cells);
  EXPECT_EQ(back->takenAt, older.takenAt);

  auto writes = store.writesAfter(newer.key, &error);
  ASSERT_TRUE(writes && writes->size() == 2u);
  EXPECT_EQ((*writes)[0].item, "P4");
  EXPECT_EQ((*writes)[0].oldValue, 4);
  EXPECT_EQ((*writes)[0].newValue, 5);
  EXPECT_EQ(store.eolResults(&error)->size(), 1u);

  // The same configuration read again is suggested the name it had.
  Snapshot again = sampleSnapshot(1, kT0 + 2 * kDay);
  again.key = "again";
  ASSERT_TRUE(store.addSnapshot(again, &error));
  EXPECT_EQ(store.snapshot("again", &error)->vehicle, "Fiat Punto 1.2");
}

TEST(HistoryStore, FiltersByVehicleAndDate) {
  ScratchFile f;
  SqlStore store(QStringLiteral("filters"));
  std::string error;
  ASSERT_TRUE(store.open(f.location(), &error)) << error;
  const char* vehicles[] = {"Fiat Punto", "Opel Corsa 50%", "fiat panda", "Opel_Astra"};
  for (int i = 0; i < 4; ++i) ASSERT_TRUE(store.addSnapshot(sampleSnapshot(10 + i, kT0 + i * kDay, vehicles[i]), &error));
  struct Case {
    SnapshotFilter filter;
    std::vector<std::string> vehicles;
  } cases[] = {
      {{"FIAT", {}, {}, 0}, {"fiat panda", "Fiat Punto"}},
      {{"50%", {}, {}, 0}, {"Opel Corsa 50%"}},           // wildcard characters match themselves
      {{"l_a", {}, {}, 0}, {"Opel_Astra"}},
      {{"", kT0 + kDay, kT0 + 3 * kDay, 0}, {"fiat panda", "Opel Corsa 50%"}},
      {{"", {}, {}, 1}, {"Opel_Astra"}},
  };
  for (const Case& c : cases) {
    auto list = store.snapshots(c.filter, &error);
    ASSERT_TRUE(list) << error;
    std::vector<std::string> got;
    for (const auto& s : *list) got.push_back(s.vehicle);
    EXPECT_EQ(got, c.vehicles) << c.filter.vehicle;
  }
}

TEST(HistoryStore, GrowsFromTheFirstSchemaKeepingRowsAndViews) {
  ScratchFile f;
  std::string error;
  const Snapshot kept = sampleSnapshot(3, kT0);
  {
    SqlStore first(QStringLiteral("first"));
    ASSERT_TRUE(first.open(f.location(), &error, 1)) << error;
    EXPECT_EQ(first.schemaVersion(), 1);
    ASSERT_TRUE(first.addSnapshot(kept, &error)) << error;
  }
  SqlStore store(QStringLiteral("grown"));
  ASSERT_TRUE(store.open(f.location(), &error)) << error;
  EXPECT_EQ(store.schemaVersion(), latestSchemaVersion());
  EXPECT_EQ(store.snapshot(kept.key, &error)->params, kept.params);
  ASSERT_TRUE(store.addEolResult(sampleEol("SN9", "PASS"), &error)) << error;

  const QString c = QStringLiteral("grown");
  EXPECT_EQ(columnsOf(c, "ecu_snapshot_values").join(','),
            "snapshot_id,taken_at,station,ecu_software,vehicle,item,value");
  EXPECT_EQ(columnsOf(c, "ecu_writes").join(','), "written_at,station,operator,source,item,old_value,new_value");
  EXPECT_EQ(columnsOf(c, "eol_results").join(','),
            "unit,tested_at,station,operator,tool_version,ecu_software,cylinders,result,failed_checks");
  EXPECT_EQ(testing::queryOne(c, "SELECT COUNT(*) FROM ecu_snapshot_values"), "126");
  EXPECT_EQ(testing::queryOne(c, "SELECT value FROM ecu_snapshot_values WHERE item = 'C64'"),
            QString::number(kept.cells[63]));
  EXPECT_EQ(testing::queryOne(c, "PRAGMA journal_mode"), "wal");
}

// A file the history cannot use is refused with its name and left byte for byte.
TEST(HistoryStore, RefusesUnusableFilesAndLeavesThemAlone) {
  struct Case {
    const char* what;
    std::function<void(const QString& path)> make;
    const char* says;
  } cases[] = {
      {"not a database",
       [](const QString& p) {
         QFile file(p);
         file.open(QIODevice::WriteOnly);
         file.write(QByteArray(8192, '\x5a'));
       },
       "not a usable history database"},
      {"another program's database",
       [](const QString& p) {
         auto db = QSqlDatabase::addDatabase("QSQLITE", "foreign");
         db.setDatabaseName(p);
         db.open();
         QSqlQuery(db).exec("CREATE TABLE invoices (n INTEGER)");
         db.close();
       },
       "another program"},
      {"a newer program's database",
       [](const QString& p) {
         auto db = QSqlDatabase::addDatabase("QSQLITE", "newer");
         db.setDatabaseName(p);
         db.open();
         QSqlQuery(db).exec("CREATE TABLE schema_version (version INTEGER)");
         QSqlQuery(db).exec("INSERT INTO schema_version VALUES (99)");
         db.close();
       },
       "newer program"},
  };
  for (const Case& c : cases) {
    ScratchFile f;
    c.make(f.path());
    QSqlDatabase::removeDatabase("foreign");
    QSqlDatabase::removeDatabase("newer");
    auto digest = [&] {
      QFile file(f.path());
      file.open(QIODevice::ReadOnly);
      return QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256);
    };
    const QByteArray before = digest();
    SqlStore store(QStringLiteral("refuses"));
    std::string error;
    EXPECT_FALSE(store.open(f.location(), &error)) << c.what;
    EXPECT_NE(error.find(c.says), std::string::npos) << c.what << ": " << error;
    EXPECT_NE(error.find(f.path().toStdString()), std::string::npos) << error;
    EXPECT_EQ(digest(), before) << c.what;
  }
}

TEST(HistoryLocation, ReadsFilesAndServerUrlsWithoutPasswords) {
  struct Case {
    std::string text;
    bool ok;
    std::string display;  // or a part of the error
  } cases[] = {
      {"", true, "/home/fit/TAVRIN_IE/kelvo6.sqlite"},
      {"/data/shop.sqlite", true, "/data/shop.sqlite"},
      {"postgresql://fit@db.plant:5433/kelvo6", true, "postgresql://fit@db.plant:5433/kelvo6"},
      {"postgres://db/kelvo6", true, "postgresql://db:5432/kelvo6"},
      {"postgresql://fit@%2Ftmp%2Fpg:6000/k", true, "postgresql://fit@[/tmp/pg]:6000/k"},
      {"postgresql://fit:secret@db/kelvo6", false, "password"},
      {"postgresql://db:99999/kelvo6", false, "port"},
      {"postgresql://db:5432", false, "no database"},
  };
  for (const Case& c : cases) {
    std::string error;
    auto l = parseLocation(c.text, "/home/fit", &error);
    ASSERT_EQ(l.has_value(), c.ok) << c.text;
    if (c.ok) EXPECT_EQ(l->display(), c.display);
    else EXPECT_NE(error.find(c.display), std::string::npos) << error;
    EXPECT_EQ(error.find("secret"), std::string::npos);
  }
}

}  // namespace
}  // namespace kelvo6::history
