#include "scope/oscilloscope_window.h"

#include <QComboBox>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QVBoxLayout>
#include <algorithm>
#include <cstdlib>

#include "app/connection.h"
#include "app/navigator.h"
#include "datalog/log_files.h"
#include "datalog/log_reader.h"
#include "datalog/recorder.h"
#include "link/params.h"
#include "link/requests.h"
#include "link/state_texts.h"
#include "platform/desktop.h"
#include "platform/serial_settings.h"
#include "platform/widgets.h"
#include "record/record_toggle.h"
#include "scope/cell_map_window.h"
#include "scope/scope_texts.h"
#include "scope/trace_view.h"

namespace kelvo6::scope {

namespace {

using datalog::Ch;

constexpr int kRefreshMs = 250;
// The line's round-trip time beside the rate: on a network line it sets the pace.
constexpr core::Text3 kRoundTrip{"Andata e ritorno: %1 ms", "Round trip: %1 ms", "Gidis-donus: %1 ms"};
constexpr int kScrollStepMs = 100;
constexpr int kDefaultWindow = 1;  // 30 s
constexpr int kTracesMinHeight = 480;
constexpr int kStripsAlwaysInSight = 5;
const std::vector<Ch> kDefaultChannels{Ch::kRpm, Ch::kLambda1, Ch::kPetrol1, Ch::kGasTime, Ch::kState};

QString durationText(std::int64_t ms) {
  const std::int64_t s = ms / 1000;
  return QStringLiteral("%1:%2:%3")
      .arg(s / 3600)
      .arg(s / 60 % 60, 2, 10, QLatin1Char('0'))
      .arg(s % 60, 2, 10, QLatin1Char('0'));
}

QString windowCaption(int seconds) {
  return seconds < 60 ? QStringLiteral("%1 s").arg(seconds) : QStringLiteral("%1 min").arg(seconds / 60);
}

}  // namespace

const std::vector<int>& OscilloscopeWindow::windowSeconds() {
  static const std::vector<int> kSeconds{10, 30, 60, 120, 300, 600};
  return kSeconds;
}

OscilloscopeWindow::OscilloscopeWindow(app::Context& ctx)
    : Screen(ctx, QStringLiteral("Oscilloscope")), live_(datalog::channelsOf(datalog::kLiveData)) {
  setWindowTitle(app::text3(kScopeTitle, 1));
  sampler_ = std::make_unique<Sampler>(ctx.scheduler, "Oscilloscope.Timer1", [this] {
    // Only the window in use talks to the ECU: another one opened from the
    // main menu, or the user's switch to it, silences this one.
    if (Screen::ctx().navigator.active() != this) return false;
    send(link::readLiveData());
    return true;
  });
  refresh_ = makeTimer("Timer2", kRefreshMs, [this] { refreshTick(); });
  build();
}

OscilloscopeWindow::~OscilloscopeWindow() { ctx().connection.removeObserver(this); }

void OscilloscopeWindow::build() {
  auto button = [this](const char* name, const char* caption) {
    auto* b = new QPushButton(QString::fromLatin1(caption), this);
    b->setObjectName(QString::fromLatin1(name));
    b->setMinimumHeight(30);
    return b;
  };
  exit_ = button("Exit", "EXIT");
  pause_ = button("Pause", "Pausa");
  pause_->setCheckable(true);
  openLog_ = button("OpenLog", "Apri registrazione");
  live_button_ = button("LiveView", "Dal vivo");
  cellMap_ = button("OpenCellMap", "Mappa celle");

  auto* channelsFrame = new QGroupBox(QStringLiteral("Canali"), this);
  channelsFrame->setObjectName("ChannelsFrame");
  auto* channelsBox = new QVBoxLayout(channelsFrame);
  channelList_ = new QListWidget(channelsFrame);
  channelList_->setObjectName("Channels");
  channelList_->setMinimumWidth(170);
  channelsBox->addWidget(channelList_);

  auto* cursorFrame = new QGroupBox(QStringLiteral("Cursore"), this);
  cursorFrame->setObjectName("CursorFrame");
  auto* cursorBox = new QVBoxLayout(cursorFrame);
  readout_ = new QLabel(cursorFrame);
  readout_->setObjectName("CursorReadout");
  readout_->setTextFormat(Qt::PlainText);
  readout_->setWordWrap(true);
  readout_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  readout_->setMinimumHeight(150);
  cursorBox->addWidget(readout_);

  auto* windowLabel = new QLabel(QStringLiteral("Finestra"), this);
  windowLabel->setObjectName("TimeWindowLabel");
  window_ = new QComboBox(this);
  window_->setObjectName("TimeWindow");
  for (int s : windowSeconds()) window_->addItem(windowCaption(s), s);
  window_->setCurrentIndex(kDefaultWindow);

  traces_ = new TraceView(this);
  traces_->setData(&live_);
  traces_->setMinimumWidth(640);
  // Every strip keeps a readable height; more strips than fit scroll.
  tracesScroll_ = new QScrollArea(this);
  tracesScroll_->setObjectName("TracesScroll");
  tracesScroll_->setWidgetResizable(true);
  tracesScroll_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  tracesScroll_->setFrameShape(QFrame::NoFrame);
  tracesScroll_->setMinimumSize(660, kTracesMinHeight);
  tracesScroll_->setWidget(traces_);
  connect(tracesScroll_->verticalScrollBar(), &QScrollBar::valueChanged, traces_, &TraceView::redrawVisible);
  scroll_ = new QScrollBar(Qt::Horizontal, this);
  scroll_->setObjectName("TimeScroll");

  rate_ = new QLabel(this);
  rate_->setObjectName("Rate");
  auto* roundTrip = new QLabel(this);
  roundTrip->setObjectName("RoundTrip");
  message_ = new QLabel(this);
  message_->setObjectName("Message");
  message_->setWordWrap(true);
  record_ = new record::RecordToggle(ctx(), this, datalog::liveDataRecording("Oscilloscope"), QStringLiteral("Record"));

  auto* top = new QHBoxLayout;
  top->addWidget(windowLabel);
  top->addWidget(window_);
  top->addWidget(pause_);
  top->addStretch();
  top->addWidget(openLog_);
  top->addWidget(live_button_);
  top->addWidget(cellMap_);

  auto* bottom = new QHBoxLayout;
  bottom->addWidget(record_, 1);
  bottom->addWidget(exit_);

  auto* left = new QVBoxLayout;
  left->addWidget(channelsFrame, 3);
  left->addWidget(cursorFrame, 2);

  auto* right = new QVBoxLayout;
  right->addLayout(top);
  right->addWidget(tracesScroll_, 1);
  right->addWidget(scroll_);
  auto* rateRow = new QHBoxLayout;
  rateRow->addWidget(rate_);
  rateRow->addSpacing(16);
  rateRow->addWidget(roundTrip);
  rateRow->addStretch();
  right->addLayout(rateRow);
  right->addWidget(message_);
  right->addLayout(bottom);

  auto* grid = new QHBoxLayout(this);
  grid->addLayout(left);
  grid->addLayout(right, 1);

  connect(exit_, &QPushButton::clicked, this, [this] { close(); });
  connect(pause_, &QPushButton::toggled, this, [this](bool on) { pauseToggled(on); });
  connect(openLog_, &QPushButton::clicked, this, [this] { chooseLog(); });
  connect(live_button_, &QPushButton::clicked, this, [this] { backToLive(); });
  connect(cellMap_, &QPushButton::clicked, this, [this] { openCellMap(); });
  connect(window_, &QComboBox::currentIndexChanged, this, [this] { windowChanged(); });
  connect(scroll_, &QScrollBar::valueChanged, this, [this](int v) { scrolled(v); });
  connect(channelList_, &QListWidget::itemChanged, this, [this] { channelsChanged(); });
  connect(traces_, &TraceView::cursorPlaced, this, [this](qint64 t) { showCursor(t); });
}

void OscilloscopeWindow::fillChannelList() {
  const QSignalBlocker quiet(channelList_);
  std::vector<Ch> keep = chosenChannels();
  if (keep.empty()) keep = kDefaultChannels;
  channelList_->clear();
  for (const datalog::Channel& c : datalog::channels()) {
    auto* item = new QListWidgetItem(app::text3(c.caption, language()), channelList_);
    item->setData(Qt::UserRole, datalog::index(c.id));
    const bool present = shown().has(c.id);
    item->setFlags(present ? Qt::ItemIsUserCheckable | Qt::ItemIsEnabled : Qt::ItemIsUserCheckable);
    const bool chosen = std::find(keep.begin(), keep.end(), c.id) != keep.end();
    item->setCheckState(present && chosen ? Qt::Checked : Qt::Unchecked);
  }
  // A log that has none of the chosen channels shows its first ones.
  if (chosenChannels().empty())
    for (int i = 0, shownCount = 0; i < channelList_->count() && shownCount < 4; ++i)
      if (channelList_->item(i)->flags() & Qt::ItemIsEnabled) {
        channelList_->item(i)->setCheckState(Qt::Checked);
        ++shownCount;
      }
}

std::vector<Ch> OscilloscopeWindow::chosenChannels() const {
  std::vector<Ch> out;
  for (int i = 0; i < channelList_->count(); ++i)
    if (channelList_->item(i)->checkState() == Qt::Checked)
      out.push_back(static_cast<Ch>(channelList_->item(i)->data(Qt::UserRole).toInt()));
  return out;
}

void OscilloscopeWindow::load() {
  resize(sizeHint().expandedTo(QSize(1120, 780)));
  layout()->activate();
  app::applyTexts(this, oscilloscopeCaptions(), language());
  setWindowTitle(app::text3(connected() ? kScopeTitle : kScopeTitleNotConnected, language()));
  record_->setLanguage(language());
  record_->setAvailable(connected());
  live_button_->setEnabled(false);
  fillChannelList();
  showChannels();
  if (connected()) {
    ctx().connection.addObserver(this);
    startMs_ = ctx().scheduler.nowMs();
    if (auto settings = platform::parseSerialSettings(ctx().connection.openedSettings())) sampler_->setLine(*settings);
  } else {
    rate_->setText(app::text3(kRateNotConnected, language()));
  }
  updateSpan();
}

void OscilloscopeWindow::activate() {
  if (!shownOnce_) {
    // Shown and sized now: the charts lay out their scales for the room they have.
    shownOnce_ = true;
    showChannels();
    updateSpan();
  }
  // The screen in use again (opened, or back from the cell map or a dialog).
  if (connected() && !viewingLog()) startSampling();
}

void OscilloscopeWindow::unload() {
  stopSampling();
  record_->stop();
  ctx().connection.removeObserver(this);
}

void OscilloscopeWindow::startSampling() {
  if (!sampler_->running()) sampler_->start();
  refresh_->start();
}

void OscilloscopeWindow::stopSampling() {
  sampler_->stop();
  refresh_->stop();
}

void OscilloscopeWindow::requestSent(int command, std::int64_t atMs) {
  if (command == link::kReadLiveData) sampler_->requestSent(atMs);
}

void OscilloscopeWindow::answerHandled(int type, std::int64_t atMs) {
  if (type != link::kReadLiveData) return;
  // Sampled before the next request goes out (or the sampling stops because
  // another window is in use): this answer is to a request of ours.
  const datalog::Sample sample = datalog::sampleOf(shared().live, atMs - startMs_);
  if (sampler_->answered(atMs)) live_.append(sample);
}

void OscilloscopeWindow::refreshTick() {
  refresh_->stop();
  const bool sampling = sampler_->running();
  const double limit = [this] {
    auto settings = platform::parseSerialSettings(ctx().connection.openedSettings());
    return settings ? lineLimitPerSecond(*settings) : 0.0;
  }();
  rate_->setText(app::text3(kRate, language())
                     .arg(sampler_->rate(ctx().scheduler.nowMs()), 0, 'f', 1)
                     .arg(limit, 0, 'f', 1)
                     .arg(QString::fromStdString(ctx().connection.openedSettings())));
  if (auto* roundTrip = findChild<QLabel*>(QStringLiteral("RoundTrip"))) {
    const int ms = ctx().connection.port().roundTripMs();
    roundTrip->setText(ms < 0 ? QString() : app::text3(kRoundTrip, language()).arg(ms));
  }
  if (!viewingLog()) {
    updateSpan();
    if (traces_->cursorTime()) showCursor(*traces_->cursorTime());
  }
  if (sampling) refresh_->start();  // stopped sampling: the last picture stays
}

std::int64_t OscilloscopeWindow::windowMs() const {
  const int seconds = window_->currentData().toInt();
  if (seconds <= 0) return std::max<std::int64_t>(1000, shown().lastMs() - shown().firstMs());  // the whole log
  return seconds * 1000LL;
}

void OscilloscopeWindow::updateSpan() {
  const datalog::LogData& d = shown();
  const std::int64_t w = windowMs();
  const bool following = !viewingLog() && !paused_;
  std::int64_t latestStart = std::max(d.firstMs(), d.lastMs() - w);
  if (following) viewStart_ = latestStart;
  viewStart_ = std::clamp(viewStart_, d.firstMs(), latestStart);
  traces_->setSpan(viewStart_, viewStart_ + w);
  traces_->redraw();
  updateScroll();
}

void OscilloscopeWindow::updateScroll() {
  const datalog::LogData& d = shown();
  const std::int64_t span = std::max<std::int64_t>(0, d.lastMs() - d.firstMs() - windowMs());
  updatingScroll_ = true;
  scroll_->setRange(0, static_cast<int>(span / kScrollStepMs));
  scroll_->setPageStep(static_cast<int>(windowMs() / kScrollStepMs));
  scroll_->setValue(static_cast<int>((viewStart_ - d.firstMs()) / kScrollStepMs));
  updatingScroll_ = false;
}

void OscilloscopeWindow::scrolled(int value) {
  if (updatingScroll_) return;
  // Scrolling the live traces back pauses them; the sampling goes on.
  if (!viewingLog() && !paused_) pause_->setChecked(true);
  viewStart_ = shown().firstMs() + static_cast<std::int64_t>(value) * kScrollStepMs;
  updateSpan();
}

void OscilloscopeWindow::pauseToggled(bool paused) {
  paused_ = paused;
  updateSpan();
}

void OscilloscopeWindow::windowChanged() {
  // Zoom about the cursor when there is one in view, otherwise keep the left edge.
  if (auto c = traces_->cursorTime(); c && *c >= traces_->spanStart() && *c <= traces_->spanEnd())
    viewStart_ = *c - windowMs() / 2;
  updateSpan();
}

void OscilloscopeWindow::resizeEvent(QResizeEvent* e) {
  Screen::resizeEvent(e);
  placeTimeLabels();
}

void OscilloscopeWindow::placeTimeLabels() {
  // Up to the five default channels the window makes room for every strip;
  // beyond them the stack scrolls.
  const int needed = static_cast<int>(traces_->channels().size()) * TraceView::kStripMinHeight;
  tracesScroll_->setMinimumHeight(std::max(kTracesMinHeight, std::min(needed, kStripsAlwaysInSight * TraceView::kStripMinHeight)));
  // The stack takes its new height now rather than on a later event, so that
  // what is drawn next already has the strips' room.
  tracesScroll_->setWidgetResizable(true);
  // A stack taller than its room scrolls: then every strip has its time labels.
  traces_->setTimeLabelsOnEveryStrip(needed > tracesScroll_->viewport()->height());
}

void OscilloscopeWindow::showChannels() {
  traces_->setChannels(chosenChannels(), language());
  placeTimeLabels();
}

void OscilloscopeWindow::channelsChanged() {
  showChannels();
  updateSpan();
  if (traces_->cursorTime()) showCursor(*traces_->cursorTime());
}

void OscilloscopeWindow::showCursor(std::int64_t tMs) {
  traces_->setCursorTime(tMs);
  const datalog::LogData& d = shown();
  auto at = d.indexAt(tMs);
  if (!at) {
    readout_->clear();
    return;
  }
  QStringList lines;
  lines << QStringLiteral("t = %1 s").arg(static_cast<double>(tMs) / 1000.0, 0, 'f', 2);
  const auto& s = shared();
  int versionMiddle = s.version[1];
  int switchRpm = s.param(link::param::kSwitchRpm).ecu;
  int switchTemperature = s.param(link::param::kSwitchTemperature).ecu;
  if (viewingLog()) {
    // The state texts of the ECU that was recorded: its generation and thresholds.
    QStringList parts = QString::fromStdString(d.info.ecuVersion).split(QLatin1Char('.'));
    versionMiddle = parts.size() == 3 ? parts[1].toInt() : 0;
    switchRpm = d.info.switchRpm.value_or(switchRpm);
    switchTemperature = d.info.switchTemperature.value_or(switchTemperature);
  }
  for (Ch c : traces_->channels()) {
    if (!d.has(c)) continue;
    const datalog::Channel& ch = datalog::channel(c);
    const int v = d.values(c)[*at];
    QString line = QStringLiteral("%1: %2 %3").arg(app::text3(ch.caption, language())).arg(v).arg(QString::fromUtf8(ch.unit));
    if (c == Ch::kState) {
      auto text = link::stateText(v, language(), versionMiddle, switchRpm, switchTemperature);
      if (text && !QString::fromStdString(*text).trimmed().isEmpty())
        line += QStringLiteral("\n  ") + QString::fromStdString(*text).trimmed();
    }
    lines << line.trimmed();
  }
  readout_->setText(lines.join(QLatin1Char('\n')));
}

void OscilloscopeWindow::chooseLog() {
  const std::string folder = datalog::logsFolder(std::getenv("HOME"));
  datalog::makeFolder(folder, nullptr);
  platform::FileDialogRequest request;
  request.title = app::text3(kScopeTitle, language());
  request.folder = QString::fromStdString(folder);
  request.filter = QStringLiteral("Logs (*.csv)");
  // The dialog is another window: nothing goes to the ECU while it is up.
  const bool wasSampling = sampler_->running();
  stopSampling();
  const QString path = ctx().desktop.chooseFile(this, request);
  if (path.isEmpty() || !openLog(path)) {
    if (wasSampling) startSampling();
  }
}

bool OscilloscopeWindow::openLog(const QString& path) {
  datalog::ReadResult r = datalog::readLog(path.toStdString());
  const QString name = QFileInfo(path).fileName();
  if (!r.log) {
    QString what = app::text3(readProblemText(r.problem), language()).arg(QString::fromStdString(r.detail));
    message_->setText(app::text3(kCannotRead, language()).arg(name).arg(r.line).arg(what));
    platform::setForeColor(message_, core::Rgb{200, 0, 0});
    return false;
  }
  stopSampling();
  record_->stop();
  log_ = std::move(r.log);
  logName_ = name;
  setWindowTitle(app::text3(kScopeTitleLog, language()).arg(name));
  live_button_->setEnabled(connected());
  pause_->setEnabled(false);
  record_->setAvailable(false);
  if (window_->findData(0) < 0) window_->addItem(app::text3(kWindowAll, language()), 0);
  traces_->setData(&*log_);
  traces_->setCursorTime(std::nullopt);
  readout_->clear();
  fillChannelList();
  showChannels();
  viewStart_ = log_->firstMs();
  updateSpan();
  showSummary();
  // What the log does not show is said, in red, never left out silently.
  QStringList notes;
  if (log_->size() == 0) notes << app::text3(kNoSamples, language());
  if (r.cutShort) notes << app::text3(kCutShort, language());
  if (!r.leftOut.empty()) {
    QStringList headings;
    for (const std::string& h : r.leftOut) headings << QString::fromStdString(h);
    notes << app::text3(kLeftOut, language()).arg(headings.join(QStringLiteral(", ")));
  }
  const bool somethingMissing = log_->size() == 0 || !r.leftOut.empty();
  platform::setForeColor(message_, somethingMissing ? core::Rgb{200, 0, 0} : core::Rgb{0, 0, 0});
  message_->setText(notes.join(QLatin1Char('\n')));
  return true;
}

void OscilloscopeWindow::showSummary() {
  rate_->setText(app::text3(kLogSummary, language())
                     .arg(shown().size())
                     .arg(durationText(shown().lastMs() - shown().firstMs())));
}

void OscilloscopeWindow::backToLive() {
  if (!viewingLog() || !connected()) return;
  log_.reset();
  setWindowTitle(app::text3(kScopeTitle, language()));
  if (int all = window_->findData(0); all >= 0) {
    if (window_->currentIndex() == all) window_->setCurrentIndex(kDefaultWindow);
    window_->removeItem(all);
  }
  live_button_->setEnabled(false);
  pause_->setEnabled(true);
  record_->setAvailable(true);
  traces_->setData(&live_);
  traces_->setCursorTime(std::nullopt);
  readout_->clear();
  message_->clear();
  fillChannelList();
  showChannels();
  startSampling();
  updateSpan();
}

void OscilloscopeWindow::openCellMap() {
  // Another window in use: this one stops talking to the ECU until it is back.
  stopSampling();
  const datalog::LogData& d = shown();
  const auto& s = shared();
  CellMapSource source;
  source.data = &d;
  // A log is mapped on the axes it was recorded with, whatever car is connected now.
  if (viewingLog() && d.info.rpmAxis && d.info.tinjAxis) {
    source.rpmAxis = *d.info.rpmAxis;
    source.tinjAxis = *d.info.tinjAxis;
    source.axes = AxesFrom::kLog;
  } else if (connected() && s.received.paramSet) {
    for (int p = 0; p < 8; ++p) {
      source.rpmAxis[static_cast<std::size_t>(p)] = s.param(link::param::kRpmAxisFirst + p).ecu;
      source.tinjAxis[static_cast<std::size_t>(p)] = s.param(link::param::kTinjAxisFirst + p).ecu;
    }
    source.axes = AxesFrom::kEcu;
  }
  source.title = viewingLog() ? logName_ : QString();
  ctx().navigator.open(QStringLiteral("CellMap"), this, [&source](app::Screen* w) {
    if (auto* map = qobject_cast<CellMapWindow*>(w)) map->showMap(source);
  });
}

}  // namespace kelvo6::scope
