// The graphical calibration window: curves at their pixel positions, the
// legend selection and blink, the hit test and its read-out, the message for
// a click without a selected curve, and the example of not-connected mode.

#include <gtest/gtest.h>

#include <QLabel>

#include "calib/chart_geometry.h"
#include "calib/graphical_calibration_window.h"
#include "calib/session.h"

namespace kelvo6::testing {
namespace {

calib::GraphicalCalibrationWindow* chart(Harness& h) {
  return dynamic_cast<calib::GraphicalCalibrationWindow*>(h.window("Form15"));
}

void openChartNotConnected(Harness& h, int languageButton = 0) {
  openCalibrationNotConnected(h, languageButton);
  h.click("Form16", "Command5");
}

QColor pixel(Harness& h, QPoint p) { return h.window("Form15")->grab().toImage().pixelColor(p); }

TEST(GraphicalCalibration, NotConnectedDrawsTheExampleTable) {
  Harness h;
  openChartNotConnected(h);
  ASSERT_TRUE(chart(h));
  EXPECT_EQ(h.window("Form15")->windowTitle(), "KELVO6 - Taratura grafica Non connesso");
  EXPECT_EQ(chart(h)->curveYs()[5][5], 112);  // curve 6, column 6: KGB 180
  EXPECT_EQ(chart(h)->curveYs()[0][1], 400);  // KGB 90, below the labelled range
  EXPECT_EQ(pixel(h, {408, 112}), QColor(255, 0, 255));
  EXPECT_EQ(pixel(h, {152, 400}), QColor(255, 0, 0));
  EXPECT_EQ(pixel(h, {472, 176}), QColor(255, 0, 255));  // column 7 all at 160; curve 6 drawn last
  EXPECT_EQ(h.control<QLabel>("Form15", "Label16")->text(), "3000");
  EXPECT_EQ(h.control<QLabel>("Form15", "Label28")->text(), "6000");
  EXPECT_EQ(h.control<QLabel>("Form15", "Label5")->text(), "100");
  EXPECT_EQ(h.control<QLabel>("Form15", "Label15")->text(), "200");
  EXPECT_EQ(colourOf(h, "Form15", "Line6", "fillColor"), QColor(255, 255, 0));
  EXPECT_EQ(h.shared().cell(calib::chartCell(6, 6)).ecu, 180);
  EXPECT_EQ(text(h, "Form15", "Text1"), "0");
  EXPECT_FALSE(enabled(h, "Form15", "Text1"));
}

TEST(GraphicalCalibration, ClickWithoutASelectedCurveShowsTheMessage) {
  Harness h;
  openChartNotConnected(h);
  h.mousePress("Form15", {216, 200});
  ASSERT_TRUE(h.window("Form12"));
  EXPECT_EQ(h.window("Form12")->windowTitle(), "KELVO6 - Seleziona curva");
  EXPECT_EQ(h.control<QLabel>("Form12", "Label1")->text(), "Occorre selezionare la curva, prima di accedere al grafico.");
  EXPECT_EQ(h.beeps(), 0);
}

TEST(GraphicalCalibration, HitWithinTwoPixelsReadsOutTheSelectedCurvesPoint) {
  Harness h;
  openChartNotConnected(h);
  h.click("Form15", "Label25");  // curve 3
  EXPECT_EQ(chart(h)->selectedCurve(), 3);
  int y = chart(h)->curveYs()[2][2];  // column 3: all six curves have KGB 120 there
  h.mousePress("Form15", {216 + 2, y - 2});
  EXPECT_EQ(h.beeps(), 6);  // every curve's point is hit
  EXPECT_EQ(text(h, "Form15", "Text1"), "3000");
  EXPECT_EQ(text(h, "Form15", "Text2"), "7000");
  EXPECT_EQ(text(h, "Form15", "Text3"), "120");
  // Three pixels away from every point: no beep, the read-out stays.
  h.mousePress("Form15", {216 + 3, y});
  EXPECT_EQ(h.beeps(), 6);
  EXPECT_EQ(text(h, "Form15", "Text3"), "120");
  // A point of another curve only beeps.
  h.mousePress("Form15", {calib::chartX(6), calib::chartY(180)});
  EXPECT_EQ(h.beeps(), 7);
  EXPECT_EQ(text(h, "Form15", "Text3"), "120");
  h.mousePress("Form15", {calib::chartX(6), calib::chartY(150)});
  EXPECT_EQ(text(h, "Form15", "Text3"), "150");
  EXPECT_EQ(text(h, "Form15", "Text2"), "13000");
}

TEST(GraphicalCalibration, SelectedCurveBlinksAndDeselectingRestoresAll) {
  Harness h;
  openChartNotConnected(h);
  h.click("Form15", "Label24");  // curve 2
  h.advance(1000);
  EXPECT_EQ(chart(h)->drawnColour(2), core::colour::kWhite);
  EXPECT_EQ(colourOf(h, "Form15", "Line5", "fillColor"), QColor(255, 255, 255));
  EXPECT_EQ(pixel(h, {calib::chartX(4), calib::chartY(120)}), QColor(255, 255, 255));  // only curve 2 is there
  EXPECT_EQ(chart(h)->drawnColour(1), (core::Rgb{255, 0, 0}));
  h.advance(1000);
  EXPECT_EQ(chart(h)->drawnColour(2), (core::Rgb{0, 255, 0}));
  h.advance(1000);
  EXPECT_EQ(chart(h)->drawnColour(2), core::colour::kWhite);
  h.click("Form15", "Label30");  // during the hidden phase
  EXPECT_EQ(chart(h)->selectedCurve(), 0);
  EXPECT_FALSE(h.window("Form12"));  // the label's click is not also a press on the chart
  h.advance(1000);
  for (int r = 1; r <= 6; ++r) EXPECT_EQ(chart(h)->drawnColour(r), calib::kCurveColours[r - 1]) << r;
  h.advance(3000);
  for (int r = 1; r <= 6; ++r) EXPECT_EQ(chart(h)->drawnColour(r), calib::kCurveColours[r - 1]) << r;
  // Nothing selected again: a click brings the message.
  h.mousePress("Form15", {88, 368});
  EXPECT_TRUE(h.window("Form12"));
}

TEST(GraphicalCalibration, ConnectedShowsTheEcuTableAndSendsNothing) {
  Harness h;
  h.ecu()->setCell(calib::chartCell(2, 5), 150);  // curve 2, column 5
  h.ecu()->setParam(35, 1800);
  openCalibration(h, 4);
  h.click("Form16", "Command7");  // a write completes: the chart button is enabled
  h.advance(200);
  h.clearSent();
  h.click("Form16", "Command5");
  ASSERT_TRUE(chart(h));
  EXPECT_EQ(h.window("Form15")->windowTitle(), "KELVO6 - Graphical calibration");
  EXPECT_EQ(h.control<QLabel>("Form15", "Label30")->text(), "Deactivate");
  EXPECT_EQ(chart(h)->curveYs()[1][4], calib::chartY(150));
  EXPECT_EQ(chart(h)->curveYs()[0][0], calib::chartY(115));
  EXPECT_EQ(h.control<QLabel>("Form15", "Label24")->text(), "1800");
  h.click("Form15", "Label24");
  h.mousePress("Form15", {calib::chartX(5), calib::chartY(150) + 1});
  EXPECT_EQ(text(h, "Form15", "Text1"), "1800");
  EXPECT_EQ(text(h, "Form15", "Text2"), "9000");  // the simulated ECU's fifth injection-time point
  h.advance(5000);
  EXPECT_TRUE(h.sent().empty());  // the calibration window's timers are stopped too
  h.click("Form15", "Command1");
  EXPECT_FALSE(h.window("Form15"));
  h.advance(300);
  EXPECT_EQ(h.sentWithCommand(10).size(), 1u);  // polling again on the calibration window
}

}  // namespace
}  // namespace kelvo6::testing
