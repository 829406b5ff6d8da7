#pragma once
// Wires the program: shared state, connection, navigator and every window,
// and routes what the receive path writes to the open window that shows it.

#include <functional>
#include <memory>

#include "app/connection.h"
#include "app/context.h"
#include "app/navigator.h"
#include "history/hooks.h"
#include "link/display.h"

namespace kelvo6::history {
struct Location;
class Service;
}

namespace kelvo6::app {

class App : public link::Display, public history::Hooks {
 public:
  App(core::Shared& shared, platform::Scheduler& scheduler, platform::SerialPort& port, platform::Desktop& desktop);
  ~App() override;

  // Opens the start-up window.
  void start();
  // Ends the program as the fitter would: every window closed, newest first
  // (each unloads as on its EXIT), then the start-up window.
  void endProgram();

  Navigator& navigator() { return navigator_; }
  Connection& connection() { return connection_; }
  Context& context() { return context_; }

  // Keeps restore points and the write journal in the database at `location`
  // from now on; called before start().
  void openHistory(const history::Location& location);
  history::Service* historyService();
  void handshakeComplete(const std::string& vehicle) override;
  history::Journal& journal() override;

  // Called once the start-up window has closed.
  std::function<void()> onProgramEnd;

  void parameterConfirmed(int number, int value) override;
  void cellConfirmed(int cell, int value) override;
  void versionText(const std::string& text) override;
  void calibrationMode(bool on, const std::string& title, const std::string& caption) override;
  void writeAcknowledged(bool cell, int number, int oldValue, int newValue) override;

 private:
  void portLost(const std::string& reason);
  void tellHistoryProblem();

  core::Shared& shared_;
  Connection connection_;
  Navigator navigator_;
  Context context_;
  std::unique_ptr<history::Service> historyService_;
  std::unique_ptr<history::Journal> journal_;
  std::unique_ptr<platform::Timer> historyWatch_;
  std::string historyProblemTold_;
  platform::Scheduler& scheduler_;
};

}  // namespace kelvo6::app
