#include "shell/main_menu.h"

#include <QCoreApplication>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "app/connection.h"
#include "app/navigator.h"
#include "app/texts.h"
#include "history/hooks.h"
#include "history/journal.h"
#include "link/params.h"
#include "link/requests.h"
#include "platform/network_address.h"
#include "platform/widgets.h"

namespace kelvo6::shell {

namespace {

using core::Text3;

constexpr app::ControlText kTexts[] = {
    {"Command1", {"EXIT", "EXIT", "CIKIS"}},
    {"Command2", {"TEST EOL", "TEST EOL", "TEST EOL"}},
    {"Command3", {"Visualizza stato vettura", "Display vehicle status", "Aracin Genel Durumu"}},
    {"Command4", {"Visualizza parametri centralina", "Display ECU parameter", "ECU Degerleri"}},
    {"Command5", {"Taratura", "Calibration", "Kalibrasyon"}},
    {"Command6", {"Aggiorna software centralina", "Update software ECU", "ECU Yazilimini Guncelle"}},
    {"Label3", {"VERSIONE SW ECU", "ECU SW VERSION", "ECU YAZILIM VERSIYONU"}},
    {"Label2", {"GPL", "LPG", "LPG"}},
    {"Label5", {"METANO", "CNG", "CNG"}},
    {"Command7", {"Oscilloscopio", "Oscilloscope", "Osiloskop"}},
    {"Command8", {"Storico", "History", "Gecmis"}},
    {"Label7", {"Nome vettura", "Vehicle name", "Arac adi"}},
};
constexpr Text3 kTitleNotConnected{"KELVO6 - Non Connesso", "KELVO6 - Not Connected", "KELVO6 - Iletisim Yok"};
constexpr Text3 kLineFailureTitle{"KELVO6 - Comunicazione", "KELVO6 - Communication", "KELVO6 - Iletisim"};
constexpr Text3 kLineFailureText{
    "Problemi sulla linea di comunicazione. Controllare i collegamenti e assicurarsi che la centralina sia "
    "alimentata.",
    "Problems on communication line. Check connections and make sure the ECU is powered.",
    "Iletisimde problem var! Kablo baglantilarini kontrol edin ve ECU'ya enerji verildiginden emin olun."};

constexpr Text3 kLineLostNote{"Linea interrotta: premere MENU nella finestra iniziale per ricollegarsi.",
                               "Line lost: press MENU on the start window to connect again.",
                               "Hat kesildi: yeniden baglanmak icin baslangic penceresinde MENU'ye basin."};

constexpr int kVersionAttempts = 5;
constexpr int kVersionIntervalMs = 50;
constexpr int kParameterSetIntervalMs = 1000;
// A network line's round trip is known only from its first answer; until then
// a request is given as long as the longest round trip a remote line is meant to bear.
constexpr int kUnmeasuredRoundTripMs = 1000;
constexpr const char* kNoVersion = "**.**.**";
constexpr int kLpgEndOfGasPressure = 400;
constexpr int kCngEndOfGasPressure = 850;

// How long after a request the handshake may ask again on a network line: the
// local pace plus the round trip and the pauses a network puts inside an
// answer, so a far ECU is not asked again while its answer is on the way.
int networkResendMs(int localMs, int roundTripMs, int pieceGapMs) {
  return localMs + (roundTripMs >= 0 ? roundTripMs : kUnmeasuredRoundTripMs) + pieceGapMs;
}

}  // namespace

MainMenu::MainMenu(app::Context& ctx) : Screen(ctx, QStringLiteral("Form2")) {
  setWindowTitle(QStringLiteral("KELVO6"));
  const char* captions[7] = {"",
                             "EXIT",
                             "TEST EOL",
                             "Visualizza stato vettura",
                             "Visualizza parametri centralina",
                             "Taratura",
                             "Aggiorna software centralina"};
  for (int i = 1; i <= 6; ++i) {
    buttons_[i] = new QPushButton(QString::fromLatin1(captions[i]), this);
    buttons_[i]->setObjectName(QStringLiteral("Command%1").arg(i));
    buttons_[i]->setMinimumHeight(36);
    if (i >= 2) buttons_[i]->setEnabled(false);
  }
  auto* product = new QLabel(QStringLiteral("KELVO6"), this);
  product->setObjectName("Label1");
  QFont big = product->font();
  big.setPointSize(big.pointSize() * 2);
  big.setBold(true);
  product->setFont(big);
  auto* line = new QLabel(QStringLiteral("Sequential Injection System"), this);
  line->setObjectName("Label4");
  auto* versionHeading = new QLabel(QStringLiteral("VERSIONE SW ECU"), this);
  versionHeading->setObjectName("Label3");
  version_ = new QLineEdit(QString::fromLatin1(kNoVersion), this);
  version_->setObjectName("Text1");
  version_->setReadOnly(true);
  version_->setAlignment(Qt::AlignCenter);
  version_->setMaximumWidth(120);
  platform::keepRoomFor(version_, QString::fromLatin1(kNoVersion));

  auto* fuelBox = new QGroupBox(this);
  auto* fuelRow = new QHBoxLayout(fuelBox);
  const char* fuelNames[2] = {"GPL", "METANO"};
  const char* labelNames[2] = {"Label2", "Label5"};
  for (int i = 0; i < 2; ++i) {
    fuel_[i] = new QRadioButton(fuelBox);
    fuel_[i]->setObjectName(QStringLiteral("Option1_%1").arg(i));
    fuel_[i]->setEnabled(false);
    fuelLabel_[i] = new QLabel(QString::fromLatin1(fuelNames[i]), fuelBox);
    fuelLabel_[i]->setObjectName(QString::fromLatin1(labelNames[i]));
    fuelLabel_[i]->setBuddy(fuel_[i]);
    QFont f = fuelLabel_[i]->font();
    f.setBold(true);
    fuelLabel_[i]->setFont(f);
    fuelRow->addWidget(fuel_[i]);
    fuelRow->addWidget(fuelLabel_[i]);
    fuelRow->addSpacing(20);
    connect(fuel_[i], &QRadioButton::clicked, this, [this, i] { fuelChosen(i); });
  }

  auto* v = new QVBoxLayout(this);
  v->addWidget(product);
  v->addWidget(line);
  auto* versionRow = new QHBoxLayout;
  versionRow->addWidget(versionHeading);
  versionRow->addWidget(version_);
  versionRow->addStretch();
  versionRow->addWidget(fuelBox);
  v->addLayout(versionRow);
  for (int i : {3, 4, 5, 2, 6, 1}) v->addWidget(buttons_[i]);
  oscilloscope_ = new QPushButton(QStringLiteral("Oscilloscopio"), this);
  oscilloscope_->setObjectName("Command7");
  oscilloscope_->setMinimumHeight(36);
  oscilloscope_->setEnabled(false);
  v->addWidget(oscilloscope_);
  lineNote_ = new QLabel(this);
  lineNote_->setObjectName("Label6");
  lineNote_->setWordWrap(true);
  lineNote_->hide();
  v->addWidget(lineNote_);
  connect(oscilloscope_, &QPushButton::clicked, this, [this] { openOscilloscope(); });
  // The history of restore points and writes, when the program keeps one.
  history_ = new QPushButton(QStringLiteral("Storico"), this);
  history_->setObjectName("Command8");
  history_->setMinimumHeight(36);
  history_->setEnabled(false);
  history_->setVisible(ctx.history != nullptr);
  v->addWidget(history_);
  connect(history_, &QPushButton::clicked, this, [this] {
    stopTimers();
    this->ctx().navigator.open(QStringLiteral("History"), this);
  });

  // The vehicle's name for the history, last so that no other control moves.
  auto* vehicleRow = new QHBoxLayout;
  auto* vehicleLabel = new QLabel(QStringLiteral("Nome vettura"), this);
  vehicleLabel->setObjectName("Label7");
  vehicle_ = new QLineEdit(this);
  vehicle_->setObjectName("Text2");
  vehicle_->setMaxLength(80);
  vehicleLabel->setBuddy(vehicle_);
  vehicleRow->addWidget(vehicleLabel);
  vehicleRow->addWidget(vehicle_, 1);
  v->addLayout(vehicleRow);
  vehicleLabel->setVisible(ctx.history != nullptr);
  vehicle_->setVisible(ctx.history != nullptr);
  connect(vehicle_, &QLineEdit::editingFinished, this, [this] { vehicleNamed(); });

  connect(buttons_[1], &QPushButton::clicked, this, [this] { exit(); });
  connect(buttons_[2], &QPushButton::clicked, this, [this] { openEndOfLine(); });
  connect(buttons_[3], &QPushButton::clicked, this, [this] { openStatus(); });
  connect(buttons_[4], &QPushButton::clicked, this, [this] { openParameters(); });
  connect(buttons_[5], &QPushButton::clicked, this, [this] { openCalibration(); });
  connect(buttons_[6], &QPushButton::clicked, this, [this] { openSoftwareUpdate(); });

  handshake_ = makeTimer("Timer1", kVersionIntervalMs, [this] { handshakeTick(); });
  waitLive_ = makeTimer("Timer2", 500, [this] { statusTick(); });
  waitCalibration_ = makeTimer("Timer3", 500, [this] { calibrationTick(); });
  fuelWriter_ = makeTimer("Timer4", 100, [this] { fuelTick(); });
}

MainMenu::~MainMenu() = default;

void MainMenu::load() {
  app::applyTexts(this, kTexts, language());
  // Another connection, another vehicle.
  vehicle_->clear();
  vehicleNamed_.clear();
  if (!connected()) {
    setWindowTitle(app::text3(kTitleNotConnected, language()));
    enableScreenButtons(true);
    return;
  }
  beginHandshake();
}

void MainMenu::beginHandshake() {
  // The ECU's header is learned again from this handshake's answers.
  ctx().connection.forgetHeader();
  lineNote_->hide();
  setWindowTitle(QStringLiteral("KELVO6"));
  for (auto* f : fuel_) f->setEnabled(true);
  handshake_->setInterval(kVersionIntervalMs);
  lastRequest_.clear();
  handshake_->start();
  setBusy(true);
}

void MainMenu::reconnect() {
  stopTimers();
  handshakeComplete_ = false;
  enableScreenButtons(false);
  version_->setText(QString::fromLatin1(kNoVersion));
  beginHandshake();
}

void MainMenu::lineLost() {
  stopTimers();
  handshakeComplete_ = false;
  enableScreenButtons(false);
  for (auto* f : fuel_) f->setEnabled(false);
  setBusy(false);
  lineNote_->setText(app::text3(kLineLostNote, language()));
  lineNote_->show();
}

void MainMenu::activate() {
  showFuel();
  if (shared().softwareUpdateStarted || shared().lostLinkCounter > 1) {
    stopTimers();
    close();
  }
}

void MainMenu::unload() { stopTimers(); }

void MainMenu::showVersion(const QString& text) { version_->setText(text); }

void MainMenu::stopTimers() {
  for (auto* t : {handshake_.get(), waitLive_.get(), waitCalibration_.get(), fuelWriter_.get()}) t->stop();
}

void MainMenu::enableScreenButtons(bool enabled) {
  for (int i = 2; i <= 5; ++i) buttons_[i]->setEnabled(enabled);
  oscilloscope_->setEnabled(enabled);
  history_->setEnabled(enabled && ctx().history);
  // The software update needs an ECU that has answered the handshake.
  buttons_[6]->setEnabled(enabled && connected() && handshakeComplete_);
}

void MainMenu::showFuel() {
  int fuel = shared().param(link::param::kFuelType).ecu;
  app::selectOption({fuel_[0], fuel_[1]}, {fuelLabel_[0], fuelLabel_[1]}, fuel);
}

void MainMenu::sendHandshakeRequest(const link::Bytes& request, int localMs) {
  send(request);
  app::Connection& c = ctx().connection;
  lastRequest_ = request;
  resendAt_ = platform::isNetworkPort(c.openedDevice())
                  ? ctx().scheduler.nowMs() + networkResendMs(localMs, c.port().roundTripMs(), c.port().pieceGapMs())
                  : -1;
}

bool MainMenu::answerMayStillCome(const link::Bytes& request) {
  if (request != lastRequest_ || ctx().scheduler.nowMs() >= resendAt_) return false;
  handshake_->start();  // look again at the usual pace
  return true;
}

void MainMenu::handshakeTick() {
  handshake_->stop();
  auto& s = shared();
  if (!s.received.version) {
    if (answerMayStillCome(link::readSoftwareVersion())) return;
    if (s.handshakeAttempts >= kVersionAttempts) {
      waitLive_->stop();
      waitCalibration_->stop();
      app::Screen* start = ctx().navigator.find(QStringLiteral("Form1"));
      app::Navigator& nav = ctx().navigator;
      QString title = app::text3(kLineFailureTitle, language());
      QString text = app::text3(kLineFailureText, language());
      close();
      nav.showMessage(start, title, text);
      return;
    }
    sendHandshakeRequest(link::readSoftwareVersion(), kVersionIntervalMs);
    ++s.handshakeAttempts;
    handshake_->start();
    return;
  }
  if (s.received.paramSet) {
    if (s.received.table) {
      handshakeComplete_ = true;
      if (ctx().history) {
        vehicleNamed_ = vehicle_->text().trimmed();
        ctx().history->handshakeComplete(vehicleNamed_.toStdString());
        if (vehicleNamed_.isEmpty()) suggestVehicle();
      }
      enableScreenButtons(true);
      s.bulkTransfer = false;
      showFuel();
      setBusy(false);
      return;
    }
    if (answerMayStillCome(link::readTable())) return;
    sendHandshakeRequest(link::readTable(), kParameterSetIntervalMs);
    handshake_->start();
    return;
  }
  if (answerMayStillCome(link::readParameterSet())) return;
  s.bulkTransfer = true;
  sendHandshakeRequest(link::readParameterSet(), kParameterSetIntervalMs);
  handshake_->setInterval(kParameterSetIntervalMs);
  handshake_->start();
}

void MainMenu::openStatus() {
  if (!connected()) {
    stopTimers();
    ctx().navigator.open(QStringLiteral("Form3"), this);
    return;
  }
  auto& s = shared();
  send(link::readLiveData());
  s.received.fuelSwitchAck = true;
  s.received.liveData = false;
  s.lostLinkCounter = 0;
  waitLive_->start();
}

void MainMenu::statusTick() {
  waitLive_->stop();
  if (shared().received.liveData) {
    handshake_->stop();
    waitCalibration_->stop();
    ctx().navigator.open(QStringLiteral("Form3"), this);
    return;
  }
  send(link::readLiveData());
  waitLive_->start();
}

void MainMenu::openCalibration() {
  if (!connected()) {
    stopTimers();
    ctx().navigator.open(QStringLiteral("Form16"), this);
    return;
  }
  auto& s = shared();
  send(link::readCalibrationData(0));
  auto& c = s.calib;
  s.received.calOnAck = false;
  s.received.calOffAck = false;
  c.autoCalRequested = false;
  c.tableWriteRequested = false;
  c.storeRpm = c.storePressure = c.storeTemperature = false;
  c.coilCalibration = false;
  c.wholeTableFill = false;
  c.coilCount = 1;
  c.calOffRequested = true;
  s.received.calData = false;
  waitCalibration_->start();
}

void MainMenu::calibrationTick() {
  waitCalibration_->stop();
  if (shared().received.calData) {
    handshake_->stop();
    waitLive_->stop();
    ctx().navigator.open(QStringLiteral("Form16"), this);
    return;
  }
  send(link::readCalibrationData(0));
  waitCalibration_->start();
}

void MainMenu::openParameters() {
  stopTimers();
  ctx().navigator.open(QStringLiteral("Form5"), this);
}

void MainMenu::openEndOfLine() {
  stopTimers();
  auto& e = shared().eol;
  e.injectorStatus.fill(15);
  e.checkBytes.fill(15);
  e.emulationFlags.fill(true);
  ctx().navigator.open(QStringLiteral("Form9"), this);
}

void MainMenu::openSoftwareUpdate() {
  shared().received.downloadAck = false;
  stopTimers();
  ctx().navigator.open(QStringLiteral("Form7"), this);
}

void MainMenu::openOscilloscope() {
  stopTimers();
  ctx().navigator.open(QStringLiteral("Oscilloscope"), this);
}

void MainMenu::exit() {
  stopTimers();
  shared().bulkTransfer = false;
  close();
}

void MainMenu::vehicleNamed() {
  const QString name = vehicle_->text().trimmed();
  // Before the handshake's end the name simply goes with its restore point.
  if (!ctx().history || !handshakeComplete_ || name == vehicleNamed_) return;
  vehicleNamed_ = name;
  ctx().history->journal().nameVehicle(name.toStdString());
}

void MainMenu::suggestVehicle() {
  // The answer comes on the history's thread; the field is filled on ours,
  // unless the fitter has started typing meanwhile.
  QPointer<MainMenu> menu(this);
  ctx().history->journal().storedVehicle([menu](std::string name) {
    QMetaObject::invokeMethod(
        qApp, [menu, name = QString::fromStdString(name)] {
          if (!menu || !menu->vehicle_->text().isEmpty()) return;
          menu->vehicle_->setText(name);
          menu->vehicleNamed_ = name;
        },
        Qt::QueuedConnection);
  });
}

void MainMenu::fuelChosen(int index) {
  auto& s = shared();
  int ecuFuel = s.param(link::param::kFuelType).ecu;
  if (index == 1 && ecuFuel == 0) {
    s.param(link::param::kFuelType).pending = 1;
    s.param(link::param::kEndOfGasPressure).pending = kCngEndOfGasPressure;
  } else if (index == 0 && ecuFuel == 1) {
    s.param(link::param::kFuelType).pending = 0;
    s.param(link::param::kEndOfGasPressure).pending = kLpgEndOfGasPressure;
  } else {
    return;
  }
  for (int i = 2; i <= 6; ++i) buttons_[i]->setEnabled(false);
  oscilloscope_->setEnabled(false);
  setBusy(true);
  handshake_->stop();
  waitLive_->stop();
  waitCalibration_->stop();
  fuelWriter_->start();
}

void MainMenu::fuelTick() {
  fuelWriter_->stop();
  auto& s = shared();
  for (int n : {link::param::kEndOfGasPressure, link::param::kFuelType}) {
    auto& p = s.param(n);
    if (p.needsWrite()) {
      send(link::writeParameter(n, p.pending));
      fuelWriter_->start();
      return;
    }
  }
  enableScreenButtons(true);
  setBusy(false);
}

}  // namespace kelvo6::shell
