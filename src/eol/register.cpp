#include "app/navigator.h"
#include "app/screens.h"
#include "eol/end_of_line_window.h"

namespace kelvo6::eol {

void registerScreens(app::Navigator& nav) {
  nav.registerScreen("Form9", [](app::Context& c) { return new EndOfLineWindow(c); });
}

}  // namespace kelvo6::eol
