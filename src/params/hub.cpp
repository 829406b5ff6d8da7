#include "params/hub.h"

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
#include "params/transfer.h"

namespace kelvo6::params {

namespace {

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
};
constexpr core::Text3 kTitleNotConnected{"KELVO6 - Visualizza parametri centralina Non connesso",
                                         "KELVO6 - Display parameters of ECU Not connected",
                                         "KELVO6 - ECU Degerlerini Goster  Iletisim Yok"};

// The buttons a whole-set operation disables while it runs.
constexpr int kBusyButtons[] = {1, 3, 4, 5, 6, 7, 9};
constexpr int kHubTimerMs = 100;

}  // namespace

ParameterHub::ParameterHub(app::Context& ctx) : Screen(ctx, QStringLiteral("Form5")) {
  for (int i = 1; i <= 9; ++i) {
    buttons_[i] = parts::button(this, QStringLiteral("Command%1").arg(i), {});
    buttons_[i]->setMinimumHeight(34);
  }
  auto* editors = new QGroupBox(this);
  auto* e = new QVBoxLayout(editors);
  for (int i : {1, 2, 3, 4, 6}) e->addWidget(buttons_[i]);
  auto* vehicle = new QGroupBox(this);
  auto* w = new QVBoxLayout(vehicle);
  for (int i : {5, 9, 7}) w->addWidget(buttons_[i]);
  compareWithEcu_ = parts::button(this, QString::fromLatin1(kCompareWithEcuButton), {});
  compareWorkbooks_ = parts::button(this, QString::fromLatin1(kCompareWorkbooksButton), {});
  w->addWidget(compareWithEcu_);
  w->addWidget(compareWorkbooks_);
  auto* v = new QVBoxLayout(this);
  v->addWidget(editors);
  v->addWidget(vehicle);
  v->addWidget(buttons_[8]);

  connect(buttons_[1], &QPushButton::clicked, this, [this] { openEditor("Form6"); });
  connect(buttons_[2], &QPushButton::clicked, this, [this] { openEditor("Form10"); });
  connect(buttons_[3], &QPushButton::clicked, this, [this] { openEditor("Form11"); });
  connect(buttons_[4], &QPushButton::clicked, this, [this] { openEditor("Form14"); });
  connect(buttons_[6], &QPushButton::clicked, this, [this] { openEditor("Form13"); });
  connect(buttons_[5], &QPushButton::clicked, this, [this] { loadVehicle(); });
  connect(buttons_[9], &QPushButton::clicked, this, [this] { saveVehicle(); });
  connect(buttons_[7], &QPushButton::clicked, this, [this] { restoreDefaults(); });
  connect(buttons_[8], &QPushButton::clicked, this, [this] { exit(); });
  connect(compareWithEcu_, &QPushButton::clicked, this,
          [this] { compareWithEcu(this, Screen::ctx(), [this](const Configuration& c) { sendConfiguration(c); }); });
  connect(compareWorkbooks_, &QPushButton::clicked, this, [this] { compareTwoWorkbooks(this, Screen::ctx()); });

  defaults_ = makeTimer("Timer1", kHubTimerMs, [this] { defaultsTick(); });
  transfer_ = makeTimer("Timer2", kHubTimerMs, [this] { transferTick(); });
  twoParameters_ = makeTimer("Timer3", kHubTimerMs, [this] { twoParameterTick(); });
}

ParameterHub::~ParameterHub() = default;

void ParameterHub::load() {
  app::applyTexts(this, kTexts, core::kItalian);  // the design-time captions
  app::applyTexts(this, kTexts, language());
  compareWithEcu_->setText(app::text3(kCompareWithEcuCaption, language()));
  compareWorkbooks_->setText(app::text3(kCompareWorkbooksCaption, language()));
  compareWithEcu_->setEnabled(connected());  // two workbooks compare without an ECU
  if (!connected()) {
    if (const char* t = core::pick(kTitleNotConnected, language())) setWindowTitle(QString::fromUtf8(t));
    for (int i : {5, 7, 9}) buttons_[i]->setEnabled(false);
  }
}

void ParameterHub::unload() {
  shared().bulkTransfer = false;
  defaults_->stop();
  transfer_->stop();
  twoParameters_->stop();
}

void ParameterHub::openEditor(const char* form) {
  // Ends a running transfer or restore where it stands.
  defaults_->stop();
  transfer_->stop();
  ctx().navigator.open(QString::fromLatin1(form), this);
}

void ParameterHub::exit() {
  defaults_->stop();
  transfer_->stop();
  shared().bulkTransfer = false;
  close();
}

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
    reportArchiveError(*error, path);
    return;
  }
  shared().bulkTransfer = true;
  transfer_->start();
}

void ParameterHub::sendConfiguration(const Configuration& values) {
  setPending(shared(), values);
  setHubBusy(true);
  shared().bulkTransfer = true;
  transfer_->start();
}

void ParameterHub::saveVehicle() {
  setHubBusy(true);
  QString path = withWorkbookSuffix(ctx().desktop.chooseFile(this, saveDialogRequest(language())));
  std::optional<ArchiveError> error;
  if (!path.isEmpty()) error = params::saveVehicle(path.toStdString(), shared());
  setHubBusy(false);
  if (error) reportArchiveError(*error, path);
}

void ParameterHub::transferTick() {
  transfer_->stop();
  if (auto item = nextTransferItem(shared())) {
    send(transferWrite(*item, shared()));
    transfer_->start();
    return;
  }
  setHubBusy(false);
  shared().bulkTransfer = false;
}

void ParameterHub::restoreDefaults() {
  setHubBusy(true);
  auto& r = shared().received;
  r.defaultsAck = false;
  r.paramSet = false;
  r.table = false;
  send(link::restoreDefaults());
  defaults_->start();
  shared().bulkTransfer = true;
}

void ParameterHub::defaultsTick() {
  defaults_->stop();
  switch (nextDefaultsStep(shared().received)) {
    case DefaultsStep::kRepeatRestore:
      send(link::restoreDefaults());
      defaults_->setInterval(kDefaultsRetryMs);  // stays until the hub is opened again
      defaults_->start();
      return;
    case DefaultsStep::kReadParameterSet:
      send(link::readParameterSet());
      defaults_->start();
      return;
    case DefaultsStep::kReadTable:
      send(link::readTable());
      defaults_->start();
      return;
    case DefaultsStep::kDone:
      setHubBusy(false);
      shared().bulkTransfer = false;
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
