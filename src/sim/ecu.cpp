#include "sim/ecu.h"

#include <algorithm>

#include "link/requests.h"
#include "sim/factory.h"

namespace kelvo6::sim {

namespace {

using namespace link;

void put16(Bytes& b, int value) {
  value = std::clamp(value, 0, 65535);
  b.push_back(highByte(value));
  b.push_back(lowByte(value));
}
std::uint8_t byteOf(int v) { return static_cast<std::uint8_t>(std::clamp(v, 0, 255)); }

// An answer of `type`: header, length, type, data.
Bytes answerFrame(int type, const Bytes& data) { return buildRequest(type, data); }

}  // namespace

Ecu::Ecu(int latencyMs) : latencyMs_(latencyMs) { restoreFactory(); }

void Ecu::restoreFactory() {
  memory_.params = factoryParameters();
  memory_.cells = factoryCells();
}

GasState Ecu::gas() const {
  const bool onGas = calibration_.on() ? calibration_.heldOnGas() : engine_.onGas();
  const int trial = calibration_.on() ? memory_.trialKgb : 0;
  return resolveGas({engine_.rpm(), engine_.demandUs(0), onGas, trial}, memory_, engine_.trueMap());
}

void Ecu::advanceTo(std::int64_t nowMs) {
  engine_.setMixtureError(gas().mixtureError());
  engine_.advanceTo(nowMs, memory_);
  selfTest_.advanceTo(nowMs);
}

void Ecu::receive(const std::uint8_t* data, std::size_t size, std::int64_t nowMs) {
  advanceTo(nowMs);
  // A request is complete when its last byte has arrived on the line.
  const LineTiming::Instant arrived = line_.arrive(size, nowMs);
  for (const Bytes& request : requestFramer_.feed(data, size, nowMs)) {
    if (request.size() < 5 || request[3] != request.size()) continue;
    requests_.push_back(request[4]);
    auto reply = answer(request, nowMs);
    if (reply) queue(std::move(*reply), line_.later(arrived, latencyMs_ + faults_.extraLatencyMs));
  }
}

void Ecu::queue(Bytes reply, LineTiming::Instant ready) {
  if (faults_.silent || selfTest_.keyOff()) return;
  ++answerCount_;
  if (faults_.dropEvery > 0 && answerCount_ % faults_.dropEvery == 0) return;
  // Answers leave in order, one after the other: one never overtakes an earlier one.
  if (faults_.splitGapMs >= 0 && reply.size() > 1) {
    const auto half = static_cast<std::ptrdiff_t>(reply.size() / 2);
    Bytes first(reply.begin(), reply.begin() + half), second(reply.begin() + half, reply.end());
    outbox_.push_back({line_.send(first.size(), ready), std::move(first)});
    const LineTiming::Instant secondReady = line_.later(line_.outboundFree(), faults_.splitGapMs);
    outbox_.push_back({line_.send(second.size(), secondReady), std::move(second)});
  } else {
    const std::size_t size = reply.size();
    outbox_.push_back({line_.send(size, ready), std::move(reply)});
  }
  if (faults_.strayByteEvery > 0 && answerCount_ % faults_.strayByteEvery == 0) {
    // Line noise well after the answer, so the receiver's idle gap separates it.
    const int gapMs = link::Chunker::kDefaultIdleGapMs + 10;
    outbox_.push_back({line_.send(1, line_.later(line_.outboundFree(), gapMs)), Bytes{0xA5}});
    line_.quiet(gapMs);
  }
}

std::vector<Bytes> Ecu::takeDue(std::int64_t nowMs) {
  advanceTo(nowMs);
  std::vector<Bytes> due;
  while (!outbox_.empty() && outbox_.front().dueMs <= nowMs) {
    due.push_back(std::move(outbox_.front().bytes));
    outbox_.pop_front();
  }
  return due;
}

std::optional<std::int64_t> Ecu::nextDueMs() const {
  if (outbox_.empty()) return std::nullopt;
  return outbox_.front().dueMs;
}

std::optional<Bytes> Ecu::answer(const Bytes& q, std::int64_t nowMs) {
  int command = q[4];
  auto data = [&](std::size_t position) -> int { return position <= q.size() ? q[position - 1] : 0; };
  switch (command) {
    case kReadParameterSet: {
      Bytes d;
      for (int k = 1; k <= 62; ++k) put16(d, memory_.param(k));
      return answerFrame(command, d);
    }
    case kWriteParameter: {
      if (q.size() < 9) return std::nullopt;
      int number = data(7);
      int value = data(8) * 256 + data(9);
      if (number < 1 || number > 62) return std::nullopt;
      if (number == faults_.wrongEchoParam && faults_.wrongEchoCount != 0) {
        if (faults_.wrongEchoCount > 0) --faults_.wrongEchoCount;
        Bytes d{0x00, static_cast<std::uint8_t>(number)};
        put16(d, value ^ 1);
        return answerFrame(command, d);
      }
      setParam(number, value);
      writes_.push_back({false, number, value});
      Bytes d{0x00, static_cast<std::uint8_t>(number)};
      put16(d, value);
      return answerFrame(command, d);
    }
    case kReadLiveData: return liveData();
    case kSwitchFuel:
      if (!calibration_.switchFuel()) engine_.requestFuelSwitch();
      return answerFrame(command, {});
    case kRestoreDefaults:
      restoreFactory();
      return answerFrame(command, {});
    case kEnterDownloadMode:
      memory_.downloadMode = true;
      return answerFrame(command, {});
    case kReadSoftwareVersion:
      return answerFrame(command, {byteOf(memory_.version[0]), byteOf(memory_.version[1]), byteOf(memory_.version[2])});
    case kReadTable: {
      Bytes d;
      for (int n = 1; n <= 64; ++n) d.push_back(byteOf(memory_.cell(n)));
      return answerFrame(command, d);
    }
    case kCellWrite: {
      if (q.size() < 7) return std::nullopt;
      int cell = data(6);
      int value = data(7);
      if (cell < 1 || cell > 64) return std::nullopt;
      setCell(cell, value);
      writes_.push_back({true, cell, value});
      return answerFrame(command, {static_cast<std::uint8_t>(cell), static_cast<std::uint8_t>(value)});
    }
    case kReadCalibrationData:
      memory_.trialKgb = data(6) * 256 + data(7);
      return calibrationBlock(command);
    case kCalibrationOn:
      calibration_.modeOn(engine_.onGas());
      memory_.calibrationOn = true;
      return answerFrame(command, {});
    case kCalibrationOff:
      // The engine's own change-over takes over from the fuel held while calibrating.
      if (calibration_.on() && calibration_.heldOnGas() != engine_.onGas()) engine_.requestFuelSwitch();
      calibration_.modeOff();
      memory_.calibrationOn = false;
      memory_.trialKgb = 0;
      return answerFrame(command, {});
    case kReadCoilModeData:
      memory_.coilModeCoils = data(6);
      return calibrationBlock(command);
    case kStartEndOfLineTest:
      selfTest_.start(data(6), nowMs);
      return answerFrame(command, {});
    case kReadEndOfLineData: return endOfLineData();
    case kReadInjectorFlags: {
      Bytes d;
      for (int flag : calibration_.injectorFlags()) d.push_back(byteOf(flag));
      return answerFrame(command, d);
    }
    default: return std::nullopt;
  }
}

Bytes Ecu::liveData() const {
  LiveSnapshot s = moment();
  Bytes d;
  for (int v : {s.lambda1, s.lambda2, s.kgbTable, s.kgbCorrected, s.pressure1, s.pressure2, s.temperature1,
                s.temperature2Raw, s.rpm, s.level})
    put16(d, v);
  for (int t : s.petrolTime) put16(d, t);
  d.push_back(byteOf(s.state));
  d.push_back(byteOf(s.fuelFlag));
  return answerFrame(kReadLiveData, d);
}

Bytes Ecu::calibrationBlock(int type) const {
  int coils = type == kReadCoilModeData ? memory_.coilModeCoils : 0;
  LiveSnapshot s = calibration_.block(moment(), coils);
  Bytes d;
  for (int v : {s.lambda1, s.lambda2, s.pressure1, s.pressure2, s.temperature1, s.temperature2Raw, s.kgbInUse,
                s.rpm, s.injectionTime})
    put16(d, v);
  d.push_back(byteOf(s.calState));
  d.push_back(byteOf(s.fuelFlag));
  return answerFrame(type, d);
}

Bytes Ecu::endOfLineData() const {
  SelfTest::Report r = selfTest_.report();
  Bytes d{byteOf(r.state)};
  for (int v : r.injectorStatus) d.push_back(byteOf(v));
  for (int v : r.checkBytes) d.push_back(byteOf(v));
  return answerFrame(kReadEndOfLineData, d);
}

}  // namespace kelvo6::sim
