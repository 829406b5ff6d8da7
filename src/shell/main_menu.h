#pragma once
// The main menu Form2: the connection handshake (version, parameter set,
// table), the ECU's version and fuel, the fuel change, and the buttons that
// open the other windows once the ECU has answered.

#include <cstdint>
#include <memory>

#include "app/screen.h"
#include "link/frame.h"
#include "platform/scheduler.h"

class QPushButton;
class QRadioButton;
class QLabel;
class QLineEdit;

namespace kelvo6::shell {

class MainMenu : public app::Screen {
  Q_OBJECT
 public:
  explicit MainMenu(app::Context& ctx);
  ~MainMenu() override;
  void load() override;
  void activate() override;
  void unload() override;
  void showVersion(const QString& text) override;
  // A new connection was opened under the loaded menu (after a lost line):
  // start over as on loading, with the handshake.
  void reconnect();
  // The port went away under the menu: its screen buttons would send into
  // nothing, so they are disabled and a line says how to connect again.
  Q_INVOKABLE void lineLost();

 private:
  void beginHandshake();
  void handshakeTick();
  // Sends a handshake request; on a network line it is not sent again before
  // its answer had time to come back (`localMs` is the local line's pace).
  void sendHandshakeRequest(const link::Bytes& request, int localMs);
  // True, with the timer started again, while `request` was the last one sent
  // and its answer may still be on the way.
  bool answerMayStillCome(const link::Bytes& request);
  void statusTick();
  void calibrationTick();
  void fuelTick();
  void fuelChosen(int index);
  void showFuel();
  void stopTimers();
  void enableScreenButtons(bool enabled);
  void openStatus();
  void openCalibration();
  void openParameters();
  void openEndOfLine();
  void openSoftwareUpdate();
  void openOscilloscope();
  void exit();
  // The vehicle name field: the name typed goes with this connection's
  // restore point; an empty field shows the name suggested for it.
  void vehicleNamed();
  void suggestVehicle();

  QPushButton* buttons_[7] = {};  // Command1..Command6 at their numbers
  QRadioButton* fuel_[2] = {};
  QLabel* fuelLabel_[2] = {};
  QPushButton* oscilloscope_ = nullptr;  // Command7, after the described buttons
  QPushButton* history_ = nullptr;       // Command8, after the oscilloscope's
  QLineEdit* version_;
  QLineEdit* vehicle_ = nullptr;  // Text2, below the history button
  QString vehicleNamed_;          // the name last given to this connection's restore point
  QLabel* lineNote_ = nullptr;  // Label6: how to connect again after a lost line
  bool handshakeComplete_ = false;
  link::Bytes lastRequest_;     // the handshake's last request, and when it may
  std::int64_t resendAt_ = -1;  // be sent again (-1: at the usual pace)  // the ECU has answered version, parameters and table
  std::unique_ptr<platform::Timer> handshake_, waitLive_, waitCalibration_, fuelWriter_;
};

}  // namespace kelvo6::shell
