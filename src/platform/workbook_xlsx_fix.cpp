// Two things other writers put in .xlsx files that liborcus 0.17 reads as
// empty cells without a word, which would load a vehicle as zeros:
//  - part names in relationship files given as absolute paths
//    ("/xl/worksheets/sheet1.xml", as openpyxl writes them);
//  - text stored in the cell itself (t="inlineStr") instead of in the shared
//    string table.
// Such an archive is rebuilt in memory, uncompressed, with relative targets
// and shared strings, before orcus reads it.

#include <orcus/zip_archive.hpp>
#include <orcus/zip_archive_stream.hpp>

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "platform/workbook.h"

namespace kelvo6::platform::workbook_detail {

namespace {

using Entries = std::vector<std::pair<std::string, std::string>>;

std::uint32_t crc32(const std::string& data) {
  static const std::array<std::uint32_t, 256> table = [] {
    std::array<std::uint32_t, 256> t{};
    for (std::uint32_t i = 0; i < 256; ++i) {
      std::uint32_t c = i;
      for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      t[i] = c;
    }
    return t;
  }();
  std::uint32_t c = 0xFFFFFFFFu;
  for (unsigned char b : data) c = table[(c ^ b) & 0xFF] ^ (c >> 8);
  return c ^ 0xFFFFFFFFu;
}

void put(std::string& out, std::uint32_t v, int width) {
  for (int i = 0; i < width; ++i) out.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}

// An uncompressed zip archive of the given entries.
std::string storedZip(const std::vector<std::pair<std::string, std::string>>& entries) {
  std::string out, directory;
  for (const auto& [name, data] : entries) {
    auto offset = static_cast<std::uint32_t>(out.size());
    std::uint32_t crc = crc32(data);
    auto size = static_cast<std::uint32_t>(data.size());
    put(out, 0x04034b50, 4);
    put(out, 20, 2);  // version needed
    put(out, 0, 2);   // flags
    put(out, 0, 2);   // stored
    put(out, 0, 2);   // time
    put(out, 0x21, 2);  // 1980-01-01
    put(out, crc, 4);
    put(out, size, 4);
    put(out, size, 4);
    put(out, static_cast<std::uint32_t>(name.size()), 2);
    put(out, 0, 2);
    out += name;
    out += data;
    put(directory, 0x02014b50, 4);
    put(directory, 20, 2);
    put(directory, 20, 2);
    put(directory, 0, 2);
    put(directory, 0, 2);
    put(directory, 0, 2);
    put(directory, 0x21, 2);
    put(directory, crc, 4);
    put(directory, size, 4);
    put(directory, size, 4);
    put(directory, static_cast<std::uint32_t>(name.size()), 2);
    put(directory, 0, 2);  // extra
    put(directory, 0, 2);  // comment
    put(directory, 0, 2);  // disk
    put(directory, 0, 2);  // internal attributes
    put(directory, 0, 4);  // external attributes
    put(directory, offset, 4);
    directory += name;
  }
  auto directoryOffset = static_cast<std::uint32_t>(out.size());
  out += directory;
  put(out, 0x06054b50, 4);
  put(out, 0, 2);
  put(out, 0, 2);
  put(out, static_cast<std::uint32_t>(entries.size()), 2);
  put(out, static_cast<std::uint32_t>(entries.size()), 2);
  put(out, static_cast<std::uint32_t>(directory.size()), 4);
  put(out, directoryOffset, 4);
  put(out, 0, 2);
  return out;
}

// "xl/_rels/workbook.xml.rels" describes "xl/workbook.xml": its targets are
// relative to "xl/".
std::string relsBaseFolder(std::string_view relsName) {
  std::size_t rels = relsName.rfind("_rels/");
  return rels == std::string_view::npos ? std::string() : std::string(relsName.substr(0, rels));
}

std::string relativeTarget(const std::string& base, std::string_view absolute) {
  std::string target(absolute.substr(1));  // without the leading '/'
  std::string folder = base;
  std::string up;
  while (!folder.empty() && target.compare(0, folder.size(), folder) != 0) {
    folder.pop_back();  // drop the trailing '/', then the last folder name
    std::size_t slash = folder.rfind('/');
    folder = slash == std::string::npos ? std::string() : folder.substr(0, slash + 1);
    up += "../";
  }
  return up + target.substr(folder.size());
}

// Rewrites Target="/..." attributes; true when anything changed.
bool makeTargetsRelative(const std::string& base, std::string& xml) {
  static const std::string kAttribute = "Target=\"/";
  bool changed = false;
  for (std::size_t at = xml.find(kAttribute); at != std::string::npos; at = xml.find(kAttribute, at)) {
    std::size_t start = at + kAttribute.size() - 1;
    std::size_t end = xml.find('"', start);
    if (end == std::string::npos) break;
    std::string relative = relativeTarget(base, std::string_view(xml).substr(start, end - start));
    xml.replace(start, end - start, relative);
    at = start + relative.size();
    changed = true;
  }
  return changed;
}

bool endsWith(std::string_view s, std::string_view tail) {
  return s.size() >= tail.size() && s.substr(s.size() - tail.size()) == tail;
}

std::string* entry(Entries& entries, std::string_view name) {
  for (auto& [n, data] : entries)
    if (n == name) return &data;
  return nullptr;
}

constexpr std::string_view kSharedStringsType =
    "http://schemas.openxmlformats.org/officeDocument/2006/relationships/sharedStrings";

// The part holding the shared strings, created (with its relationship and
// content type) when the workbook has none.
std::string& sharedStrings(Entries& entries) {
  std::string* rels = entry(entries, "xl/_rels/workbook.xml.rels");
  if (rels) {
    std::size_t type = rels->find(kSharedStringsType);
    if (type != std::string::npos) {
      std::size_t start = rels->rfind("<", type);
      std::size_t end = rels->find(">", type);
      std::size_t target = rels->find("Target=\"", start);
      if (start != std::string::npos && end != std::string::npos && target != std::string::npos && target < end) {
        target += 8;
        std::string name = "xl/" + rels->substr(target, rels->find('"', target) - target);
        if (std::string* existing = entry(entries, name)) return *existing;
      }
    }
    std::size_t close = rels->rfind("</Relationships>");
    if (close != std::string::npos)
      rels->insert(close, "<Relationship Id=\"rIdKelvo6Strings\" Type=\"" + std::string(kSharedStringsType) +
                              "\" Target=\"sharedStrings.xml\"/>");
  }
  if (std::string* types = entry(entries, "[Content_Types].xml")) {
    std::size_t close = types->rfind("</Types>");
    if (close != std::string::npos)
      types->insert(close,
                    "<Override PartName=\"/xl/sharedStrings.xml\" ContentType=\"application/"
                    "vnd.openxmlformats-officedocument.spreadsheetml.sharedStrings+xml\"/>");
  }
  entries.emplace_back("xl/sharedStrings.xml",
                       "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>"
                       "<sst xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\"></sst>");
  return entries.back().second;
}

int countStrings(const std::string& sst) {
  int n = 0;
  for (std::size_t at = sst.find("<si"); at != std::string::npos; at = sst.find("<si", at + 3)) {
    char next = at + 3 < sst.size() ? sst[at + 3] : '\0';
    if (next == '>' || next == ' ' || next == '/') ++n;
  }
  return n;
}

// Moves the inline texts of one worksheet into `added` (as <si> elements,
// numbered from `next`); true when the sheet changed.
bool moveInlineStrings(std::string& sheet, int& next, std::string& added) {
  static const std::string kInline = "t=\"inlineStr\"";
  bool changed = false;
  for (std::size_t at = sheet.find(kInline); at != std::string::npos; at = sheet.find(kInline, at)) {
    std::size_t open = sheet.find("<is>", at);
    std::size_t close = sheet.find("</is>", at);
    std::size_t cellEnd = sheet.find("</c>", at);
    std::size_t tagEnd = sheet.find('>', at);
    if (open == std::string::npos || close == std::string::npos || cellEnd == std::string::npos ||
        !(tagEnd < open && open < close && close < cellEnd)) {
      at += kInline.size();  // not the shape we know: left for orcus
      continue;
    }
    added += "<si>" + sheet.substr(open + 4, close - open - 4) + "</si>";
    std::string value = "<v>" + std::to_string(next++) + "</v>";
    sheet.replace(open, close + 5 - open, value);
    sheet.replace(at, kInline.size(), "t=\"s\"");
    at += 5;
    changed = true;
  }
  return changed;
}

}  // namespace

std::optional<std::string> normalisedXlsx(const std::string& bytes) {
  orcus::zip_archive_stream_blob blob(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
  orcus::zip_archive archive(&blob);
  archive.load();
  Entries entries;
  bool changed = false;
  bool inlineStrings = false;
  std::vector<unsigned char> buffer;
  for (std::size_t i = 0; i < archive.get_file_entry_count(); ++i) {
    std::string name(archive.get_file_entry_name(i));
    buffer.clear();
    if (!archive.read_file_entry(name, buffer)) throw orcus::zip_error("unreadable entry " + name);
    std::string data(buffer.begin(), buffer.end());
    if (endsWith(name, ".rels")) changed |= makeTargetsRelative(relsBaseFolder(name), data);
    if (name.rfind("xl/worksheets/", 0) == 0 && data.find("t=\"inlineStr\"") != std::string::npos) inlineStrings = true;
    entries.emplace_back(std::move(name), std::move(data));
  }
  if (inlineStrings) {
    std::string added;
    std::string& sst = sharedStrings(entries);  // entries gain no element below
    int next = countStrings(sst);
    for (auto& [name, data] : entries)
      if (name.rfind("xl/worksheets/", 0) == 0 && endsWith(name, ".xml")) changed |= moveInlineStrings(data, next, added);
    std::size_t close = sst.rfind("</sst>");
    if (close != std::string::npos) sst.insert(close, added);
    changed = true;
  }
  if (!changed) return std::nullopt;
  return storedZip(entries);
}

}  // namespace kelvo6::platform::workbook_detail
