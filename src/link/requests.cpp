#include "link/requests.h"

namespace kelvo6::link {

namespace {
Bytes plain(Command c) { return buildRequest(c); }
std::uint8_t byteOf(int v) { return static_cast<std::uint8_t>(v & 0xFF); }
}  // namespace

Bytes readParameterSet() { return plain(kReadParameterSet); }
Bytes writeParameter(int number, int value) {
  return buildRequest(kWriteParameter, {0x00, byteOf(number), highByte(value), lowByte(value)});
}
Bytes readLiveData() { return plain(kReadLiveData); }
Bytes switchFuel() { return plain(kSwitchFuel); }
Bytes restoreDefaults() { return plain(kRestoreDefaults); }
Bytes enterDownloadMode() { return plain(kEnterDownloadMode); }
Bytes readSoftwareVersion() { return plain(kReadSoftwareVersion); }
Bytes readTable() { return plain(kReadTable); }
Bytes cellWrite(int cell, int value) { return buildRequest(kCellWrite, {byteOf(cell), byteOf(value)}); }
Bytes readCalibrationData(int trialKgb) {
  return buildRequest(kReadCalibrationData, {highByte(trialKgb), lowByte(trialKgb)});
}
Bytes calibrationOn() { return plain(kCalibrationOn); }
Bytes calibrationOff() { return plain(kCalibrationOff); }
Bytes readCoilModeData(int coils) { return buildRequest(kReadCoilModeData, {byteOf(coils)}); }
Bytes startEndOfLineTest(int cylinders) { return buildRequest(kStartEndOfLineTest, {byteOf(cylinders)}); }
Bytes readEndOfLineData() { return plain(kReadEndOfLineData); }
Bytes readInjectorFlags() { return plain(kReadInjectorFlags); }

}  // namespace kelvo6::link
