// Fuzz target: arbitrary bytes from the line through the chunker, acceptance
// and dispatcher into a fresh shared state. Checks that state changes only
// through a valid answer of its type and that every value stays in range.

#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "core/shared.h"
#include "link/chunker.h"
#include "link/dispatcher.h"

namespace {

using namespace kelvo6;

void check(bool ok) {
  if (!ok) std::abort();
}

// The state the receive path may change, compared field by field.
bool sameState(const core::Shared& a, const core::Shared& b) {
  for (int n = 1; n <= 62; ++n)
    if (a.param(n).ecu != b.param(n).ecu) return false;
  for (int n = 1; n <= 64; ++n)
    if (a.cell(n).ecu != b.cell(n).ecu) return false;
  const auto& la = a.live;
  const auto& lb = b.live;
  if (la.lambda1 != lb.lambda1 || la.lambda2 != lb.lambda2 || la.rpm != lb.rpm || la.state != lb.state ||
      la.fuelFlag != lb.fuelFlag || la.kgbInUse != lb.kgbInUse || la.calState != lb.calState ||
      la.petrolTime != lb.petrolTime || la.level != lb.level || la.injectionTime != lb.injectionTime)
    return false;
  const auto& ra = a.received;
  const auto& rb = b.received;
  return ra.paramSet == rb.paramSet && ra.liveData == rb.liveData && ra.fuelSwitchAck == rb.fuelSwitchAck &&
         ra.defaultsAck == rb.defaultsAck && ra.downloadAck == rb.downloadAck && ra.version == rb.version &&
         ra.table == rb.table && ra.calData == rb.calData && ra.calOnAck == rb.calOnAck &&
         ra.calOffAck == rb.calOffAck && ra.eolStartAck == rb.eolStartAck && ra.injectorFlags == rb.injectorFlags &&
         a.version == b.version && a.eol.testState == b.eol.testState && a.eol.checkBytes == b.eol.checkBytes &&
         a.calib.injectorFlags == b.calib.injectorFlags;
}

bool guardedAndSet(const core::Shared& s, int type) {
  const auto& f = s.received;
  switch (type) {
    case 1: return f.paramSet;
    case 4: return f.fuelSwitchAck;
    case 5: return f.defaultsAck;
    case 6: return f.downloadAck;
    case 7: return f.version;
    case 8: return f.table;
    case 11: return f.calOnAck;
    case 12: return f.calOffAck;
    case 14: return f.eolStartAck;
    case 16: return f.injectorFlags;
    default: return false;
  }
}

// What an accepted answer of `type` may change in the ECU values: the set read
// (1) or the table (8) replaces them; an echo (2, 9) confirms one item, and
// only with the value the tool asked for; no other answer touches them.
void checkEcuValues(const core::Shared& before, const core::Shared& after, int type) {
  int paramsChanged = 0;
  for (int n = 1; n <= 62; ++n) {
    check(after.param(n).pending == before.param(n).pending);
    if (after.param(n).ecu == before.param(n).ecu) continue;
    ++paramsChanged;
    check(type == 1 || (type == 2 && after.param(n).ecu == after.param(n).pending));
  }
  int cellsChanged = 0;
  for (int n = 1; n <= 64; ++n) {
    check(after.cell(n).pending == before.cell(n).pending);
    if (after.cell(n).ecu == before.cell(n).ecu) continue;
    ++cellsChanged;
    check(type == 8 || (type == 9 && after.cell(n).ecu == after.cell(n).pending));
  }
  check(type != 2 || paramsChanged <= 1);
  check(type != 9 || cellsChanged <= 1);
}

void checkRanges(const core::Shared& s) {
  for (int n = 1; n <= 62; ++n) check(s.param(n).ecu >= 0 && s.param(n).ecu <= 65535);
  for (int n = 1; n <= 64; ++n) check(s.cell(n).ecu >= 0 && s.cell(n).ecu <= 255);
  const auto& l = s.live;
  for (int v : {l.lambda1, l.lambda2, l.kgbTable, l.kgbCorrected, l.pressure1, l.pressure2, l.temperature1,
                l.temperature2, l.rpm, l.level, l.kgbInUse, l.injectionTime})
    check(v >= 0 && v <= 65535);
  for (int v : {l.state, l.fuelFlag, l.calState}) check(v >= 0 && v <= 255);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  core::Shared shared;
  // Pending values from a fixed pattern, so that some echoes confirm.
  for (int n = 1; n <= 62; ++n) shared.param(n).pending = (n * 37) % 1024;
  for (int n = 1; n <= 64; ++n) shared.cell(n).pending = 100 + n % 16;
  shared.bulkTransfer = size % 2 == 1;
  link::NullDisplay display;
  link::Dispatcher dispatcher(shared, display);
  link::Chunker chunker(30);

  // The first byte of each piece says how long it is and how long the line was idle before it.
  std::size_t i = 0;
  std::int64_t now = 0;
  while (i < size) {
    std::uint8_t control = data[i++];
    std::size_t length = std::min<std::size_t>(1 + control % 64, size - i);
    now += (control >> 6) * 20;  // 0, 20, 40 or 60 ms
    for (const link::Bytes& chunk : chunker.feed(data + i, length, now)) {
      core::Shared before = shared;
      bool acted = dispatcher.handle(chunk);
      if (!acted) {
        // A rejected echo or a dropped chunk leaves everything as it was.
        check(sameState(before, shared));
        continue;
      }
      check(chunk.size() >= 5 && chunk[3] == chunk.size());
      int type = chunk[4];
      check(type >= 1 && type <= 16);
      check(!guardedAndSet(before, type));
      bool guarded = type == 1 || type == 4 || type == 5 || type == 6 || type == 7 || type == 8 || type == 11 ||
                     type == 12 || type == 14 || type == 16;
      check(!guarded || guardedAndSet(shared, type));
      checkEcuValues(before, shared, type);
      checkRanges(shared);
    }
    i += length;
  }
  return 0;
}
