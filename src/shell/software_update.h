#pragma once
// The software update window Form7: asks the ECU for its download mode, then
// shows the fitter the three steps that hand the ECU to the download tool,
// and closes. Once an update has been started the main menu and the start-up
// window close after it, which releases the serial port.

#include <array>
#include <memory>

#include "app/screen.h"
#include "platform/scheduler.h"

class QLabel;

namespace kelvo6::shell {

class SoftwareUpdateScreen : public app::Screen {
  Q_OBJECT
 public:
  explicit SoftwareUpdateScreen(app::Context& ctx);
  ~SoftwareUpdateScreen() override;
  void load() override;
  void activate() override;
  void unload() override;

 private:
  void start();
  void tick();

  std::array<QLabel*, 3> instructions_{};  // Label1..Label3
  int step_ = 0;
  std::unique_ptr<platform::Timer> timer_;
};

}  // namespace kelvo6::shell
