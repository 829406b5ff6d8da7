#include "platform/serial_settings.h"

#include <algorithm>
#include <cctype>
#include <vector>

namespace kelvo6::platform {

namespace {


std::vector<std::string> splitCommas(const std::string& text) {
  std::vector<std::string> parts(1);
  for (char c : text) {
    if (c == ',') {
      parts.emplace_back();
    } else if (!std::isspace(static_cast<unsigned char>(c))) {
      parts.back() += c;
    }
  }
  return parts;
}

bool allDigits(const std::string& s) {
  return !s.empty() && s.size() <= 6 && std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

std::optional<SerialSettings> fail(std::string* error, const std::string& why) {
  if (error) *error = why;
  return std::nullopt;
}

}  // namespace

std::optional<SerialSettings> parseSerialSettings(const std::string& text, std::string* error) {
  auto parts = splitCommas(text);
  if (parts.size() != 4) return fail(error, "settings must be baud,parity,data bits,stop bits");
  SerialSettings s;
  if (!allDigits(parts[0])) return fail(error, "baud rate is not a number");
  s.baud = std::stoi(parts[0]);
  const auto& bauds = standardBauds();
  if (std::find(bauds.begin(), bauds.end(), s.baud) == bauds.end())
    return fail(error, "baud rate " + parts[0] + " is not supported");
  if (parts[1].size() != 1) return fail(error, "parity must be n, e or o");
  s.parity = static_cast<char>(std::tolower(static_cast<unsigned char>(parts[1][0])));
  if (s.parity != 'n' && s.parity != 'e' && s.parity != 'o') return fail(error, "parity must be n, e or o");
  if (parts[2].size() != 1 || parts[2][0] < '4' || parts[2][0] > '8') return fail(error, "data bits must be 4 to 8");
  s.dataBits = parts[2][0] - '0';
  if (parts[3] == "1") {
    s.stopTenths = 10;
  } else if (parts[3] == "1.5") {
    s.stopTenths = 15;
  } else if (parts[3] == "2") {
    s.stopTenths = 20;
  } else {
    return fail(error, "stop bits must be 1, 1.5 or 2");
  }
  return s;
}

const std::vector<int>& standardBauds() {
  // USB adapters and the Qt serial port take the rates above 57600 as well.
  static const std::vector<int> bauds{110, 300, 600, 1200, 2400, 4800, 9600, 19200, 38400, 57600, 115200};
  return bauds;
}

Unsettable unsettable(const SerialSettings& s) {
  return s.dataBits < 5 ? Unsettable::kDataBits : Unsettable::kNothing;
}

std::string formatSerialSettings(const SerialSettings& s) {
  std::string stop = s.stopTenths == 15 ? "1.5" : (s.stopTenths == 20 ? "2" : "1");
  return std::to_string(s.baud) + "," + std::string(1, s.parity) + "," + std::to_string(s.dataBits) + "," + stop;
}

}  // namespace kelvo6::platform
