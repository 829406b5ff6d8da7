#include "history/journal.h"

#include <pwd.h>
#include <unistd.h>

#include <QSysInfo>
#include <QString>

#include "link/dispatcher.h"

namespace kelvo6::history {

Identity defaultIdentity() {
  Identity id;
  id.station = QSysInfo::machineHostName().toStdString();
  for (const char* name : {"USER", "LOGNAME"}) {
    if (const QString v = qEnvironmentVariable(name); !v.isEmpty()) {
      id.operatorName = v.toStdString();
      break;
    }
  }
  // A session started without a login shell (a service, a desktop launcher)
  // may lack both variables; the account name still tells who it was.
  if (id.operatorName.empty()) {
    if (const passwd* pw = getpwuid(getuid()); pw && pw->pw_name) id.operatorName = pw->pw_name;
  }
  if (id.station.empty()) id.station = "station";
  return id;
}

std::string toolVersion() { return KELVO6_PROGRAM_VERSION; }

Snapshot snapshotOf(const core::Shared& shared) {
  Snapshot s;
  for (int n = 1; n <= kSnapshotParams; ++n) s.params[static_cast<std::size_t>(n - 1)] = shared.param(n).ecu;
  for (int n = 1; n <= kSnapshotCells; ++n) s.cells[static_cast<std::size_t>(n - 1)] = shared.cell(n).ecu;
  s.ecuSoftware = link::versionString(shared.version[0], shared.version[1], shared.version[2]);
  return s;
}

void Journal::keepRestorePoint(const core::Shared& shared, const std::string& port, const std::string& vehicle) {
  Snapshot s = snapshotOf(shared);
  s.key = makeKey(identity_.station);
  s.takenAt = nowMillis();
  s.station = identity_.station;
  s.port = port;
  s.vehicle = vehicle;
  snapshotKey_ = s.key;
  service_.record(std::move(s));
}

void Journal::nameVehicle(const std::string& name) {
  if (snapshotKey_.empty()) return;
  // After the restore point itself, which may still be on its way.
  service_.afterStored([key = snapshotKey_, name](Store& store) {
    std::string error;
    store.setVehicle(key, name, &error);
  });
}

void Journal::storedVehicle(std::function<void(std::string)> answer) {
  if (snapshotKey_.empty()) return;
  service_.afterStored([key = snapshotKey_, answer = std::move(answer)](Store& store) {
    std::string error;
    if (const auto s = store.snapshot(key, &error)) answer(s->vehicle);
  });
}

void Journal::writeAcknowledged(bool cell, int number, int oldValue, int newValue, const std::string& source) {
  if (oldValue == newValue) return;  // a repeated echo changes nothing
  WriteEntry w;
  w.key = makeKey(identity_.station);
  w.snapshotKey = snapshotKey_;
  w.writtenAt = nowMillis();
  w.station = identity_.station;
  w.operatorName = identity_.operatorName;
  w.source = sourceOverride_.empty() ? source : sourceOverride_;
  w.item = itemName(cell, number);
  w.oldValue = oldValue;
  w.newValue = newValue;
  service_.record(std::move(w));
}

}  // namespace kelvo6::history
