#pragma once
// The settings string "baud,parity,data,stop" of the serial line, e.g. "9600,n,8,1".

#include <optional>
#include <string>
#include <vector>

namespace kelvo6::platform {

struct SerialSettings {
  int baud = 9600;
  char parity = 'n';  // n, e, o
  int dataBits = 8;   // 4..8
  int stopTenths = 10;  // 10, 15 or 20: one, one and a half or two stop bits
};

// What of a setting this system's serial driver cannot put on a line. Linux
// character sizes are 5 to 8 bits (termios CS5..CS8): there are no 4 data
// bits. One and a half stop bits are sent as two (see QtSerialPort), which a
// receiver set for one and a half accepts, so they are not refused.
enum class Unsettable { kNothing, kDataBits };
Unsettable unsettable(const SerialSettings& s);

// The rates a line may be set to, slowest first.
const std::vector<int>& standardBauds();

// Parses a settings string; nullopt with a reason when it is not one.
std::optional<SerialSettings> parseSerialSettings(const std::string& text, std::string* error = nullptr);
std::string formatSerialSettings(const SerialSettings& s);

}  // namespace kelvo6::platform
