#pragma once
// The settings string "baud,parity,data,stop" of the serial line, e.g. "9600,n,8,1".

#include <optional>
#include <string>

namespace kelvo6::platform {

struct SerialSettings {
  int baud = 9600;
  char parity = 'n';  // n, e, o
  int dataBits = 8;   // 4..8
  int stopTenths = 10;  // 10, 15 or 20: one, one and a half or two stop bits
};

// Parses a settings string; nullopt with a reason when it is not one.
std::optional<SerialSettings> parseSerialSettings(const std::string& text, std::string* error = nullptr);
std::string formatSerialSettings(const SerialSettings& s);

}  // namespace kelvo6::platform
