// Each screenshot scene reaches the moment its picture and the fitter's guide
// describe; a change in the simulated car that moved a scene off its moment
// would otherwise only show as a wrong picture.

#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QRegularExpression>
#include <cmath>
#include <cstring>

#include "calib/chart_geometry.h"
#include "calib/graphical_calibration_window.h"
#include "calib/multipoint_window.h"
#include "core/shared.h"
#include "support/scenes.h"

namespace kelvo6::testing {
namespace {

constexpr int kEnglish = 2;
const QColor kGreen(0, 255, 0);

const Scene& scene(const char* name) {
  for (const Scene& s : scenes())
    if (std::strcmp(s.name, name) == 0) return s;
  throw std::runtime_error(name);
}
QColor fill(Harness& h, const char* form, const QString& name) {
  return h.control<QWidget>(form, name)->property("fillColor").value<QColor>();
}
QString text(Harness& h, const char* form, const char* name) { return h.control<QLineEdit>(form, name)->text(); }

TEST(Scenes, EveryWindowOpensInItalianAndEnglish) {
  for (int language : {1, 2})
    for (const Scene& s : scenes()) {
      Harness h;
      EXPECT_NE(stage(h, s, language), nullptr) << s.name << " " << language;
    }
}

TEST(Scenes, StatusIsOnGasWithTheGasLampLitAndNoChangeOverMessage) {
  Harness h;
  ASSERT_TRUE(stage(h, scene("status"), kEnglish));
  EXPECT_EQ(h.shared().live.fuelFlag, 0);
  EXPECT_EQ(fill(h, "Form3", "Shape7"), kGreen);
  EXPECT_NE(fill(h, "Form3", "Shape6"), QColor(255, 0, 0));
  EXPECT_EQ(text(h, "Form3", "Text1").trimmed(), "");
}

TEST(Scenes, CalibrationMarkerSitsOnTheCellInUse) {
  Harness h;
  ASSERT_TRUE(stage(h, scene("calibration"), kEnglish));
  QWidget* marker = h.control<QWidget>("Form16", "Shape1");
  // Axis point i is drawn at 1320 + 840 i twips across and 840 + 480 j down.
  double column = (marker->property("twipX").toInt() - 1320) / 840.0;
  double row = (marker->property("twipY").toInt() - 840) / 480.0;
  ASSERT_GE(column, -0.5);
  ASSERT_LT(column, 7.5);
  ASSERT_GE(row, -0.5);
  ASSERT_LT(row, 7.5);
  // Well inside one cell, not between two.
  EXPECT_LT(std::abs(column - std::round(column)), 0.25);
  EXPECT_LT(std::abs(row - std::round(row)), 0.25);
  int cell = 8 * static_cast<int>(std::lround(row)) + static_cast<int>(std::lround(column)) + 1;
  EXPECT_EQ(h.shared().cell(cell).ecu, h.shared().live.kgbInUse) << "cell " << cell;
  EXPECT_EQ(h.shared().live.fuelFlag, 0);
}

TEST(Scenes, ChartShowsTheSelectedCurveDrawnWithAReadOut) {
  Harness h;
  ASSERT_TRUE(stage(h, scene("calibration-chart"), kEnglish));
  auto* chart = dynamic_cast<calib::GraphicalCalibrationWindow*>(h.window("Form15"));
  ASSERT_TRUE(chart);
  EXPECT_EQ(chart->selectedCurve(), 3);
  EXPECT_EQ(chart->drawnColour(3), calib::kCurveColours[2]);  // not in the blink's hidden phase
  EXPECT_EQ(text(h, "Form15", "Text3"), QString::number(h.shared().cell(calib::chartCell(3, 4)).ecu));
}

TEST(Scenes, AutomaticCalibrationIsInItsGasPhaseShowingADeviation) {
  Harness h;
  ASSERT_TRUE(stage(h, scene("auto-calibration"), kEnglish));
  EXPECT_EQ(h.sentWithCommand(4).size(), 1u);
  EXPECT_EQ(h.shared().live.fuelFlag, 0);
  EXPECT_GT(text(h, "Form8", "Text13").toInt(), 0);
}

TEST(Scenes, MultiPointHasFivePointsAndTheirProposal) {
  Harness h;
  ASSERT_TRUE(stage(h, scene("multipoint-calibration"), kEnglish));
  auto* w = dynamic_cast<calib::MultiPointWindow*>(h.window("MultiPoint"));
  ASSERT_TRUE(w);
  EXPECT_EQ(w->run().points().size(), 5u);
  EXPECT_TRUE(w->proposal().has_value());
}

TEST(Scenes, EndOfLineHasResultsWithOneFailingCheck) {
  Harness h;
  ASSERT_TRUE(stage(h, scene("end-of-line"), kEnglish));
  EXPECT_TRUE(h.control<QLabel>("Form9", "Label12")->text().startsWith("CHIAVE OFF ENTRO"));
  int green = 0, red = 0;
  for (QWidget* lamp : h.window("Form9")->findChildren<QWidget*>(QRegularExpression("^Shape1_\\d+$"))) {
    if (!lamp->isVisibleTo(h.window("Form9"))) continue;
    QColor c = lamp->property("fillColor").value<QColor>();
    green += c == kGreen;
    red += c == QColor(255, 0, 0);
  }
  EXPECT_GT(green, 20);
  EXPECT_GE(red, 1);
}

TEST(Scenes, LevelEditorFollowsTheSenderAndUpdateShowsEveryInstruction) {
  Harness h;
  ASSERT_TRUE(stage(h, scene("indicator-parameters"), kEnglish));
  EXPECT_GT(text(h, "Form14", "Text6").toInt(), 0);
  Harness u;
  ASSERT_TRUE(stage(u, scene("software-update"), kEnglish));
  QWidget* last = u.control<QWidget>("Form7", "Label3");
  EXPECT_TRUE(last->isVisibleTo(u.window("Form7")));
}

}  // namespace
}  // namespace kelvo6::testing
