#pragma once
// Counts the requests the program writes to the line, by command code.

#include <cstdint>
#include <map>

#include "link/answer_observer.h"

namespace kelvo6::testing {

struct RequestCounter : link::AnswerObserver {
  void answerHandled(int, std::int64_t) override {}
  void requestSent(int command, std::int64_t) override { ++sent[command]; }
  std::map<int, int> sent;
};

}  // namespace kelvo6::testing
