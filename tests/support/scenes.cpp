#include "support/scenes.h"

#include <QLayout>

#include "sim/ecu.h"

namespace kelvo6::testing {
namespace {

// MENU and the handshake with the simulated ECU.
void connect(Harness& h) {
  h.click("Form1", "Command1");
  h.advance(2500);
}

// From the main menu, then from the parameter hub.
std::function<void(Harness&)> fromMenu(const char* button) {
  return [button](Harness& h) {
    connect(h);
    h.click("Form2", button);
    h.advance(600);
  };
}
std::function<void(Harness&)> fromHub(const char* button) {
  return [button](Harness& h) {
    fromMenu("Command4")(h);
    h.click("Form5", button);
    h.advance(600);
  };
}
std::function<void(Harness&)> fromCalibration(const char* button) {
  return [button](Harness& h) {
    fromMenu("Command5")(h);
    h.click("Form16", button);
    h.advance(600);
  };
}

}  // namespace

const std::vector<Scene>& scenes() {
  static const std::vector<Scene> all = {
      {"start", "Form1", [](Harness&) {}},
      {"serial-settings", "Form4", [](Harness& h) { h.click("Form1", "Command6"); }},
      {"line-failure", "Form12",
       [](Harness& h) {
         h.ecu()->setSilent(true);
         h.click("Form1", "Command1");
         h.advance(1000);
       }},
      {"main-menu", "Form2", connect},
      {"status", "Form3",
       [](Harness& h) {
         h.ecu()->engine().setTemperature(55);  // warm: the kit changes over to gas
         fromMenu("Command3")(h);
         h.advance(8000);
       }},
      {"parameters", "Form5", fromMenu("Command4")},
      {"lambda-parameters", "Form6", fromHub("Command1")},
      {"cutoff-parameters", "Form10", fromHub("Command2")},
      {"switching-parameters", "Form11", fromHub("Command3")},
      {"indicator-parameters", "Form14", fromHub("Command4")},
      {"other-parameters", "Form13", fromHub("Command6")},
      {"calibration", "Form16",
       [](Harness& h) {
         fromMenu("Command5")(h);
         h.advance(2000);
       }},
      {"calibration-chart", "Form15",
       [](Harness& h) {
         fromMenu("Command5")(h);
         h.click("Form16", "Command7");  // the chart opens once the table is written
         h.advance(4000);
         h.click("Form16", "Command5");
         h.advance(600);
       }},
      {"auto-calibration", "Form8", fromCalibration("Command8")},
      {"end-of-line", "Form9", fromMenu("Command2")},
      {"software-update", "Form7", fromMenu("Command6")},
  };
  return all;
}

QWidget* stage(Harness& h, const Scene& scene, int language) {
  h.click("Form1", kLanguageButton[language]);
  scene.setUp(h);
  QWidget* w = h.window(QString::fromLatin1(scene.form));
  if (w && w->layout()) w->layout()->activate();
  return w;
}

}  // namespace kelvo6::testing
