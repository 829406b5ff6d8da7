#include "shell/port_hint.h"

#include <algorithm>
#include <filesystem>

#include "core/language.h"

namespace kelvo6::shell {

namespace {

using platform::OpenFailure;

struct HintRow {
  OpenFailure kind;
  core::Text3 text;  // %d = device
};

constexpr HintRow kHints[] = {
    {OpenFailure::Missing,
     {"Il dispositivo %d non esiste. Collegare l'adattatore USB-seriale e scegliere la porta in \"Parametri "
      "seriale\".",
      "The device %d does not exist. Plug in the USB-serial adapter and choose its port under \"Serial parameters\".",
      "%d cihazi bulunamadi. USB-seri adaptoru takin ve portu \"Seri Iletisim Parametreleri\" altinda secin."}},
    {OpenFailure::PermissionDenied,
     {"Accesso negato a %d. Aggiungere l'utente al gruppo dialout: sudo usermod -aG dialout $USER, poi uscire e "
      "rientrare nella sessione.",
      "Access to %d is denied. Add your user to the dialout group: sudo usermod -aG dialout $USER, then log out "
      "and in again.",
      "%d erisimi reddedildi. Kullaniciyi dialout grubuna ekleyin: sudo usermod -aG dialout $USER, sonra "
      "oturumu kapatip tekrar acin."}},
    {OpenFailure::Busy,
     {"%d e' occupato da un altro programma (terminale seriale, ModemManager, un'altra copia di KELVO6). "
      "Chiuderlo e riprovare.",
      "%d is in use by another program (a serial terminal, ModemManager, another KELVO6). Close it and try again.",
      "%d baska bir program tarafindan kullaniliyor (seri terminal, ModemManager, baska bir KELVO6). Kapatin ve "
      "tekrar deneyin."}},
    // Network serial servers (tcp:// and rfc2217://).
    {OpenFailure::Refused,
     {"Il server %d rifiuta la connessione: ser2net non e' avviato o il numero di porta e' sbagliato. Avviarlo e "
      "premere MENU.",
      "The server %d refused the connection: ser2net is not running there or the port number is wrong. Start it "
      "and press MENU.",
      "%d sunucusu baglantiyi reddetti: ser2net calismiyor veya port numarasi yanlis. Baslatin ve MENU'ye basin."}},
    {OpenFailure::UnknownHost,
     {"Il nome del server in %d non e' conosciuto. Controllare l'indirizzo in \"Parametri seriale\".",
      "The server name in %d is not known. Check the address under \"Serial parameters\".",
      "%d icindeki sunucu adi bilinmiyor. Adresi \"Seri Iletisim Parametreleri\" altinda kontrol edin."}},
    {OpenFailure::NoAnswer,
     {"%d non risponde: il server, la rete o il tunnel SSH sono fermi. Controllare il collegamento e premere MENU.",
      "%d does not answer: the server, the network or the SSH tunnel is down. Check the connection and press MENU.",
      "%d yanit vermiyor: sunucu, ag veya SSH tuneli calismiyor. Baglantiyi kontrol edin ve MENU'ye basin."}},
    {OpenFailure::Closed,
     {"Il server %d ha chiuso la connessione (ser2net fermato, o la porta presa da un altro programma). Quando e' "
      "di nuovo attivo, premere MENU.",
      "The server %d closed the connection (ser2net stopped, or another program took the port). When it is back, "
      "press MENU.",
      "%d sunucusu baglantiyi kapatti (ser2net durdu veya portu baska bir program aldi). Tekrar calistiginda MENU'ye "
      "basin."}},
    {OpenFailure::SettingsRefused,
     {"Il server %d non imposta la linea come richiesto. Un server senza RFC 2217 si raggiunge con tcp://.",
      "The server %d does not set the line as asked. A server without RFC 2217 is reached as tcp://.",
      "%d sunucusu hatti istendigi gibi ayarlamiyor. RFC 2217 olmayan bir sunucuya tcp:// ile baglanilir."}},
};

constexpr core::Text3 kAdapters{"Adattatori presenti: %l", "Adapters present: %l", "Takili adaptorler: %l"};
constexpr core::Text3 kNoAdapters{"Nessun adattatore USB-seriale presente (/dev/ttyUSB*, /dev/ttyACM*).",
                                  "No USB-serial adapter present (/dev/ttyUSB*, /dev/ttyACM*).",
                                  "Takili USB-seri adaptor yok (/dev/ttyUSB*, /dev/ttyACM*)."};

std::string replaced(std::string text, const std::string& mark, const std::string& value) {
  for (auto at = text.find(mark); at != std::string::npos; at = text.find(mark, at + value.size()))
    text.replace(at, mark.size(), value);
  return text;
}

std::string joined(const std::vector<std::string>& items) {
  std::string out;
  for (const std::string& s : items) out += (out.empty() ? "" : ", ") + s;
  return out;
}

}  // namespace

std::string portFailureHint(OpenFailure kind, const std::string& device, const std::vector<std::string>& adapters,
                            int language) {
  auto row = std::find_if(std::begin(kHints), std::end(kHints), [kind](const HintRow& r) { return r.kind == kind; });
  if (row == std::end(kHints)) return {};
  std::string hint = replaced(core::pickOr(row->text, language), "%d", device);
  if (kind == OpenFailure::Missing) {
    hint += "\n";
    hint += adapters.empty() ? core::pickOr(kNoAdapters, language)
                             : replaced(core::pickOr(kAdapters, language), "%l", joined(adapters));
  }
  return hint;
}

std::vector<std::string> presentAdapters(const std::string& devDir) {
  std::vector<std::string> found;
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator(devDir, ec)) {
    std::string name = entry.path().filename().string();
    if (name.rfind("ttyUSB", 0) == 0 || name.rfind("ttyACM", 0) == 0) found.push_back(entry.path().string());
  }
  std::sort(found.begin(), found.end());
  return found;
}

}  // namespace kelvo6::shell
