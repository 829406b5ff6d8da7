#include "scope/cell_map_window.h"

#include <QButtonGroup>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

#include "app/texts.h"
#include "core/rounding.h"
#include "scope/scope_texts.h"

namespace kelvo6::scope {

namespace {

constexpr int kHeadWidth = 64, kHeadHeight = 26, kCellWidth = 96, kCellHeight = 58;
const QColor kThin(205, 205, 205);

// Blue for the lowest value shown, through green, to red for the highest.
QColor scaleColour(double fraction) {
  fraction = std::clamp(fraction, 0.0, 1.0);
  if (fraction < 0.5) return QColor::fromRgbF(0.55f, static_cast<float>(0.7 + 0.3 * fraction * 2), static_cast<float>(1.0 - 0.45 * fraction * 2));
  const double f = (fraction - 0.5) * 2;
  return QColor::fromRgbF(static_cast<float>(0.55 + 0.45 * f), static_cast<float>(1.0 - 0.45 * f), 0.55f);
}

}  // namespace

CellGrid::CellGrid(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("CellGrid"));
  setFixedSize(sizeHint());
}

QSize CellGrid::sizeHint() const { return {kHeadWidth + 8 * kCellWidth + 2, kHeadHeight + 8 * kCellHeight + 2}; }

QString CellGrid::cellText(int row, int column) const {
  const datalog::CellTally& t = map_.at(fuel_, row, column);
  if (t.count == 0) return {};
  return QStringLiteral("n %1\n%2 mV\n%3 us")
      .arg(t.count)
      .arg(core::roundHalfEven(t.lambdaAverage()))
      .arg(core::roundHalfEven(t.timeAverage()));
}

QColor CellGrid::cellColour(int row, int column) const {
  const datalog::CellTally& t = map_.at(fuel_, row, column);
  if (t.count == 0) return Qt::white;
  if (t.count < kThinCell) return kThin;
  auto value = [this](const datalog::CellTally& c) { return byLambda_ ? c.lambdaAverage() : c.timeAverage(); };
  double lo = 1e18, hi = -1e18;
  for (int r = 0; r < 8; ++r)
    for (int c = 0; c < 8; ++c)
      if (const auto& other = map_.at(fuel_, r, c); other.count >= kThinCell) {
        lo = std::min(lo, value(other));
        hi = std::max(hi, value(other));
      }
  return scaleColour(hi > lo ? (value(t) - lo) / (hi - lo) : 0.5);
}

void CellGrid::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), palette().window());
  QFont bold = font();
  bold.setBold(true);
  p.setFont(bold);
  p.drawText(QRect(0, 0, kHeadWidth, kHeadHeight), Qt::AlignCenter, QStringLiteral("TINJ\\RPM"));
  for (int c = 0; c < 8; ++c)
    p.drawText(QRect(kHeadWidth + c * kCellWidth, 0, kCellWidth, kHeadHeight), Qt::AlignCenter,
               QString::number(map_.rpmAxis[static_cast<std::size_t>(c)]));
  for (int r = 0; r < 8; ++r)
    p.drawText(QRect(0, kHeadHeight + r * kCellHeight, kHeadWidth - 4, kCellHeight), Qt::AlignRight | Qt::AlignVCenter,
               QString::number(map_.tinjAxis[static_cast<std::size_t>(r)]));
  p.setFont(font());
  for (int r = 0; r < 8; ++r)
    for (int c = 0; c < 8; ++c) {
      QRect cell(kHeadWidth + c * kCellWidth, kHeadHeight + r * kCellHeight, kCellWidth, kCellHeight);
      p.fillRect(cell, cellColour(r, c));
      p.setPen(QColor(120, 120, 120));
      p.drawRect(cell);
      p.setPen(Qt::black);
      QString text = cellText(r, c);
      p.drawText(cell.adjusted(2, 2, -2, -2), Qt::AlignCenter, text.isEmpty() ? QStringLiteral("-") : text);
    }
}

CellMapWindow::CellMapWindow(app::Context& ctx) : Screen(ctx, QStringLiteral("CellMap")) {
  setWindowTitle(app::text3(kCellMapTitle, 1));
  grid_ = new CellGrid(this);
  auto radio = [this](const char* name, const char* caption) {
    auto* b = new QRadioButton(QString::fromLatin1(caption), this);
    b->setObjectName(QString::fromLatin1(name));
    return b;
  };
  petrol_ = radio("FuelPetrol", "Benzina");
  gas_ = radio("FuelGas", "Gas");
  byLambda_ = radio("ColourLambda", "Colore: lambda 1");
  byTime_ = radio("ColourTime", "Colore: Tinj benzina");
  auto* fuelGroup = new QButtonGroup(this);
  fuelGroup->addButton(petrol_);
  fuelGroup->addButton(gas_);
  auto* colourGroup = new QButtonGroup(this);
  colourGroup->addButton(byLambda_);
  colourGroup->addButton(byTime_);
  gas_->setChecked(true);
  byLambda_->setChecked(true);
  auto* legend = new QLabel(this);
  legend->setObjectName("Legend");
  note_ = new QLabel(this);
  note_->setObjectName("Note");
  auto* exit = new QPushButton(QStringLiteral("EXIT"), this);
  exit->setObjectName("Exit");
  exit->setMinimumHeight(30);

  auto* choices = new QHBoxLayout;
  for (QWidget* w : {static_cast<QWidget*>(petrol_), static_cast<QWidget*>(gas_)}) choices->addWidget(w);
  choices->addSpacing(30);
  for (QWidget* w : {static_cast<QWidget*>(byLambda_), static_cast<QWidget*>(byTime_)}) choices->addWidget(w);
  choices->addStretch();
  auto* v = new QVBoxLayout(this);
  v->addLayout(choices);
  v->addWidget(grid_);
  v->addWidget(legend);
  v->addWidget(note_);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(exit);
  v->addLayout(buttons);

  connect(petrol_, &QRadioButton::toggled, this,
          [this](bool on) { grid_->setFuel(on ? datalog::Fuel::kPetrol : datalog::Fuel::kGas); });
  connect(byLambda_, &QRadioButton::toggled, this, [this](bool on) { grid_->setColourByLambda(on); });
  connect(exit, &QPushButton::clicked, this, [this] { close(); });
}

void CellMapWindow::load() {
  app::applyTexts(this, cellMapCaptions(), language());
  resize(sizeHint());
}

void CellMapWindow::showMap(const CellMapSource& source) {
  QString title = app::text3(kCellMapTitle, language());
  if (!source.title.isEmpty()) title += QStringLiteral(" - ") + source.title;
  setWindowTitle(title);
  grid_->setMap(source.data ? datalog::cellMap(*source.data, source.rpmAxis, source.tinjAxis) : datalog::CellMap{});
  static const core::Text3* const kAxesTexts[] = {&kNoAxes, &kEcuAxes, &kLogAxes};
  note_->setText(app::text3(*kAxesTexts[static_cast<int>(source.axes)], language()));
}

}  // namespace kelvo6::scope
