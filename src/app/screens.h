#pragma once
// Each subsystem registers its windows with the navigator.

namespace kelvo6::app {
class Navigator;
}

namespace kelvo6 {
namespace shell { void registerScreens(app::Navigator& navigator); }
namespace status { void registerScreens(app::Navigator& navigator); }
namespace params { void registerScreens(app::Navigator& navigator); }
namespace calib { void registerScreens(app::Navigator& navigator); }
namespace eol { void registerScreens(app::Navigator& navigator); }
namespace scope { void registerScreens(app::Navigator& navigator); }
}  // namespace kelvo6
