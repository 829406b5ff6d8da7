// The history on a real PostgreSQL server started by the test: the same
// schema steps and views as on SQLite, a refused login named without secrets,
// and records made while the server is away stored exactly once when it is back.

#include <gtest/gtest.h>

#include "history/service.h"
#include "history/sql_store.h"
#include "postgres_server.h"
#include "support.h"

namespace kelvo6::history {
namespace {

using testing::PostgresServer;

#define START_SERVER(server)                                                     \
  PostgresServer server;                                                         \
  if (server.binariesMissing()) GTEST_SKIP() << server.why();                    \
  ASSERT_TRUE(server.ok()) << server.why()

TEST(HistoryPostgres, GrowsFromTheFirstSchemaWithTheViewsAndKeepsRowsOnce) {
  START_SERVER(server);
  std::string error;
  const Snapshot kept = testing::sampleSnapshot(5, 1796000000000, "Opel Corsa");
  {
    SqlStore first(QStringLiteral("pg-first"));
    ASSERT_TRUE(first.open(server.location(), &error, 1)) << error;
    ASSERT_TRUE(first.addSnapshot(kept, &error)) << error;
  }
  SqlStore store(QStringLiteral("pg-grown"));
  ASSERT_TRUE(store.open(server.location(), &error)) << error;
  EXPECT_EQ(store.schemaVersion(), latestSchemaVersion());
  for (int pass = 0; pass < 2; ++pass) {
    ASSERT_TRUE(store.addSnapshot(kept, &error)) << error;
    ASSERT_TRUE(store.addWrite(testing::sampleWrite(kept.key, 7, 1796000000100), &error)) << error;
    ASSERT_TRUE(store.addEolResult(testing::sampleEol("SN7", "FAIL"), &error)) << error;
  }
  auto back = store.snapshot(kept.key, &error);
  ASSERT_TRUE(back) << error;
  EXPECT_EQ(back->params, kept.params);
  EXPECT_EQ(back->cells, kept.cells);
  EXPECT_EQ(store.snapshots({"corsa", {}, {}, 0}, &error)->size(), 1u);
  EXPECT_EQ(store.writesAfter(kept.key, &error)->size(), 1u);
  EXPECT_EQ(store.eolResults(&error)->size(), 1u);
  const QString c = QStringLiteral("pg-grown");
  EXPECT_EQ(testing::columnsOf(c, "ecu_snapshot_values").join(','),
            "snapshot_id,taken_at,station,ecu_software,vehicle,item,value");
  EXPECT_EQ(testing::columnsOf(c, "ecu_writes").join(','), "written_at,station,operator,source,item,old_value,new_value");
  EXPECT_EQ(testing::columnsOf(c, "eol_results").join(','),
            "unit,tested_at,station,operator,tool_version,ecu_software,cylinders,result,failed_checks");
  EXPECT_EQ(testing::queryOne(c, "SELECT COUNT(*) FROM ecu_snapshot_values"), "126");
}

TEST(HistoryPostgres, ARefusedLoginIsReportedNamingTheServer) {
  START_SERVER(server);
  SqlStore store(QStringLiteral("pg-refused"));
  std::string error;
  EXPECT_FALSE(store.open(server.location("nobody"), &error));
  EXPECT_NE(error.find("postgresql://nobody@"), std::string::npos) << error;
  EXPECT_NE(error.find("nobody"), std::string::npos) << error;
}

// The station records while the server is away, is even restarted meanwhile,
// and the server ends with every row exactly once.
TEST(HistoryPostgres, RecordsMadeWhileTheServerIsAwayWaitInTheStationsFileAndArriveOnce) {
  START_SERVER(server);
  testing::ScratchFile stationFile;
  auto recordUnits = [](Service& service, int from, int to) {
    for (int n = from; n < to; ++n) service.record(testing::sampleEol("U" + std::to_string(n), "PASS"));
  };
  {
    Service station(server.location(), 50, stationFile.location());
    recordUnits(station, 0, 40);
    ASSERT_TRUE(station.waitUntilStored(30000)) << station.problem();
    ASSERT_TRUE(server.stop());
    recordUnits(station, 40, 80);
    station.flush();
    EXPECT_EQ(station.waiting(), 40);
    EXPECT_NE(station.problem().find(server.location().display()), std::string::npos) << station.problem();
  }  // the program ends while the server is away
  ASSERT_TRUE(server.start());
  Service station(server.location(), 50, stationFile.location());
  recordUnits(station, 80, 100);
  ASSERT_TRUE(station.waitUntilStored(30000)) << station.problem();
  EXPECT_EQ(station.problem(), "");
  std::optional<std::vector<EolResult>> rows;
  std::string error;
  ASSERT_TRUE(station.run([&](Store& s) { rows = s.eolResults(&error); }, &error)) << error;
  ASSERT_TRUE(rows);
  std::set<std::string> units;
  for (const EolResult& r : *rows) units.insert(r.unit);
  EXPECT_EQ(rows->size(), 100u);
  EXPECT_EQ(units.size(), 100u);
  SqlStore left(QStringLiteral("pg-station-file"));
  ASSERT_TRUE(left.open(stationFile.location(), &error)) << error;
  EXPECT_EQ(left.rowCount(), 0);
}

}  // namespace
}  // namespace kelvo6::history
