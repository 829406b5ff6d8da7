#include "app/navigator.h"
#include "app/screens.h"

namespace kelvo6::calib {

void registerScreens(app::Navigator& /*nav*/) {}

}  // namespace kelvo6::calib
