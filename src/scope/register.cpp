#include "app/navigator.h"
#include "app/screens.h"
#include "scope/cell_map_window.h"
#include "scope/oscilloscope_window.h"

namespace kelvo6::scope {

void registerScreens(app::Navigator& nav) {
  nav.registerScreen("Oscilloscope", [](app::Context& c) { return new OscilloscopeWindow(c); });
  nav.registerScreen("CellMap", [](app::Context& c) { return new CellMapWindow(c); });
}

}  // namespace kelvo6::scope
