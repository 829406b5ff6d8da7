#include "calib/table_transfer.h"

#include "link/params.h"
#include "link/requests.h"

namespace kelvo6::calib {

namespace {

constexpr std::array<int, 23> kTableParamOrder = [] {
  std::array<int, 23> order{};
  std::size_t i = 0;
  for (int p : kCorrectiveWriteOrder) order[i++] = p;
  for (int p = link::param::kRpmAxisFirst; p < link::param::kRpmAxisFirst + 16; ++p) order[i++] = p;
  return order;
}();

constexpr std::array<int, 2> kAutoCalibrationParams{link::param::kCalPressure, link::param::kCalTemperature};

}  // namespace

link::Bytes WriteStep::frame() const {
  return cell ? link::cellWrite(number, value) : link::writeParameter(number, value);
}

std::optional<WriteStep> nextParamWrite(const core::Shared& shared, std::span<const int> params) {
  for (int n : params) {
    const core::ValuePair& p = shared.param(n);
    if (p.needsWrite() && link::fitsWire16(p.pending)) return WriteStep{false, n, p.pending};
  }
  return std::nullopt;
}

std::optional<WriteStep> nextCellWrite(const core::Shared& shared) {
  for (int n = 1; n <= core::kCellCount; ++n) {
    const core::ValuePair& c = shared.cell(n);
    if (c.needsWrite() && link::fitsWire8(c.pending)) return WriteStep{true, n, c.pending};
  }
  return std::nullopt;
}

std::optional<WriteStep> nextTableWrite(const core::Shared& shared, bool cellsOnly) {
  if (!cellsOnly)
    if (auto p = nextParamWrite(shared, kTableParamOrder)) return p;
  return nextCellWrite(shared);
}

std::optional<WriteStep> nextAutoCalibrationWrite(const core::Shared& shared) {
  if (auto p = nextParamWrite(shared, kAutoCalibrationParams)) return p;
  return nextCellWrite(shared);
}

void awaitCalibrationOff(core::Shared& shared) {
  shared.calib.calOffRequested = true;
  shared.received.calOffAck = false;
  shared.calib.autoCalRequested = false;
}

void stageAutomaticStore(core::Shared& shared, const std::array<int, core::kCellCount>& cells) {
  shared.calib.tableWriteRequested = true;
  shared.param(link::param::kCalPressure).pending = shared.live.pressure1;
  shared.param(link::param::kCalTemperature).pending = shared.live.temperature1;
  for (int n = 1; n <= core::kCellCount; ++n) shared.cell(n).pending = cells[static_cast<std::size_t>(n - 1)];
}

link::Bytes nextAutomaticWriterFrame(core::Shared& shared, bool* finished) {
  if (auto step = nextAutoCalibrationWrite(shared)) {
    *finished = false;
    return step->frame();
  }
  *finished = true;
  awaitCalibrationOff(shared);
  shared.calib.tableWriteRequested = false;
  return link::calibrationOff();
}

}  // namespace kelvo6::calib
