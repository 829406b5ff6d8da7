#include "params/archive.h"

#include <QDir>
#include <QFileInfo>
#include <algorithm>
#include <charconv>
#include <cmath>

#include "app/texts.h"
#include "core/rounding.h"
#include "link/param_texts.h"
#include "link/params.h"

namespace kelvo6::params {

namespace {

using core::Text3;
using platform::WorkbookCell;

constexpr Text3 kLoadTitle{"Selezionare tabella da scaricare in vettura",
                           "Select the table of parameters to be downloaded in the vehicle",
                           "Select the table of parameters to be downloaded in the vehicle"};
constexpr Text3 kSaveTitle{"Nuova Tabella", "New Table", "New Table"};
constexpr Text3 kMessageTitle{"KELVO6 - Archivio vetture", "KELVO6 - Storage of vehicle", "KELVO6 - Arac Arsivi"};
constexpr Text3 kUnreadable{"Impossibile leggere la cartella di lavoro \"%1\". Nulla è stato inviato alla centralina.",
                            "The workbook \"%1\" cannot be read. Nothing was sent to the ECU.",
                            "\"%1\" calisma kitabi okunamadi. ECU'ya hicbir sey gonderilmedi."};
constexpr Text3 kEmpty{
    "La cartella di lavoro \"%1\" non contiene una configurazione vettura (A1:A62 e C1:J8 sono vuote). Nulla è "
    "stato inviato alla centralina.",
    "The workbook \"%1\" holds no vehicle configuration (A1:A62 and C1:J8 are empty). Nothing was sent to the ECU.",
    "\"%1\" calisma kitabinda arac degerleri yok (A1:A62 ve C1:J8 bos). ECU'ya hicbir sey gonderilmedi."};
constexpr Text3 kBadCell{
    "Cartella di lavoro \"%1\", cella %2: \"%3\" non è un numero da 0 a %4. Nulla è stato inviato alla centralina.",
    "Workbook \"%1\", cell %2: \"%3\" is not a number from 0 to %4. Nothing was sent to the ECU.",
    "\"%1\" calisma kitabi, hucre %2: \"%3\" 0 ile %4 arasinda bir sayi degil. ECU'ya hicbir sey gonderilmedi."};
constexpr Text3 kCannotSave{"Impossibile salvare la cartella di lavoro \"%1\" nella cartella \"%2\".",
                            "The workbook \"%1\" cannot be saved in the folder \"%2\".",
                            "\"%1\" calisma kitabi \"%2\" klasorune kaydedilemedi."};

std::string describe(const WorkbookCell& c) {
  switch (c.kind) {
    case WorkbookCell::Kind::kNumber: return QString::number(c.number, 'g', 15).toStdString();
    case WorkbookCell::Kind::kBoolean: return c.number != 0 ? "TRUE" : "FALSE";
    case WorkbookCell::Kind::kEmpty: return "";
    default: return c.text;
  }
}

CellValue fromNumber(double v, int maxValue) {
  if (!std::isfinite(v)) return {CellProblem::kOutOfRange, 0};
  double r = std::nearbyint(v);
  if (r < 0 || r > maxValue) return {CellProblem::kOutOfRange, 0};
  return {CellProblem::kNone, static_cast<int>(core::roundHalfEven(v))};
}

// A parameter's cell with what it holds: "A13 (change-over temperature)".
QString cellWithMeaning(const std::string& cell, int language) {
  QString name = QString::fromStdString(cell);
  bool isNumber = false;
  const int row = name.mid(1).toInt(&isNumber);
  if (!name.startsWith(QLatin1Char('A')) || !isNumber || !link::isParam(row)) return name;
  return QStringLiteral("%1 (%2)").arg(name, QString::fromStdString(link::paramMeaning(row, language)));
}

}  // namespace

CellValue workbookValue(const WorkbookCell& c, int maxValue) {
  switch (c.kind) {
    case WorkbookCell::Kind::kEmpty: return {CellProblem::kNone, 0};
    case WorkbookCell::Kind::kNumber: return fromNumber(c.number, maxValue);
    case WorkbookCell::Kind::kText: {
      std::string_view t = c.text;
      while (!t.empty() && (t.front() == ' ' || t.front() == '\t')) t.remove_prefix(1);
      while (!t.empty() && (t.back() == ' ' || t.back() == '\t')) t.remove_suffix(1);
      if (t.empty()) return {CellProblem::kNone, 0};  // blanks only: as an empty cell
      double v = 0;
      auto [end, ec] = std::from_chars(t.data(), t.data() + t.size(), v);
      if (ec != std::errc() || end != t.data() + t.size()) return {CellProblem::kNotNumber, 0};
      return fromNumber(v, maxValue);
    }
    default: return {CellProblem::kNotNumber, 0};
  }
}

std::optional<ArchiveError> loadVehicle(const std::string& path, core::Shared& shared) {
  platform::WorkbookReadResult read = platform::readVehicleWorkbook(path);
  if (!read.ok) return ArchiveError{ArchiveError::Kind::kUnreadable, {}, {}, 0, read.error};
  auto empty = [](const WorkbookCell& c) { return c.kind == WorkbookCell::Kind::kEmpty; };
  if (std::all_of(read.sheet.params.begin(), read.sheet.params.end(), empty) &&
      std::all_of(read.sheet.cells.begin(), read.sheet.cells.end(), empty))
    return ArchiveError{ArchiveError::Kind::kEmpty, {}, {}, 0, "A1:A62 and C1:J8 are empty"};
  std::array<int, platform::kWorkbookParams> params{};
  std::array<int, platform::kWorkbookCells> cells{};
  auto take = [](const WorkbookCell& c, int max, platform::CellAddress at, int* out) -> std::optional<ArchiveError> {
    CellValue v = workbookValue(c, max);
    if (v.problem != CellProblem::kNone)
      return ArchiveError{ArchiveError::Kind::kBadCell, platform::cellName(at), describe(c), max, {}};
    *out = v.value;
    return std::nullopt;
  };
  for (int n = 1; n <= platform::kWorkbookParams; ++n) {
    auto i = static_cast<std::size_t>(n - 1);
    if (auto e = take(read.sheet.params[i], kParamMax, platform::parameterAddress(n), &params[i])) return e;
  }
  for (int n = 1; n <= platform::kWorkbookCells; ++n) {
    auto i = static_cast<std::size_t>(n - 1);
    if (auto e = take(read.sheet.cells[i], kCellMax, platform::tableCellAddress(n), &cells[i])) return e;
  }
  for (int n = 1; n <= platform::kWorkbookParams; ++n) shared.param(n).pending = params[static_cast<std::size_t>(n - 1)];
  for (int n = 1; n <= platform::kWorkbookCells; ++n) shared.cell(n).pending = cells[static_cast<std::size_t>(n - 1)];
  return std::nullopt;
}

std::optional<ArchiveError> saveVehicle(const std::string& path, const core::Shared& shared) {
  platform::VehicleValues values;
  for (int n = 1; n <= platform::kWorkbookParams; ++n) values.params[static_cast<std::size_t>(n - 1)] = shared.param(n).ecu;
  for (int n = 1; n <= platform::kWorkbookCells; ++n) values.cells[static_cast<std::size_t>(n - 1)] = shared.cell(n).ecu;
  std::string error = platform::writeVehicleWorkbook(path, values);
  if (error.empty()) return std::nullopt;
  return ArchiveError{ArchiveError::Kind::kCannotSave, {}, {}, 0, error};
}

QString archiveFolder() {
  QString folder = QDir::homePath() + QStringLiteral("/TAVRIN_IE/VehiclesArchive");
  QDir().mkpath(folder);
  return folder;
}

platform::FileDialogRequest loadDialogRequest(int language) {
  const char* title = core::pick(kLoadTitle, language);
  return {title ? QString::fromUtf8(title) : QString(), archiveFolder(), QStringLiteral("*.xlsx *.ods *.xls"), false};
}

platform::FileDialogRequest saveDialogRequest(int language) {
  const char* title = core::pick(kSaveTitle, language);
  return {title ? QString::fromUtf8(title) : QString(), archiveFolder(), QStringLiteral("*.xlsx"), true};
}

QString withWorkbookSuffix(const QString& path) {
  if (path.isEmpty()) return path;
  QFileInfo file(path);
  const QString suffix = file.suffix().toLower();
  if (suffix == QLatin1String("xlsx")) return path;
  static const QStringList kOtherSpreadsheets{"xls", "xlsm", "xlsb", "xlt", "xltx", "ods", "ots", "fods", "csv"};
  QString stem = path;
  if (kOtherSpreadsheets.contains(suffix)) stem.chop(suffix.size() + 1);
  while (stem.endsWith(QLatin1Char('.'))) stem.chop(1);  // "car." is car
  return stem + QStringLiteral(".xlsx");
}

QString archiveMessageTitle(int language) { return app::text3(kMessageTitle, language); }

QString archiveMessageText(const ArchiveError& e, const QString& path, int language) {
  QFileInfo file(path);
  switch (e.kind) {
    case ArchiveError::Kind::kUnreadable: return app::text3(kUnreadable, language).arg(file.fileName());
    case ArchiveError::Kind::kEmpty: return app::text3(kEmpty, language).arg(file.fileName());
    case ArchiveError::Kind::kBadCell:
      return app::text3(kBadCell, language)
          .arg(file.fileName(), cellWithMeaning(e.cell, language), QString::fromStdString(e.content),
               QString::number(e.maxValue));
    case ArchiveError::Kind::kCannotSave:
      return app::text3(kCannotSave, language).arg(file.fileName(), QDir::toNativeSeparators(file.absolutePath()));
  }
  return {};
}

}  // namespace kelvo6::params
