// Fuzz target: the serial settings string parser. Whatever it accepts must
// print back to a string that parses to the same settings.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/serial_settings.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string text(reinterpret_cast<const char*>(data), size);
  std::string why;
  auto parsed = kelvo6::platform::parseSerialSettings(text, &why);
  if (!parsed) {
    if (why.empty()) std::abort();
    return 0;
  }
  const auto& s = *parsed;
  if (s.dataBits < 4 || s.dataBits > 8) std::abort();
  if (s.parity != 'n' && s.parity != 'e' && s.parity != 'o') std::abort();
  if (s.stopTenths != 10 && s.stopTenths != 15 && s.stopTenths != 20) std::abort();
  auto again = kelvo6::platform::parseSerialSettings(kelvo6::platform::formatSerialSettings(s));
  if (!again || again->baud != s.baud || again->parity != s.parity || again->dataBits != s.dataBits ||
      again->stopTenths != s.stopTenths)
    std::abort();
  return 0;
}
