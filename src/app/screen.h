#pragma once
// Base of every window: a named QWidget with load, activate and unload hooks,
// keep-on-top, the busy pointer, timers from the scheduler, and the default
// way a value echoed by the ECU is written into the field that shows it.

#include <QString>
#include <QWidget>
#include <memory>
#include <vector>

#include "app/context.h"
#include "link/params.h"
#include "platform/scheduler.h"

namespace kelvo6::app {

class Screen : public QWidget {
  Q_OBJECT
 public:
  Screen(Context& ctx, const QString& formName);
  ~Screen() override;

  // Hooks, called by the navigator: once after creation, each time the window
  // comes to the front (after keep-on-top is set), and when it closes.
  virtual void load() {}
  virtual void activate() {}
  virtual void unload() {}

  // The receive path writes into open windows through these.
  virtual void showParameter(int number, int value, const link::FieldRef& field);
  virtual void showCell(int /*cell*/, int /*value*/) {}
  virtual void showVersion(const QString& /*text*/) {}
  virtual void showCalibrationMode(bool /*on*/, const QString& /*title*/, const QString& /*caption*/) {}

  void setBusy(bool busy);
  bool isBusy() const;

  template <class T = QWidget>
  T* control(const QString& name) const {
    return findChild<T*>(name);
  }

 protected:
  std::unique_ptr<platform::Timer> makeTimer(const char* name, int intervalMs, std::function<void()> onTick);
  bool connected() const { return !ctx_.shared.notConnected; }
  int language() const { return ctx_.shared.language; }
  void send(const std::vector<std::uint8_t>& frame);
  core::Shared& shared() { return ctx_.shared; }
  Context& ctx() { return ctx_; }

  void closeEvent(QCloseEvent* e) override;
  bool event(QEvent* e) override;

 private:
  Context& ctx_;
  bool unloaded_ = false;
  bool tabsOrdered_ = false;
};

// Selects the option with index `value` among `options` (none when out of
// range), clears the others and marks their labels red (chosen) and blue.
void selectOption(const std::vector<QWidget*>& options, const std::vector<QWidget*>& labels, int value);

}  // namespace kelvo6::app
