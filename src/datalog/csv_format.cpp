#include "datalog/csv_format.h"

#include <charconv>
#include <sstream>

namespace kelvo6::datalog {

namespace {

std::string axisText(const std::array<int, 8>& axis) {
  std::string s;
  for (int v : axis) s += (s.empty() ? "" : " ") + std::to_string(v);
  return s;
}

bool parseAxis(std::string_view text, std::array<int, 8>* axis) {
  std::size_t at = 0;
  for (int& v : *axis) {
    while (at < text.size() && text[at] == ' ') ++at;
    auto [p, ec] = std::from_chars(text.data() + at, text.data() + text.size(), v);
    if (ec != std::errc() || v < 0 || v > 65535) return false;
    at = static_cast<std::size_t>(p - text.data());
  }
  while (at < text.size() && text[at] == ' ') ++at;
  return at == text.size();
}

bool parseWord(std::string_view text, int* v) {
  auto [p, ec] = std::from_chars(text.data(), text.data() + text.size(), *v);
  return ec == std::errc() && p == text.data() + text.size() && *v >= 0 && *v <= 65535;
}

std::string_view trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
  return s;
}

// The program's own values never hold quotes or line breaks; keep it so.
std::string clean(const std::string& s) {
  std::string out;
  for (char c : s) out += (c == '"' || c == '\n' || c == '\r' || c == ';') ? ' ' : c;
  return out;
}

}  // namespace

std::string infoLine(const LogInfo& info) {
  std::string s = "\"" + std::string(kInfoMark);
  s += "; program " + clean(info.program);
  s += "; ECU software " + clean(info.ecuVersion.empty() ? std::string("-") : info.ecuVersion);
  s += "; port " + clean(info.port);
  s += "; started " + clean(info.started);
  s += "; source " + clean(info.source);
  if (info.rpmAxis) s += "; rpm axis " + axisText(*info.rpmAxis);
  if (info.tinjAxis) s += "; tinj axis " + axisText(*info.tinjAxis);
  if (info.switchRpm) s += "; switch rpm " + std::to_string(*info.switchRpm);
  if (info.switchTemperature) s += "; switch temperature " + std::to_string(*info.switchTemperature);
  s += "\"\n";
  return s;
}

bool parseInfoLine(std::string_view whole, LogInfo* info) {
  // The first field: a spreadsheet that saves the file again may add empty
  // fields after it, or drop its quotes.
  std::vector<std::string> fields;
  splitFields(trim(whole), fields);
  if (fields.empty()) return false;
  std::string_view line = trim(fields.front());
  if (fields.size() > 1 && whole.find('"') == std::string_view::npos) line = trim(whole);  // unquoted, commas and all
  if (line.substr(0, kInfoMark.size()) != kInfoMark) return false;
  line.remove_prefix(kInfoMark.size());
  LogInfo parsed;
  while (!line.empty()) {
    std::size_t end = line.find(';');
    std::string_view item = trim(line.substr(0, end));
    line = end == std::string_view::npos ? std::string_view{} : line.substr(end + 1);
    auto value = [&](std::string_view key) -> std::optional<std::string_view> {
      if (item.substr(0, key.size()) != key) return std::nullopt;
      return trim(item.substr(key.size()));
    };
    std::array<int, 8> axis{};
    int word = 0;
    if (auto v = value("program ")) parsed.program = *v;
    else if (auto v = value("ECU software ")) parsed.ecuVersion = *v == "-" ? "" : std::string(*v);
    else if (auto v = value("port ")) parsed.port = *v;
    else if (auto v = value("started ")) parsed.started = *v;
    else if (auto v = value("source ")) parsed.source = *v;
    else if (auto v = value("rpm axis "); v && parseAxis(*v, &axis)) parsed.rpmAxis = axis;
    else if (auto v = value("tinj axis "); v && parseAxis(*v, &axis)) parsed.tinjAxis = axis;
    else if (auto v = value("switch rpm "); v && parseWord(*v, &word)) parsed.switchRpm = word;
    else if (auto v = value("switch temperature "); v && parseWord(*v, &word)) parsed.switchTemperature = word;
    // Anything else is from a later version: left alone.
  }
  *info = parsed;
  return true;
}

std::vector<Ch> columnsOf(const ChannelSet& set) {
  std::vector<Ch> out;
  for (const Channel& c : channels())
    if (set.test(static_cast<std::size_t>(index(c.id)))) out.push_back(c.id);
  return out;
}

std::string headingLine(const std::vector<Ch>& columns) {
  std::string s(kTimeHeading);
  for (Ch c : columns) s += "," + heading(c);
  s += "\n";
  return s;
}

void appendRow(std::string& out, const Sample& s, const std::vector<Ch>& columns) {
  char buffer[24];
  auto put = [&](auto v) {
    auto [p, ec] = std::to_chars(buffer, buffer + sizeof buffer, v);
    out.append(buffer, p);
  };
  put(s.tMs);
  for (Ch c : columns) {
    out.push_back(',');
    put(s[c]);
  }
  out.push_back('\n');
}

void splitFields(std::string_view line, std::vector<std::string>& fields) {
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  std::size_t count = 0;
  auto next = [&]() -> std::string& {
    if (count == fields.size()) fields.emplace_back();
    std::string& f = fields[count++];
    f.clear();
    return f;
  };
  std::size_t at = 0;
  while (true) {
    std::string& field = next();
    if (at < line.size() && line[at] == '"') {
      std::size_t i = at + 1;
      while (i < line.size()) {
        if (line[i] == '"') {
          if (i + 1 < line.size() && line[i + 1] == '"') {
            field += '"';
            i += 2;
            continue;
          }
          ++i;
          break;
        }
        field += line[i++];
      }
      at = i;
    }
    std::size_t comma = line.find(',', at);
    field.append(line.substr(at, comma == std::string_view::npos ? std::string_view::npos : comma - at));
    if (comma == std::string_view::npos) break;
    at = comma + 1;
  }
  fields.resize(count);
}

namespace {

// Length of the UTF-8 sequence at `s[i]`, or 0 when it is not a valid one.
std::size_t utf8Length(std::string_view s, std::size_t i) {
  const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
  const unsigned char b = byte(i);
  std::size_t n = b < 0x80 ? 1 : (b & 0xE0) == 0xC0 && b >= 0xC2 ? 2 : (b & 0xF0) == 0xE0 ? 3 : (b & 0xF8) == 0xF0 && b <= 0xF4 ? 4 : 0;
  if (n == 0 || i + n > s.size()) return 0;
  for (std::size_t k = 1; k < n; ++k)
    if ((byte(i + k) & 0xC0) != 0x80) return 0;
  return n;
}

bool validUtf8(std::string_view s) {
  for (std::size_t i = 0; i < s.size();) {
    if (static_cast<unsigned char>(s[i]) < 0x80) {
      ++i;
      continue;
    }
    const std::size_t n = utf8Length(s, i);
    if (n == 0) return false;
    i += n;
  }
  return true;
}

}  // namespace

std::string_view asUtf8(std::string_view text, std::string& buffer) {
  if (text.substr(0, kUtf8Mark.size()) == kUtf8Mark) text.remove_prefix(kUtf8Mark.size());
  if (validUtf8(text)) return text;
  buffer.clear();
  buffer.reserve(text.size() + text.size() / 16);
  for (char c : text) {
    const auto b = static_cast<unsigned char>(c);
    if (b < 0x80) {
      buffer.push_back(c);
    } else {
      buffer.push_back(static_cast<char>(0xC0 | (b >> 6)));
      buffer.push_back(static_cast<char>(0x80 | (b & 0x3F)));
    }
  }
  return buffer;
}

}  // namespace kelvo6::datalog
