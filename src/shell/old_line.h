#pragma once
// A new connection after a lost line: the windows that showed the ECU of the
// old connection close, so none goes on showing another ECU's state.

namespace kelvo6::app {
class Navigator;
class Screen;
}  // namespace kelvo6::app

namespace kelvo6::shell {

// Closes every window opened above `start` that shows the ECU's state;
// true when any was closed. A calibration window closes as its EXIT does.
bool closeWindowsOfTheOldLine(app::Navigator& navigator, const app::Screen* start);
// Tells the fitter, over `opener`, that the windows were closed.
void showWindowsClosed(app::Navigator& navigator, app::Screen* opener, int language);

}  // namespace kelvo6::shell
