#include "shell/old_line.h"

#include <algorithm>
#include <iterator>

#include "app/navigator.h"
#include "app/texts.h"

namespace kelvo6::shell {

namespace {
constexpr core::Text3 kTitle{"KELVO6 - Comunicazione", "KELVO6 - Communication", "KELVO6 - Iletisim"};
constexpr core::Text3 kText{
    "La centralina e' stata ricollegata: le finestre aperte prima vengono chiuse. Riaprirle dal menu.",
    "The ECU was connected again: the windows opened before are closed. Open them again from the main menu.",
    "ECU yeniden baglandi: onceden acilan pencereler kapatiliyor. Ana menuden tekrar acin."};
// Windows that stay: the main menu (it reads the new ECU), the settings
// dialog and messages, and the windows that follow the line on their own or
// show a recorded log. The multi-point window asks for calibration mode again
// and waits for the ECU to confirm it before measuring or writing, and it
// holds the fitter's points and a cut write that must be finished or undone.
constexpr const char* kKept[] = {"Form2", "Form4", "Form12", "Oscilloscope", "CellMap", "MultiPoint"};
}  // namespace

bool closeWindowsOfTheOldLine(app::Navigator& navigator, const app::Screen* start) {
  bool closed = false;
  for (app::Screen* s : navigator.openedAbove(start)) {
    const QString name = s->objectName();
    if (std::any_of(std::begin(kKept), std::end(kKept), [&](const char* kept) { return name == QLatin1String(kept); }))
      continue;
    // A calibration window leaves calibration mode first: the ECU behind the
    // new connection may be the same one, still in that mode.
    s->close();
    closed = true;
  }
  return closed;
}

void showWindowsClosed(app::Navigator& navigator, app::Screen* opener, int language) {
  navigator.showMessage(opener, app::text3(kTitle, language), app::text3(kText, language));
}

}  // namespace kelvo6::shell
