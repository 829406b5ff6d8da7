#pragma once
// One unit's end-of-line result on one A4 page, for the unit's box: title,
// date and time, ECU version, cylinder count, every lamp shown for that count
// drawn in its colour beside its name, and the overall result.

#include <QString>

#include "eol/records_row.h"

namespace kelvo6::eol {

// Writes the page as a PDF at `path`, replacing the file only once the whole
// page is written. Returns what went wrong, or an empty string.
QString writeReport(const QString& path, const UnitResult& unit, int language);

}  // namespace kelvo6::eol
