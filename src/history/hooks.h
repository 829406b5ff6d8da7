#pragma once
// What windows tell the history, without knowing how it is kept.

namespace kelvo6::history {

class Journal;

class Hooks {
 public:
  virtual ~Hooks() = default;
  // The handshake has read the whole configuration: keep it as a restore point.
  virtual void handshakeComplete() = 0;
  virtual Journal& journal() = 0;
};

}  // namespace kelvo6::history
