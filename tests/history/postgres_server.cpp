#include "postgres_server.h"

#include <pwd.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QProcess>

namespace kelvo6::history::testing {

namespace {
constexpr int kPort = 5432;  // the socket lives in our own folder: no clash with any other server
constexpr int kToolTimeoutMs = 60000;

// The newest installed server's programs, e.g. /usr/lib/postgresql/15/bin.
QString serverBinaries() {
  QDir root(QStringLiteral("/usr/lib/postgresql"));
  QStringList versions = root.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
  std::sort(versions.begin(), versions.end(), [](const QString& a, const QString& b) { return a.toInt() < b.toInt(); });
  for (auto it = versions.rbegin(); it != versions.rend(); ++it) {
    const QString bin = root.filePath(*it + QStringLiteral("/bin"));
    if (QFile::exists(bin + QStringLiteral("/pg_ctl"))) return bin;
  }
  return {};
}
}  // namespace

PostgresServer::PostgresServer() : dir_(QDir::tempPath() + QStringLiteral("/kelvo6-pg-XXXXXX")) {
  bin_ = serverBinaries();
  if (bin_.isEmpty()) {
    missing_ = true;
    why_ = "PostgreSQL server programs not found under /usr/lib/postgresql (scripts/install-deps.sh installs them)";
    return;
  }
  if (::geteuid() == 0) {
    // The server refuses to run as root: the folder belongs to the postgres user.
    const passwd* pg = ::getpwnam("postgres");
    if (!pg || ::chown(dir_.path().toLocal8Bit().constData(), pg->pw_uid, pg->pw_gid) != 0) {
      why_ = "no postgres system user to run the server as";
      return;
    }
  }
  QString output;
  if (!run(QStringLiteral("initdb"),
           {QStringLiteral("-D"), dir_.filePath(QStringLiteral("data")), QStringLiteral("-A"), QStringLiteral("trust"),
            QStringLiteral("-U"), QStringLiteral("postgres"), QStringLiteral("--no-sync"), QStringLiteral("-E"),
            QStringLiteral("UTF8")},
           &output)) {
    why_ = "initdb failed: " + output.toStdString();
    return;
  }
  if (!start()) why_ = "the server did not start";
}

PostgresServer::~PostgresServer() {
  if (missing_) return;
  if (!stop()) {
    if (const long p = pid(); p > 0) ::kill(static_cast<pid_t>(p), SIGKILL);
  }
}

bool PostgresServer::run(const QString& tool, const QStringList& args, QString* output) {
  QProcess p;
  p.setProcessChannelMode(QProcess::MergedChannels);
  QStringList all = args;
  if (::geteuid() == 0) {
    all.prepend(bin_ + QLatin1Char('/') + tool);
    all = QStringList{QStringLiteral("-u"), QStringLiteral("postgres"), QStringLiteral("--")} + all;
    p.start(QStringLiteral("runuser"), all);
  } else {
    p.start(bin_ + QLatin1Char('/') + tool, all);
  }
  const bool finished = p.waitForFinished(kToolTimeoutMs);
  if (output) *output = QString::fromLocal8Bit(p.readAll());
  return finished && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

bool PostgresServer::start() {
  const QString options = QStringLiteral("-c listen_addresses='' -k %1 -p %2 -c fsync=off").arg(dir_.path()).arg(kPort);
  return run(QStringLiteral("pg_ctl"), {QStringLiteral("-D"), dir_.filePath(QStringLiteral("data")), QStringLiteral("-o"),
                                        options, QStringLiteral("-l"), dir_.filePath(QStringLiteral("server.log")),
                                        QStringLiteral("-w"), QStringLiteral("start")});
}

bool PostgresServer::stop() {
  if (pid() <= 0) return true;
  return run(QStringLiteral("pg_ctl"), {QStringLiteral("-D"), dir_.filePath(QStringLiteral("data")), QStringLiteral("-m"),
                                        QStringLiteral("fast"), QStringLiteral("-w"), QStringLiteral("stop")});
}

long PostgresServer::pid() const {
  QFile f(dir_.filePath(QStringLiteral("data/postmaster.pid")));
  if (!f.open(QIODevice::ReadOnly)) return 0;
  return QString::fromLatin1(f.readLine()).trimmed().toLong();
}

Location PostgresServer::location(const std::string& user) const {
  Location l;
  l.kind = Location::Kind::kPostgres;
  l.host = dir_.path().toStdString();
  l.port = kPort;
  l.user = user;
  l.database = "postgres";
  return l;
}

}  // namespace kelvo6::history::testing
