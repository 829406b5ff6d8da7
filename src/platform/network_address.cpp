#include "platform/network_address.h"

#include <algorithm>

namespace kelvo6::platform {

namespace {

constexpr const char* kRawScheme = "tcp://";
constexpr const char* kTelnetScheme = "rfc2217://";

bool startsWith(const std::string& s, const char* prefix) { return s.rfind(prefix, 0) == 0; }

std::optional<NetworkAddress> fail(std::string* error, const std::string& why) {
  if (error) *error = why;
  return std::nullopt;
}

}  // namespace

bool isNetworkPort(const std::string& device) {
  return startsWith(device, kRawScheme) || startsWith(device, kTelnetScheme);
}

std::optional<NetworkAddress> parseNetworkAddress(const std::string& device, std::string* error) {
  NetworkAddress a;
  std::string rest;
  if (startsWith(device, kRawScheme)) {
    rest = device.substr(std::string(kRawScheme).size());
  } else if (startsWith(device, kTelnetScheme)) {
    a.kind = NetworkAddress::Kind::kRfc2217;
    rest = device.substr(std::string(kTelnetScheme).size());
  } else {
    return fail(error, "not tcp://HOST:PORT or rfc2217://HOST:PORT");
  }
  if (!rest.empty() && rest.back() == '/') rest.pop_back();
  std::string portText;
  if (startsWith(rest, "[")) {  // [::1]:PORT
    auto close = rest.find(']');
    if (close == std::string::npos || rest.compare(close + 1, 1, ":") != 0) return fail(error, "IPv6 address needs [ADDRESS]:PORT");
    a.host = rest.substr(1, close - 1);
    portText = rest.substr(close + 2);
  } else {
    auto colon = rest.rfind(':');
    if (colon == std::string::npos) return fail(error, "the port number is missing (HOST:PORT)");
    a.host = rest.substr(0, colon);
    portText = rest.substr(colon + 1);
    if (a.host.find(':') != std::string::npos) return fail(error, "an IPv6 address goes in brackets: [ADDRESS]:PORT");
  }
  if (a.host.empty()) return fail(error, "the host is missing");
  if (a.host.find_first_of(" /?#@") != std::string::npos) return fail(error, "the host \"" + a.host + "\" is not a name or address");
  bool digits = !portText.empty() && portText.size() <= 5 &&
                std::all_of(portText.begin(), portText.end(), [](char c) { return c >= '0' && c <= '9'; });
  a.port = digits ? std::stoi(portText) : 0;
  if (a.port < 1 || a.port > 65535) return fail(error, "the port \"" + portText + "\" is not a number from 1 to 65535");
  return a;
}

std::string formatNetworkAddress(const NetworkAddress& a) {
  std::string host = a.host.find(':') != std::string::npos ? "[" + a.host + "]" : a.host;
  return (a.kind == NetworkAddress::Kind::kRaw ? kRawScheme : kTelnetScheme) + host + ":" + std::to_string(a.port);
}

}  // namespace kelvo6::platform
