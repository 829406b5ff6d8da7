#include "link/dispatcher.h"

#include <cmath>

#include "core/language.h"
#include "link/params.h"
#include "link/requests.h"

namespace kelvo6::link {

namespace {

constexpr core::Text3 kCalOnTitle{"KELVO6 - Taratura vettura Attivata", "KELVO6 - Calibration Active",
                                  "KELVO6 - Kalibrasyon Aktif"};
constexpr core::Text3 kCalOnCaption{"TARATURA ATTIVA", "CALIBRATION ACTIVE", "KALIBRASYON AKTIF"};
constexpr core::Text3 kCalOffTitle{"KELVO6 - Taratura vettura Non attiva", "KELVO6 - Calibration Not Active",
                                   "KELVO6 - Kalibrasyon Aktif Degil"};
constexpr core::Text3 kCalOffCaption{"TARATURA NON ATTIVA", "CALIBRATION NOT ACTIVE",
                                     "KALIBRASYON AKTIF DEGIL"};

// The received flag that guards a type, or nullptr for unguarded types.
bool* guardOf(core::Shared& s, int type) {
  auto& f = s.received;
  switch (type) {
    case kReadParameterSet: return &f.paramSet;
    case kSwitchFuel: return &f.fuelSwitchAck;
    case kRestoreDefaults: return &f.defaultsAck;
    case kEnterDownloadMode: return &f.downloadAck;
    case kReadSoftwareVersion: return &f.version;
    case kReadTable: return &f.table;
    case kCalibrationOn: return &f.calOnAck;
    case kCalibrationOff: return &f.calOffAck;
    case kStartEndOfLineTest: return &f.eolStartAck;
    case kReadInjectorFlags: return &f.injectorFlags;
    default: return nullptr;
  }
}

}  // namespace

bool lambdaRangeFor(int sensorType, core::BarRange* range) {
  if (sensorType == 0 || sensorType == 1) {
    *range = {5000, 250};
    return true;
  }
  if (sensorType == 2 || sensorType == 3) {
    *range = {1000, 50};
    return true;
  }
  return false;
}

void recomputeLambdaRange(core::Shared& s, int probe) {
  int type = s.param(probe == 1 ? param::kProbe1Type : param::kProbe2Type).ecu;
  core::BarRange r;
  if (lambdaRangeFor(type, &r)) s.lambdaRange[static_cast<std::size_t>(probe - 1)] = r;
}

void recomputeLevelStep(core::Shared& s) {
  s.levelStep = std::abs(s.param(param::kLevelMax).ecu - s.param(param::kLevelMin).ecu) / 16.0;
}

std::string versionString(int a, int b, int c) {
  return std::to_string(a) + "." + std::to_string(b) + "." + std::to_string(c);
}

bool Dispatcher::handle(const Bytes& chunk) {
  auto r = acceptChunk(chunk);
  if (!r) return false;
  return dispatch(*r);
}

bool Dispatcher::dispatch(const Response& r) {
  if (!r.has(5)) return false;
  int type = r.type();
  // A shorter answer than its type's layout is ignored as a whole.
  int last = answerLength(type);
  if (last == 0 || !r.has(static_cast<std::size_t>(last))) return false;
  if (bool* guard = guardOf(s_, type); guard && *guard) return false;

  switch (type) {
    case kReadParameterSet: parameterSet(r); return true;
    case kWriteParameter: return parameterEcho(r);
    case kReadLiveData: liveData(r); return true;
    case kSwitchFuel: s_.received.fuelSwitchAck = true; return true;
    case kRestoreDefaults: s_.received.defaultsAck = true; return true;
    case kEnterDownloadMode: s_.received.downloadAck = true; return true;
    case kReadSoftwareVersion: version(r); return true;
    case kReadTable: table(r); return true;
    case kCellWrite: return cellEcho(r);
    case kReadCalibrationData:
    case kReadCoilModeData: calibrationBlock(r); return true;
    case kCalibrationOn: calibrationMode(true); return true;
    case kCalibrationOff: calibrationMode(false); return true;
    case kStartEndOfLineTest: s_.received.eolStartAck = true; return true;
    case kReadEndOfLineData: endOfLine(r); return true;
    case kReadInjectorFlags: injectorFlags(r); return true;
    default: return false;
  }
}

void Dispatcher::parameterSet(const Response& r) {
  s_.received.paramSet = true;
  for (int k = 1; k <= core::kParamCount; ++k) s_.param(k).ecu = r.word(static_cast<std::size_t>(4 + 2 * k));
  recomputeLevelStep(s_);
  recomputeLambdaRange(s_, 1);
  recomputeLambdaRange(s_, 2);
}

bool Dispatcher::parameterEcho(const Response& r) {
  int number = r.byte(7);
  int value = r.word(8);
  if (!isParam(number)) return false;
  auto& p = s_.param(number);
  if (value != p.pending) return false;
  const int old = p.ecu;
  p.ecu = value;
  display_.writeAcknowledged(false, number, old, value);
  if (s_.bulkTransfer) return true;
  display_.parameterConfirmed(number, value);
  if (number == param::kProbe1Type) recomputeLambdaRange(s_, 1);
  if (number == param::kProbe2Type) recomputeLambdaRange(s_, 2);
  if (number == param::kLevelMin || number == param::kLevelMax) recomputeLevelStep(s_);
  return true;
}

void Dispatcher::liveData(const Response& r) {
  s_.received.liveData = true;
  s_.received.liveWatchdog = true;
  auto& l = s_.live;
  l.lambda1 = r.word(6);
  l.lambda2 = r.word(8);
  l.kgbTable = r.word(10);
  l.kgbCorrected = r.word(12);
  l.pressure1 = r.word(14);
  l.pressure2 = r.word(16);
  l.temperature1 = r.word(18);
  l.temperature2 = r.word(20);
  l.rpm = r.word(22);
  l.level = r.word(24);
  for (int n = 1; n <= 8; ++n) l.petrolTime[static_cast<std::size_t>(n - 1)] = r.word(static_cast<std::size_t>(24 + 2 * n));
  l.state = r.byte(42);
  l.fuelFlag = r.byte(43);
  int probe2Type = s_.param(param::kProbe2Type).ecu;
  int limit = (probe2Type == 0 || probe2Type == 1) ? 5000 : 1000;
  if (l.lambda2 >= limit) l.lambda2 = limit;
}

void Dispatcher::version(const Response& r) {
  s_.received.version = true;
  s_.version = {r.byte(6), r.byte(7), r.byte(8)};
  display_.versionText(versionString(s_.version[0], s_.version[1], s_.version[2]));
}

void Dispatcher::table(const Response& r) {
  s_.received.table = true;
  for (int n = 1; n <= core::kCellCount; ++n) s_.cell(n).ecu = r.byte(static_cast<std::size_t>(5 + n));
}

bool Dispatcher::cellEcho(const Response& r) {
  int cell = r.byte(6);
  int value = r.byte(7);
  if (cell < 1 || cell > core::kCellCount) return false;
  auto& c = s_.cell(cell);
  if (value != c.pending) return false;
  const int old = c.ecu;
  c.ecu = value;
  display_.writeAcknowledged(true, cell, old, value);
  if (!s_.bulkTransfer) display_.cellConfirmed(cell, value);
  return true;
}

void Dispatcher::calibrationBlock(const Response& r) {
  s_.received.calData = true;
  auto& l = s_.live;
  l.lambda1 = r.word(6);
  l.lambda2 = r.word(8);
  l.pressure1 = r.word(10);
  l.pressure2 = r.word(12);
  l.temperature1 = r.word(14);
  l.temperature2 = r.word(16);
  l.kgbInUse = r.word(18);
  l.rpm = r.word(20);
  l.injectionTime = r.word(22);
  l.calState = r.byte(24);
  l.fuelFlag = r.byte(25);
}

void Dispatcher::calibrationMode(bool on) {
  (on ? s_.received.calOnAck : s_.received.calOffAck) = true;
  display_.calibrationMode(on, core::pickOr(on ? kCalOnTitle : kCalOffTitle, s_.language),
                           core::pickOr(on ? kCalOnCaption : kCalOffCaption, s_.language));
}

void Dispatcher::endOfLine(const Response& r) {
  auto& e = s_.eol;
  e.previousTestState = e.testState;
  e.testState = r.byte(6);
  s_.received.eolAnswerPending = false;
  for (int i = 0; i < 8; ++i) e.injectorStatus[static_cast<std::size_t>(i)] = r.byte(static_cast<std::size_t>(7 + i));
  for (int i = 0; i < 9; ++i) e.checkBytes[static_cast<std::size_t>(i)] = r.byte(static_cast<std::size_t>(15 + i));
}

void Dispatcher::injectorFlags(const Response& r) {
  for (int i = 0; i < 8; ++i)
    s_.calib.injectorFlags[static_cast<std::size_t>(i)] = r.byte(static_cast<std::size_t>(6 + i));
  s_.received.injectorFlags = true;
}

}  // namespace kelvo6::link
