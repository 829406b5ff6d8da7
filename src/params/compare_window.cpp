#include "params/compare_window.h"

#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "app/texts.h"
#include "link/param_texts.h"
#include "link/params.h"
#include "link/plausibility.h"
#include "params/form_parts.h"

namespace kelvo6::params {

namespace {

using core::Text3;

constexpr app::ControlText kTexts[] = {
    {"Command1", {"Invia alla centralina", "Send to ECU", "ECU'ya Gonder"}},
    {"Command2", {"EXIT", "EXIT", "CIKIS"}},
};
constexpr Text3 kTitleWithEcu{"KELVO6 - Confronta con centralina", "KELVO6 - Compare with ECU",
                              "KELVO6 - ECU ile Karsilastir"};
constexpr Text3 kTitleTwoWorkbooks{"KELVO6 - Confronta due vetture", "KELVO6 - Compare two workbooks",
                                   "KELVO6 - Iki Dosyayi Karsilastir"};
constexpr Text3 kCount{"Differenze: %1 (parametri %2, celle KGB %3)", "Differences: %1 (parameters %2, KGB cells %3)",
                       "Farklar: %1 (parametre %2, KGB hucresi %3)"};
constexpr Text3 kNoDifference{"Nessuna differenza", "No differences", "Fark yok"};
constexpr Text3 kGridHeading{"Tabella KGB: %1 \u2192 %2", "KGB table: %1 \u2192 %2", "KGB Tablosu: %1 \u2192 %2"};
constexpr Text3 kColumns[] = {
    {"N.", "No.", "No"},   {"Parametro", "Parameter", "Parametre"}, {"Unità", "Unit", "Birim"},
    {"", "", ""},          {"", "", ""},                            {"Nota", "Note", "Not"},
};
enum Column { kNumber, kMeaning, kUnit, kLeft, kRight, kNote, kColumnCount };

constexpr core::Rgb kDiffering = core::colour::kYellow;
constexpr core::Rgb kSame = core::colour::kWhite;
const QColor kImplausibleInk(200, 70, 0);

// "115" when both sides agree, "115 → 120" when they differ.
QString pairText(int left, int right) {
  if (left == right) return QString::number(left);
  return QStringLiteral("%1 \u2192 %2").arg(left).arg(right);
}

QTableWidgetItem* item(const QString& text, Qt::Alignment align = Qt::AlignLeft | Qt::AlignVCenter) {
  auto* i = new QTableWidgetItem(text);
  i->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
  i->setTextAlignment(align);
  return i;
}

}  // namespace

CompareWindow::CompareWindow(app::Context& ctx) : Screen(ctx, QStringLiteral("Compare")) {
  count_ = parts::heading(this, QStringLiteral("LabelCount"), {});

  params_ = new QTableWidget(0, kColumnCount, this);
  params_->setObjectName(QStringLiteral("ParameterList"));
  params_->verticalHeader()->hide();
  params_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  params_->setSelectionBehavior(QAbstractItemView::SelectRows);
  params_->horizontalHeader()->setSectionResizeMode(kMeaning, QHeaderView::Stretch);
  params_->horizontalHeader()->setSectionResizeMode(kNote, QHeaderView::Stretch);
  params_->setMinimumSize(760, 220);

  auto* grid = parts::frame(this, QStringLiteral("TableFrame"), {});
  auto* g = new QGridLayout(grid);
  g->setHorizontalSpacing(4);
  g->setVerticalSpacing(3);
  gridHeading_ = parts::label(grid, QStringLiteral("LabelGrid"), {});
  g->addWidget(gridHeading_, 0, 0, 1, 9);
  auto cellLabel = [grid](const QString& name, bool axis) {
    auto* l = new QLabel(grid);
    l->setObjectName(name);
    l->setAlignment(Qt::AlignCenter);
    l->setMinimumWidth(74);
    if (axis) {
      QFont f = l->font();
      f.setBold(true);
      l->setFont(f);
    } else {
      l->setFrameShape(QFrame::Box);
    }
    return l;
  };
  // The RPM axis across the top, the TINJ axis down the left, as on the calibration window.
  g->addWidget(parts::label(grid, QStringLiteral("LabelAxes"), QStringLiteral("TINJ \\ RPM")), 1, 0, Qt::AlignCenter);
  for (int i = 0; i < 8; ++i) {
    rpmAxis_[static_cast<std::size_t>(i)] = cellLabel(QStringLiteral("RpmAxis_%1").arg(i + 1), true);
    g->addWidget(rpmAxis_[static_cast<std::size_t>(i)], 1, i + 1);
    tinjAxis_[static_cast<std::size_t>(i)] = cellLabel(QStringLiteral("TinjAxis_%1").arg(i + 1), true);
    g->addWidget(tinjAxis_[static_cast<std::size_t>(i)], i + 2, 0);
  }
  for (int row = 0; row < 8; ++row)
    for (int column = 0; column < 8; ++column) {
      int n = cellAt(row, column);
      cells_[static_cast<std::size_t>(n - 1)] = cellLabel(QStringLiteral("Cell_%1").arg(n), false);
      g->addWidget(cells_[static_cast<std::size_t>(n - 1)], row + 2, column + 1);
    }

  send_ = parts::button(this, QStringLiteral("Command1"), {});
  exit_ = parts::button(this, QStringLiteral("Command2"), {});
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(send_);
  buttons->addStretch();
  buttons->addWidget(exit_);

  auto* v = new QVBoxLayout(this);
  v->addWidget(count_);
  v->addWidget(params_, 1);
  v->addWidget(grid);
  v->addLayout(buttons);

  connect(send_, &QPushButton::clicked, this, [this] { sendAndClose(); });
  connect(exit_, &QPushButton::clicked, this, [this] { close(); });
}

void CompareWindow::load() { app::applyTexts(this, kTexts, language()); }

void CompareWindow::showComparison(const CompareSide& left, const CompareSide& right,
                                   std::function<void(const Configuration&)> send) {
  left_ = left;
  right_ = right;
  sendTo_ = std::move(send);
  setWindowTitle(app::text3(sendTo_ ? kTitleWithEcu : kTitleTwoWorkbooks, language()));

  const Differences d = compareConfigurations(left.values, right.values);
  if (d.count() == 0) {
    count_->setText(app::text3(kNoDifference, language()));
  } else {
    count_->setText(app::text3(kCount, language()).arg(d.count()).arg(d.params.size()).arg(d.cells.size()));
  }
  fillParameters(d);
  fillGrid(d);
  send_->setVisible(static_cast<bool>(sendTo_));
  send_->setEnabled(sendTo_ && d.count() > 0);
}

void CompareWindow::fillParameters(const Differences& d) {
  QStringList headings;
  for (const Text3& t : kColumns) headings << app::text3(t, language());
  headings[kLeft] = left_.name;
  headings[kRight] = right_.name;
  params_->setHorizontalHeaderLabels(headings);
  params_->setRowCount(static_cast<int>(d.params.size()));

  const link::ParamValues& leftValues = left_.values.params;
  const link::ParamValues& rightValues = right_.values.params;
  for (int row = 0; row < static_cast<int>(d.params.size()); ++row) {
    const Difference& p = d.params[static_cast<std::size_t>(row)];
    params_->setItem(row, kNumber, item(QString::number(p.number), Qt::AlignRight | Qt::AlignVCenter));
    params_->setItem(row, kMeaning, item(QString::fromStdString(link::paramMeaning(p.number, language()))));
    params_->setItem(row, kUnit, item(QString::fromStdString(link::paramUnit(p.number, language()))));
    QStringList notes;
    // A choice shows the text its editor captions it with, a number stands right.
    const bool choice = !link::choiceTexts(p.number).empty();
    auto value = [&](Column column, int v, const link::ParamValues& all, const QString& side) {
      auto* cell = item(QString::fromStdString(link::paramValueText(p.number, v, language())),
                        choice ? Qt::AlignLeft | Qt::AlignVCenter : Qt::AlignRight | Qt::AlignVCenter);
      if (auto note = link::plausibilityNote(p.number, all)) {
        cell->setForeground(kImplausibleInk);
        notes << side + QStringLiteral(": ") + QString::fromStdString(link::plausibilityText(*note, language()));
      }
      params_->setItem(row, column, cell);
    };
    value(kRight, p.right, rightValues, right_.name);
    value(kLeft, p.left, leftValues, left_.name);
    params_->setItem(row, kNote, item(notes.join(QStringLiteral("; "))));
  }
  params_->resizeColumnsToContents();
}

void CompareWindow::fillGrid(const Differences& d) {
  gridHeading_->setText(app::text3(kGridHeading, language()).arg(left_.name, right_.name));
  std::array<bool, 64> differs{};
  for (const Difference& c : d.cells) differs[static_cast<std::size_t>(c.number - 1)] = true;
  for (int n = 1; n <= 64; ++n) {
    auto i = static_cast<std::size_t>(n - 1);
    cells_[i]->setText(pairText(left_.values.cells[i], right_.values.cells[i]));
    platform::setBackColor(cells_[i], differs[i] ? kDiffering : kSame);
  }
  for (std::size_t k = 0; k < 8; ++k) {
    auto rpm = static_cast<std::size_t>(link::param::kRpmAxisFirst - 1) + k;
    auto tinj = static_cast<std::size_t>(link::param::kTinjAxisFirst - 1) + k;
    rpmAxis_[k]->setText(pairText(left_.values.params[rpm], right_.values.params[rpm]));
    tinjAxis_[k]->setText(pairText(left_.values.params[tinj], right_.values.params[tinj]));
  }
}

void CompareWindow::sendAndClose() {
  if (!sendTo_) return;
  auto send = sendTo_;
  const Configuration values = right_.values;
  close();
  send(values);
}

}  // namespace kelvo6::params
