#pragma once
// Every window of the program, each opened on the simulated ECU in a moment a
// fitter meets it: used by the screenshot tool and by the layout tests.

#include <QString>
#include <functional>
#include <vector>

#include "support/harness.h"

namespace kelvo6::testing {

struct Scene {
  const char* name;  // file-name stem of the picture
  const char* form;  // objectName of the window shown
  std::function<void(Harness&)> setUp;
};

// The scenes, in the order a fitter meets the windows.
const std::vector<Scene>& scenes();

// Form1's language buttons and the codes used in file names; index 1..3 =
// Italian, English, Turkish.
inline const char* const kLanguageButton[] = {"", "Command3", "Command4", "Command5"};
inline const char* const kLanguageCode[] = {"", "it", "en", "tr"};

// A fresh program in `language` (1..3) with `scene` set up; the scene's window,
// or nullptr when it did not open.
QWidget* stage(Harness& h, const Scene& scene, int language);

}  // namespace kelvo6::testing
