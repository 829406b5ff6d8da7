// Opening a vehicle workbook: tells the format from the first bytes and hands
// the file to the matching reader, in a child process of its own. Anything
// unexpected becomes an error text.

#include <filesystem>
#include <fstream>
#include <iterator>

#include "platform/workbook.h"

namespace kelvo6::platform {

namespace {

// A vehicle workbook is a few kilobytes; far larger files are not ours.
constexpr std::uintmax_t kMaxFileBytes = 32u * 1024u * 1024u;

const std::string kZipMagic("PK\x03\x04", 4);
const std::string kOleMagic("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8);

bool startsWith(const std::string& bytes, const std::string& magic) {
  return bytes.size() >= magic.size() && bytes.compare(0, magic.size(), magic) == 0;
}

}  // namespace

CellAddress parameterAddress(int parameter) { return {parameter, 1}; }

CellAddress tableCellAddress(int cell) { return {(cell - 1) / 8 + 1, (cell - 1) % 8 + 3}; }

std::string cellName(CellAddress a) {
  std::string column;
  for (int c = a.column; c > 0; c = (c - 1) / 26) column.insert(column.begin(), static_cast<char>('A' + (c - 1) % 26));
  return column + std::to_string(a.row);
}

WorkbookReadResult readVehicleWorkbook(const std::string& path) {
  WorkbookReadResult result;
  try {
    std::error_code ec;
    std::filesystem::path file(path);
    if (!std::filesystem::exists(file, ec)) {
      result.error = "file not found";
      return result;
    }
    if (!std::filesystem::is_regular_file(file, ec)) {
      result.error = "not a file";
      return result;
    }
    std::uintmax_t size = std::filesystem::file_size(file, ec);
    if (ec) {
      result.error = "cannot read the file: " + ec.message();
      return result;
    }
    if (size > kMaxFileBytes) {
      result.error = "the file is too large for a vehicle workbook";
      return result;
    }
    std::ifstream in(file, std::ios::binary);
    if (!in) {
      result.error = "cannot open the file";
      return result;
    }
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) {
      result.error = "cannot read the file";
      return result;
    }
    if (startsWith(bytes, kZipMagic))
      return workbook_detail::readInChildProcess([&] { return workbook_detail::readZipWorkbook(bytes); });
    if (startsWith(bytes, kOleMagic))
      return workbook_detail::readInChildProcess([&] { return workbook_detail::readLegacyWorkbook(path); });
    result.error = bytes.empty() ? "the file is empty" : "not a workbook (.xlsx, .ods or .xls)";
  } catch (const std::exception& e) {
    result = {};
    result.error = std::string("cannot read the file: ") + e.what();
  } catch (...) {
    result = {};
    result.error = "cannot read the file";
  }
  return result;
}

}  // namespace kelvo6::platform
