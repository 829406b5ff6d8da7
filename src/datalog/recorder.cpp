#include "datalog/recorder.h"

#include <algorithm>

#include "link/dispatcher.h"
#include "link/params.h"

namespace kelvo6::datalog {

RecordingKind liveDataRecording(const char* source) { return {{3}, channelsOf(kLiveData), source}; }
RecordingKind calibrationRecording(const char* source) { return {{10, 13}, channelsOf(kCalibrationBlock), source}; }

Recorder::Recorder(const core::Shared& shared, RecordingKind kind, std::unique_ptr<LogWriter> writer,
                   std::int64_t startMs)
    : shared_(shared), kind_(std::move(kind)), writer_(std::move(writer)), startMs_(startMs) {}

void Recorder::answerHandled(int type, std::int64_t atMs) {
  if (std::find(kind_.answerTypes.begin(), kind_.answerTypes.end(), type) == kind_.answerTypes.end()) return;
  writer_->append(sampleOf(shared_.live, atMs - startMs_));
  ++samples_;
}

LogInfo logInfoFor(const core::Shared& s, const std::string& programVersion, const std::string& port,
                   const std::string& startedIso, const char* source) {
  LogInfo info;
  info.program = programVersion;
  if (!s.notConnected && s.received.version)
    info.ecuVersion = link::versionString(s.version[0], s.version[1], s.version[2]);
  info.port = port;
  info.started = startedIso;
  info.source = source;
  std::array<int, 8> rpm{}, tinj{};
  for (int p = 0; p < 8; ++p) {
    rpm[static_cast<std::size_t>(p)] = s.param(link::param::kRpmAxisFirst + p).ecu;
    tinj[static_cast<std::size_t>(p)] = s.param(link::param::kTinjAxisFirst + p).ecu;
  }
  info.rpmAxis = rpm;
  info.tinjAxis = tinj;
  info.switchRpm = s.param(link::param::kSwitchRpm).ecu;
  info.switchTemperature = s.param(link::param::kSwitchTemperature).ecu;
  return info;
}

}  // namespace kelvo6::datalog
