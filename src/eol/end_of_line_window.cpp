#include "eol/end_of_line_window.h"

#include <QFileInfo>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <span>

#include "app/connection.h"
#include "app/navigator.h"
#include "app/texts.h"
#include "eol/records_database.h"
#include "eol/records_file.h"
#include "eol/records_report.h"
#include "eol/records_ui.h"
#include "eol/result_decoding.h"
#include "link/dispatcher.h"
#include "link/requests.h"
#include "platform/widgets.h"

namespace kelvo6::eol {

namespace {

// This window exists in Italian only.
const QString kTitle = QStringLiteral("KELVO6 - EndOfLine");
const QString kTitleNotConnected = QStringLiteral("KELVO6 - EndOfLine Non Connesso");
const QString kChooseCylinders = QStringLiteral("SELEZIONARE IL NUMERO DI CILINDRI PRIMA DI INIZIARE IL TEST");
const QString kTestRunning = QStringLiteral("TEST IN CORSO");
const QString kKeyOffWithin = QStringLiteral("CHIAVE OFF ENTRO %1 SEC");
const QString kKeyOffDetected = QStringLiteral("CHIAVE OFF - PORTARLA SU ON");
const QString kKeyNotTurnedOff = QStringLiteral("SEGNALE DI CHIAVE NON ABBASSATO. RIPROVARE");
const QString kEepromReset = QStringLiteral("RESET PARAMETRI EEPROM");
const QString kWaitEcuReset = QStringLiteral("ATTENDERE RESET ECU %1");
const QString kResetOk = QStringLiteral("RESET OK");

constexpr core::Rgb kPanelColour{225, 225, 225};
constexpr std::array<int, 3> kCylinderChoices{4, 6, 8};

constexpr int kPollMs = 200;
constexpr int kKeyOffSeconds = 10;
constexpr int kTicksPerSecond = 5;
constexpr int kSilentTicksForKeyOff = 10;  // two seconds without an answer

struct LampLabel {
  int lamp;
  const char* text;
};
constexpr LampLabel kAnalog[] = {{32, "PRESSIONE1"},    {33, "PRESSIONE2"},   {34, "LAMBDA1"},
                                 {35, "LAMBDA2"},       {36, "TPS_ANALOGICO"}, {37, "DSP"},
                                 {38, "TEMPERATURA1"},  {39, "EMUL_LAMBDA1"}, {40, "EMUL_LAMBDA2"},
                                 {41, "BUZZER"}};
constexpr LampLabel kDigital[] = {{42, "RELE_GAS"}, {43, "RELE_GENERALE"}, {44, "RELE_EMULAZIONE"},
                                  {45, "TPS_DIGITALE"}, {46, "RPM"}, {47, "LED1"}, {48, "LED2"},
                                  {49, "LED3"}, {50, "LED4"}, {51, "TASTO_GAS"}};
constexpr LampLabel kSupply[] = {{52, "BATTERIA"}, {53, "SENSORI"}};
constexpr LampLabel kEeprom[] = {{54, nullptr}};
constexpr LampLabel kOther[] = {{55, "POWER LATCH"}, {56, "WATCH DOG"}};

// Frames of the check lamps: object name, caption, place, lamps with their labels.
struct CheckFrame {
  const char* name;
  const char* caption;
  QRect rect;
  std::span<const LampLabel> lamps;
};

// Window layout, in pixels.
constexpr int kLampSize = 18;
constexpr int kRowPitch = 32;
constexpr int kCheckPitch = 29;
const QRect kCylinderFrame(10, 10, 120, 130);
const QRect kInjectorFrame(140, 10, 300, 330);
const QRect kStartButton(10, 160, 120, 60);
const QRect kExitButton(10, 290, 120, 40);
const QRect kReportButtonRect(10, 350, 120, 40);
constexpr int kVersionAttempts = 5;
const QRect kUnitLabel(10, 224, 120, 18);
const QRect kUnitField(10, 244, 120, 28);
const QRect kMessageLine(10, 450, 810, 36);
const QSize kWindowSize(830, 496);

QGroupBox* frame(QWidget* parent, const char* name, const char* caption, const QRect& rect) {
  auto* f = new QGroupBox(QString::fromLatin1(caption), parent);
  f->setObjectName(QString::fromLatin1(name));
  f->setGeometry(rect);
  platform::setBackColor(f, kPanelColour);
  return f;
}

QLabel* label(QWidget* parent, const QString& name, const QString& text, const QPoint& at) {
  auto* l = new QLabel(text, parent);
  l->setObjectName(name);
  l->move(at);
  l->adjustSize();
  return l;
}

}  // namespace

EndOfLineWindow::EndOfLineWindow(app::Context& ctx) : Screen(ctx, QStringLiteral("Form9")) {
  setWindowTitle(kTitle);
  setFixedSize(kWindowSize);

  QGroupBox* cylinders = frame(this, "Frame1", "CILINDRI", kCylinderFrame);
  for (std::size_t i = 0; i < options_.size(); ++i) {
    auto* o = new QRadioButton(QString::number(kCylinderChoices[i]), cylinders);
    o->setObjectName(QStringLiteral("Option1_%1").arg(i));
    o->setGeometry(20, 28 + 32 * static_cast<int>(i), 80, 24);
    QFont f = o->font();
    f.setBold(true);
    o->setFont(f);
    connect(o, &QRadioButton::clicked, this, [this, i] { cylinderChosen(static_cast<int>(i)); });
    options_[i] = o;
  }

  buildInjectorFrame();
  buildCheckFrames();

  start_ = new QPushButton(QStringLiteral("EOL"), this);
  start_->setObjectName("Command2");
  start_->setGeometry(kStartButton);
  QFont big = start_->font();
  big.setPointSize(big.pointSize() + 6);
  big.setBold(true);
  start_->setFont(big);
  exit_ = new QPushButton(QStringLiteral("EXIT"), this);
  exit_->setObjectName("Command1");
  exit_->setGeometry(kExitButton);
  report_ = new QPushButton(this);
  report_->setObjectName(QString::fromLatin1(kReportButtonName));
  report_->setGeometry(kReportButtonRect);

  message_ = new QLabel(this);
  message_->setObjectName("Label12");
  message_->setGeometry(kMessageLine);
  message_->setAlignment(Qt::AlignCenter);
  message_->setFrameShape(QFrame::Panel);
  message_->setFrameShadow(QFrame::Sunken);
  QFont prompt = message_->font();
  prompt.setPointSize(prompt.pointSize() + 3);
  prompt.setBold(true);
  message_->setFont(prompt);

  connect(start_, &QPushButton::clicked, this, [this] { startTest(); });
  connect(exit_, &QPushButton::clicked, this, [this] {
    poll_->stop();
    close();
  });

  connect(report_, &QPushButton::clicked, this, [this] { saveReport(); });

  auto* unitLabel = new QLabel(this);
  unitLabel->setObjectName("UnitLabel");
  unitLabel->setGeometry(kUnitLabel);
  unitField_ = new QLineEdit(this);
  unitField_->setObjectName("UnitText");
  unitField_->setGeometry(kUnitField);
  unitField_->setMaxLength(64);
  connect(unitField_, &QLineEdit::returnPressed, this, [this] { unitEntered(); });

  poll_ = makeTimer("Timer1", kPollMs, [this] { pollTick(); });
  versionRead_ = makeTimer("Timer2", kPollMs, [this] { versionTick(); });
}

EndOfLineWindow::~EndOfLineWindow() { recordUnit(false); }

// Rows of STAT, EMUL, OUT and IN lamps under a one-line heading, with the
// emulation relay lamp of each injector pair beside its two rows.
void EndOfLineWindow::buildInjectorFrame() {
  QGroupBox* f = frame(this, "Frame2", "INIETTORI", kInjectorFrame);
  const QString columns = QStringLiteral("STAT EMUL OUT  IN");
  const QString pairs = QStringLiteral("RELE EMUL INJ");
  constexpr int headingX = 40, headingY = 26, firstRowY = 56;
  QLabel* heading = label(f, QStringLiteral("ColumnsLabel"), columns, {headingX, headingY});
  int pairsX = heading->x() + heading->width() + 24;
  QLabel* pairHeading = label(f, QStringLiteral("PairsLabel"), pairs, {pairsX, headingY});

  // Each lamp column sits under its word of the heading.
  QFontMetrics fm(heading->font());
  std::array<int, 4> columnCentre{};
  int searchFrom = 0;
  for (std::size_t c = 0; c < 4; ++c) {
    static const char* words[] = {"STAT", "EMUL", "OUT", "IN"};
    QString word = QString::fromLatin1(words[c]);
    int at = static_cast<int>(columns.indexOf(word, searchFrom));
    searchFrom = at + static_cast<int>(word.size());
    columnCentre[c] = headingX + fm.horizontalAdvance(columns.left(at)) + fm.horizontalAdvance(word) / 2;
  }
  int pairCentre = pairHeading->x() + pairHeading->width() / 2;

  auto rowY = [&](int injector) { return firstRowY + kRowPitch * (injector - 1); };
  for (int i = 1; i <= kInjectors; ++i) {
    rowLabels_[static_cast<std::size_t>(i - 1)] =
        label(f, QStringLiteral("RowLabel_%1").arg(i), QString::number(i), {14, rowY(i) + 1});
    const int lamps[4] = {statLamp(i), emulLamp(i), outLamp(i), inLamp(i)};
    for (std::size_t c = 0; c < 4; ++c) {
      auto* l = new platform::Lamp(f, platform::Lamp::Shape::kCircle);
      l->setObjectName(QStringLiteral("Shape1_%1").arg(lamps[c]));
      l->setGeometry(columnCentre[c] - kLampSize / 2, rowY(i), kLampSize, kLampSize);
      lamps_[static_cast<std::size_t>(lamps[c])] = l;
    }
  }
  for (int j = 1; j <= 4; ++j) {
    auto* l = new platform::Lamp(f, platform::Lamp::Shape::kCircle);
    l->setObjectName(QStringLiteral("Shape1_%1").arg(pairLamp(j)));
    int y = (rowY(2 * j - 1) + rowY(2 * j)) / 2;
    l->setGeometry(pairCentre - kLampSize / 2, y, kLampSize, kLampSize);
    lamps_[static_cast<std::size_t>(pairLamp(j))] = l;
  }
}

// The check lamps, one per label, in their frames.
void EndOfLineWindow::buildCheckFrames() {
  const CheckFrame frames[] = {
      {"Frame3", "ANALOGICI", QRect(450, 10, 180, 330), kAnalog},
      {"Frame4", "DIGITALI", QRect(640, 10, 180, 330), kDigital},
      {"Frame5", "TENSIONI ALIMENTAZIONE", QRect(140, 350, 240, 90), kSupply},
      {"Frame6", "EEPROM", QRect(390, 350, 170, 90), kEeprom},
      {"Frame7", "ALTRO", QRect(570, 350, 250, 90), kOther},
  };
  for (const CheckFrame& cf : frames) {
    QGroupBox* f = frame(this, cf.name, cf.caption, cf.rect);
    int y = 28;
    for (const LampLabel& ll : cf.lamps) {
      auto* l = new platform::Lamp(f, platform::Lamp::Shape::kCircle);
      l->setObjectName(QStringLiteral("Shape1_%1").arg(ll.lamp));
      if (ll.text) {
        label(f, QStringLiteral("LampLabel_%1").arg(ll.lamp), QString::fromLatin1(ll.text), {12, y + 1});
        l->setGeometry(cf.rect.width() - 20 - kLampSize, y, kLampSize, kLampSize);
      } else {
        l->setGeometry((cf.rect.width() - kLampSize) / 2, y + 14, kLampSize, kLampSize);
      }
      lamps_[static_cast<std::size_t>(ll.lamp)] = l;
      y += kCheckPitch;
    }
  }
}

void EndOfLineWindow::load() {
  platform::setBackColor(this, kPanelColour);
  app::selectOption({options_[0], options_[1], options_[2]}, {options_[0], options_[1], options_[2]}, 0);
  showRows(kCylinderChoices[0]);
  paintAll(true);
  setWindowTitle(connected() ? kTitle : kTitleNotConnected);
  start_->setEnabled(connected());
  showMessage(kChooseCylinders);
  report_->setText(app::text3(kReportCaption, language()));
  control<QLabel>(QStringLiteral("UnitLabel"))->setText(app::text3(kUnitCaption, language()));
  unitField_->setEnabled(connected());
  report_->setEnabled(false);
}

void EndOfLineWindow::activate() {
  // Coming back to the window must not interrupt a test that is polling.
  if (testRunning_) return;
  poll_->setInterval(kPollMs);
  poll_->stop();
}

void EndOfLineWindow::unload() {
  recordUnit();
  poll_->stop();
  versionRead_->stop();
  testRunning_ = false;
}

void EndOfLineWindow::cylinderChosen(int index) {
  app::selectOption({options_[0], options_[1], options_[2]}, {options_[0], options_[1], options_[2]}, index);
  showRows(kCylinderChoices[static_cast<std::size_t>(index)]);
  for (int lamp = 0; lamp <= kLastInjectorLamp; ++lamp) paint(lamp, true);
  paint(pairLamp(3), true);
  paint(pairLamp(4), true);
}

void EndOfLineWindow::showRows(int cylinders) {
  for (int lamp = 0; lamp < kLampCount; ++lamp)
    lamps_[static_cast<std::size_t>(lamp)]->setVisible(lampVisible(lamp, cylinders));
  for (int i = 1; i <= kInjectors; ++i) rowLabels_[static_cast<std::size_t>(i - 1)]->setVisible(rowVisible(i, cylinders));
}

int EndOfLineWindow::chosenCylinders() const {
  for (std::size_t i = 0; i < options_.size(); ++i)
    if (options_[i]->isChecked()) return kCylinderChoices[i];
  return kCylinderChoices[0];
}

void EndOfLineWindow::unitEntered() {
  if (unitField_->text().trimmed().isEmpty()) {
    showMessage(app::text3(kUnitMissing, language()));
    return;
  }
  if (!start_->isEnabled() || testRunning_ || versionRead_->isRunning()) return;
  // The unit on the fixture may not be the one the main menu connected to.
  shared().received.version = false;
  versionAttempts_ = 0;
  versionTick();
}

void EndOfLineWindow::versionTick() {
  versionRead_->stop();
  if (!shared().received.version && versionAttempts_ < kVersionAttempts) {
    ++versionAttempts_;
    send(link::readSoftwareVersion());
    versionRead_->start();
    return;
  }
  startTest();  // with the version read, or recorded as not known
}

void EndOfLineWindow::startTest() {
  recordUnit();  // the unit before, left without its reset
  recordedUnit_.reset();
  unitUnderTest_ = unitField_->text().trimmed().toStdString();
  // The version answer read last belongs to this unit only: the next unit on
  // the fixture has its own, read by the unit field or else recorded as not known.
  auto& s = shared();
  unitVersion_ = s.received.version ? link::versionString(s.version[0], s.version[1], s.version[2]) : std::string();
  s.received.version = false;
  unitField_->selectAll();  // the next scan replaces it
  report_->setEnabled(false);
  cylinders_ = chosenCylinders();
  paintAll(true);
  s.received.eolStartAck = false;
  s.eol.previousTestState = 0;
  // Results left from an earlier test must not be shown as this test's.
  s.eol.testState = 0;
  s.received.eolAnswerPending = false;
  noAnswerTicks_ = 0;
  keyOffSeconds_ = kKeyOffSeconds;
  keyOffSubTicks_ = 0;
  resetWaitSeconds_ = 0;
  resetWaitSubTicks_ = 0;
  send(link::startEndOfLineTest(cylinders_));
  testRunning_ = true;
  poll_->start();
}

void EndOfLineWindow::pollTick() {
  poll_->stop();
  auto& s = shared();
  noAnswerTicks_ = s.received.eolAnswerPending ? noAnswerTicks_ + 1 : 0;
  if (ctx().connection.isOpen() && !s.received.eolStartAck) {
    send(link::startEndOfLineTest(cylinders_));
  } else if (s.received.eolStartAck) {
    send(link::readEndOfLineData());
    s.received.eolAnswerPending = true;
  }

  switch (s.eol.testState) {
    case 2:
      showResults();
      poll_->start();
      keyOffCountdown();
      return;
    case 3:
      paint(kPowerLatchLamp, false);
      showMessage(kEepromReset);
      poll_->start();
      return;
    case 4:
      paint(kPowerLatchLamp, false);
      waitForEcuReset();
      poll_->start();
      return;
    default:
      if (s.eol.testState == 0 && s.eol.previousTestState == 4) {
        showMessage(kResetOk);
        paint(kWatchDogLamp, false);
        testRunning_ = false;  // the test is over: polling stays stopped
        recordUnit();
        return;
      }
      showMessage(kTestRunning);
      paintAll(true);
      poll_->start();
      return;
  }
}

void EndOfLineWindow::showResults() {
  auto& e = shared().eol;
  DecodedResults d = decodeResults(e.injectorStatus, e.checkBytes);
  for (int lamp = 0; lamp < kLampCount; ++lamp)
    if (isResultLamp(lamp)) paint(lamp, d.red[static_cast<std::size_t>(lamp)]);
  e.emulationFlags = d.emulation;
  lastResults_ = d;
  unrecordedResults_ = true;
}

// One second per five ticks; a silent ECU means the key is off.
void EndOfLineWindow::keyOffCountdown() {
  if (++keyOffSubTicks_ >= kTicksPerSecond) {
    --keyOffSeconds_;
    keyOffSubTicks_ = 0;
  }
  if (noAnswerTicks_ >= kSilentTicksForKeyOff) {
    showMessage(kKeyOffDetected);
  } else if (keyOffSeconds_ > 0) {
    showMessage(kKeyOffWithin.arg(keyOffSeconds_));
  } else {
    showMessage(kKeyNotTurnedOff);
    keyOffSeconds_ = kKeyOffSeconds;
    keyOffSubTicks_ = 0;
  }
}

void EndOfLineWindow::waitForEcuReset() {
  if (++resetWaitSubTicks_ == kTicksPerSecond) {
    ++resetWaitSeconds_;
    resetWaitSubTicks_ = 0;
  }
  showMessage(kWaitEcuReset.arg(resetWaitSeconds_));
}

void EndOfLineWindow::paint(int lamp, bool red) {
  lamps_[static_cast<std::size_t>(lamp)]->setFill(red ? core::colour::kRed : core::colour::kGreen);
}

void EndOfLineWindow::paintAll(bool red) {
  for (int lamp = 0; lamp < kLampCount; ++lamp) paint(lamp, red);
}

void EndOfLineWindow::showMessage(const QString& text) { message_->setText(text); }

void EndOfLineWindow::recordUnit(bool tellFitter) {
  if (!unrecordedResults_) return;
  unrecordedResults_ = false;
  auto green = [this](int lamp) {
    return lamps_[static_cast<std::size_t>(lamp)]->fill() == platform::toQColor(core::colour::kGreen);
  };
  recordedUnit_ = unitResult(localDateTimeNow(), unitVersion_, cylinders_, lastResults_, green(kPowerLatchLamp),
                             green(kWatchDogLamp));
  const history::Identity who = ctx().history ? ctx().history->journal().identity() : history::defaultIdentity();
  recordedUnit_->unit = unitUnderTest_;
  recordedUnit_->station = who.station;
  recordedUnit_->operatorName = who.operatorName;
  recordedUnit_->toolVersion = history::toolVersion();
  if (ctx().history) ctx().history->journal().service().record(eolResultOf(*recordedUnit_));
  report_->setEnabled(true);
  const std::string folder = recordsFolder();
  std::string error = appendRecord(folder, *recordedUnit_);
  if (error.empty() || !tellFitter) return;
  app::Screen* m =
      ctx().navigator.showMessage(this, recordsMessageTitle(language()), recordNotWrittenText(folder, language()));
  if (auto* message = dynamic_cast<app::MessageWindow*>(m)) message->setDetail(QString::fromStdString(error));
}

void EndOfLineWindow::saveReport() {
  if (!recordedUnit_) return;
  const QString chosen = ctx().desktop.chooseFile(this, reportDialogRequest(language()));
  const QString path = withPdfSuffix(chosen);
  if (path.isEmpty()) return;
  // The dialog asked about replacing the name typed, not the one the suffix made of it.
  if (path != chosen && QFileInfo::exists(path) &&
      !ctx().desktop.confirm(this, replaceReportQuestion(windowTitle(), path, language())))
    return;
  QString error = writeReport(path, *recordedUnit_, language());
  const QString text = error.isEmpty() ? reportSavedText(path, language()) : reportNotSavedText(path, language());
  app::Screen* m = ctx().navigator.showMessage(this, recordsMessageTitle(language()), text);
  if (auto* message = dynamic_cast<app::MessageWindow*>(m); message && !error.isEmpty()) message->setDetail(error);
}

}  // namespace kelvo6::eol
