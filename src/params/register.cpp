#include "app/navigator.h"
#include "app/screens.h"
#include "params/compare_window.h"
#include "params/cutoff_editor.h"
#include "params/hub.h"
#include "params/lambda_editor.h"
#include "params/level_editor.h"
#include "params/other_editor.h"
#include "params/switching_editor.h"

namespace kelvo6::params {

void registerScreens(app::Navigator& nav) {
  nav.registerScreen("Form5", [](app::Context& c) { return new ParameterHub(c); });
  nav.registerScreen("Form6", [](app::Context& c) { return new LambdaEditor(c); });
  nav.registerScreen("Form10", [](app::Context& c) { return new CutoffEditor(c); });
  nav.registerScreen("Form11", [](app::Context& c) { return new SwitchingEditor(c); });
  nav.registerScreen("Form13", [](app::Context& c) { return new OtherEditor(c); });
  nav.registerScreen("Form14", [](app::Context& c) { return new LevelEditor(c); });
  nav.registerScreen("Compare", [](app::Context& c) { return new CompareWindow(c); });
}

}  // namespace kelvo6::params
