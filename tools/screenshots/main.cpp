// kelvo6-screenshots: renders the program's windows offscreen, connected to
// the simulated ECU, into PNG files (make screenshots).

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QPixmap>
#include <QProcess>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QWidget>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "eol/records_report.h"
#include "sim/ecu.h"
#include "support/harness.h"
#include "support/scenes.h"


using namespace kelvo6::testing;

namespace {

// The end-of-line report of the unit in the end-of-line picture (four
// cylinders, the EEPROM check failed), after its reset, rendered by pdftoppm.
bool endOfLineReport(const QString& out, int language) {
  kelvo6::eol::UnitResult unit{"2025-03-14T10:42:07", "2.4.1", 4, {}};
  unit.red[54] = true;
  unit.unit = "KV6-250314-0042";
  unit.station = "linea-2";
  unit.operatorName = "mrossi";
  unit.toolVersion = "1.5.0";
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

// The history window after two connections to one car, the first restore
// point named, with the editor's write made after it; the history lives in a
// folder of its own, gone once drawn.
bool historyWindow(const QString& out, int language) {
  const QByteArray home = qgetenv("HOME");
  QTemporaryDir folder;
  qputenv("HOME", folder.path().toUtf8());
  HarnessOptions options;
  options.keepsHistory = true;
  bool drawn = false;
  {
    Harness h(options);
    h.click("Form1", kLanguageButton[language]);
    h.ecu()->setParam(4, 400);
    h.click("Form1", "Command1");
    h.advance(2500);
    h.click("Form2", "Command8");
    h.setText("History", "Text4", "Fiat Punto 1.2 8V");
    h.click("History", "Command2");
    h.close("History");
    h.click("Form2", "Command4");
    h.click("Form5", "Command1");
    h.click("Form6", "Option4");
    h.setText("Form6", "Text6", "350");
    h.click("Form6", "Command2");
    h.advance(1500);
    h.close("Form6");
    h.close("Form5");
    h.click("Form2", "Command1");
    h.click("Form1", "Command1");
    h.advance(2500);
    h.click("Form2", "Command8");
    if (auto* list = h.control<QTableWidget>("History", "List1"); list && list->rowCount() == 2) {
      list->clearSelection();
      list->selectRow(1);
      QWidget* w = h.window("History");
      w->adjustSize();
      const QString file = QStringLiteral("%1/history-%2.png").arg(out, QString::fromLatin1(kLanguageCode[language]));
      QImage image = w->grab().toImage().convertToFormat(QImage::Format_Indexed8, Qt::ThresholdDither | Qt::AvoidDither);
      drawn = image.save(file, "PNG", 0);
      std::printf("%s\n", qPrintable(file));
    }
  }
  qputenv("HOME", home);
  return drawn;
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
    if (!historyWindow(out, lang)) ++failures;
  }
  return failures == 0 ? 0 : 1;
}
