#pragma once
// What windows tell the history, without knowing how it is kept.

#include <string>

namespace kelvo6::history {

class Journal;

class Hooks {
 public:
  virtual ~Hooks() = default;
  // The handshake has read the whole configuration: keep it as a restore
  // point, under the vehicle name the fitter gave ("" = suggest one).
  virtual void handshakeComplete(const std::string& vehicle) = 0;
  virtual Journal& journal() = 0;
};

}  // namespace kelvo6::history
