// The layout check itself: a check that reports nothing would let every
// window pass.

#include <gtest/gtest.h>

#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>

#include "support/caption_fit.h"
#include "support/harness.h"

namespace kelvo6::testing {
namespace {

template <class T>
T* place(QWidget* parent, const char* name, QRect where) {
  auto* w = new T(parent);
  w->setObjectName(QString::fromLatin1(name));
  w->setGeometry(where);
  return w;
}

TEST(CaptionFit, FindsCutCaptionsAcrossAndDown) {
  ensureApplication();
  QWidget window;
  window.resize(400, 300);
  place<QPushButton>(&window, "Short", QRect(0, 0, 60, 30))->setText(QStringLiteral("Maksimum Deger Olarak Belirle"));
  place<QPushButton>(&window, "Fits", QRect(0, 40, 300, 30))->setText(QStringLiteral("OK"));
  auto* wrapped = place<QLabel>(&window, "Wrapped", QRect(0, 80, 120, 18));
  wrapped->setWordWrap(true);
  wrapped->setText(QStringLiteral("Iletisimde problem var! Kablo baglantilarini kontrol edin"));
  place<QLabel>(&window, "Low", QRect(0, 120, 200, 6))->setText(QStringLiteral("Seviye"));
  place<QLabel>(&window, "Hidden", QRect(0, 140, 5, 20))->hide();
  window.show();

  QString found = clippedCaptions(&window).join('\n');
  EXPECT_TRUE(found.contains("Short \"Maksimum Deger Olarak Belirle\" cut across")) << found.toStdString();
  EXPECT_TRUE(found.contains("Wrapped") && found.contains("wrapped lines cut")) << found.toStdString();
  EXPECT_TRUE(found.contains("Low \"Seviye\" cut vertically")) << found.toStdString();
  EXPECT_FALSE(found.contains("Fits") || found.contains("Hidden")) << found.toStdString();
}

TEST(CaptionFit, FindsOverlapsButNotAFramesContentOrAnOverlay) {
  ensureApplication();
  QWidget window;
  window.resize(300, 200);
  place<QPushButton>(&window, "Left", QRect(0, 0, 100, 30));
  place<QPushButton>(&window, "Right", QRect(90, 0, 100, 30));
  place<QGroupBox>(&window, "Frame", QRect(0, 50, 200, 100));
  place<QLabel>(&window, "InFrame", QRect(10, 70, 80, 20));  // a sibling drawn inside the frame
  place<QWidget>(&window, "Marker", QRect(20, 75, 10, 10))->setProperty("overlay", true);
  place<QPushButton>(&window, "Outside", QRect(250, 180, 100, 30));
  window.show();

  QString found = overlappingControls(&window).join('\n');
  EXPECT_TRUE(found.contains("Left and Right overlap")) << found.toStdString();
  EXPECT_TRUE(found.contains("Outside reaches past the edge")) << found.toStdString();
  EXPECT_FALSE(found.contains("InFrame") || found.contains("Marker")) << found.toStdString();
}

}  // namespace
}  // namespace kelvo6::testing
