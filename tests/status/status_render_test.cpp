#include <gtest/gtest.h>

#include <QDir>
#include <QLayout>
#include <QPixmap>

#include "sim/ecu.h"
#include "status_support.h"
#include "support/caption_fit.h"

namespace kelvo6::testing {
namespace {

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
    EXPECT_TRUE(clippedCaptions(w).isEmpty()) << names[language - 1] << ": " << clippedCaptions(w).join("; ").toStdString();
    // The longest state line of the table still fits the state field.
    text(h, "Text1")->setText("Araci Yakit Degisimi icin istenen Devire Getir ve KAYDET'i Tiklayin");
    EXPECT_TRUE(clippedCaptions(w).isEmpty()) << clippedCaptions(w).join("; ").toStdString();
    h.advance(300);
    QString folder = qEnvironmentVariable("KELVO6_SNAPSHOT_DIR");
    if (!folder.isEmpty())
      w->grab().save(QDir(folder).filePath(QStringLiteral("form3_%1.png").arg(QLatin1String(names[language - 1]))));
  }
}

}  // namespace
}  // namespace kelvo6::testing
