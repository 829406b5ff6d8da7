#include "record/record_toggle.h"

#include <QFileInfo>
#include <QBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <cstdlib>
#include <ctime>

#include "app/connection.h"
#include "app/texts.h"
#include "datalog/log_files.h"
#include "link/requests.h"
#include "platform/widgets.h"
#include "record/record_texts.h"

#ifndef KELVO6_PROGRAM_VERSION
#define KELVO6_PROGRAM_VERSION "unknown"
#endif

namespace kelvo6::record {

namespace {

constexpr int kRefreshMs = 500;

QString sizeText(std::uint64_t bytes) {
  if (bytes < 10 * 1024) return QStringLiteral("%1 B").arg(bytes);
  if (bytes < 10 * 1024 * 1024) return QStringLiteral("%1 kB").arg(bytes / 1024);
  return QStringLiteral("%1 MB").arg(static_cast<double>(bytes) / (1024.0 * 1024.0), 0, 'f', 1);
}

QString elapsedText(std::int64_t ms) {
  const std::int64_t s = ms / 1000;
  return QStringLiteral("%1:%2:%3")
      .arg(s / 3600, 2, 10, QLatin1Char('0'))
      .arg(s / 60 % 60, 2, 10, QLatin1Char('0'))
      .arg(s % 60, 2, 10, QLatin1Char('0'));
}

}  // namespace

RecordToggle::RecordToggle(app::Context& ctx, QWidget* parent, datalog::RecordingKind kind, const QString& buttonName,
                           Arrangement arrangement)
    : QWidget(parent), ctx_(ctx), kind_(std::move(kind)) {
  setObjectName(QStringLiteral("RecordToggle"));
  button_ = new QPushButton(app::text3(kRecord, 1), this);
  button_->setObjectName(buttonName);
  button_->setCheckable(true);
  button_->setMinimumHeight(30);
  button_->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Expanding);  // as tall as the buttons beside it
  status_ = new QLabel(this);
  status_->setObjectName(QStringLiteral("RecordStatus"));
  status_->setWordWrap(true);
  QBoxLayout* row = nullptr;
  if (arrangement == Arrangement::kStacked) {
    row = new QVBoxLayout(this);
    button_->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    button_->setMinimumHeight(40);
    status_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  } else {
    status_->setMinimumWidth(
        status_->fontMetrics().horizontalAdvance(QStringLiteral("00:00:00  999 kB  2024-05-01_10-15-30.csv")) + 8);
    row = new QHBoxLayout(this);
  }
  row->setContentsMargins(0, 0, 0, 0);
  row->addWidget(button_);
  row->addWidget(status_, 1);
  int widest = 0;
  for (const core::Text3* t : {&kRecord, &kStopRecording})
    for (int lang = 1; lang <= 3; ++lang)
      widest = std::max(widest, button_->fontMetrics().horizontalAdvance(app::text3(*t, lang)));
  button_->setMinimumWidth(widest + 24);
  connect(button_, &QPushButton::toggled, this, [this](bool on) { toggled(on); });
  refresh_ = ctx_.scheduler.createTimer(buttonName.toStdString() + ".Record", kRefreshMs, [this] { refresh(); });
}

RecordToggle::~RecordToggle() { stop(); }

void RecordToggle::setLanguage(int language) {
  language_ = language;
  button_->setText(app::text3(recording() ? kStopRecording : kRecord, language_));
}

void RecordToggle::setAvailable(bool available) {
  if (!available) stop();
  button_->setEnabled(available);
}

QString RecordToggle::path() const {
  return recorder_ ? QString::fromStdString(recorder_->writer().path()) : QString();
}

void RecordToggle::toggled(bool on) {
  if (on && !recorder_) start();
  if (!on && recorder_) stop();
}

void RecordToggle::start() {
  const std::string folder = datalog::logsFolder(std::getenv("HOME"));
  std::string why;
  if (!datalog::makeFolder(folder, &why)) {
    finish(app::text3(kFolderFailed, language_).arg(QString::fromStdString(folder), QString::fromStdString(why)), true);
    return;
  }
  const std::time_t now = std::time(nullptr);
  const std::string file = datalog::newLogPath(folder, now);
  const app::Connection& line = ctx_.connection;
  // The log names the window it came from as the fitter saw it: its caption.
  const QString caption = window()->windowTitle();
  const std::string source = caption.isEmpty() ? std::string(kind_.source) : caption.toStdString();
  datalog::LogInfo info = datalog::logInfoFor(ctx_.shared, KELVO6_PROGRAM_VERSION,
                                              line.openedDevice() + " " + line.openedSettings(),
                                              datalog::isoTime(now), source.c_str());
  auto writer = datalog::LogWriter::start(file, info, kind_.channels, &why);
  if (!writer) {
    finish(app::text3(kFolderFailed, language_).arg(QString::fromStdString(folder), QString::fromStdString(why)), true);
    return;
  }
  recorder_ = std::make_unique<datalog::Recorder>(ctx_.shared, kind_, std::move(writer), ctx_.scheduler.nowMs());
  ctx_.connection.addObserver(recorder_.get());
  ctx_.connection.addObserver(this);
  button_->setText(app::text3(kStopRecording, language_));
  platform::setForeColor(status_, core::Rgb{0, 0, 0});
  refresh();
  refresh_->start();
}

void RecordToggle::answerHandled(int type, std::int64_t /*atMs*/) {
  // The handshake reads the version first, then the parameters: rows between
  // the two would carry the new version beside the old parameters, so the old
  // file ends at the version and the new one starts with the parameters.
  if (type == link::kReadSoftwareVersion && recorder_) {
    closeFile();
    awaitingNewEcu_ = true;
  } else if (type == link::kReadParameterSet && (recorder_ || awaitingNewEcu_)) {
    closeFile();
    awaitingNewEcu_ = false;
    start();
    if (recording()) note_ = app::text3(kNewConnection, language_);
    refresh();
  }
}

void RecordToggle::closeFile() {
  if (!recorder_) return;
  ctx_.connection.removeObserver(recorder_.get());
  recorder_->writer().stop();
  recorder_.reset();
}

void RecordToggle::stop() {
  ctx_.connection.removeObserver(this);
  note_.clear();
  if (awaitingNewEcu_) {
    awaitingNewEcu_ = false;
    finish(QString(), false);
  }
  if (!recorder_) return;
  const QString file = path();
  ctx_.connection.removeObserver(recorder_.get());
  recorder_->writer().stop();
  if (recorder_->writer().failed()) {
    refresh();  // says why
    return;
  }
  recorder_.reset();
  finish(app::text3(kRecordingSaved, language_).arg(QFileInfo(file).fileName()), false);
}

void RecordToggle::refresh() {
  if (!recorder_) {
    refresh_->stop();
    return;
  }
  datalog::LogWriter& w = recorder_->writer();
  const QString file = QString::fromStdString(w.path());
  if (w.failed()) {
    // A full disk or a vanished device: what was written stays in the file.
    ctx_.connection.removeObserver(recorder_.get());
    QString reason = QString::fromStdString(w.error());
    w.stop();
    recorder_.reset();
    finish(app::text3(kRecordingFailed, language_).arg(reason, file), true);
    return;
  }
  QString line = app::text3(kRecordingStatus, language_)
                     .arg(elapsedText(ctx_.scheduler.nowMs() - recorder_->startMs()), sizeText(w.bytesWritten()),
                          QFileInfo(file).fileName());
  status_->setText(note_.isEmpty() ? line : line + QLatin1Char('\n') + note_);
}

void RecordToggle::finish(const QString& message, bool failed) {
  refresh_->stop();
  status_->setText(message);
  platform::setForeColor(status_, failed ? core::Rgb{200, 0, 0} : core::Rgb{0, 0, 0});
  const QSignalBlocker quiet(button_);
  button_->setChecked(false);
  button_->setText(app::text3(kRecord, language_));
}

}  // namespace kelvo6::record
