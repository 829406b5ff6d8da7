#pragma once
#include <string>

#include "app/context.h"

namespace kelvo6::app {
class Screen;
}

namespace kelvo6::shell {
// The port could not be opened: the message in the chosen language with the
// system's reason beneath it; closing the message ends the program.
void showPortFailure(app::Context& ctx, app::Screen* opener, const std::string& reason);
}  // namespace kelvo6::shell
