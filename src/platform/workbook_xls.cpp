// Legacy .xls (BIFF) workbooks through FreeXL.

#include <freexl.h>

#include "platform/workbook.h"

namespace kelvo6::platform::workbook_detail {

namespace {

std::string freexlError(int code) {
  switch (code) {
    case FREEXL_FILE_NOT_FOUND: return "file not found";
    case FREEXL_INSUFFICIENT_MEMORY: return "not enough memory";
    case FREEXL_INVALID_CFBF_HEADER:
    case FREEXL_CFBF_READ_ERROR: return "damaged workbook (compound file)";
    default: return "damaged or unsupported .xls workbook (code " + std::to_string(code) + ")";
  }
}

// Closes the workbook whatever way the reading ends.
struct Handle {
  const void* h = nullptr;
  ~Handle() {
    if (h) freexl_close(h);
  }
};

WorkbookCell cellAt(const void* h, unsigned rows, unsigned short columns, CellAddress a) {
  WorkbookCell c;
  auto row = static_cast<unsigned>(a.row - 1);
  auto column = static_cast<unsigned short>(a.column - 1);
  if (row >= rows || column >= columns) return c;  // outside the used range: empty
  FreeXL_CellValue v{};
  if (freexl_get_cell_value(h, row, column, &v) != FREEXL_OK) {
    c.kind = WorkbookCell::Kind::kError;
    c.text = "unreadable cell";
    return c;
  }
  switch (v.type) {
    case FREEXL_CELL_INT:
      c.kind = WorkbookCell::Kind::kNumber;
      c.number = v.value.int_value;
      break;
    case FREEXL_CELL_DOUBLE:
      c.kind = WorkbookCell::Kind::kNumber;
      c.number = v.value.double_value;
      break;
    case FREEXL_CELL_TEXT:
    case FREEXL_CELL_SST_TEXT:
      c.kind = WorkbookCell::Kind::kText;
      c.text = v.value.text_value ? v.value.text_value : "";
      break;
    case FREEXL_CELL_DATE:
    case FREEXL_CELL_DATETIME:
    case FREEXL_CELL_TIME:
      c.kind = WorkbookCell::Kind::kError;
      c.text = std::string("a date or time ") + (v.value.text_value ? v.value.text_value : "");
      break;
    default: break;  // empty
  }
  return c;
}

}  // namespace

WorkbookReadResult readLegacyWorkbook(const std::string& path) {
  WorkbookReadResult result;
  Handle handle;
  int rc = freexl_open(path.c_str(), &handle.h);
  if (rc != FREEXL_OK) {
    handle.h = nullptr;  // FreeXL releases what it opened when it fails
    result.error = freexlError(rc);
    return result;
  }
  unsigned int info = 0;
  if (freexl_get_info(handle.h, FREEXL_BIFF_PASSWORD, &info) == FREEXL_OK && info == FREEXL_BIFF_OBFUSCATED) {
    result.error = "the workbook is password protected";
    return result;
  }
  unsigned int sheets = 0;
  if (freexl_get_info(handle.h, FREEXL_BIFF_SHEET_COUNT, &sheets) != FREEXL_OK || sheets == 0) {
    result.error = "the workbook has no worksheet";
    return result;
  }
  if ((rc = freexl_select_active_worksheet(handle.h, 0)) != FREEXL_OK) {
    result.error = freexlError(rc);
    return result;
  }
  unsigned int rows = 0;
  unsigned short columns = 0;
  if ((rc = freexl_worksheet_dimensions(handle.h, &rows, &columns)) != FREEXL_OK) {
    result.error = freexlError(rc);
    return result;
  }
  for (int n = 1; n <= kWorkbookParams; ++n)
    result.sheet.params[static_cast<std::size_t>(n - 1)] = cellAt(handle.h, rows, columns, parameterAddress(n));
  for (int n = 1; n <= kWorkbookCells; ++n)
    result.sheet.cells[static_cast<std::size_t>(n - 1)] = cellAt(handle.h, rows, columns, tableCellAddress(n));
  result.ok = true;
  return result;
}

}  // namespace kelvo6::platform::workbook_detail
