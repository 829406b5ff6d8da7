#pragma once
// A unit's end-of-line result as a row of the history database, and what the
// window needs to name the unit.

#include "core/language.h"
#include "eol/records_row.h"
#include "history/hooks.h"
#include "history/journal.h"

namespace kelvo6::eol {

constexpr core::Text3 kUnitCaption{"MATRICOLA", "UNIT", "SERI NO"};
constexpr core::Text3 kUnitMissing{"INSERIRE LA MATRICOLA DELL'UNITA'", "ENTER THE UNIT'S SERIAL NUMBER",
                                   "UNITENIN SERI NUMARASINI GIRIN"};

// PASS, or FAIL with the failed checks by name.
history::EolResult eolResultOf(const UnitResult& unit);

}  // namespace kelvo6::eol
