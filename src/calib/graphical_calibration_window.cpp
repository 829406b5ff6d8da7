#include "calib/graphical_calibration_window.h"

#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>

#include "app/navigator.h"
#include "app/texts.h"
#include "calib/kgb_table.h"
#include "platform/desktop.h"
#include "platform/widgets.h"

namespace kelvo6::calib {

namespace {

using core::Text3;

constexpr app::ControlText kTexts[] = {
    {"Label1", {"RPM", "RPM", ""}},
    {"Label2", {"TINJ", "TINJ", ""}},
    {"Label3", {"Tempo iniezione", "Injection time", ""}},
    {"Label4", {"KGB", "KGB", "KGB"}},
    {"Label29", {"KGB", "KGB", "KGB"}},
    {"Label30", {"Deselezionare", "Deactivate", ""}},
    {"Command1", {"EXIT", "EXIT", "EXIT"}},
};
constexpr Text3 kTitle{"KELVO6 - Taratura grafica", "KELVO6 - Graphical calibration", "KELVO6 - "};
constexpr Text3 kTitleNotConnected{"KELVO6 - Taratura grafica Non connesso",
                                   "KELVO6 - Graphical calibration Not connected",
                                   "KELVO6 - Pas connect\xC3\xA9"};
constexpr Text3 kSelectTitle{"KELVO6 - Seleziona curva", "KELVO6 - Select the curve", ""};
constexpr Text3 kSelectText{"Occorre selezionare la curva, prima di accedere al grafico.",
                            "Please, select the curve, before reaching the graph.", ""};

constexpr core::Rgb kWindowBack{225, 225, 225};
constexpr core::Rgb kButtonBack{210, 210, 210};
constexpr QRect kChartArea{48, 16, 456, 408};  // window client pixels
constexpr int kBlinkMs = 1000;

}  // namespace

// The white chart area: grid lines and the six curves, drawn in the window's
// client pixels. Clicks pass through to the window's hit test.
class ChartArea : public QWidget {
 public:
  ChartArea(GraphicalCalibrationWindow* window) : QWidget(window), window_(window) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter p(this);
    p.fillRect(rect(), Qt::white);
    p.translate(-pos());  // draw in window client coordinates
    p.setPen(QPen(QColor(200, 200, 200), 1, Qt::DotLine));
    for (int kgb = 100; kgb <= 200; kgb += 10) p.drawLine(chartX(1) - 8, chartY(kgb), chartX(kColumns) + 8, chartY(kgb));
    for (int c = 1; c <= kColumns; ++c) p.drawLine(chartX(c), chartY(200) - 8, chartX(c), chartY(100) + 8);
    for (int r = 1; r <= kCurves; ++r) {
      core::Rgb rgb = window_->drawnColour(r);
      QColor colour(rgb.r, rgb.g, rgb.b);
      const auto& ys = window_->curveYs()[static_cast<std::size_t>(r - 1)];
      p.setPen(QPen(colour, 1));
      for (int c = 1; c < kColumns; ++c)
        p.drawLine(chartX(c + 1), ys[static_cast<std::size_t>(c)], chartX(c), ys[static_cast<std::size_t>(c - 1)]);
      p.setPen(QPen(colour, 5, Qt::SolidLine, Qt::SquareCap));
      for (int c = 1; c <= kColumns; ++c) p.drawPoint(chartX(c), ys[static_cast<std::size_t>(c - 1)]);
    }
  }

 private:
  GraphicalCalibrationWindow* window_;
};

GraphicalCalibrationWindow::GraphicalCalibrationWindow(app::Context& ctx) : Screen(ctx, QStringLiteral("Form15")) {
  setWindowTitle(app::text3(kTitle, 1));
  setFixedSize(640, 514);

  chart_ = new ChartArea(this);
  chart_->setObjectName("Shape1");
  chart_->setGeometry(kChartArea);
  chart_->setProperty("backColor", QColor(Qt::white));

  auto label = [this](const QString& name, const QString& text, QRect where, Qt::Alignment align = Qt::AlignLeft) {
    auto* l = new QLabel(text, this);
    l->setObjectName(name);
    l->setGeometry(where);
    l->setAlignment(align | Qt::AlignVCenter);
    return l;
  };
  label("Label4", "KGB", QRect(4, 0, 44, 16), Qt::AlignCenter);
  for (int k = 0; k <= 10; ++k)
    label(QStringLiteral("Label%1").arg(5 + k), QString::number(100 + 10 * k), QRect(4, chartY(100 + 10 * k) - 8, 40, 16),
          Qt::AlignRight);
  for (int c = 1; c <= kColumns; ++c)
    columnLabels_[static_cast<std::size_t>(c - 1)] =
        label(QStringLiteral("Label%1").arg(15 + c), QString(), QRect(chartX(c) - 30, 426, 60, 16), Qt::AlignCenter);
  label("Label3", "Tempo iniezione", QRect(chartX(1), 442, chartX(kColumns) - chartX(1), 18), Qt::AlignCenter);

  for (int r = 1; r <= kCurves; ++r) {
    auto* line = new platform::Lamp(this);
    line->setObjectName(QStringLiteral("Line%1").arg(3 + r));
    line->setGeometry(516, 56 + 30 * (r - 1), 32, 4);
    legendLines_[static_cast<std::size_t>(r - 1)] = line;
    auto* l = new platform::ClickableLabel(this);
    l->setObjectName(QStringLiteral("Label%1").arg(22 + r));
    l->setGeometry(554, 48 + 30 * (r - 1), 80, 20);
    l->setCursor(Qt::PointingHandCursor);
    legendLabels_[static_cast<std::size_t>(r - 1)] = l;
    connect(l, &platform::ClickableLabel::clicked, this, [this, r] { selectCurve(r); });
  }
  auto* deselect = new platform::ClickableLabel(QStringLiteral("Deselezionare"), this);
  deselect->setObjectName("Label30");
  deselect->setGeometry(516, 56 + 30 * kCurves + 10, 118, 20);
  deselect->setCursor(Qt::PointingHandCursor);
  connect(deselect, &platform::ClickableLabel::clicked, this, [this] { selected_ = 0; });

  const char* readoutCaption[3] = {"Label1", "Label2", "Label29"};
  const char* readoutText[3] = {"RPM", "TINJ", "KGB"};
  for (int i = 0; i < 3; ++i) {
    label(QString::fromLatin1(readoutCaption[i]), QString::fromLatin1(readoutText[i]), QRect(16 + 150 * i, 474, 44, 24),
          Qt::AlignRight);
    readout_[i] = new QLineEdit(this);
    readout_[i]->setObjectName(QStringLiteral("Text%1").arg(i + 1));
    readout_[i]->setGeometry(64 + 150 * i, 474, 80, 24);
    readout_[i]->setAlignment(Qt::AlignRight);
  }
  auto* exit = new QPushButton(QStringLiteral("EXIT"), this);
  exit->setObjectName("Command1");
  exit->setGeometry(520, 468, 104, 34);
  platform::setBackColor(exit, kButtonBack);
  connect(exit, &QPushButton::clicked, this, [this] { close(); });

  timer1_ = makeTimer("Timer1", kBlinkMs, [this] { blinkTick(); });
}

GraphicalCalibrationWindow::~GraphicalCalibrationWindow() = default;

void GraphicalCalibrationWindow::load() {
  ctx().desktop.setKeepOnTop(this, true);
  platform::setBackColor(this, kWindowBack);
  for (QLineEdit* r : readout_) {
    platform::setBackColor(r, kWindowBack);
    r->setText(QStringLiteral("0"));
    r->setEnabled(false);
  }
  int lang = language();
  app::applyTexts(this, kTexts, lang);
  setWindowTitle(app::text3(connected() ? kTitle : kTitleNotConnected, lang));
  if (!connected()) {
    for (int c = 1; c <= kColumns; ++c)
      shared().param(tinjAxisParam(c)).ecu = kExampleChartTinj[static_cast<std::size_t>(c - 1)];
    for (int r = 1; r <= kCurves; ++r)
      shared().param(rpmAxisParam(r)).ecu = kExampleChartRpm[static_cast<std::size_t>(r - 1)];
  }
  showAxisLabels();
}

void GraphicalCalibrationWindow::showAxisLabels() {
  for (int c = 1; c <= kColumns; ++c)
    columnLabels_[static_cast<std::size_t>(c - 1)]->setText(QString::number(shared().param(tinjAxisParam(c)).ecu));
  for (int r = 1; r <= kCurves; ++r)
    legendLabels_[static_cast<std::size_t>(r - 1)]->setText(QString::number(shared().param(rpmAxisParam(r)).ecu));
}

void GraphicalCalibrationWindow::activate() {
  selected_ = 0;
  timer1_->stop();
  timer1_->setInterval(kBlinkMs);
  auto& s = shared();
  if (!connected())
    for (int r = 1; r <= kCurves; ++r)
      for (int c = 1; c <= kColumns; ++c)
        s.cell(chartCell(r, c)).ecu = kExampleChart[static_cast<std::size_t>(r - 1)][static_cast<std::size_t>(c - 1)];
  for (int r = 1; r <= kCurves; ++r)
    for (int c = 1; c <= kColumns; ++c)
      ys_[static_cast<std::size_t>(r - 1)][static_cast<std::size_t>(c - 1)] = chartY(s.cell(chartCell(r, c)).ecu);
  for (int r = 1; r <= kCurves; ++r) drawCurve(r, kCurveColours[static_cast<std::size_t>(r - 1)]);
}

void GraphicalCalibrationWindow::unload() { timer1_->stop(); }

void GraphicalCalibrationWindow::drawCurve(int curve, core::Rgb colour) {
  drawn_[static_cast<std::size_t>(curve - 1)] = colour;
  legendLines_[static_cast<std::size_t>(curve - 1)]->setFill(colour);
  chart_->update();
}

void GraphicalCalibrationWindow::selectCurve(int curve) {
  blinkPhase_ = false;
  selected_ = curve;
  timer1_->start();
}

void GraphicalCalibrationWindow::blinkTick() {
  timer1_->stop();
  for (int r = 1; r <= kCurves; ++r) {
    bool shown = blinkPhase_ || r != selected_;
    drawCurve(r, shown ? kCurveColours[static_cast<std::size_t>(r - 1)] : core::colour::kWhite);
  }
  blinkPhase_ = !blinkPhase_;
  if (selected_ != 0) timer1_->start();
}

void GraphicalCalibrationWindow::mousePressEvent(QMouseEvent* e) {
  hitTest();
  e->accept();
}

void GraphicalCalibrationWindow::hitTest() {
  if (selected_ == 0) {
    timer1_->stop();
    ctx().navigator.showMessage(this, app::text3(kSelectTitle, language()), app::text3(kSelectText, language()));
    return;
  }
  // The cursor as the system reports it now, not the position the event carried.
  QPoint cursor = ctx().desktop.cursorPos(this);
  const auto& s = shared();
  for (const ChartPoint& hit : hitPoints(cursor.x(), cursor.y(), ys_)) {
    ctx().desktop.beep();
    if (hit.curve != selected_) continue;
    readout_[0]->setText(QString::number(s.param(rpmAxisParam(hit.curve)).ecu));
    readout_[1]->setText(QString::number(s.param(tinjAxisParam(hit.column)).ecu));
    readout_[2]->setText(QString::number(s.cell(chartCell(hit.curve, hit.column)).ecu));
  }
}

}  // namespace kelvo6::calib
