// Saving a vehicle workbook as .xlsx through libxlsxwriter. The workbook is
// written beside the target under a temporary name and renamed into place, so
// a failed save never leaves a half-written archive behind or spoils an old one.

#include <xlsxwriter.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "platform/workbook.h"

namespace kelvo6::platform {

std::string writeVehicleWorkbook(const std::string& path, const VehicleValues& values) {
  std::error_code ec;
  std::filesystem::path target(path);
  std::filesystem::path folder = target.parent_path().empty() ? std::filesystem::path(".") : target.parent_path();
  if (!std::filesystem::is_directory(folder, ec)) return "the folder does not exist";
  if (std::filesystem::is_directory(target, ec)) return "a folder has that name";

  std::string partial = path + ".part";
  lxw_workbook* workbook = workbook_new(partial.c_str());
  if (!workbook) return "cannot create the workbook";
  lxw_worksheet* sheet = workbook_add_worksheet(workbook, nullptr);
  lxw_error rc = sheet ? LXW_NO_ERROR : LXW_ERROR_MEMORY_MALLOC_FAILED;
  for (int n = 1; n <= kWorkbookParams && rc == LXW_NO_ERROR; ++n) {
    CellAddress a = parameterAddress(n);
    rc = worksheet_write_number(sheet, static_cast<lxw_row_t>(a.row - 1), static_cast<lxw_col_t>(a.column - 1),
                                values.params[static_cast<std::size_t>(n - 1)], nullptr);
  }
  for (int n = 1; n <= kWorkbookCells && rc == LXW_NO_ERROR; ++n) {
    CellAddress a = tableCellAddress(n);
    rc = worksheet_write_number(sheet, static_cast<lxw_row_t>(a.row - 1), static_cast<lxw_col_t>(a.column - 1),
                                values.cells[static_cast<std::size_t>(n - 1)], nullptr);
  }
  errno = 0;
  lxw_error closed = workbook_close(workbook);  // writes the file and frees the workbook
  if (rc == LXW_NO_ERROR) rc = closed;
  if (rc != LXW_NO_ERROR) {
    std::string reason = lxw_strerror(rc);
    if (errno != 0) reason += std::string(" (") + std::strerror(errno) + ")";
    std::filesystem::remove(partial, ec);
    return reason;
  }
  std::filesystem::rename(partial, target, ec);
  if (ec) {
    std::string why = ec.message();
    std::filesystem::remove(partial, ec);
    return "cannot store the workbook under its name: " + why;
  }
  return {};
}

}  // namespace kelvo6::platform
