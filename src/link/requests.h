#pragma once
// The sixteen requests, by command code. The answer to each carries the same type.

#include "link/frame.h"
#include "link/layouts.h"

namespace kelvo6::link {

enum Command : int {
  kReadParameterSet = 1,
  kWriteParameter = 2,
  kReadLiveData = 3,
  kSwitchFuel = 4,
  kRestoreDefaults = 5,
  kEnterDownloadMode = 6,
  kReadSoftwareVersion = 7,
  kReadTable = 8,
  kCellWrite = 9,
  kReadCalibrationData = 10,
  kCalibrationOn = 11,
  kCalibrationOff = 12,
  kReadCoilModeData = 13,
  kStartEndOfLineTest = 14,
  kReadEndOfLineData = 15,
  kReadInjectorFlags = 16,
};

Bytes readParameterSet();
// Value must be 0..65535 (see fitsWire16); the number 1..62.
Bytes writeParameter(int number, int value);
Bytes readLiveData();
Bytes switchFuel();
Bytes restoreDefaults();
Bytes enterDownloadMode();
Bytes readSoftwareVersion();
Bytes readTable();
// Cell 1..64, value 0..255.
Bytes cellWrite(int cell, int value);
// Trial KGB 0..65535, 0 when none.
Bytes readCalibrationData(int trialKgb);
Bytes calibrationOn();
Bytes calibrationOff();
Bytes readCoilModeData(int coils);
Bytes startEndOfLineTest(int cylinders);
Bytes readEndOfLineData();
Bytes readInjectorFlags();

}  // namespace kelvo6::link
