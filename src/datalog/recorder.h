#pragma once
// A recording: told of every answer the receive path handled, it takes a
// sample of the live values when the answer is of a type it records, and hands
// it to the log writer. It sends nothing, so the window it records adds no
// frame to the line.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/shared.h"
#include "datalog/log_writer.h"
#include "link/answer_observer.h"

namespace kelvo6::datalog {

// What a window records: the answer types it polls and the channels they carry.
struct RecordingKind {
  std::vector<int> answerTypes;
  ChannelSet channels;
  const char* source;  // named in the log's first line
};
RecordingKind liveDataRecording(const char* source);     // answers of type 3
RecordingKind calibrationRecording(const char* source);  // types 10 and 13

class Recorder : public link::AnswerObserver {
 public:
  Recorder(const core::Shared& shared, RecordingKind kind, std::unique_ptr<LogWriter> writer, std::int64_t startMs);
  void answerHandled(int type, std::int64_t atMs) override;

  LogWriter& writer() { return *writer_; }
  std::int64_t startMs() const { return startMs_; }
  std::int64_t samples() const { return samples_; }
  const RecordingKind& kind() const { return kind_; }

 private:
  const core::Shared& shared_;
  RecordingKind kind_;
  std::unique_ptr<LogWriter> writer_;
  std::int64_t startMs_;
  std::int64_t samples_ = 0;
};

// The log's first line for a recording started now, from the shared state.
LogInfo logInfoFor(const core::Shared& shared, const std::string& programVersion, const std::string& port,
                   const std::string& startedIso, const char* source);

}  // namespace kelvo6::datalog
