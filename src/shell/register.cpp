#include "app/navigator.h"
#include "app/screens.h"
#include "shell/main_menu.h"
#include "shell/message_window.h"
#include "shell/serial_settings_dialog.h"
#include "shell/software_update.h"
#include "shell/start_window.h"

namespace kelvo6::shell {

void registerScreens(app::Navigator& nav) {
  nav.registerScreen("Form1", [](app::Context& c) { return new StartWindow(c); });
  nav.registerScreen("Form2", [](app::Context& c) { return new MainMenu(c); });
  nav.registerScreen("Form7", [](app::Context& c) { return new SoftwareUpdateScreen(c); });
  nav.registerScreen("Form4", [](app::Context& c) { return new SerialSettingsDialog(c); });
  nav.registerScreen("Form12", [](app::Context& c) { return new MessageScreen(c); });
}

}  // namespace kelvo6::shell
