#include "shell/port_message.h"

#include "app/connection.h"
#include "app/navigator.h"
#include "app/texts.h"
#include "shell/port_hint.h"

namespace kelvo6::shell {

namespace {
constexpr core::Text3 kTitle{"KELVO6 - Comunicazione", "KELVO6 - Communication", "KELVO6 - Iletisim"};
constexpr core::Text3 kText{
    "Problemi sulla porta di comunicazione. Chiudere tutte le applicazioni che stanno utilizzando la porta "
    "selezionata e riprovare",
    "Problems on communication port. Please close all the applications using the port selected and try again",
    "Iletisim Kurulemadi! Lutfen secilen iletisim portunu kullanan baska programlar varsa onlari kapatin ve tekrar "
    "deneyin"};
}  // namespace

void showPortFailure(app::Context& ctx, app::Screen* opener, const std::string& reason) {
  int lang = ctx.shared.language;
  app::Screen* message = ctx.navigator.showMessage(opener, app::text3(kTitle, lang), app::text3(kText, lang));
  // The system's reason first, then what usually fixes it.
  std::string hint = portFailureHint(ctx.connection.lastFailure(), ctx.connection.openedDevice(), presentAdapters(), lang);
  std::string detail = hint.empty() ? reason : reason + "\n\n" + hint;
  if (auto* m = dynamic_cast<app::MessageWindow*>(message)) m->setDetail(QString::fromStdString(detail));
  ctx.shared.closeProgramOnMessage = true;
}

}  // namespace kelvo6::shell
