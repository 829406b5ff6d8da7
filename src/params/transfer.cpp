#include "params/transfer.h"

#include <algorithm>

#include "link/requests.h"

namespace kelvo6::params {

namespace {

// Parameters in the ECU's order, the table's axes after them, then the cells.
// The gas injector model (33) comes last of all: an archive holds it like
// every other parameter, and the ECU takes its write as the other-parameters
// editor sends it, so a loaded vehicle gets its injector model too.
constexpr int kParameterOrder[] = {19, 20, 16, 17, 18, 2,  1,  29, 28, 10, 11, 12, 14, 15, 13, 30,
                                   59, 60, 31, 32, 21, 22, 24, 26, 27, 3,  4,  5,  25, 23, 50, 51,
                                   52, 6,  7,  8,  9,  53, 54, 55, 56, 58, 57, 61, 62};
constexpr int kInjectorModel = 33;

constexpr std::array<TransferItem, kTransferItems> makeList() {
  std::array<TransferItem, kTransferItems> list{};
  std::size_t i = 0;
  for (int n : kParameterOrder) list[i++] = {false, n};
  for (int n = 34; n <= 49; ++n) list[i++] = {false, n};  // the table's axes
  for (int n = 1; n <= 64; ++n) list[i++] = {true, n};
  list[i++] = {false, kInjectorModel};
  return list;
}

constexpr std::array<TransferItem, kTransferItems> kList = makeList();
static_assert(std::size(kParameterOrder) + 16 + 1 == 62, "every parameter once");

const core::ValuePair& valueOf(const TransferItem& item, const core::Shared& s) {
  return item.cell ? s.cell(item.number) : s.param(item.number);
}
core::ValuePair& valueOf(const TransferItem& item, core::Shared& s) {
  return item.cell ? s.cell(item.number) : s.param(item.number);
}

}  // namespace

const std::array<TransferItem, kTransferItems>& transferList() { return kList; }

std::optional<TransferItem> nextTransferItem(const core::Shared& s) {
  for (const TransferItem& item : kList) {
    const core::ValuePair& v = valueOf(item, s);
    if (!v.needsWrite()) continue;
    if (item.cell ? !link::fitsWire8(v.pending) : !link::fitsWire16(v.pending)) continue;
    return item;
  }
  return std::nullopt;
}

link::Bytes transferWrite(const TransferItem& item, const core::Shared& s) {
  int value = valueOf(item, s).pending;
  return item.cell ? link::cellWrite(item.number, value) : link::writeParameter(item.number, value);
}

void BulkTransfer::start(core::Shared& s) {
  targets_.clear();
  for (const TransferItem& item : kList) {
    const core::ValuePair& v = valueOf(item, s);
    if (v.needsWrite()) targets_.push_back({item, v.pending, v.ecu});
  }
  state_ = State::kRunning;
  s.bulkTransfer = true;
}

std::optional<link::Bytes> BulkTransfer::tick(core::Shared& s) {
  if (state_ != State::kRunning) return std::nullopt;
  if (auto item = nextTransferItem(s)) return transferWrite(*item, s);
  state_ = State::kComplete;
  s.bulkTransfer = false;
  return std::nullopt;
}

void BulkTransfer::interrupt(core::Shared& s) {
  if (state_ != State::kRunning) return;
  for (Target& t : targets_) t.ecuWhenStopped = valueOf(t.item, s).ecu;
  state_ = State::kInterrupted;
  s.bulkTransfer = false;
}

void BulkTransfer::resume(core::Shared& s) {
  if (state_ != State::kInterrupted) return;
  // An echo still on the line when the run stopped makes the ECU hold the
  // value it was sent: that is no change by hand.
  std::erase_if(targets_, [&](const Target& t) {
    int ecu = valueOf(t.item, s).ecu;
    return ecu != t.ecuWhenStopped && ecu != t.value;
  });
  for (const Target& t : targets_) valueOf(t.item, s).pending = t.value;
  state_ = State::kRunning;
  s.bulkTransfer = true;
}

int BulkTransfer::held(const core::Shared& s) const {
  return static_cast<int>(
      std::count_if(targets_.begin(), targets_.end(), [&](const Target& t) { return valueOf(t.item, s).ecu == t.value; }));
}

std::vector<TransferItem> BulkTransfer::notHeld(const core::Shared& s) const {
  std::vector<TransferItem> out;
  for (const Target& t : targets_)
    if (valueOf(t.item, s).ecu != t.value) out.push_back(t.item);
  return out;
}

}  // namespace kelvo6::params
