#pragma once
// What the end-of-line window needs around its production records: where they
// go, the time stamp of a unit, the report's file dialog, and the captions and
// messages in Italian, English and Turkish.

#include <QString>
#include <string>

#include "core/language.h"
#include "platform/desktop.h"

namespace kelvo6::eol {

// $HOME/TAVRIN_IE/EndOfLine (created by the first record).
std::string recordsFolder();
// Local time now, ISO 8601 to the second: "2024-05-17T14:03:22".
std::string localDateTimeNow();

// The report button, after the window's own buttons.
constexpr const char* kReportButtonName = "Command3";
constexpr core::Text3 kReportCaption{"RAPPORTO PDF", "PDF REPORT", "PDF RAPORU"};

platform::FileDialogRequest reportDialogRequest(int language);
// A report name chosen without the .pdf suffix gets it.
QString withPdfSuffix(const QString& path);
// Whether to replace an existing report the suffix led to (the dialog asked only about the name typed).
platform::Question replaceReportQuestion(const QString& title, const QString& path, int language);

QString recordsMessageTitle(int language);
QString recordNotWrittenText(const std::string& folder, int language);
QString reportSavedText(const QString& path, int language);
QString reportNotSavedText(const QString& path, int language);

}  // namespace kelvo6::eol
