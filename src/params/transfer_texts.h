#pragma once
// What a bulk transfer tells the fitter while it runs and when it ends, in
// Italian, English and Turkish: any window that sends a configuration through
// a BulkTransfer shows these.

#include <QString>
#include <vector>

#include "core/shared.h"
#include "platform/desktop.h"
#include "params/transfer.h"

namespace kelvo6::params {

// "parameters 3, 19, 20; cells 1-64": numbers in ascending order, runs of three
// or more as a range.
QString transferItemsText(const std::vector<TransferItem>& items, int language);

// The progress line: "n of m values sent" while running, "Configuration sent:
// n values" once complete (naming what the ECU does not hold, if anything), and
// what was not sent after an interruption. Empty before the first run.
QString transferStatusText(const BulkTransfer& transfer, const core::Shared& shared, int language);

// Asked before leaving a window while its transfer runs.
platform::Question leaveDuringTransferQuestion(const BulkTransfer& transfer, const core::Shared& shared,
                                               const QString& title, int language);

// The answers of every yes/no question of the parameter windows.
QString yesText(int language);
QString noText(int language);

}  // namespace kelvo6::params
