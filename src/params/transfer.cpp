#include "params/transfer.h"

#include "link/requests.h"

namespace kelvo6::params {

namespace {

// Parameter 33 (gas injector model) is not part of the transfer.
constexpr int kParameterOrder[] = {19, 20, 16, 17, 18, 2,  1,  29, 28, 10, 11, 12, 14, 15, 13, 30,
                                   59, 60, 31, 32, 21, 22, 24, 26, 27, 3,  4,  5,  25, 23, 50, 51,
                                   52, 6,  7,  8,  9,  53, 54, 55, 56, 58, 57, 61, 62};

constexpr std::array<TransferItem, kTransferItems> makeList() {
  std::array<TransferItem, kTransferItems> list{};
  std::size_t i = 0;
  for (int n : kParameterOrder) list[i++] = {false, n};
  for (int n = 34; n <= 49; ++n) list[i++] = {false, n};  // the table's axes
  for (int n = 1; n <= 64; ++n) list[i++] = {true, n};
  return list;
}

constexpr std::array<TransferItem, kTransferItems> kList = makeList();
static_assert(std::size(kParameterOrder) + 16 == 61, "61 parameters");

const core::ValuePair& valueOf(const TransferItem& item, const core::Shared& s) {
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

}  // namespace kelvo6::params
