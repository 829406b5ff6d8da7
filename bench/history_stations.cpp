// Four stations on one PostgreSQL server (docs/performance.md): four processes
// each record 500 end-of-line results through the program's history service
// while the server is stopped for 10 s midway and started again. Afterwards the
// server must hold 2000 rows, each unit exactly once; each station tells how
// long its rows waited and how long a record call held it up.
//
// Run without arguments; the stations are this program started again with
// --station N SOCKET_FOLDER PORT WAITING_FILE ZERO, where ZERO is the parent's
// start in milliseconds since the epoch, so every line is on one clock.

#include <QCoreApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <algorithm>
#include <cstdio>
#include <set>
#include <string>
#include <vector>

#include "history/service.h"
#include "history/sql_store.h"
#include "history/postgres_server.h"

namespace {

using namespace kelvo6;

constexpr int kStations = 4;
constexpr int kResultsPerStation = 500;
constexpr int kResultEveryMs = 20;         // 500 results over about 10 s
constexpr int kServerStopsAfterMs = 5000;  // midway through the writing
constexpr int kServerAwayMs = 10000;
constexpr int kStationTimeoutMs = 180000;

history::EolResult unitResult(int station, int n) {
  history::EolResult r;
  r.station = "station-" + std::to_string(station);
  r.key = history::makeKey(r.station);
  r.unit = "S" + std::to_string(station) + "-U" + std::to_string(n);
  r.testedAt = history::nowMillis();
  r.operatorName = "bench";
  r.toolVersion = "bench";
  r.ecuSoftware = "2.4.1";
  r.cylinders = 4;
  r.result = n % 10 == 0 ? "FAIL" : "PASS";
  r.failedChecks = r.result == "FAIL" ? "Injector 2" : "";
  return r;
}

// One station: records at a fitter's pace, then waits until every row is on
// the server. Prints one line the parent collects.
int runStation(int station, const std::string& socketFolder, int port, const std::string& waitingFile, qint64 zero) {
  history::Location server;
  server.kind = history::Location::Kind::kPostgres;
  server.host = socketFolder;
  server.port = port;
  server.user = "postgres";
  server.database = "postgres";
  history::Location waiting;
  waiting.file = waitingFile;

  history::Service service(server, history::kRetryMs, waiting);
  struct {
    qint64 zero;
    qint64 elapsed() const { return QDateTime::currentMSecsSinceEpoch() - zero; }
  } clock{zero};
  qint64 longestRecordNs = 0, firstProblemMs = -1, lastWaitingMs = -1;
  int peakWaiting = 0;
  auto watch = [&] {
    const int w = service.waiting();
    peakWaiting = std::max(peakWaiting, w);
    if (firstProblemMs < 0 && !service.problem().empty()) firstProblemMs = clock.elapsed();
    if (firstProblemMs >= 0 && w > 0) lastWaitingMs = clock.elapsed();
  };
  for (int n = 0; n < kResultsPerStation; ++n) {
    QElapsedTimer call;
    call.start();
    service.record(unitResult(station, n));
    longestRecordNs = std::max(longestRecordNs, call.nsecsElapsed());
    watch();
    QThread::msleep(kResultEveryMs);
  }
  const qint64 writingMs = clock.elapsed();
  while (clock.elapsed() < kStationTimeoutMs && (service.waiting() > 0 || !service.problem().empty())) {
    watch();
    QThread::msleep(10);
  }
  const bool stored = service.waitUntilStored(1000);
  const qint64 doneMs = clock.elapsed();
  const qint64 waitedMs = firstProblemMs < 0 ? 0 : lastWaitingMs - firstProblemMs;
  std::printf(
      "station %d: %s, writing %lld ms, done %lld ms, rows waited %lld ms (from %lld to %lld ms), "
      "up to %d waiting, longest record call %.3f ms\n",
      station, stored ? "all stored" : "NOT all stored", static_cast<long long>(writingMs),
      static_cast<long long>(doneMs), static_cast<long long>(waitedMs), static_cast<long long>(firstProblemMs),
      static_cast<long long>(lastWaitingMs), peakWaiting, longestRecordNs / 1e6);
  return stored ? 0 : 1;
}

int runFigure(const QString& self) {
  history::testing::PostgresServer server;
  if (!server.ok()) return std::fprintf(stderr, "%s\n", server.why().c_str()), 1;
  const history::Location where = server.location();
  std::string error;
  {
    // The schema exists before the stations start, as on a plant's server.
    history::SqlStore setUp(QStringLiteral("bench-set-up"));
    if (!setUp.open(where, &error)) return std::fprintf(stderr, "%s\n", error.c_str()), 1;
  }
  QTemporaryDir files;
  QElapsedTimer clock;
  clock.start();
  const QString zero = QString::number(QDateTime::currentMSecsSinceEpoch());
  std::vector<std::unique_ptr<QProcess>> stations;
  for (int s = 1; s <= kStations; ++s) {
    auto p = std::make_unique<QProcess>();
    p->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    p->start(self, {QStringLiteral("--station"), QString::number(s), QString::fromStdString(where.host),
                    QString::number(where.port), files.filePath(QStringLiteral("waiting-%1.sqlite").arg(s)), zero});
    stations.push_back(std::move(p));
  }
  QThread::msleep(kServerStopsAfterMs);
  if (!server.stop()) return std::fprintf(stderr, "the server did not stop\n"), 1;
  const qint64 stoppedAt = clock.elapsed();
  QThread::msleep(kServerAwayMs);
  if (!server.start()) return std::fprintf(stderr, "the server did not start again\n"), 1;
  const qint64 startedAt = clock.elapsed();
  std::printf("server stopped at %lld ms, started again at %lld ms\n",
              static_cast<long long>(stoppedAt), static_cast<long long>(startedAt));

  bool stationsOk = true;
  for (auto& p : stations) {
    stationsOk = p->waitForFinished(kStationTimeoutMs) && p->exitCode() == 0 && stationsOk;
    std::fputs(p->readAllStandardOutput().constData(), stdout);
  }
  std::printf("all stations finished at %lld ms\n", static_cast<long long>(clock.elapsed()));

  history::SqlStore check(QStringLiteral("bench-check"));
  if (!check.open(where, &error)) return std::fprintf(stderr, "%s\n", error.c_str()), 1;
  const auto rows = check.eolResults(&error);
  if (!rows) return std::fprintf(stderr, "%s\n", error.c_str()), 1;
  std::set<std::string> units;
  for (const history::EolResult& r : *rows) units.insert(r.unit);
  const std::size_t expected = kStations * kResultsPerStation;
  std::printf("server holds %zu rows, %zu distinct units (expected %zu each)\n", rows->size(), units.size(), expected);
  return stationsOk && rows->size() == expected && units.size() == expected ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  const QStringList args = app.arguments();
  if (args.size() == 7 && args[1] == QStringLiteral("--station"))
    return runStation(args[2].toInt(), args[3].toStdString(), args[4].toInt(), args[5].toStdString(),
                      args[6].toLongLong());
  return runFigure(app.applicationFilePath());
}
