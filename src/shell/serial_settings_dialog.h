#pragma once
// The serial settings dialog Form4: port, baud rate, data bits, parity and stop
// bits for this run. OK builds the settings string from the entries chosen.

#include <QStringList>

#include "app/screen.h"
#include "shell/port_refusal.h"

class QComboBox;
class QLabel;

namespace kelvo6::shell {

// What OK produces: the port number, a device path when one was typed or a
// listed system port was picked (empty otherwise), and the settings string.
struct PortChoice {
  int portNumber = 1;
  std::string device;
  std::string settings = "9600,n,8,1";
};

// The entry chosen in each list (-1: none) and the port list's text, turned
// into the settings; `listedDevices` are the system ports after COM1..COM4.
PortChoice portChoiceFrom(int portIndex, const QString& portText, const QStringList& listedDevices, int baudIndex,
                          int dataIndex, int parityIndex, int stopIndex);

class SerialSettingsDialog : public app::Screen {
  Q_OBJECT
 public:
  explicit SerialSettingsDialog(app::Context& ctx);
  void load() override;

 private:
  void ok();
  QComboBox* combo(const char* name, const QStringList& entries, const QString& initial);
  // Entries the port cannot take (a rate not offered, 4 data bits, a bad
  // network address): say why, keep the dialog open.
  bool refuse(const DialogEntries& entries);

  QComboBox* port_;
  QComboBox* baud_;
  QComboBox* data_;
  QComboBox* parity_;
  QComboBox* stop_;
  QLabel* refusal_;  // Label6: why OK was refused
  QLabel* farEnd_;   // Label7: the line settings a network server confirmed
  QStringList listedDevices_;
};

}  // namespace kelvo6::shell
