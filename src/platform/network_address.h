#pragma once
// A port given as a network address: tcp://HOST:PORT (a raw serial server, the
// far end applies its own line settings) or rfc2217://HOST:PORT (a telnet
// COM-port-control server, the program sets the line through it).

#include <optional>
#include <string>

namespace kelvo6::platform {

struct NetworkAddress {
  enum class Kind { kRaw, kRfc2217 };
  Kind kind = Kind::kRaw;
  std::string host;  // a name, an IPv4 address or an IPv6 address without brackets
  int port = 0;      // 1..65535
};

// Whether `device` is meant as a network address (starts with a scheme we know),
// so a bad one is reported as such rather than as a missing device.
bool isNetworkPort(const std::string& device);

// nullopt with a reason when `device` is not a usable address.
std::optional<NetworkAddress> parseNetworkAddress(const std::string& device, std::string* error = nullptr);

std::string formatNetworkAddress(const NetworkAddress& a);

}  // namespace kelvo6::platform
