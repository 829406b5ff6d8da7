#include "history/register.h"

#include "app/navigator.h"
#include "history/history_window.h"

namespace kelvo6::history {

void registerScreens(app::Navigator& nav) {
  nav.registerScreen("History", [](app::Context& c) { return new HistoryWindow(c); });
}

}  // namespace kelvo6::history
