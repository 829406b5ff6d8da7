#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QPixmap>

#include "sim/ecu.h"
#include "status_support.h"

namespace kelvo6::testing {
namespace {

// Captions and values that do not fit the room their widget has.
QStringList clipped(QWidget* window) {
  QStringList out;
  auto check = [&](QWidget* w, const QString& text, int margin) {
    if (!w->isVisibleTo(window) || text.isEmpty()) return;
    int need = w->fontMetrics().horizontalAdvance(text) + margin;
    if (need > w->width()) out << QStringLiteral("%1 \"%2\" needs %3 has %4").arg(w->objectName(), text).arg(need).arg(w->width());
  };
  for (auto* l : window->findChildren<QLabel*>()) check(l, l->text(), 0);
  for (auto* b : window->findChildren<QAbstractButton*>()) check(b, b->text(), 8);
  for (auto* g : window->findChildren<QGroupBox*>()) check(g, g->title(), 12);
  for (auto* e : window->findChildren<QLineEdit*>()) check(e, e->text(), 6);
  return out;
}

TEST(StatusWindowRendering, EveryCaptionFitsInEachLanguage) {
  const char* flags[] = {"Command3", "Command4", "Command5"};
  const char* names[] = {"it", "en", "tr"};
  for (int language = 1; language <= 3; ++language) {
    Harness h;
    h.ecu()->setParam(57, 1);  // both pressure sensors, so every group is on show
    h.ecu()->setParam(3, 1);
    h.ecu()->engine().setTemperature(40);
    h.click("Form1", flags[language - 1]);
    openStatus(h);
    QWidget* w = h.window("Form3");
    ASSERT_TRUE(w);
    h.advance(6000);
    w->layout()->activate();
    EXPECT_TRUE(clipped(w).isEmpty()) << names[language - 1] << ": " << clipped(w).join("; ").toStdString();
    // The longest state line of the table still fits the state field.
    text(h, "Text1")->setText("Araci Yakit Degisimi icin istenen Devire Getir ve KAYDET'i Tiklayin");
    EXPECT_TRUE(clipped(w).isEmpty()) << clipped(w).join("; ").toStdString();
    h.advance(300);
    QString folder = qEnvironmentVariable("KELVO6_SNAPSHOT_DIR");
    if (!folder.isEmpty())
      w->grab().save(QDir(folder).filePath(QStringLiteral("form3_%1.png").arg(QLatin1String(names[language - 1]))));
  }
}

}  // namespace
}  // namespace kelvo6::testing
