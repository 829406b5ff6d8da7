#include "params/hub.h"

#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/navigator.h"
#include "app/texts.h"
#include "link/requests.h"
#include "params/archive.h"
#include "params/compare_open.h"
#include "params/defaults.h"
#include "params/form_parts.h"
#include "params/transfer_texts.h"

namespace kelvo6::params {

namespace {

using core::Text3;

constexpr app::ControlText kTexts[] = {
    {"title",
     {"KELVO6 - Visualizza parametri centralina", "KELVO6 - Display parameters of ECU",
      "KELVO6 - ECU Degerlerini Goster"}},
    {"Command1", {"Parametri LAMBDA", "OXYGEN SENSOR parameters", "LAMBDA Degerleri"}},
    {"Command2", {"Parametri CUTOFF", "CUTOFF parameters", "GAZ KESME Degerleri"}},
    {"Command3", {"Parametri COMMUTAZIONE", "SWITCHING parameters", "Yakit Degisim Degerleri"}},
    {"Command4", {"Parametri INDICATORE", "INDICATOR parameters", "SEVIYE GOSTERGESI Degerleri"}},
    {"Command5", {"ARCHIVIO VETTURE", "STORAGE OF VEHICLE", "Arac Degerlerini ECU'ya Yucle"}},
    {"Command6", {"Altri parametri", "Other parameters", "Diger Degerler"}},
    {"Command7", {"Valori di default", "Default values", "Sabit Degerler"}},
    {"Command8", {"EXIT", "EXIT", "CIKIS"}},
    {"Command9",
     {"SALVA CONFIGURAZIONE VETTURA", "STORE CONFIGURATION OF VEHICLE", "ECU Degerlerini Bilgisayara Yukle"}},
    {"ContinueTransfer", {"CONTINUA", "CONTINUE", "DEVAM"}},
    {"Command10", kCompareWithEcuCaption},
    {"Command11", kCompareWorkbooksCaption},
};
constexpr Text3 kTitleNotConnected{"KELVO6 - Visualizza parametri centralina Non connesso",
                                   "KELVO6 - Display parameters of ECU Not connected",
                                   "KELVO6 - ECU Degerlerini Goster  Iletisim Yok"};

constexpr Text3 kDefaultsQuestion{
    "Riportare la centralina ai valori di default? Tutta la configurazione della centralina (parametri e "
    "tabella KGB) sarà sostituita.",
    "Restore the ECU's default values? The ECU's whole configuration (parameters and KGB table) will be "
    "replaced.",
    "ECU sabit degerlere dondurulsun mu? ECU'nun tum degerleri (parametreler ve KGB tablosu) degisecek."};
constexpr Text3 kDefaultsRunning{"Ripristino dei valori di default in corso", "Restoring the default values",
                                 "Sabit degerler yukleniyor"};
constexpr Text3 kDefaultsDone{"Valori di default ripristinati e riletti dalla centralina",
                              "Default values restored and read back from the ECU",
                              "Sabit degerler yuklendi ve ECU'dan tekrar okundu"};
constexpr Text3 kDefaultsInterrupted{
    "Ripristino dei valori di default interrotto: i valori della centralina non sono stati riletti. CONTINUA lo "
    "completa.",
    "Restoring the default values was interrupted: the ECU's values have not been read back. CONTINUE "
    "completes it.",
    "Sabit deger yukleme durdu: ECU degerleri tekrar okunmadi. DEVAM islemi tamamlar."};
constexpr Text3 kLeaveDuringDefaults{
    "Il ripristino dei valori di default non è finito: i valori mostrati potrebbero non essere quelli della "
    "centralina. Uscire comunque?",
    "Restoring the default values has not finished: the values shown may not be the ECU's. Exit anyway?",
    "Sabit deger yukleme bitmedi: gosterilen degerler ECU'nunkiler olmayabilir. Yine de cikilsin mi?"};
constexpr Text3 kSaved{"Configurazione salvata in %1", "Configuration saved in %1", "Degerler kaydedildi: %1"};
constexpr Text3 kNotSaved{"Configurazione non salvata: \"%1\" è rimasto com'era",
                          "Configuration not saved: \"%1\" was kept as it was",
                          "Degerler kaydedilmedi: \"%1\" degistirilmedi"};
constexpr Text3 kNotLoaded{"Nessun valore inviato: \"%1\" è stato rifiutato", "No value sent: \"%1\" was refused",
                           "Hicbir deger gonderilmedi: \"%1\" reddedildi"};
constexpr Text3 kReplace{"Il file \"%1\" esiste già. Sostituirlo?", "The file \"%1\" already exists. Replace it?",
                         "\"%1\" dosyasi zaten var. Degistirilsin mi?"};

// The buttons a whole-set operation disables while it runs.
constexpr int kBusyButtons[] = {1, 3, 4, 5, 6, 7, 9};
constexpr int kHubTimerMs = 100;

// A path that may wrap after each separator, so that a long one stays whole.
QString wrappablePath(const QString& path) {
  return QDir::toNativeSeparators(path).replace(QDir::separator(), QString(QDir::separator()) + QChar(0x200B));
}

}  // namespace

ParameterHub::ParameterHub(app::Context& ctx) : Screen(ctx, QStringLiteral("Form5")) {
  for (int i = 1; i <= 9; ++i) {
    buttons_[i] = parts::button(this, QStringLiteral("Command%1").arg(i), {});
    buttons_[i]->setMinimumHeight(34);
  }
  continue_ = parts::button(this, QStringLiteral("ContinueTransfer"), {});
  continue_->setMinimumHeight(34);
  auto* editors = new QGroupBox(this);
  auto* e = new QVBoxLayout(editors);
  for (int i : {1, 2, 3, 4, 6}) e->addWidget(buttons_[i]);
  auto* vehicle = new QGroupBox(this);
  auto* w = new QVBoxLayout(vehicle);
  for (int i : {5, 9, 7}) w->addWidget(buttons_[i]);
  // Our compare buttons, after the described ones.
  compareWithEcu_ = parts::button(this, QString::fromLatin1(kCompareWithEcuButton), {});
  compareWorkbooks_ = parts::button(this, QString::fromLatin1(kCompareWorkbooksButton), {});
  for (QPushButton* b : {compareWithEcu_, compareWorkbooks_}) {
    b->setMinimumHeight(34);
    w->addWidget(b);
  }
  status_ = new parts::MessageLine(this);
  status_->setObjectName("ProgressLine");
  status_->hide();
  continue_->hide();  // offered only after an interruption
  auto* v = new QVBoxLayout(this);
  v->addWidget(editors);
  v->addWidget(vehicle);
  v->addWidget(buttons_[8]);
  v->addWidget(status_);
  v->addWidget(continue_);

  connect(buttons_[1], &QPushButton::clicked, this, [this] { openEditor("Form6"); });
  connect(buttons_[2], &QPushButton::clicked, this, [this] { openEditor("Form10"); });
  connect(buttons_[3], &QPushButton::clicked, this, [this] { openEditor("Form11"); });
  connect(buttons_[4], &QPushButton::clicked, this, [this] { openEditor("Form14"); });
  connect(buttons_[6], &QPushButton::clicked, this, [this] { openEditor("Form13"); });
  connect(buttons_[5], &QPushButton::clicked, this, [this] { loadVehicle(); });
  connect(buttons_[9], &QPushButton::clicked, this, [this] { saveVehicle(); });
  connect(buttons_[7], &QPushButton::clicked, this, [this] { restoreDefaults(); });
  connect(buttons_[8], &QPushButton::clicked, this, [this] { close(); });
  connect(continue_, &QPushButton::clicked, this, [this] { continueOperation(); });
  connect(compareWithEcu_, &QPushButton::clicked, this,
          [this] { compareWithEcu(this, Screen::ctx(), [this](const Configuration& c) { sendConfiguration(c); }); });
  connect(compareWorkbooks_, &QPushButton::clicked, this, [this] { compareTwoWorkbooks(this, Screen::ctx()); });

  defaultsTimer_ = makeTimer("Timer1", kHubTimerMs, [this] { defaultsTick(); });
  transferTimer_ = makeTimer("Timer2", kHubTimerMs, [this] { transferTick(); });
  twoParameters_ = makeTimer("Timer3", kHubTimerMs, [this] { twoParameterTick(); });
}

ParameterHub::~ParameterHub() = default;

void ParameterHub::load() {
  app::applyTexts(this, kTexts, core::kItalian);  // the design-time captions
  app::applyTexts(this, kTexts, language());
  if (!connected()) {
    if (const char* t = core::pick(kTitleNotConnected, language())) setWindowTitle(QString::fromUtf8(t));
    for (int i : {5, 7, 9}) buttons_[i]->setEnabled(false);
    compareWithEcu_->setEnabled(false);  // two workbooks compare without an ECU
  }
}

void ParameterHub::unload() {
  interrupt();
  shared().bulkTransfer = false;
  twoParameters_->stop();
}

// EXIT and the window frame: leaving while a transfer or a restore runs leaves
// the ECU, or what the windows show of it, half done, so the fitter is asked.
void ParameterHub::closeEvent(QCloseEvent* event) {
  if (!mayLeave()) {
    event->ignore();
    return;
  }
  Screen::closeEvent(event);
}

bool ParameterHub::mayLeave() {
  if (isHidden()) return true;  // already closed
  if (transfer_.running())
    return ctx().desktop.confirm(this, leaveDuringTransferQuestion(transfer_, shared(), windowTitle(), language()));
  if (defaults_ == Defaults::kRunning)
    return ctx().desktop.confirm(this, {windowTitle(), app::text3(kLeaveDuringDefaults, language()),
                                        yesText(language()), noText(language())});
  return true;
}

void ParameterHub::openEditor(const char* form) {
  // One window talks to the ECU at a time: a running transfer or restore stops
  // here, and the hub says what is left.
  interrupt();
  ctx().navigator.open(QString::fromLatin1(form), this);
}

void ParameterHub::interrupt() {
  defaultsTimer_->stop();
  transferTimer_->stop();
  bool stopped = false;
  if (transfer_.running()) {
    transfer_.interrupt(shared());
    showTransferStatus();
    stopped = true;
  }
  if (defaults_ == Defaults::kRunning) {
    defaults_ = Defaults::kInterrupted;
    shared().bulkTransfer = false;
    showStatus(app::text3(kDefaultsInterrupted, language()));
    stopped = true;
  }
  if (!stopped) return;
  setHubBusy(false);
  offerContinue(true);
}

void ParameterHub::continueOperation() {
  continue_->hide();
  if (transfer_.state() == BulkTransfer::State::kInterrupted) {
    setHubBusy(true);
    transfer_.resume(shared());
    showTransferStatus();
    transferTimer_->start();
  } else if (defaults_ == Defaults::kInterrupted) {
    setHubBusy(true);
    defaults_ = Defaults::kRunning;
    shared().bulkTransfer = true;
    showStatus(app::text3(kDefaultsRunning, language()));
    defaultsTimer_->start();
  }
}

void ParameterHub::offerContinue(bool offer) {
  continue_->setVisible(offer);
  if (offer) return;
  // A new operation: what an interrupted one left over is no longer on offer.
  if (transfer_.state() == BulkTransfer::State::kInterrupted) transfer_ = BulkTransfer();
  if (defaults_ == Defaults::kInterrupted) defaults_ = Defaults::kIdle;
}

void ParameterHub::showStatus(const QString& text) {
  status_->showMessage(text);
  status_->setVisible(!text.isEmpty());
}

void ParameterHub::replaceOutcome(const QString& text) {
  if (continue_->isHidden()) showStatus(text);
}

void ParameterHub::showTransferStatus() { showStatus(transferStatusText(transfer_, shared(), language())); }

void ParameterHub::setHubBusy(bool busy) {
  for (int i : kBusyButtons) buttons_[i]->setEnabled(!busy);
  compareWithEcu_->setEnabled(!busy && connected());
  setBusy(busy);
}

void ParameterHub::reportArchiveError(const ArchiveError& error, const QString& path) {
  app::Screen* m = ctx().navigator.showMessage(this, archiveMessageTitle(language()),
                                               archiveMessageText(error, path, language()));
  if (auto* message = dynamic_cast<app::MessageWindow*>(m)) message->setDetail(QString::fromStdString(error.detail));
}

void ParameterHub::loadVehicle() {
  setHubBusy(true);
  QString path = ctx().desktop.chooseFile(this, loadDialogRequest(language()));
  if (path.isEmpty()) {
    setHubBusy(false);
    shared().bulkTransfer = false;
    return;
  }
  if (auto error = params::loadVehicle(path.toStdString(), shared())) {
    // Nothing of the workbook was taken: back to idle.
    setHubBusy(false);
    shared().bulkTransfer = false;
    replaceOutcome(app::text3(kNotLoaded, language()).arg(QFileInfo(path).fileName()));
    reportArchiveError(*error, path);
    return;
  }
  startTransfer();
}

void ParameterHub::sendConfiguration(const Configuration& values) {
  setHubBusy(true);
  setPending(shared(), values);
  startTransfer();
}

// The pending values as they stand go to the ECU.
void ParameterHub::startTransfer() {
  offerContinue(false);
  transfer_.start(shared());
  showTransferStatus();
  transferTimer_->start();
}

void ParameterHub::saveVehicle() {
  setHubBusy(true);
  QString chosen = ctx().desktop.chooseFile(this, saveDialogRequest(language()));
  QString path = withWorkbookSuffix(chosen);
  // The dialog asked about replacing the name it was given, not the one the
  // workbook's suffix made of it.
  const QString name = QFileInfo(path).fileName();
  if (path != chosen && QFileInfo::exists(path) &&
      !ctx().desktop.confirm(this, {windowTitle(), app::text3(kReplace, language()).arg(name), yesText(language()),
                                    noText(language())})) {
    setHubBusy(false);
    replaceOutcome(app::text3(kNotSaved, language()).arg(name));
    return;
  }
  std::optional<ArchiveError> error;
  if (!path.isEmpty()) error = params::saveVehicle(path.toStdString(), shared());
  setHubBusy(false);
  if (path.isEmpty()) return;
  if (error) {
    reportArchiveError(*error, path);
    return;
  }
  offerContinue(false);
  showStatus(app::text3(kSaved, language()).arg(wrappablePath(QFileInfo(path).absoluteFilePath())));
}

void ParameterHub::transferTick() {
  transferTimer_->stop();
  auto frame = transfer_.tick(shared());
  showTransferStatus();
  if (frame) {
    send(*frame);
    transferTimer_->start();
    return;
  }
  setHubBusy(false);
}

void ParameterHub::restoreDefaults() {
  platform::Question question{windowTitle(), app::text3(kDefaultsQuestion, language()), yesText(language()),
                              noText(language())};
  if (!ctx().desktop.confirm(this, question)) return;
  offerContinue(false);
  setHubBusy(true);
  auto& r = shared().received;
  r.defaultsAck = false;
  r.paramSet = false;
  r.table = false;
  send(link::restoreDefaults());
  defaultsTimer_->start();
  shared().bulkTransfer = true;
  defaults_ = Defaults::kRunning;
  showStatus(app::text3(kDefaultsRunning, language()));
}

void ParameterHub::defaultsTick() {
  defaultsTimer_->stop();
  switch (nextDefaultsStep(shared().received)) {
    case DefaultsStep::kRepeatRestore:
      send(link::restoreDefaults());
      defaultsTimer_->setInterval(kDefaultsRetryMs);  // stays until the hub is opened again
      defaultsTimer_->start();
      return;
    case DefaultsStep::kReadParameterSet:
      send(link::readParameterSet());
      defaultsTimer_->start();
      return;
    case DefaultsStep::kReadTable:
      send(link::readTable());
      defaultsTimer_->start();
      return;
    case DefaultsStep::kDone:
      setHubBusy(false);
      shared().bulkTransfer = false;
      defaults_ = Defaults::kDone;
      showStatus(app::text3(kDefaultsDone, language()));
      return;
  }
}

// A writer of the end-of-gas pressure and the fuel type; nothing starts it.
void ParameterHub::twoParameterTick() {
  twoParameters_->stop();
  for (int n : {link::param::kEndOfGasPressure, link::param::kFuelType}) {
    const core::ValuePair& p = shared().param(n);
    if (p.needsWrite() && link::fitsWire16(p.pending)) {
      send(link::writeParameter(n, p.pending));
      twoParameters_->start();
      return;
    }
  }
  setHubBusy(false);
}

}  // namespace kelvo6::params
