// kelvo6-screenshots: renders the program's windows offscreen, connected to
// the simulated ECU, into PNG files (make screenshots).

#include <QApplication>
#include <QDir>
#include <QImage>
#include <QPixmap>
#include <QWidget>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "support/harness.h"
#include "support/scenes.h"


using namespace kelvo6::testing;

int main(int argc, char** argv) {
  QString out = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("docs/screenshots");
  std::vector<int> languages{1, 2};
  if (argc > 2 && std::string(argv[2]) == "--all-languages") languages = {1, 2, 3};
  ensureApplication();
  QDir().mkpath(out);
  int failures = 0;
  for (int lang : languages) {
    for (const Scene& s : scenes()) {
      Harness h;
      QWidget* w = stage(h, s, lang);
      if (!w) {
        std::fprintf(stderr, "kelvo6-screenshots: %s not open for %s\n", s.form, s.name);
        ++failures;
        continue;
      }
      w->adjustSize();
      QString file = QStringLiteral("%1/%2-%3.png").arg(out, QString::fromLatin1(s.name),
                                                         QString::fromLatin1(kLanguageCode[lang]));
      // A 256-colour palette (the windows use few colours besides the text's
      // anti-aliasing) and the writer's strongest compression keep the files
      // to a third of their full-colour size.
      QImage image = w->grab().toImage().convertToFormat(QImage::Format_Indexed8, Qt::ThresholdDither | Qt::AvoidDither);
      if (!image.save(file, "PNG", 0)) ++failures;
      std::printf("%s\n", qPrintable(file));
    }
  }
  return failures == 0 ? 0 : 1;
}
