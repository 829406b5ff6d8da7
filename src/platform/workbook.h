#pragma once
// The vehicle archive workbook: the first worksheet holds parameters 1..62 in
// A1:A62 and the 64 table cells in C1:J8, row by row. Readers return what the
// cells hold, without judging it; the caller decides what is a valid value.
// Writing produces .xlsx; reading takes .xlsx, .ods and legacy .xls, told
// apart by their content, not by the file name.

#include <array>
#include <functional>
#include <optional>
#include <string>

namespace kelvo6::platform {

constexpr int kWorkbookParams = 62;
constexpr int kWorkbookCells = 64;

// A cell position, counted from 1 as a spreadsheet shows it (column 1 is A).
struct CellAddress {
  int row = 1;
  int column = 1;
};
CellAddress parameterAddress(int parameter);  // 1..62 -> A1..A62
CellAddress tableCellAddress(int cell);        // 1..64 -> C1..J8, row by row
std::string cellName(CellAddress address);     // "A5", "J8"

// One cell as the workbook holds it.
struct WorkbookCell {
  enum class Kind { kEmpty, kNumber, kText, kBoolean, kError };
  Kind kind = Kind::kEmpty;
  double number = 0.0;  // kNumber; kBoolean as 1 or 0
  std::string text;     // kText: the text; kError: what the cell shows instead of a value
};

struct VehicleSheet {
  std::array<WorkbookCell, kWorkbookParams> params;  // parameter n at index n - 1
  std::array<WorkbookCell, kWorkbookCells> cells;    // cell n at index n - 1
};

struct WorkbookReadResult {
  bool ok = false;
  std::string error;  // why the file could not be read as a workbook
  VehicleSheet sheet;
};

// Never throws; any file, however damaged, gives either the cells or an error.
WorkbookReadResult readVehicleWorkbook(const std::string& path);

struct VehicleValues {
  std::array<int, kWorkbookParams> params{};
  std::array<int, kWorkbookCells> cells{};
};

// Writes a new .xlsx at `path` (replacing a file of that name only once the new
// one is complete). Returns an empty string on success, otherwise the reason.
std::string writeVehicleWorkbook(const std::string& path, const VehicleValues& values);

namespace workbook_detail {
// Each reader fills the sheet from one format; they are chosen by content.
WorkbookReadResult readZipWorkbook(const std::string& bytes);  // .xlsx or .ods
WorkbookReadResult readLegacyWorkbook(const std::string& path);  // .xls (BIFF)
// How long a reader may take. A vehicle workbook reads in milliseconds; one
// still reading after this is stuck on a damaged file.
constexpr int kReaderTimeoutMs = 10000;
// Runs `read` in a child process; a reader that crashes or aborts there gives
// an error result, and so does one that has not answered within `timeoutMs`
// (it is killed). Exceptions from `read` become error results too.
WorkbookReadResult readInChildProcess(const std::function<WorkbookReadResult()>& read,
                                      int timeoutMs = kReaderTimeoutMs);
// An .xlsx rebuilt so that liborcus reads every cell, or nothing when it
// needs no change; throws on a damaged archive.
std::optional<std::string> normalisedXlsx(const std::string& bytes);
}  // namespace workbook_detail

}  // namespace kelvo6::platform
