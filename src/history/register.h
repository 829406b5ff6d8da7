#pragma once

namespace kelvo6::app {
class Navigator;
}

namespace kelvo6::history {
void registerScreens(kelvo6::app::Navigator& nav);
}
