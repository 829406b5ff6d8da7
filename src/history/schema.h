#pragma once
// The database schema as numbered steps. A database records the last step it
// has; opening one applies the later steps in order, each in a transaction.

#include <string>
#include <vector>

namespace kelvo6::history {

enum class Dialect { kSqlite, kPostgres };

struct Migration {
  int version = 0;
  std::vector<std::string> statements;
};

// Every step from the first, in order.
const std::vector<Migration>& migrations(Dialect dialect);
int latestSchemaVersion();

}  // namespace kelvo6::history
