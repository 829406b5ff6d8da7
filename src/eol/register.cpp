#include "app/navigator.h"
#include "app/screens.h"

namespace kelvo6::eol {

void registerScreens(app::Navigator& /*nav*/) {}

}  // namespace kelvo6::eol
