#include "app/navigator.h"
#include "app/screens.h"

namespace kelvo6::params {

void registerScreens(app::Navigator& /*nav*/) {}

}  // namespace kelvo6::params
