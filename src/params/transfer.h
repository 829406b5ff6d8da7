#pragma once
// The bulk transfer that makes the ECU hold a whole configuration: a fixed list
// of 61 parameters and the 64 table cells, walked from the top on every tick.

#include <array>
#include <optional>

#include "core/shared.h"
#include "link/frame.h"

namespace kelvo6::params {

struct TransferItem {
  bool cell = false;  // a table cell, otherwise a parameter
  int number = 0;
};

constexpr std::size_t kTransferItems = 125;
const std::array<TransferItem, kTransferItems>& transferList();

// The first item whose pending value differs from its ECU value, or nothing
// when the ECU holds the whole configuration. Items whose pending value does
// not fit the wire are never sent (the archive loader refuses such values).
std::optional<TransferItem> nextTransferItem(const core::Shared& shared);

// The write request for an item, carrying its pending value.
link::Bytes transferWrite(const TransferItem& item, const core::Shared& shared);

}  // namespace kelvo6::params
