#include "app/app.h"

#include "app/screens.h"
#include "core/language.h"
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

QString qs(std::string_view v) { return QString::fromUtf8(v.data(), static_cast<int>(v.size())); }
}  // namespace

App::App(core::Shared& shared, platform::Scheduler& scheduler, platform::SerialPort& port, platform::Desktop& desktop)
    : shared_(shared),
      connection_(shared, port, scheduler, *this),
      context_{shared, scheduler, desktop, connection_, navigator_} {
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
}

App::~App() {
  // Close what is still open without running the program-end path again.
  navigator_.onProgramEnd = nullptr;
  for (Screen* s : navigator_.loaded()) delete s;
}

void App::start() { navigator_.open(QStringLiteral("Form1"), nullptr); }

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
  Screen* message = navigator_.showMessage(navigator_.active(), qs(core::pickOr(kPortTitle, shared_.language)),
                                           qs(core::pickOr(kPortLost, shared_.language)));
  // A network port says what went wrong with the server, naming its address.
  std::string hint = shell::portFailureHint(connection_.port().lastOpenFailure(), connection_.openedDevice(), {},
                                            shared_.language);
  std::string detail = hint.empty() ? reason : reason + "\n\n" + hint;
  if (auto* m = dynamic_cast<MessageWindow*>(message)) m->setDetail(QString::fromStdString(detail));
}

}  // namespace kelvo6::app
