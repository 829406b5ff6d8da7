#pragma once
// Process-wide state of one program run: parameters, table cells, live values,
// received flags and the settings chosen for the run. One object, passed by
// reference; every test makes its own.

#include <any>
#include <array>
#include <cstdint>
#include <string>

namespace kelvo6::core {

constexpr int kParamCount = 62;
constexpr int kCellCount = 64;

// A value the tool wants the ECU to hold (pending) next to the value the ECU
// last reported (ecu). Only the receive path writes `ecu`.
struct ValuePair {
  int ecu = 0;
  int pending = 0;
  bool needsWrite() const { return ecu != pending; }
};

struct LiveValues {
  int lambda1 = 0, lambda2 = 0;
  int kgbTable = 0, kgbCorrected = 0;
  int pressure1 = 0, pressure2 = 0;
  int temperature1 = 0, temperature2 = 0;  // temperature 2 is raw (degrees + 40)
  int rpm = 0, level = 0;
  std::array<int, 8> petrolTime{};  // injectors 1..8, microseconds
  int state = 0;                    // operating state code (live data)
  int fuelFlag = 0;                 // 1 = petrol, anything else = gas
  int kgbInUse = 0;
  int injectionTime = 0;
  int calState = 0;  // operating state code of the calibration live block
};

// Flags raised by the receive path and cleared by the screen waiting for them.
struct ReceivedFlags {
  bool paramSet = false;
  bool liveData = false;
  bool liveWatchdog = false;
  bool fuelSwitchAck = false;
  bool defaultsAck = false;
  bool downloadAck = false;
  bool version = false;
  bool table = false;
  bool calData = false;
  bool calOnAck = false;
  bool calOffAck = false;
  bool eolStartAck = false;
  bool injectorFlags = false;
  bool eolAnswerPending = false;  // set by the end-of-line window, cleared by type 15
};

struct BarRange {
  int fullScale = 0;
  int step = 0;
};

// End-of-line self-test report (answer type 15) and the window's emulation flags.
struct EolData {
  int testState = 0;
  int previousTestState = 0;
  std::array<int, 8> injectorStatus{};
  std::array<int, 9> checkBytes{};
  std::array<bool, 8> emulationFlags{};
};

// Mode flags of the vehicle calibration window, shared with its transfer logic,
// the automatic calibration and the main menu that resets them.
struct CalibState {
  bool storeRpm = false;
  bool storePressure = false;
  bool storeTemperature = false;
  bool coilCalibration = false;
  bool coilExitRequested = false;
  int coilCount = 1;
  bool calOffRequested = true;
  bool autoCalRequested = false;
  bool wholeTableFill = false;
  bool tableWriteRequested = false;  // left pending by the automatic calibration
  int lambdaShown = 1;
  int trialKgb = 0;
  std::array<int, 8> injectorFlags{};  // answer type 16
  // Automatic calibration: the stable-injection-time interval (kept for the run)
  // and the injection-time averages last measured on petrol and on gas.
  int autoInterval = 0;
  int petrolReference = 0;
  int gasReference = 0;
};

struct Shared {
  Shared() { resetRunDefaults(); }

  // Parameters 1..62 and cells 1..64; index 0 is unused so numbers index directly.
  std::array<ValuePair, kParamCount + 1> params{};
  std::array<ValuePair, kCellCount + 1> cells{};

  LiveValues live;
  ReceivedFlags received;
  EolData eol;
  CalibState calib;

  std::array<int, 3> version{};
  std::array<BarRange, 2> lambdaRange{};  // probe 1, probe 2
  double levelStep = 0.0;

  bool bulkTransfer = false;
  bool notConnected = false;
  bool softwareUpdateStarted = false;
  bool closeProgramOnMessage = false;
  int lostLinkCounter = 0;
  int handshakeAttempts = 0;

  // What the vehicle status window keeps between its openings (its averages
  // and sensor counters); the window owns the type.
  std::any statusMemory;

  int language = 1;  // 1 Italian, 2 English, 3 Turkish
  int portNumber = 1;
  std::string portSettings = "9600,n,8,1";
  // A device chosen in the serial settings dialog (typed path or a listed system
  // port); when empty the conventional device of portNumber is used.
  std::string portDevice;
  // A device given on the command line (--port, --simulate): where port 1 points.
  std::string commandLineDevice;

  // The values the start-up window sets when it loads.
  void resetRunDefaults() {
    language = 1;
    notConnected = false;
    softwareUpdateStarted = false;
    received.liveWatchdog = false;
    lostLinkCounter = 0;
    closeProgramOnMessage = false;
    bulkTransfer = false;
    portNumber = 1;
    portSettings = "9600,n,8,1";
  }

  ValuePair& param(int n) { return params.at(static_cast<std::size_t>(n)); }
  const ValuePair& param(int n) const { return params.at(static_cast<std::size_t>(n)); }
  ValuePair& cell(int n) { return cells.at(static_cast<std::size_t>(n)); }
  const ValuePair& cell(int n) const { return cells.at(static_cast<std::size_t>(n)); }
};

}  // namespace kelvo6::core
