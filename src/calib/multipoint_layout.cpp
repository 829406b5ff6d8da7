// Builds the widgets of the multi-point calibration window: the ECU's table
// and the proposed table side by side with their legend, the live values of
// the point being measured, the list of accepted points and the buttons.

#include <QCheckBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTableWidget>

#include "calib/multipoint_view.h"
#include "calib/multipoint_window.h"
#include "platform/widgets.h"

namespace kelvo6::calib {

namespace {

QLabel* makeLabel(QWidget* parent, const QString& name, const QString& text, QRect where) {
  auto* l = new QLabel(text, parent);
  l->setObjectName(name);
  l->setGeometry(where);
  return l;
}

// One table of 8 x 8 cells with its two axes: `axes` gets the RPM points then
// the TINJ points, `cells` cell 1 to 64.
void buildTable(QWidget* parent, const QString& prefix, QPoint origin, std::array<QLabel*, 16>& axes,
                std::array<QLabel*, 64>& cells) {
  const GridGeometry g{origin};
  QFont axisFont = parent->font();
  axisFont.setPointSize(8);
  axisFont.setBold(true);
  QFont cellFont = parent->font();
  cellFont.setPointSize(8);
  for (int i = 0; i < 16; ++i) {
    bool rpm = i < 8;
    QRect where = rpm ? QRect(g.cellLeft(i), g.top - kGridCellHeight, kGridCellWidth, kGridCellHeight)
                      : QRect(g.left - kGridCellWidth, g.cellTop(i - 8), kGridCellWidth, kGridCellHeight);
    QLabel* l = makeLabel(parent, QStringLiteral("%1%2_%3").arg(prefix, rpm ? "Rpm" : "Tinj").arg(i % 8), {}, where);
    l->setFont(axisFont);
    l->setAlignment(Qt::AlignCenter);
    axes[static_cast<std::size_t>(i)] = l;
  }
  for (int n = 1; n <= 64; ++n) {
    int row = (n - 1) / 8, column = (n - 1) % 8;
    QLabel* l = makeLabel(parent, QStringLiteral("%1_%2").arg(prefix).arg(n), {},
                          QRect(g.cellLeft(column), g.cellTop(row), kGridCellWidth, kGridCellHeight));
    l->setFont(cellFont);
    l->setAlignment(Qt::AlignCenter);
    l->setFrameShape(QFrame::Box);
    platform::setBackColor(l, core::colour::kWhite);
    cells[static_cast<std::size_t>(n - 1)] = l;
  }
}

}  // namespace

QLineEdit* MultiPointWindow::addField(const char* name, const char* caption, int x, int y) {
  makeLabel(this, QStringLiteral("Label_%1").arg(QString::fromLatin1(name)), QString::fromUtf8(caption), {x, y, 190, 24});
  auto* f = new QLineEdit(this);
  f->setObjectName(QString::fromLatin1(name));
  f->setGeometry(x + 192, y, 70, 24);
  f->setAlignment(Qt::AlignRight);
  f->setReadOnly(true);
  return f;
}

void MultiPointWindow::buildGrids() {
  makeLabel(this, "LabelCurrent", "Tabella attuale della centralina",
            {kCurrentTable.x() - kGridCellWidth, 42, 9 * kGridCellWidth, 20});
  makeLabel(this, "LabelProposed", "Tabella proposta", {kProposedTable.x() - kGridCellWidth, 42, 9 * kGridCellWidth, 20});
  buildTable(this, "Current", kCurrentTable, axisLabels_, current_);
  buildTable(this, "Proposed", kProposedTable, proposedAxisLabels_, proposed_);

  // Legend: what the colours of the two tables mean.
  const int y = kCurrentTable.y() + 8 * kGridCellHeight + 10;
  auto swatch = [this, y](const char* name, core::Rgb colour, int x) {
    auto* s = new platform::Lamp(this);
    s->setObjectName(QString::fromLatin1(name));
    s->setGeometry(x, y + 3, 16, 16);
    s->setFill(colour);
  };
  swatch("ShapeCovered", kCoveredBack, kCurrentTable.x() - kGridCellWidth);
  makeLabel(this, "LabelCovered", "coperto da un punto", {kCurrentTable.x() - kGridCellWidth + 20, y, 300, 22});
  int x = kProposedTable.x() - kGridCellWidth;
  swatch("ShapeHigher", kHigherBack, x);
  makeLabel(this, "LabelHigher", "sopra la centralina", {x + 20, y, 240, 22});
  swatch("ShapeLower", kLowerBack, x + 270);
  makeLabel(this, "LabelLower", "sotto la centralina", {x + 290, y, 240, 22});
  struct Mark {
    const char* name;
    const char* text;
    core::Rgb colour;
    bool bold, italic;
    int x, width;
  };
  const Mark marks[] = {
      {"LabelMeasured", "misurato", kMeasuredFore, true, false, x + 20, 100},
      {"LabelAtLimit", "al limite", kAtLimitFore, true, false, x + 125, 100},
      {"LabelNear", "vicino a un punto", kPlainFore, false, false, x + 230, 140},
      {"LabelExtrapolated", "lontano dai punti", kExtrapolatedFore, false, true, x + 375, 165},
  };
  for (const Mark& m : marks) {
    QLabel* l = makeLabel(this, m.name, m.text, {m.x, y + 24, m.width, 22});
    QFont f = l->font();
    f.setBold(m.bold);
    f.setItalic(m.italic);
    l->setFont(f);
    platform::setForeColor(l, m.colour);
  }

  // The operating point to hold next: named beside the legend, its cell framed.
  next_ = makeLabel(this, "LabelNext", {}, {kCurrentTable.x() - kGridCellWidth, y + 24, 9 * kGridCellWidth, 22});
  QFont nextFont = next_->font();
  nextFont.setBold(true);
  next_->setFont(nextFont);
  nextMarker_ = makeLabel(this, "NextMarker", {}, {0, 0, kGridCellWidth, kGridCellHeight});
  nextMarker_->setStyleSheet(QStringLiteral("border: 3px dashed rgb(255,140,0); background: transparent;"));
  nextMarker_->setAttribute(Qt::WA_TransparentForMouseEvents);
  nextMarker_->setProperty("overlay", true);
  nextMarker_->hide();

  // The live operating point over the ECU's table.
  marker_ = makeLabel(this, "Shape1", {}, {0, 0, kMarkerSize, kMarkerSize});
  marker_->setStyleSheet(QStringLiteral("border: 3px solid rgb(255,0,0); border-radius: %1px; background: transparent;")
                             .arg(kMarkerSize / 2));
  marker_->setAttribute(Qt::WA_TransparentForMouseEvents);
  marker_->setProperty("overlay", true);  // drawn over the cells on purpose
  marker_->hide();
}

void MultiPointWindow::buildLiveFields() {
  const int x = 16;
  int y = kCurrentTable.y() + 8 * kGridCellHeight + 64;
  addField("Text1", "RPM", x, y);
  addField("Text2", "TInj usec", x, y + 30);
  addField("Text3", "Tinj Benzina usec", x, y + 60);
  addField("Text4", "Tinj Gas usec", x, y + 90);
  addField("Text5", "KGB TARATURA", x, y + 120);
  addField("Text7", "KGB IN USO", x, y + 150);
  addField("Text8", "Cicli del punto", x, y + 180);
  petrolLamp_ = new platform::Lamp(this, platform::Lamp::Shape::kCircle);
  petrolLamp_->setObjectName("Shape2");
  petrolLamp_->setGeometry(x + 268, y + 62, 20, 20);
  gasLamp_ = new platform::Lamp(this, platform::Lamp::Shape::kCircle);
  gasLamp_->setObjectName("Shape3");
  gasLamp_->setGeometry(x + 268, y + 92, 20, 20);

  const int x2 = 320;
  QFont bold = font();
  bold.setBold(true);
  stableRpm_ = makeLabel(this, "Label7", "GIRI STABILI", {x2, y, 250, 22});
  stableTime_ = makeLabel(this, "Label9", "TINJ STABILI", {x2, y + 26, 250, 22});
  for (QLabel* l : {stableRpm_, stableTime_}) {
    l->setFont(bold);
    l->hide();
  }
  makeLabel(this, "Label16", "Intervallo TINJ stabili", {x2, y + 90, 160, 24});
  auto* interval = new QLineEdit(this);
  interval->setObjectName("Text10");
  interval->setGeometry(x2 + 162, y + 90, 64, 24);
  interval->setAlignment(Qt::AlignRight);
  interval->setReadOnly(true);
  intervalBar_ = new QScrollBar(Qt::Vertical, this);
  intervalBar_->setObjectName("VScroll1");
  intervalBar_->setRange(0, 1000);
  intervalBar_->setSingleStep(10);
  intervalBar_->setPageStep(100);
  intervalBar_->setGeometry(x2 + 230, y + 82, 18, 40);

  // A recorded drive makes the suggestions favour the cells the car uses.
  auto* drive = new QPushButton(QStringLiteral("APRI GUIDA REGISTRATA"), this);
  drive->setObjectName("CommandDrive");
  drive->setGeometry(x2, y + 134, 250, 30);
  connect(drive, &QPushButton::clicked, this, [this] { drivePressed(); });
  drive_ = makeLabel(this, "LabelDrive", {}, {x2, y + 166, 250, 40});
  drive_->setWordWrap(true);
}

void MultiPointWindow::buildPointList() {
  const int x = kProposedTable.x() - kGridCellWidth;
  const int y = kCurrentTable.y() + 8 * kGridCellHeight + 64;
  makeLabel(this, "LabelPoints", "Punti accettati", {x, y, 200, 20});
  // Points correct the ECU's table near them, or the fit starts afresh.
  refine_ = new QCheckBox(QStringLiteral("Parti dalla tabella della centralina"), this);
  refine_->setObjectName("CheckRefine");
  refine_->setGeometry(x + 210, y - 2, 9 * kGridCellWidth - 210, 24);
  pointList_ = new QTableWidget(0, 6, this);
  pointList_->setObjectName("PointList");
  pointList_->setGeometry(x, y + 22, 9 * kGridCellWidth, kWindowHeight - 72 - (y + 22));
  pointList_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  // One point may be chosen for REMOVE POINT; without a choice it removes the last.
  pointList_->setSelectionMode(QAbstractItemView::SingleSelection);
  pointList_->setSelectionBehavior(QAbstractItemView::SelectRows);
  pointList_->verticalHeader()->hide();
  pointList_->verticalHeader()->setDefaultSectionSize(22);
  pointList_->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
}

void MultiPointWindow::buildButtons() {
  const char* captions[] = {"",      "EXIT",   "MISURA PUNTO", "ACCETTA PUNTO", "ELIMINA PUNTO", "APPLICA TABELLA",
                            "SCARTA", "ANNULLA"};
  // Left to right in the order of the work, EXIT at the far right.
  const int order[] = {2, 3, 4, 5, 7, 6, 1};
  QFont bold = font();
  bold.setBold(true);
  for (int i = 0; i < 7; ++i) {
    int n = order[i];
    auto* b = new QPushButton(QString::fromLatin1(captions[n]), this);
    b->setObjectName(QStringLiteral("Command%1").arg(n));
    b->setGeometry(16 + 164 * i, kWindowHeight - 56, 156, 40);
    if (n == 1 || n == 2) b->setFont(bold);
    buttons_[static_cast<std::size_t>(n)] = b;
  }
}

}  // namespace kelvo6::calib
