// kelvo6-screenshots: renders the program's windows offscreen, connected to
// the simulated ECU, into PNG files (make screenshots).

#include <QApplication>
#include <QDir>
#include <QPixmap>
#include <QWidget>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "sim/ecu.h"
#include "support/harness.h"

namespace {

using kelvo6::testing::Harness;

struct Scene {
  const char* name;
  const char* form;
  std::function<void(Harness&)> setUp;
};

void connect(Harness& h) {
  h.click("Form1", "Command1");
  h.advance(2500);
}

const std::vector<Scene>& scenes() {
  static const std::vector<Scene> all = {
      {"start", "Form1", [](Harness&) {}},
      {"main-menu", "Form2", connect},
      {"serial-settings", "Form4", [](Harness& h) { h.click("Form1", "Command6"); }},
      {"line-failure", "Form12",
       [](Harness& h) {
         h.ecu()->setSilent(true);
         h.click("Form1", "Command1");
         h.advance(1000);
       }},
  };
  return all;
}

const char* kLanguageButton[] = {"", "Command3", "Command4", "Command5"};
const char* kLanguageCode[] = {"", "it", "en", "tr"};

}  // namespace

int main(int argc, char** argv) {
  QString out = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("docs/screenshots");
  std::vector<int> languages{1, 2};
  if (argc > 2 && std::string(argv[2]) == "--all-languages") languages = {1, 2, 3};
  kelvo6::testing::ensureApplication();
  QDir().mkpath(out);
  int failures = 0;
  for (int lang : languages) {
    for (const Scene& s : scenes()) {
      Harness h;
      h.click("Form1", kLanguageButton[lang]);
      s.setUp(h);
      QWidget* w = h.window(QString::fromLatin1(s.form));
      if (!w) {
        std::fprintf(stderr, "kelvo6-screenshots: %s not open for %s\n", s.form, s.name);
        ++failures;
        continue;
      }
      w->adjustSize();
      QString file = QStringLiteral("%1/%2-%3.png").arg(out, QString::fromLatin1(s.name),
                                                         QString::fromLatin1(kLanguageCode[lang]));
      if (!w->grab().save(file)) ++failures;
      std::printf("%s\n", qPrintable(file));
    }
  }
  return failures == 0 ? 0 : 1;
}
