#pragma once
// What the running program hands to the history: a restore point when a
// handshake has read the whole configuration, and each write the ECU
// acknowledged with the value it replaced and the window it came from.
// Called on the user-interface thread; the storing happens on the history's.

#include <functional>
#include <string>

#include "core/shared.h"
#include "history/service.h"

namespace kelvo6::history {

struct Identity {
  std::string station;
  std::string operatorName;
};

// The host name and the login name of this session.
Identity defaultIdentity();
// This program's version, for the records.
std::string toolVersion();

// The configuration the ECU reported, as a restore point (key and time unset).
Snapshot snapshotOf(const core::Shared& shared);

class Journal {
 public:
  Journal(Service& service, Identity identity) : service_(service), identity_(std::move(identity)) {}

  // Keeps the ECU's configuration as it stands; later writes follow it. An
  // empty vehicle name is taken from the latest restore point of the same
  // configuration.
  void keepRestorePoint(const core::Shared& shared, const std::string& port, const std::string& vehicle = {});
  void writeAcknowledged(bool cell, int number, int oldValue, int newValue, const std::string& source);

  // Names the vehicle of this connection's restore point (once it is stored).
  void nameVehicle(const std::string& name);
  // Calls `answer` (on the history's thread) with the vehicle name this
  // connection's restore point was stored under: the one named, or the one
  // suggested by the latest restore point of the same configuration.
  void storedVehicle(std::function<void(std::string)> answer);

  // While set, writes are journalled under this source instead of the window's
  // (a restore runs through another window's transfer).
  void setSourceOverride(std::string source) { sourceOverride_ = std::move(source); }
  const std::string& currentSnapshotKey() const { return snapshotKey_; }
  const Identity& identity() const { return identity_; }
  Service& service() { return service_; }

 private:
  Service& service_;
  Identity identity_;
  std::string snapshotKey_;
  std::string sourceOverride_;
};

}  // namespace kelvo6::history
