#pragma once
// The history's storage as the rest of the program sees it: no SQL here.
// Every call answers false (or nothing) with the reason when the database
// could not do it; nothing is half-stored.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "history/model.h"

namespace kelvo6::history {

class Store {
 public:
  virtual ~Store() = default;
  // Keeps a restore point; an empty vehicle name is taken from the latest
  // restore point of the same configuration. A key already stored is kept as
  // it is (a forwarded row arrives once).
  virtual bool addSnapshot(const Snapshot& snapshot, std::string* error) = 0;
  virtual bool addWrite(const WriteEntry& write, std::string* error) = 0;
  virtual bool addEolResult(const EolResult& result, std::string* error) = 0;
  virtual bool setVehicle(const std::string& snapshotKey, const std::string& vehicle, std::string* error) = 0;

  // Newest first.
  virtual std::optional<std::vector<SnapshotSummary>> snapshots(const SnapshotFilter& filter, std::string* error) = 0;
  virtual std::optional<Snapshot> snapshot(const std::string& key, std::string* error) = 0;
  // The writes made after a restore point, oldest first.
  virtual std::optional<std::vector<WriteEntry>> writesAfter(const std::string& snapshotKey, std::string* error) = 0;
  virtual std::optional<std::vector<EolResult>> eolResults(std::string* error) = 0;
};

// A fingerprint of a configuration's values: restore points with equal values
// share it.
std::string configurationOf(const Snapshot& snapshot);

}  // namespace kelvo6::history
