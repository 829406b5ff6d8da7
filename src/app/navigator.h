#pragma once
// Which window opened which. Opening shows a window without blocking and
// activates it; closing activates its opener (or the nearest living ancestor);
// the user switching windows activates the one switched to. Closing the
// start-up window ends the program.

#include <QPointer>
#include <QString>
#include <functional>
#include <map>
#include <vector>

#include "app/screen.h"

namespace kelvo6::app {

// A window that shows one message (the message window).
class MessageWindow {
 public:
  virtual ~MessageWindow() = default;
  virtual void setMessage(const QString& title, const QString& text) = 0;
  // A second line beneath the message: what the system reported.
  virtual void setDetail(const QString& detail) = 0;
};

class Navigator {
 public:
  using Factory = std::function<Screen*(Context&)>;

  void setContext(Context* ctx) { ctx_ = ctx; }
  void registerScreen(const QString& form, Factory factory);
  bool knows(const QString& form) const { return factories_.count(form) > 0; }

  // Loads (unless loaded), shows and activates the window; `prepare` runs after
  // load and before it is shown. Returns nullptr for a window not built here.
  Screen* open(const QString& form, Screen* opener, const std::function<void(Screen*)>& prepare = {});
  // The message window with a title and a text.
  Screen* showMessage(Screen* opener, const QString& title, const QString& text);

  // Makes the window the active one and runs its activation.
  void activate(Screen* screen);
  // The window system says the user switched to `screen`.
  void windowSystemActivated(Screen* screen);
  // The window has closed (from Screen::closeEvent).
  void closed(Screen* screen);

  Screen* find(const QString& form) const;
  std::vector<Screen*> loaded() const;
  // The loaded windows opened from `base`, directly or through others, the
  // most recently opened first.
  std::vector<Screen*> openedAbove(const Screen* base) const;
  Screen* active() const { return active_; }

  // In tests activation is explicit only; the window system's own activation
  // events (which arrive asynchronously) are ignored.
  void setFollowWindowSystem(bool follow) { followWindowSystem_ = follow; }
  std::function<void()> onProgramEnd;

 private:
  void runActivation(Screen* screen);
  struct Entry {
    QPointer<Screen> screen;
    QPointer<Screen> opener;
  };
  Context* ctx_ = nullptr;
  std::map<QString, Factory> factories_;
  std::vector<Entry> entries_;
  QPointer<Screen> active_;
  bool followWindowSystem_ = true;
};

}  // namespace kelvo6::app
