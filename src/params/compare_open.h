#pragma once
// The two ways into the compare window from the parameter hub: a workbook
// against the values the ECU reported, or two workbooks with each other. Both
// read with the archive's readers and checks and change no pending value.

#include <functional>
#include <optional>
#include <string>
#include <utility>

#include <QString>

#include "app/screen.h"
#include "core/language.h"
#include "params/archive.h"
#include "params/compare_diff.h"

namespace kelvo6::params {

// The hub's buttons, placed after its own.
constexpr const char* kCompareWithEcuButton = "Command10";
constexpr const char* kCompareWorkbooksButton = "Command11";
constexpr core::Text3 kCompareWithEcuCaption{"Confronta con centralina", "Compare with ECU", "ECU ile Karsilastir"};
constexpr core::Text3 kCompareWorkbooksCaption{"Confronta due vetture", "Compare two workbooks",
                                               "Iki Dosyayi Karsilastir"};

// Names for two workbooks that tell them apart: their file names, or as much
// of their folders as it takes ("a/car.xlsx" and "b/car.xlsx").
std::pair<QString, QString> distinctNames(const QString& first, const QString& second);

// The configuration a workbook holds, checked as an archive load checks it.
std::optional<ArchiveError> readConfiguration(const std::string& path, Configuration* out);

// Asks for a workbook and shows what sending it would change; `send` is what
// the window's send button does with the workbook's values. Returns false when
// the fitter cancelled or the workbook was refused (with a message).
bool compareWithEcu(app::Screen* hub, app::Context& ctx, std::function<void(const Configuration&)> send);
// Asks for two workbooks and shows how the second differs from the first.
bool compareTwoWorkbooks(app::Screen* hub, app::Context& ctx);

}  // namespace kelvo6::params
