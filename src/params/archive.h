#pragma once
// The vehicle archive: a vehicle's parameters and table saved to a workbook
// from the ECU values, and loaded from one into the pending values (which the
// bulk transfer then sends). A workbook is taken whole or not at all.

#include <QString>
#include <optional>
#include <string>

#include "core/shared.h"
#include "platform/desktop.h"
#include "platform/workbook.h"

namespace kelvo6::params {

constexpr int kParamMax = 65535;
constexpr int kCellMax = 255;

enum class CellProblem { kNone, kNotNumber, kOutOfRange };
struct CellValue {
  CellProblem problem = CellProblem::kNone;
  int value = 0;
};
// An empty cell is 0; a number (or a text holding one) is rounded to the
// nearest integer, halves to even, and must then lie in 0..maxValue.
CellValue workbookValue(const platform::WorkbookCell& cell, int maxValue);

struct ArchiveError {
  enum class Kind { kUnreadable, kEmpty, kBadCell, kCannotSave };
  Kind kind = Kind::kUnreadable;
  std::string cell;     // kBadCell: "A5", "C1"
  std::string content;  // kBadCell: what the cell holds
  int maxValue = 0;     // kBadCell: the largest value the cell may hold
  std::string detail;   // what the file system or the reader reported
};

// Reads the workbook at `path`; when every one of its 126 values is valid they
// become the pending values of parameters 1..62 and cells 1..64. A workbook
// with all of them empty is no vehicle configuration and is refused (it would
// send zeros throughout). On an error nothing changes.
std::optional<ArchiveError> loadVehicle(const std::string& path, core::Shared& shared);
// Saves the ECU values of parameters 1..62 and cells 1..64.
std::optional<ArchiveError> saveVehicle(const std::string& path, const core::Shared& shared);

// $HOME/TAVRIN_IE/VehiclesArchive, created when missing.
QString archiveFolder();
platform::FileDialogRequest loadDialogRequest(int language);
platform::FileDialogRequest saveDialogRequest(int language);
// The name a saved workbook gets: the writer makes .xlsx, so another
// spreadsheet suffix (car.xls, car.ods) becomes .xlsx and any other name
// (Fiat.Punto) has .xlsx added; a name ending in .xlsx stays as it is.
QString withWorkbookSuffix(const QString& path);

QString archiveMessageTitle(int language);
QString archiveMessageText(const ArchiveError& error, const QString& path, int language);

}  // namespace kelvo6::params
