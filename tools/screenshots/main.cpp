// kelvo6-screenshots: renders the program's windows offscreen, connected to
// the simulated ECU, into PNG files (make screenshots).

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QPixmap>
#include <QProcess>
#include <QWidget>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "eol/records_report.h"
#include "support/harness.h"
#include "support/scenes.h"


using namespace kelvo6::testing;

namespace {

// The end-of-line report of the unit in the end-of-line picture (four
// cylinders, the EEPROM check failed), after its reset, rendered by pdftoppm.
bool endOfLineReport(const QString& out, int language) {
  kelvo6::eol::UnitResult unit{"2025-03-14T10:42:07", "2.4.1", 4, {}};
  unit.red[54] = true;
  const QString stem = QStringLiteral("%1/end-of-line-report-%2").arg(out, QString::fromLatin1(kLanguageCode[language]));
  if (!kelvo6::eol::writeReport(stem + ".pdf", unit, language).isEmpty()) return false;
  QProcess pdftoppm;
  pdftoppm.start(QStringLiteral("pdftoppm"), {"-r", "80", "-png", "-singlefile", stem + ".pdf", stem});
  bool rendered = pdftoppm.waitForFinished(30000) && pdftoppm.exitCode() == 0;
  QFile::remove(stem + ".pdf");
  if (!rendered) return false;
  QImage page(stem + ".png");
  std::printf("%s.png\n", qPrintable(stem));
  return page.convertToFormat(QImage::Format_Indexed8, Qt::ThresholdDither | Qt::AvoidDither).save(stem + ".png", "PNG", 0);
}

}  // namespace

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
    if (!endOfLineReport(out, lang)) ++failures;
  }
  return failures == 0 ? 0 : 1;
}
