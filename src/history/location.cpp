#include "history/location.h"

#include <cctype>

namespace kelvo6::history {

namespace {

// %XX escapes of a URL part; false when one is malformed.
bool unescape(const std::string& in, std::string* out) {
  out->clear();
  for (std::size_t i = 0; i < in.size(); ++i) {
    if (in[i] != '%') {
      *out += in[i];
      continue;
    }
    if (i + 2 >= in.size() || !std::isxdigit(static_cast<unsigned char>(in[i + 1])) ||
        !std::isxdigit(static_cast<unsigned char>(in[i + 2])))
      return false;
    *out += static_cast<char>(std::stoi(in.substr(i + 1, 2), nullptr, 16));
    i += 2;
  }
  return true;
}

std::optional<Location> parseServer(const std::string& rest, std::string* error) {
  Location l;
  l.kind = Location::Kind::kPostgres;
  auto fail = [error](const char* why) {
    if (error) *error = why;
    return std::nullopt;
  };
  const auto slash = rest.find('/');
  if (slash == std::string::npos) return fail("the server URL names no database (postgresql://user@host:port/db)");
  std::string authority = rest.substr(0, slash);
  std::string path = rest.substr(slash + 1);
  if (auto q = path.find('?'); q != std::string::npos) path.resize(q);
  if (const auto at = authority.rfind('@'); at != std::string::npos) {
    std::string user = authority.substr(0, at);
    if (user.find(':') != std::string::npos)
      return fail("the server URL carries a password; keep it in ~/.pgpass instead");
    if (!unescape(user, &l.user)) return fail("the server URL's user name is malformed");
    authority = authority.substr(at + 1);
  }
  std::string host = authority;
  if (const auto colon = authority.rfind(':'); colon != std::string::npos && authority.find(']') == std::string::npos) {
    host = authority.substr(0, colon);
    const std::string port = authority.substr(colon + 1);
    if (port.empty() || port.size() > 5 || port.find_first_not_of("0123456789") != std::string::npos)
      return fail("the server URL's port is not a number");
    l.port = std::stoi(port);
    if (l.port < 1 || l.port > 65535) return fail("the server URL's port is out of range");
  }
  if (!unescape(host, &l.host) || !unescape(path, &l.database)) return fail("the server URL is malformed");
  if (l.host.empty()) l.host = "localhost";
  if (l.database.empty()) return fail("the server URL names no database (postgresql://user@host:port/db)");
  return l;
}

}  // namespace

std::string Location::display() const {
  if (kind == Kind::kSqlite) return file;
  std::string text = "postgresql://";
  if (!user.empty()) text += user + "@";
  text += host.find('/') != std::string::npos ? "[" + host + "]" : host;
  return text + ":" + std::to_string(port) + "/" + database;
}

std::string defaultDatabaseFile(const std::string& home) { return home + "/TAVRIN_IE/kelvo6.sqlite"; }
std::string waitingRowsFile(const std::string& home) { return home + "/TAVRIN_IE/kelvo6-waiting.sqlite"; }

std::optional<Location> parseLocation(const std::string& text, const std::string& home, std::string* error) {
  for (const char* scheme : {"postgresql://", "postgres://"}) {
    const std::string s = scheme;
    if (text.rfind(s, 0) == 0) return parseServer(text.substr(s.size()), error);
  }
  Location l;
  l.file = text.empty() ? defaultDatabaseFile(home) : text;
  return l;
}

}  // namespace kelvo6::history
