#pragma once
// A real PostgreSQL server for one test: initdb into a temporary folder, a
// Unix socket there, started and stopped with pg_ctl (as the postgres system
// user when the tests run as root), and stopped by its process id at the end
// whatever happened.

#include <QString>
#include <QTemporaryDir>
#include <string>

#include "history/location.h"

namespace kelvo6::history::testing {

class PostgresServer {
 public:
  PostgresServer();  // initdb and start; check ok() / why()
  ~PostgresServer();
  PostgresServer(const PostgresServer&) = delete;
  PostgresServer& operator=(const PostgresServer&) = delete;

  bool ok() const { return why_.empty(); }
  // Empty when running; otherwise why it is not (binaries missing, start failed).
  const std::string& why() const { return why_; }
  bool binariesMissing() const { return missing_; }

  bool stop();
  bool start();
  Location location(const std::string& user = "postgres") const;

 private:
  bool run(const QString& tool, const QStringList& args, QString* output = nullptr);
  long pid() const;

  QTemporaryDir dir_;
  QString bin_;
  std::string why_;
  bool missing_ = false;
};

}  // namespace kelvo6::history::testing
