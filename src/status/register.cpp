#include "app/navigator.h"
#include "app/screens.h"
#include "status/status_window.h"

namespace kelvo6::status {

void registerScreens(app::Navigator& nav) {
  nav.registerScreen("Form3", [](app::Context& c) { return new StatusScreen(c); });
}

}  // namespace kelvo6::status
