#pragma once
// The bulk transfer that makes the ECU hold a whole configuration: a fixed list
// of 62 parameters and the 64 table cells, walked from the top on every tick.
// A BulkTransfer is one run of it, kept apart from any window so that whoever
// starts one can tell how far it got, what the ECU does not hold yet, and
// whether it ended.

#include <array>
#include <optional>
#include <vector>

#include "core/shared.h"
#include "link/frame.h"

namespace kelvo6::params {

struct TransferItem {
  bool cell = false;  // a table cell, otherwise a parameter
  int number = 0;
  bool operator==(const TransferItem&) const = default;
};

constexpr std::size_t kTransferItems = 126;
const std::array<TransferItem, kTransferItems>& transferList();

// The first item whose pending value differs from its ECU value, or nothing
// when the ECU holds the whole configuration. Items whose pending value does
// not fit the wire are never sent (the archive loader refuses such values).
std::optional<TransferItem> nextTransferItem(const core::Shared& shared);

// The write request for an item, carrying its pending value.
link::Bytes transferWrite(const TransferItem& item, const core::Shared& shared);

class BulkTransfer {
 public:
  enum class State { kIdle, kRunning, kComplete, kInterrupted };

  // The pending values as they stand are the configuration to send; the items
  // whose pending value differs from the ECU value are this run's values.
  // Raises the bulk-transfer flag.
  void start(core::Shared& shared);
  // One tick: the write to send now, or nothing once every value that can go
  // on the wire is held by the ECU (the run is then complete, the flag down).
  std::optional<link::Bytes> tick(core::Shared& shared);
  // Stopped before the end: the flag goes down, the values not yet held wait
  // for resume().
  void interrupt(core::Shared& shared);
  // Sends the rest. A value changed by hand since the interruption (by an
  // editor) stays as it is and leaves the run; the others are made pending
  // again.
  void resume(core::Shared& shared);

  State state() const { return state_; }
  bool running() const { return state_ == State::kRunning; }
  int total() const { return static_cast<int>(targets_.size()); }
  // Of this run's values, how many the ECU holds now, and which it does not.
  int held(const core::Shared& shared) const;
  std::vector<TransferItem> notHeld(const core::Shared& shared) const;

 private:
  struct Target {
    TransferItem item;
    int value = 0;
    int ecuWhenStopped = 0;
  };
  std::vector<Target> targets_;
  State state_ = State::kIdle;
};

}  // namespace kelvo6::params
