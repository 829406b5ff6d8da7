#pragma once
// The history window: the restore points, newest first, filtered by vehicle
// name and date, with the writes made after the selected one; two restore
// points, or one and the ECU, compared in the compare window, from where a
// restore point goes back to the ECU through the bulk transfer. Browsing
// works without an ECU.

#include <optional>
#include <vector>

#include "app/screen.h"
#include "history/model.h"
#include "params/transfer.h"

class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;

namespace kelvo6::history {

class Journal;

class HistoryWindow : public app::Screen {
  Q_OBJECT
 public:
  explicit HistoryWindow(app::Context& ctx);
  void load() override;
  void activate() override;
  void unload() override;

  // Reads the restore points again with the filter as typed.
  void refresh();

 private:
  Journal* journal();
  std::optional<Snapshot> readSnapshot(const std::string& key);
  void showWrites();
  void saveVehicleName();
  void compareWithEcu();
  void compareSelected();
  void startRestore(const Snapshot& target);
  void restoreTick();
  void showState(const QString& text = {});
  std::vector<int> selectedRows() const;

  QLineEdit *vehicleFilter_, *fromDate_, *toDate_, *vehicleName_;
  QTableWidget *snapshots_, *writes_;
  QPushButton *filter_, *saveName_, *compareEcu_, *compareTwo_, *exit_;
  QLabel* state_;
  std::vector<SnapshotSummary> shown_;
  params::BulkTransfer transfer_;
  QString restoringTime_;
  std::unique_ptr<platform::Timer> restoreTimer_;
};

}  // namespace kelvo6::history
