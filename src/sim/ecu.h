#pragma once
// The simulated ECU: answers the sixteen requests with the layouts of the real
// one, keeps parameters, table and version, runs an engine model and the
// end-of-line self-test, and misbehaves on request. Plain C++: the caller gives
// it the time and moves its answers to the line.

#include <cstdint>
#include <deque>
#include <optional>
#include <vector>

#include "link/chunker.h"
#include "link/frame.h"
#include "sim/calibration_model.h"
#include "sim/engine_model.h"
#include "sim/gas_mixture.h"
#include "sim/line_timing.h"
#include "sim/memory.h"
#include "sim/self_test.h"

namespace kelvo6::sim {

using link::Bytes;

struct Faults {
  bool silent = false;
  int dropEvery = 0;         // drop every n-th answer (0: none)
  int splitGapMs = -1;       // 0 or more: send each answer in two halves this far apart
  int extraLatencyMs = 0;    // every answer this much later
  int wrongEchoParam = 0;    // the echo of this parameter carries a wrong value...
  int wrongEchoCount = 0;    // ...this many times (-1: always); the value is not stored
  int strayByteEvery = 0;    // a stray byte after every n-th answer (0: none)
};

// One write the ECU took, for checks that nothing was written with a wrong value.
struct WriteRecord {
  bool cell = false;
  int number = 0;
  int value = 0;
};

class Ecu {
 public:
  explicit Ecu(int latencyMs = 5);

  // Bytes from the PC that arrived at nowMs; the answers are queued with their due times.
  void receive(const std::uint8_t* data, std::size_t size, std::int64_t nowMs);
  void receive(const Bytes& bytes, std::int64_t nowMs) { receive(bytes.data(), bytes.size(), nowMs); }
  // Output due at or before nowMs, in order; each element is written to the line as one piece.
  std::vector<Bytes> takeDue(std::int64_t nowMs);
  std::optional<std::int64_t> nextDueMs() const;
  // Moves the engine model and the self-test to nowMs.
  void advanceTo(std::int64_t nowMs);

  int param(int n) const { return memory_.param(n); }
  void setParam(int n, int v) { memory_.params.at(static_cast<std::size_t>(n)) = v; }
  int cell(int n) const { return memory_.cell(n); }
  void setCell(int n, int v) { memory_.cells.at(static_cast<std::size_t>(n)) = v; }
  void setVersion(int a, int b, int c) { memory_.version = {a, b, c}; }
  void setSilent(bool silent) { faults_.silent = silent; }
  void setLatencyMs(int ms) { latencyMs_ = ms; }
  // Answers leave no faster than a line at this baud rate (0: at once, the default).
  void setLineBaud(int baud) { line_.setBaud(baud); }
  int lineBaud() const { return line_.baud(); }
  void restoreFactory();

  Faults& faults() { return faults_; }
  EcuMemory& memory() { return memory_; }
  const EcuMemory& memory() const { return memory_; }
  EngineModel& engine() { return engine_; }
  CalibrationModel& calibration() { return calibration_; }
  SelfTest& selfTest() { return selfTest_; }

  // What the ECU sees and applies at this moment: the engine's fuel (or the
  // fuel held in calibration mode), the cell it looks up, the coefficients and
  // the injection time it measures.
  GasState gas() const;
  // The live values the answers report at this moment.
  LiveSnapshot moment() const { return withGas(engine_.snapshot(memory_), gas()); }

  const std::vector<WriteRecord>& writes() const { return writes_; }
  // Requests received, by command code, in order.
  const std::vector<int>& requests() const { return requests_; }

 private:
  std::optional<Bytes> answer(const Bytes& request, std::int64_t nowMs);
  Bytes liveData() const;
  Bytes calibrationBlock(int type) const;
  Bytes endOfLineData() const;
  void queue(Bytes answer, LineTiming::Instant ready);

  struct Pending {
    std::int64_t dueMs;
    Bytes bytes;
  };

  int latencyMs_;
  EcuMemory memory_;
  EngineModel engine_;
  CalibrationModel calibration_;
  SelfTest selfTest_;
  Faults faults_;
  link::Chunker requestFramer_{link::FrameShapes::requests()};
  std::deque<Pending> outbox_;
  LineTiming line_;
  int answerCount_ = 0;
  std::vector<WriteRecord> writes_;
  std::vector<int> requests_;
};

}  // namespace kelvo6::sim
