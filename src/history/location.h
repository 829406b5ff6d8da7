#pragma once
// Where the history lives: a SQLite file (the default under the home folder)
// or a PostgreSQL server named by a postgresql://user@host:port/db URL.

#include <optional>
#include <string>

namespace kelvo6::history {

struct Location {
  enum class Kind { kSqlite, kPostgres };
  Kind kind = Kind::kSqlite;
  std::string file;  // SQLite
  std::string user, host, database;  // PostgreSQL; a host starting with '/' is a socket folder
  int port = 5432;

  // What a window or a message may show: the file, or the URL without any password.
  std::string display() const;
  bool operator==(const Location&) const = default;
};

// $HOME/TAVRIN_IE/kelvo6.sqlite
std::string defaultDatabaseFile(const std::string& home);
// $HOME/TAVRIN_IE/kelvo6-waiting.sqlite: rows a station keeps while its server is away.
std::string waitingRowsFile(const std::string& home);

// The location a setting names: empty = the default file; a postgresql:// or
// postgres:// URL = a server; anything else = a file path. A URL that carries
// a password, or cannot be read, is refused with the reason (the password is
// never repeated in it).
std::optional<Location> parseLocation(const std::string& text, const std::string& home, std::string* error);

}  // namespace kelvo6::history
