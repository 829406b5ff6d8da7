#pragma once
// The graphical calibration window Form15: the KGB table drawn as six curves
// (one per RPM axis point 1-6) of KGB against TINJ axis points 1-7, a blinking
// selected curve, and a read-out of the point clicked. It sends nothing.

#include <array>
#include <memory>

#include "app/screen.h"
#include "calib/chart_geometry.h"
#include "platform/scheduler.h"

class QLineEdit;
class QLabel;

namespace kelvo6::platform {
class Lamp;
}

namespace kelvo6::calib {

class GraphicalCalibrationWindow : public app::Screen {
  Q_OBJECT
 public:
  explicit GraphicalCalibrationWindow(app::Context& ctx);
  ~GraphicalCalibrationWindow() override;

  void load() override;
  void activate() override;
  void unload() override;

  // What the chart draws: the y of every point and the colour of every curve.
  const CurveYs& curveYs() const { return ys_; }
  core::Rgb drawnColour(int curve) const { return drawn_[static_cast<std::size_t>(curve - 1)]; }
  int selectedCurve() const { return selected_; }

 protected:
  void mousePressEvent(QMouseEvent* e) override;

 private:
  friend class ChartArea;
  void showAxisLabels();
  void drawCurve(int curve, core::Rgb colour);
  void selectCurve(int curve);
  void blinkTick();
  void hitTest();

  QWidget* chart_ = nullptr;
  std::array<platform::Lamp*, kCurves> legendLines_{};
  std::array<QLabel*, kCurves> legendLabels_{};
  std::array<QLabel*, kColumns> columnLabels_{};
  QLineEdit* readout_[3] = {};
  CurveYs ys_{};
  std::array<core::Rgb, kCurves> drawn_{};
  int selected_ = 0;
  bool blinkPhase_ = false;
  std::unique_ptr<platform::Timer> timer1_;
};

}  // namespace kelvo6::calib
