#pragma once
// SIGTERM (logout, shutdown, kill) and SIGINT (Ctrl+C) turned into a call on
// the event loop, so the program ends through its own path (windows unloaded,
// records written) instead of dying where it stands.

#include <QObject>
#include <functional>

class QSocketNotifier;

namespace kelvo6::platform {

class EndSignals : public QObject {
 public:
  // One at a time: installs the handlers; `onEnd` runs on the event loop.
  explicit EndSignals(std::function<void()> onEnd);
  ~EndSignals() override;  // the default handlers again

 private:
  std::function<void()> onEnd_;
  QSocketNotifier* notifier_ = nullptr;
};

}  // namespace kelvo6::platform
