#include "history/history_window.h"

#include <QDate>
#include <QDateTime>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "app/connection.h"
#include "app/navigator.h"
#include "history/history_texts.h"
#include "history/hooks.h"
#include "history/journal.h"
#include "params/compare_window.h"
#include "params/form_parts.h"

namespace kelvo6::history {

namespace {

constexpr int kRestoreTickMs = 100;  // as the hub's bulk transfer
constexpr int kMostShown = 2000;     // the newest restore points listed at once
const std::string kRestoreSource = "History";

QString qs(const std::string& s) { return QString::fromStdString(s); }
QString localTime(Millis t) {
  return QDateTime::fromMSecsSinceEpoch(t).toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

QTableWidget* table(QWidget* parent, const QString& name, std::initializer_list<int> widths) {
  auto* t = new QTableWidget(0, static_cast<int>(widths.size()), parent);
  int column = 0;
  for (int w : widths) t->setColumnWidth(column++, w);
  t->setWordWrap(false);
  t->setObjectName(name);
  t->verticalHeader()->hide();
  t->setEditTriggers(QAbstractItemView::NoEditTriggers);
  t->setSelectionBehavior(QAbstractItemView::SelectRows);
  t->horizontalHeader()->setStretchLastSection(true);
  return t;
}

void setHeadings(QTableWidget* t, std::span<const core::Text3> headings, int language) {
  QStringList names;
  for (const core::Text3& h : headings) names << app::text3(h, language);
  t->setHorizontalHeaderLabels(names);
}

void setRow(QTableWidget* t, int row, const QStringList& values) {
  for (int c = 0; c < values.size(); ++c) t->setItem(row, c, new QTableWidgetItem(values[c]));
}

// A typed day as the start of that local day; nothing for an empty field.
bool dayStart(const QString& text, std::optional<Millis>* out, int addDays = 0) {
  if (text.trimmed().isEmpty()) return true;
  const QDate d = QDate::fromString(text.trimmed(), Qt::ISODate);
  if (!d.isValid()) return false;
  *out = d.addDays(addDays).startOfDay().toMSecsSinceEpoch();
  return true;
}

params::Configuration valuesOf(const Snapshot& s) {
  params::Configuration c;
  c.params = s.params;
  c.cells = s.cells;
  return c;
}

}  // namespace

HistoryWindow::HistoryWindow(app::Context& ctx) : Screen(ctx, QStringLiteral("History")) {
  namespace parts = params::parts;
  vehicleFilter_ = parts::field(this, QStringLiteral("Text1"), 180);
  fromDate_ = parts::field(this, QStringLiteral("Text2"), 110);
  toDate_ = parts::field(this, QStringLiteral("Text3"), 110);
  filter_ = parts::button(this, QStringLiteral("Command1"), {});
  snapshots_ = table(this, QStringLiteral("List1"), {150, 190, 100, 110, 170, 60});
  snapshots_->setSelectionMode(QAbstractItemView::ExtendedSelection);
  snapshots_->setMinimumSize(760, 240);
  writes_ = table(this, QStringLiteral("List2"), {150, 260, 60, 70, 70, 100});
  writes_->setMinimumHeight(160);
  vehicleName_ = parts::field(this, QStringLiteral("Text4"), 240);
  vehicleName_->setMaxLength(80);
  saveName_ = parts::button(this, QStringLiteral("Command2"), {});
  compareEcu_ = parts::button(this, QStringLiteral("Command3"), {});
  compareTwo_ = parts::button(this, QStringLiteral("Command4"), {});
  exit_ = parts::button(this, QStringLiteral("Command5"), {});
  for (QLineEdit* text : {vehicleFilter_, vehicleName_}) text->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  state_ = parts::label(this, QStringLiteral("Label5"), {});
  state_->setWordWrap(true);

  auto* filterRow = new QHBoxLayout;
  filterRow->addWidget(parts::label(this, QStringLiteral("Label1"), {}));
  filterRow->addWidget(vehicleFilter_);
  filterRow->addWidget(parts::label(this, QStringLiteral("Label2"), {}));
  filterRow->addWidget(fromDate_);
  filterRow->addWidget(parts::label(this, QStringLiteral("Label3"), {}));
  filterRow->addWidget(toDate_);
  filterRow->addWidget(filter_);
  filterRow->addStretch();
  auto* nameRow = new QHBoxLayout;
  nameRow->addWidget(parts::label(this, QStringLiteral("Label4"), {}));
  nameRow->addWidget(vehicleName_);
  nameRow->addWidget(saveName_);
  nameRow->addStretch();
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(compareEcu_);
  buttons->addWidget(compareTwo_);
  buttons->addStretch();
  buttons->addWidget(exit_);
  auto* v = new QVBoxLayout(this);
  v->addLayout(filterRow);
  v->addWidget(snapshots_, 2);
  v->addLayout(nameRow);
  v->addWidget(writes_, 1);
  v->addWidget(state_);
  v->addLayout(buttons);

  for (QLineEdit* f : {vehicleFilter_, fromDate_, toDate_})
    connect(f, &QLineEdit::returnPressed, this, [this] { refresh(); });
  connect(filter_, &QPushButton::clicked, this, [this] { refresh(); });
  connect(snapshots_, &QTableWidget::itemSelectionChanged, this, [this] { showWrites(); });
  connect(vehicleName_, &QLineEdit::returnPressed, this, [this] { saveVehicleName(); });
  connect(saveName_, &QPushButton::clicked, this, [this] { saveVehicleName(); });
  connect(compareEcu_, &QPushButton::clicked, this, [this] { compareWithEcu(); });
  connect(compareTwo_, &QPushButton::clicked, this, [this] { compareSelected(); });
  connect(exit_, &QPushButton::clicked, this, [this] { close(); });
  restoreTimer_ = makeTimer("Timer1", kRestoreTickMs, [this] { restoreTick(); });
}

void HistoryWindow::load() {
  app::applyTexts(this, kHistoryTexts, language());
  setHeadings(snapshots_, kSnapshotColumns, language());
  setHeadings(writes_, kWriteColumns, language());
  refresh();
}

void HistoryWindow::activate() {
  if (!transfer_.running()) refresh();
}

void HistoryWindow::unload() {
  if (!transfer_.running()) return;
  restoreTimer_->stop();
  transfer_.interrupt(shared());
  if (Journal* j = journal()) j->setSourceOverride({});
}

Journal* HistoryWindow::journal() { return ctx().history ? &ctx().history->journal() : nullptr; }

void HistoryWindow::showState(const QString& text) {
  QStringList lines;
  if (!text.isEmpty()) lines << text;
  if (Journal* j = journal()) {
    const std::string problem = j->service().problem();
    if (!problem.empty()) lines << app::text3(kDatabaseProblem, language()).arg(qs(problem));
    if (const int waiting = j->service().waiting(); waiting > 0)
      lines << app::text3(kWaiting, language()).arg(waiting);
  }
  state_->setText(lines.join(QLatin1Char('\n')));
}

void HistoryWindow::refresh() {
  SnapshotFilter filter;
  filter.vehicle = vehicleFilter_->text().trimmed().toStdString();
  filter.limit = kMostShown;
  if (!dayStart(fromDate_->text(), &filter.from) || !dayStart(toDate_->text(), &filter.until, 1)) {
    showState(app::text3(kBadDate, language()));
    return;
  }
  Journal* j = journal();
  if (!j) return;
  j->service().flush();  // what this session recorded is listed too
  std::optional<std::vector<SnapshotSummary>> found;
  std::string error;
  j->service().run([&](Store& store) { found = store.snapshots(filter, &error); }, &error);
  shown_ = found ? std::move(*found) : std::vector<SnapshotSummary>{};
  snapshots_->setUpdatesEnabled(false);
  snapshots_->clearContents();
  snapshots_->setRowCount(static_cast<int>(shown_.size()));
  for (int row = 0; row < static_cast<int>(shown_.size()); ++row) {
    const SnapshotSummary& s = shown_[static_cast<std::size_t>(row)];
    setRow(snapshots_, row,
           {localTime(s.takenAt), qs(s.vehicle), qs(s.ecuSoftware), qs(s.station), qs(s.port),
            QString::number(s.writesAfter)});
  }
  snapshots_->setUpdatesEnabled(true);
  if (!shown_.empty()) snapshots_->selectRow(0);
  else showWrites();
  showState(found ? QString() : app::text3(kDatabaseProblem, language()).arg(qs(error)));
}

std::vector<int> HistoryWindow::selectedRows() const {
  std::vector<int> rows;
  for (const QModelIndex& i : snapshots_->selectionModel()->selectedRows()) rows.push_back(i.row());
  std::sort(rows.begin(), rows.end());
  return rows;
}

std::optional<Snapshot> HistoryWindow::readSnapshot(const std::string& key) {
  std::optional<Snapshot> found;
  std::string error;
  if (Journal* j = journal()) j->service().run([&](Store& store) { found = store.snapshot(key, &error); }, &error);
  if (!found) showState(app::text3(kDatabaseProblem, language()).arg(qs(error)));
  return found;
}

void HistoryWindow::showWrites() {
  const std::vector<int> rows = selectedRows();
  writes_->setRowCount(0);
  const bool one = rows.size() == 1;
  vehicleName_->setText(one ? qs(shown_[static_cast<std::size_t>(rows[0])].vehicle) : QString());
  saveName_->setEnabled(one);
  compareEcu_->setEnabled(one && connected() && !transfer_.running());
  compareTwo_->setEnabled(rows.size() == 2);
  if (!one || !journal()) return;
  std::optional<std::vector<WriteEntry>> found;
  std::string error;
  const std::string key = shown_[static_cast<std::size_t>(rows[0])].key;
  journal()->service().run([&](Store& store) { found = store.writesAfter(key, &error); }, &error);
  if (!found) return;
  writes_->setRowCount(static_cast<int>(found->size()));
  for (int row = 0; row < static_cast<int>(found->size()); ++row) {
    const WriteEntry& w = (*found)[static_cast<std::size_t>(row)];
    setRow(writes_, row,
           {localTime(w.writtenAt), qs(w.source), qs(w.item), QString::number(w.oldValue),
            QString::number(w.newValue), qs(w.operatorName)});
  }
}

void HistoryWindow::saveVehicleName() {
  const std::vector<int> rows = selectedRows();
  if (rows.size() != 1 || !journal()) return;
  const std::string key = shown_[static_cast<std::size_t>(rows[0])].key;
  const std::string name = vehicleName_->text().trimmed().toStdString();
  std::string error;
  bool saved = false;
  journal()->service().run([&](Store& store) { saved = store.setVehicle(key, name, &error); }, &error);
  if (!saved) return showState(app::text3(kDatabaseProblem, language()).arg(qs(error)));
  refresh();
}

void HistoryWindow::compareWithEcu() {
  const std::vector<int> rows = selectedRows();
  if (rows.size() != 1 || !connected()) return;
  auto target = readSnapshot(shown_[static_cast<std::size_t>(rows[0])].key);
  if (!target) return;
  const params::CompareSide ecu{app::text3(kEcuSide, language()), params::ecuConfiguration(shared())};
  const params::CompareSide point{localTime(target->takenAt), valuesOf(*target)};
  ctx().navigator.open(QStringLiteral("Compare"), this, [&](app::Screen* s) {
    if (auto* w = dynamic_cast<params::CompareWindow*>(s))
      w->showComparison(ecu, point, [this, t = *target](const params::Configuration&) { startRestore(t); });
  });
}

void HistoryWindow::compareSelected() {
  const std::vector<int> rows = selectedRows();
  if (rows.size() != 2) return;
  // Rows are newest first: the older one on the left.
  auto newer = readSnapshot(shown_[static_cast<std::size_t>(rows[0])].key);
  auto older = readSnapshot(shown_[static_cast<std::size_t>(rows[1])].key);
  if (!newer || !older) return;
  const params::CompareSide left{localTime(older->takenAt), valuesOf(*older)};
  const params::CompareSide right{localTime(newer->takenAt), valuesOf(*newer)};
  ctx().navigator.open(QStringLiteral("Compare"), this, [&](app::Screen* s) {
    if (auto* w = dynamic_cast<params::CompareWindow*>(s)) w->showComparison(left, right, nullptr);
  });
}

void HistoryWindow::startRestore(const Snapshot& target) {
  Journal* j = journal();
  if (!j || transfer_.running()) return;
  // What the ECU holds now becomes a restore point of its own, so the restore
  // can be undone; the restore's writes follow it under this window's name.
  j->keepRestorePoint(shared(), ctx().connection.openedDevice());
  j->setSourceOverride(kRestoreSource);
  params::setPending(shared(), valuesOf(target));
  restoringTime_ = localTime(target.takenAt);
  transfer_.start(shared());
  setBusy(true);
  compareEcu_->setEnabled(false);
  showState(app::text3(kRestoring, language()).arg(0).arg(transfer_.total()));
  restoreTimer_->start();
}

void HistoryWindow::restoreTick() {
  restoreTimer_->stop();
  auto frame = transfer_.tick(shared());
  if (frame) {
    showState(app::text3(kRestoring, language()).arg(transfer_.held(shared())).arg(transfer_.total()));
    send(*frame);
    restoreTimer_->start();
    return;
  }
  if (Journal* j = journal()) j->setSourceOverride({});
  setBusy(false);
  const int missing = static_cast<int>(transfer_.notHeld(shared()).size());
  refresh();
  showState(missing == 0 ? app::text3(kRestored, language()).arg(restoringTime_)
                         : app::text3(kRestoreStopped, language()).arg(missing));
}

}  // namespace kelvo6::history
