#include "app/app.h"

#include <QDir>

#include "app/screens.h"
#include "core/language.h"
#include "history/journal.h"
#include "history/location.h"
#include "history/register.h"
#include "history/service.h"
#include "link/params.h"
#include "shell/port_hint.h"

namespace kelvo6::app {

namespace {
constexpr core::Text3 kPortTitle{"KELVO6 - Comunicazione", "KELVO6 - Communication", "KELVO6 - Iletisim"};
// The line went away: what happened and what brings it back, in the fitter's
// words; the system's own reason goes beneath as the detail.
constexpr core::Text3 kPortLost{
    "La centralina o l'adattatore seriale risulta scollegato. Quando e' di nuovo collegato, premere MENU per "
    "riconnettersi.",
    "The ECU or the serial adapter was disconnected. When it is connected again, press MENU to reconnect.",
    "ECU veya seri adaptorun baglantisi kesildi. Tekrar baglandiginda yeniden baglanmak icin MENU'ye basin."};

constexpr core::Text3 kHistoryTitle{"KELVO6 - Storico", "KELVO6 - History", "KELVO6 - Gecmis"};
constexpr core::Text3 kHistoryProblem{
    "Lo storico non puo' essere registrato. La sessione con la centralina continua; quanto registrato resta in "
    "attesa e sara' salvato appena possibile.",
    "The history cannot be recorded. The ECU session carries on; what is recorded waits and is stored as soon as "
    "it can be.",
    "Gecmis kaydedilemiyor. ECU oturumu devam ediyor; kaydedilenler bekliyor ve mumkun oldugunda saklanacak."};
constexpr int kHistoryWatchMs = 1000;

QString qs(std::string_view v) { return QString::fromUtf8(v.data(), static_cast<int>(v.size())); }
}  // namespace

App::App(core::Shared& shared, platform::Scheduler& scheduler, platform::SerialPort& port, platform::Desktop& desktop)
    : shared_(shared),
      connection_(shared, port, scheduler, *this),
      context_{shared, scheduler, desktop, connection_, navigator_},
      scheduler_(scheduler) {
  navigator_.setContext(&context_);
  navigator_.onProgramEnd = [this] {
    connection_.close();
    if (onProgramEnd) onProgramEnd();
  };
  connection_.onLost = [this](const std::string& reason) { portLost(reason); };
  shell::registerScreens(navigator_);
  status::registerScreens(navigator_);
  params::registerScreens(navigator_);
  calib::registerScreens(navigator_);
  eol::registerScreens(navigator_);
  scope::registerScreens(navigator_);
  history::registerScreens(navigator_);
}

App::~App() {
  // Close what is still open without running the program-end path again.
  navigator_.onProgramEnd = nullptr;
  for (Screen* s : navigator_.loaded()) delete s;
  // The history's thread stores what is still queued before it stops.
  historyWatch_.reset();
  journal_.reset();
  historyService_.reset();
}

void App::openHistory(const history::Location& location) {
  journal_.reset();
  // With a server, what cannot reach it waits in a file of this station.
  std::optional<history::Location> waiting;
  if (location.kind == history::Location::Kind::kPostgres) {
    waiting.emplace();
    waiting->file = history::waitingRowsFile(QDir::homePath().toStdString());
  }
  historyService_ = std::make_unique<history::Service>(location, history::kRetryMs, waiting);
  journal_ = std::make_unique<history::Journal>(*historyService_, history::defaultIdentity());
  context_.history = this;
  historyWatch_ = scheduler_.createTimer("HistoryWatch", kHistoryWatchMs, [this] { tellHistoryProblem(); });
  historyWatch_->start();
}

void App::tellHistoryProblem() {
  const std::string problem = historyService_ ? historyService_->problem() : std::string();
  if (problem == historyProblemTold_) return;
  historyProblemTold_ = problem;
  if (problem.empty()) return;
  // The ECU session carries on; the fitter learns once per problem what is wrong and where.
  Screen* message = navigator_.showMessage(navigator_.active(), qs(core::pickOr(kHistoryTitle, shared_.language)),
                                           qs(core::pickOr(kHistoryProblem, shared_.language)));
  if (auto* m = dynamic_cast<MessageWindow*>(message)) m->setDetail(QString::fromStdString(problem));
}

history::Service* App::historyService() { return historyService_.get(); }
history::Journal& App::journal() { return *journal_; }

void App::handshakeComplete(const std::string& vehicle) {
  if (journal_) journal_->keepRestorePoint(shared_, connection_.openedDevice(), vehicle);
}

void App::writeAcknowledged(bool cell, int number, int oldValue, int newValue) {
  if (!journal_) return;
  // One window talks to the ECU at a time: the active one made the write. It is
  // named by its caption, as the fitter saw it, so the journal reads without a
  // list of form names.
  Screen* source = navigator_.active();
  QString name = source ? source->windowTitle() : QString();
  if (name.isEmpty() && source) name = source->objectName();
  journal_->writeAcknowledged(cell, number, oldValue, newValue, name.toStdString());
}

void App::start() { navigator_.open(QStringLiteral("Form1"), nullptr); }

void App::endProgram() {
  std::vector<Screen*> open = navigator_.loaded();
  for (auto it = open.rbegin(); it != open.rend(); ++it) {
    if (Screen* s = navigator_.find((*it)->objectName()); s == *it) s->close();
  }
}

void App::parameterConfirmed(int number, int value) {
  const link::ParamInfo& info = link::paramInfo(number);
  for (const link::FieldRef* field : {&info.field, &info.secondField}) {
    if (field->kind == link::FieldKind::kNone) continue;
    if (Screen* s = navigator_.find(qs(field->window))) s->showParameter(number, value, *field);
  }
}

void App::cellConfirmed(int cell, int value) {
  if (Screen* s = navigator_.find(QStringLiteral("Form16"))) s->showCell(cell, value);
}

void App::versionText(const std::string& text) {
  if (Screen* s = navigator_.find(QStringLiteral("Form2"))) s->showVersion(QString::fromStdString(text));
}

void App::calibrationMode(bool on, const std::string& title, const std::string& caption) {
  if (Screen* s = navigator_.find(QStringLiteral("Form16")))
    s->showCalibrationMode(on, QString::fromStdString(title), QString::fromStdString(caption));
}

void App::portLost(const std::string& reason) {
  // The line is gone: tell the fitter and keep running; MENU opens it again.
  if (Screen* menu = navigator_.find(QStringLiteral("Form2"))) QMetaObject::invokeMethod(menu, "lineLost");
  Screen* message = navigator_.showMessage(navigator_.active(), qs(core::pickOr(kPortTitle, shared_.language)),
                                           qs(core::pickOr(kPortLost, shared_.language)));
  // A network port says what went wrong with the server, naming its address.
  std::string hint = shell::portFailureHint(connection_.port().lastOpenFailure(), connection_.openedDevice(), {},
                                            shared_.language);
  std::string detail = hint.empty() ? reason : reason + "\n\n" + hint;
  if (auto* m = dynamic_cast<MessageWindow*>(message)) m->setDetail(QString::fromStdString(detail));
}

}  // namespace kelvo6::app
