#include "app/navigator.h"
#include "app/screens.h"
#include "calib/auto_calibration_window.h"
#include "calib/calibration_window.h"
#include "calib/graphical_calibration_window.h"
#include "calib/multipoint_window.h"

namespace kelvo6::calib {

void registerScreens(app::Navigator& nav) {
  nav.registerScreen("Form8", [](app::Context& c) { return new AutoCalibrationWindow(c); });
  nav.registerScreen("Form15", [](app::Context& c) { return new GraphicalCalibrationWindow(c); });
  nav.registerScreen("Form16", [](app::Context& c) { return new CalibrationWindow(c); });
  nav.registerScreen("MultiPoint", [](app::Context& c) { return new MultiPointWindow(c); });
}

}  // namespace kelvo6::calib
