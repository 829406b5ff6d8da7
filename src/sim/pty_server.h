#pragma once
// Serves a simulated ECU on a pseudo-terminal: the PC side opens the slave
// device like any serial port. POSIX only; runs its own loop on a real clock.

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>

#include "sim/ecu.h"

namespace kelvo6::sim {

class PtyServer {
 public:
  explicit PtyServer(Ecu& ecu);
  ~PtyServer();
  PtyServer(const PtyServer&) = delete;
  PtyServer& operator=(const PtyServer&) = delete;

  // Creates the pseudo-terminal; false with a reason when that fails.
  bool open(std::string* error);
  const std::string& devicePath() const { return slavePath_; }
  // Keeps a symbolic link at `path` pointing at the device (removed on destruction).
  bool makeLink(const std::string& path, std::string* error);

  // Paces the answers at the baud rate the program set on its end of the line
  // (read whenever bytes arrive), as a real ECU's line would run.
  void followLineSpeed(bool follow) { followLineSpeed_ = follow; }
  // The baud rate set on the line now, 0 when unknown.
  int lineSpeed() const;

  // Serves until stop() is called from any thread.
  void run();
  void stop() { stopping_ = true; }

  // Called on the server's thread once per loop turn with the clock in ms.
  std::function<void(std::int64_t nowMs)> onTick;

 private:
  std::int64_t nowMs() const;

  Ecu& ecu_;
  int master_ = -1;
  int slaveKeepAlive_ = -1;
  std::string slavePath_;
  std::string linkPath_;
  std::atomic<bool> stopping_{false};
  bool followLineSpeed_ = false;
  std::int64_t startNs_ = 0;
};

}  // namespace kelvo6::sim
