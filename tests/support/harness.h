#pragma once
// One harness for every window test and end-to-end test: the real program
// (windows, navigator, connection, QSerialPort) on a pseudo-terminal, with a
// simulated ECU at the other end, all on virtual time.

#include <QPoint>
#include <QString>
#include <QStringList>
#include <QWidget>
#include <cstdint>
#include <memory>
#include <vector>

namespace kelvo6 {
namespace core {
struct Shared;
}
namespace sim {
class Ecu;
}
namespace app {
class App;
}
}  // namespace kelvo6

namespace kelvo6::testing {

using Frame = std::vector<std::uint8_t>;

struct HarnessOptions {
  bool simulatedEcu = true;  // false: nothing answers, the test calls reply()
  int ecuLatencyMs = 5;      // delay before the simulated ECU's answer arrives
  bool portOpens = true;     // false: opening the port fails
  bool keepsHistory = false; // true: the program keeps its history database under the test's HOME
};

class Harness {
 public:
  explicit Harness(HarnessOptions options = {});  // program started: Form1 loaded and active
  ~Harness();
  Harness(const Harness&) = delete;
  Harness& operator=(const Harness&) = delete;

  void advance(int ms);  // move virtual time, firing timers, delivering bytes
  QWidget* window(const QString& form) const;  // loaded window by objectName, or nullptr
  template <class T = QWidget>
  T* control(const QString& form, const QString& name) const {
    QWidget* w = window(form);
    return w ? w->findChild<T*>(name) : nullptr;
  }
  void click(const QString& form, const QString& name);  // its handler has run when click returns
  void typeKeys(const QString& form, const QString& name, const QString& keys);  // key by key
  void setText(const QString& form, const QString& name, const QString& text);   // select all, overtype
  void setScroll(const QString& form, const QString& name, int value);
  void setCombo(const QString& form, const QString& name, int index);
  void mousePress(const QString& form, QPoint clientPos);  // cursor there, then button down
  void activate(const QString& form);                      // the user switches to that window
  void close(const QString& form);                         // closed from the window frame
  std::vector<Frame> sent() const;
  void clearSent();
  void reply(const Frame& chunk);  // bytes arrive from the ECU; handled before reply returns
  int beeps() const;
  void setNextFileName(const QString& path);  // answer of the next file dialog; "" = cancel
  void setNextFileNames(const QStringList& paths);  // answers of the next dialogs, in order
  QString lastDialogTitle() const;
  QString lastDialogFolder() const;
  int openedPort() const;
  QString openedSettings() const;
  bool programEnded() const;
  sim::Ecu* ecu();  // nullptr without a simulated ECU
  core::Shared& shared();
  app::App& app();

  // Beyond the common interface: the current virtual time, and the frames sent
  // with a given command code.
  std::int64_t nowMs() const;
  std::vector<Frame> sentWithCommand(int command) const;
  // The answer to the next yes/no question (then yes again), and the text of
  // the last question asked ("" when none was).
  void setNextConfirmation(bool yes);
  QString lastConfirmation() const;
  // Whether the program holds the serial port open now.
  bool portOpen() const;
  // The device goes away (adapter pulled, simulator ended): returns once the
  // program has seen the hang-up.
  void losePort();
  // The device is back at the same path (adapter plugged in again, simulator
  // restarted): a fresh pseudo-terminal behind the path the program opens.
  void restorePort();

  class Impl;

 private:
  std::unique_ptr<Impl> impl_;
};

// Makes sure a QApplication exists (offscreen platform) for tests that build
// widgets without a harness.
void ensureApplication();

}  // namespace kelvo6::testing
