// History figures (docs/performance.md): keeping a restore point, and the
// history window opened and filtered on 10,000 restore points.

#include <QDir>
#include <QElapsedTimer>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTableWidget>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "app/app.h"
#include "core/shared.h"
#include "history/journal.h"
#include "history/service.h"
#include "history/sql_store.h"
#include "support/harness.h"

namespace {

using namespace kelvo6;

constexpr int kSnapshots = 10000;

double median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

history::Snapshot sample(int i) {
  history::Snapshot s;
  s.key = "bench-" + std::to_string(i);
  s.takenAt = 1790000000000LL + i * 3600000LL;
  s.station = "bench";
  s.port = "/dev/ttyUSB0";
  s.ecuSoftware = "2.4.1";
  s.vehicle = i % 10 == 0 ? "Fiat Punto " + std::to_string(i) : "Opel Corsa " + std::to_string(i);
  for (int n = 0; n < 62; ++n) s.params[static_cast<std::size_t>(n)] = (i + n) % 1000;
  for (int n = 0; n < 64; ++n) s.cells[static_cast<std::size_t>(n)] = (i + n) % 256;
  return s;
}

}  // namespace

int main() {
  QTemporaryDir home;
  qputenv("HOME", home.path().toUtf8());
  const std::string file = history::defaultDatabaseFile(home.path().toStdString());
  history::Location where;
  where.file = file;

  std::vector<double> keep;
  {
    history::SqlStore store(QStringLiteral("bench-fill"));
    std::string error;
    if (!store.open(where, &error)) return std::fprintf(stderr, "%s\n", error.c_str()), 1;
    // Filling only: the program itself keeps SQLite's default durability.
    QSqlQuery(QSqlDatabase::database(QStringLiteral("bench-fill"))).exec(QStringLiteral("PRAGMA synchronous=OFF"));
    for (int i = 0; i < kSnapshots - 50; ++i) store.addSnapshot(sample(i), &error);
    QSqlQuery(QSqlDatabase::database(QStringLiteral("bench-fill"))).exec(QStringLiteral("PRAGMA synchronous=FULL"));
    for (int i = kSnapshots - 50; i < kSnapshots; ++i) {
      QElapsedTimer t;
      t.start();
      store.addSnapshot(sample(i), &error);
      keep.push_back(t.nsecsElapsed() / 1e6);
    }
  }

  // On the user-interface thread a handshake only queues the restore point.
  std::vector<double> queue;
  {
    history::Service service(where);
    history::Journal journal(service, {"bench", "fitter"});
    core::Shared shared;
    for (int i = 0; i < 50; ++i) {
      QElapsedTimer t;
      t.start();
      journal.keepRestorePoint(shared, "/dev/ttyUSB0");
      queue.push_back(t.nsecsElapsed() / 1e6);
      service.flush();
    }
  }

  testing::HarnessOptions o;
  o.keepsHistory = true;
  testing::Harness h(o);
  h.click("Form1", "Command7");  // not connected: browsing
  h.click("Form1", "Command1");
  QElapsedTimer open;
  open.start();
  h.click("Form2", "Command8");
  h.window("History")->grab();  // drawn
  const double openMs = open.nsecsElapsed() / 1e6;
  const int rows = h.control<QTableWidget>("History", "List1")->rowCount();
  std::vector<double> filter;
  for (const char* name : {"punto", "corsa 99", "fiat", "", "punto 5"}) {
    h.setText("History", "Text1", name);
    QElapsedTimer t;
    t.start();
    h.click("History", "Command1");
    h.window("History")->grab();
    filter.push_back(t.nsecsElapsed() / 1e6);
  }
  std::printf("snapshot_store_ms_median=%.2f\n", median(keep));
  std::printf("snapshot_queue_ms_median=%.4f\n", median(queue));
  std::printf("history_open_ms=%.1f rows_listed=%d of %d\n", openMs, rows, kSnapshots + 50);
  std::printf("history_filter_ms_median=%.1f worst=%.1f\n", median(filter), *std::max_element(filter.begin(), filter.end()));
  return 0;
}
