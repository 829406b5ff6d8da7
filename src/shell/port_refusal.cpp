#include "shell/port_refusal.h"

#include "core/language.h"
#include "platform/network_address.h"

namespace kelvo6::shell {

namespace {

constexpr core::Text3 kNoFourDataBits{
    "Questo sistema non puo' usare 4 bit di dati sulla porta seriale. Scegliere da 5 a 8 bit di dati.",
    "This system's serial driver cannot use 4 data bits. Choose 5 to 8 data bits.",
    "Bu sistemin seri port surucusu 4 veri biti kullanamaz. 5 ile 8 arasinda veri biti secin."};
constexpr core::Text3 kRateNotOffered{
    "La porta non puo' usare la velocita' \"%v\". Scegliere una velocita' dall'elenco (110 - 115200 baud).",
    "The port cannot use the rate \"%v\". Choose a rate from the list (110 - 115200 baud).",
    "Port \"%v\" hizini kullanamaz. Listeden bir hiz secin (110 - 115200 baud)."};
constexpr core::Text3 kBadAddress{
    "Indirizzo di rete non valido \"%v\": scrivere tcp://HOST:PORTA o rfc2217://HOST:PORTA.",
    "Not a usable network address \"%v\": type tcp://HOST:PORT or rfc2217://HOST:PORT.",
    "Gecersiz ag adresi \"%v\": tcp://HOST:PORT veya rfc2217://HOST:PORT yazin."};
constexpr core::Text3 kConfirmed{"%v: il server ha impostato la linea a %s.",
                                 "%v: the server set the line to %s.",
                                 "%v: sunucu hatti %s olarak ayarladi."};
constexpr core::Text3 kRaw{"%v: TCP diretto, la linea ha le impostazioni del server.",
                           "%v: raw TCP, the line has the server's own settings.",
                           "%v: ham TCP, hat sunucunun kendi ayarlarini kullanir."};

std::string filled(const core::Text3& t, int language, const std::string& v, const std::string& s = {}) {
  std::string text = core::pickOr(t, language);
  for (auto [mark, value] : {std::pair<const char*, const std::string*>{"%v", &v}, {"%s", &s}})
    if (auto at = text.find(mark); at != std::string::npos) text.replace(at, 2, *value);
  return text;
}

}  // namespace

std::string refusalOf(const DialogEntries& e, int language) {
  if (!e.baudListed) return filled(kRateNotOffered, language, e.baudText);
  if (platform::isNetworkPort(e.device) && !platform::parseNetworkAddress(e.device))
    return filled(kBadAddress, language, e.device);
  auto parsed = platform::parseSerialSettings(e.settings);
  if (parsed && platform::unsettable(*parsed) == platform::Unsettable::kDataBits)
    return core::pickOr(kNoFourDataBits, language);
  return {};
}

std::string farEndNote(const std::string& device, const platform::SerialPort& port, int language) {
  if (!platform::isNetworkPort(device)) return {};
  if (!port.settingsInEffect().empty()) return filled(kConfirmed, language, device, port.settingsInEffect());
  return filled(kRaw, language, device);
}

}  // namespace kelvo6::shell
