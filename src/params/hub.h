#pragma once
// The parameter hub Form5: opens the five editors and runs the three whole-set
// operations itself (load a vehicle from the archive and transfer it, save the
// ECU's configuration to the archive, restore the ECU's defaults). A line under
// the buttons tells how the operation goes and how it ended; one stopped by an
// editor opened meanwhile can be continued.

#include <memory>

#include "app/screen.h"
#include "params/compare_diff.h"
#include "params/transfer.h"

class QPushButton;

namespace kelvo6::params {

struct ArchiveError;
namespace parts {
class MessageLine;
}

class ParameterHub : public app::Screen {
  Q_OBJECT
 public:
  explicit ParameterHub(app::Context& ctx);
  ~ParameterHub() override;
  void load() override;
  void unload() override;

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  enum class Defaults { kIdle, kRunning, kDone, kInterrupted };

  void openEditor(const char* form);
  void setHubBusy(bool busy);
  void loadVehicle();
  void saveVehicle();
  void restoreDefaults();
  void defaultsTick();
  void transferTick();
  void twoParameterTick();
  // Stops a running transfer or restore where it stands and returns to idle,
  // saying what is left and offering to continue.
  void interrupt();
  void continueOperation();
  bool mayLeave();
  void showStatus(const QString& text);
  void showTransferStatus();
  // An operation that ended without changing anything says so, in place of
  // what the line said of an earlier one; an interrupted operation still on
  // offer keeps its line.
  void replaceOutcome(const QString& text);
  void offerContinue(bool offer);
  void reportArchiveError(const ArchiveError& error, const QString& path);
  // Sends a configuration compared in the compare window, as a workbook load does.
  void sendConfiguration(const Configuration& values);
  void startTransfer();

  QPushButton* buttons_[10] = {};  // Command1..Command9 at their numbers
  QPushButton* continue_ = nullptr;  // offered after an interrupted operation
  QPushButton* compareWithEcu_ = nullptr;    // Command10
  QPushButton* compareWorkbooks_ = nullptr;  // Command11
  parts::MessageLine* status_ = nullptr;
  BulkTransfer transfer_;
  Defaults defaults_ = Defaults::kIdle;
  std::unique_ptr<platform::Timer> defaultsTimer_, transferTimer_, twoParameters_;
};

}  // namespace kelvo6::params
