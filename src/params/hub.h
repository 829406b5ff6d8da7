#pragma once
// The parameter hub Form5: opens the five editors and runs the three whole-set
// operations itself (load a vehicle from the archive and transfer it, save the
// ECU's configuration to the archive, restore the ECU's defaults).

#include <memory>

#include "app/screen.h"
#include "params/compare_diff.h"

class QPushButton;

namespace kelvo6::params {

struct ArchiveError;

class ParameterHub : public app::Screen {
  Q_OBJECT
 public:
  explicit ParameterHub(app::Context& ctx);
  ~ParameterHub() override;
  void load() override;
  void unload() override;

 private:
  void openEditor(const char* form);
  void setHubBusy(bool busy);
  void loadVehicle();
  void saveVehicle();
  void restoreDefaults();
  void defaultsTick();
  void transferTick();
  void twoParameterTick();
  void exit();
  void reportArchiveError(const ArchiveError& error, const QString& path);
  // Sends a configuration compared in the compare window, as a workbook load does.
  void sendConfiguration(const Configuration& values);

  QPushButton* buttons_[10] = {};  // Command1..Command9 at their numbers
  QPushButton* compareWithEcu_ = nullptr;    // Command10
  QPushButton* compareWorkbooks_ = nullptr;  // Command11
  std::unique_ptr<platform::Timer> defaults_, transfer_, twoParameters_;
};

}  // namespace kelvo6::params
