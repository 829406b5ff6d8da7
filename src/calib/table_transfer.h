#pragma once
// Which value the calibration writers send next: one value per tick, the first
// whose pending value differs from its ECU value, in each writer's own order.
// A pending value that does not fit the wire is never sent.

#include <array>
#include <optional>
#include <span>

#include "core/shared.h"
#include "link/frame.h"

namespace kelvo6::calib {

// The correctives in the order the table writer sends them.
constexpr std::array<int, 7> kCorrectiveWriteOrder{21, 24, 26, 25, 23, 22, 27};

struct WriteStep {
  bool cell = false;
  int number = 0;  // parameter or cell number
  int value = 0;
  link::Bytes frame() const;
  friend bool operator==(const WriteStep&, const WriteStep&) = default;
};

// The first of `params`, in order, that needs writing.
std::optional<WriteStep> nextParamWrite(const core::Shared& shared, std::span<const int> params);
// The first cell 1..64 that needs writing.
std::optional<WriteStep> nextCellWrite(const core::Shared& shared);
// The table writer: correctives, RPM axis, TINJ axis, then cells; only the cells
// while `cellsOnly` (a whole-table fill, or a write left by the automatic calibration).
std::optional<WriteStep> nextTableWrite(const core::Shared& shared, bool cellsOnly);
// The automatic calibration's writer: parameters 29 and 28, then cells.
std::optional<WriteStep> nextAutoCalibrationWrite(const core::Shared& shared);
// An automatic calibration (single or multi-point) is leaving: calibration off
// has been sent and is asked again on each tick until the ECU confirms it.
void awaitCalibrationOff(core::Shared& shared);

// What both automatic calibrations store on OK / APPLY: the calibration
// pressure and temperature of this moment and the cells, all pending for their
// writer; cells already holding their value are not sent.
void stageAutomaticStore(core::Shared& shared, const std::array<int, core::kCellCount>& cells);
// One tick of that writer: the frame to send, either the next value or, once
// everything is written, calibration off (with the leaving flags set, so the
// measurement tick waits for the confirmation and closes). `finished` says which.
link::Bytes nextAutomaticWriterFrame(core::Shared& shared, bool* finished);

}  // namespace kelvo6::calib
