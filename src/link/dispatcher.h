#pragma once
// The one receive handler: accepts a chunk, decodes it by answer type into the
// shared state, raises received flags and writes echoed values into windows.

#include "core/shared.h"
#include "link/display.h"
#include "link/frame.h"

namespace kelvo6::link {

class Dispatcher {
 public:
  Dispatcher(core::Shared& shared, Display& display) : s_(shared), display_(display) {}

  // Returns true when the chunk was acted on, false when it was dropped or ignored.
  bool handle(const Bytes& chunk);

 private:
  bool dispatch(const Response& r);
  void parameterSet(const Response& r);
  bool parameterEcho(const Response& r);
  void liveData(const Response& r);
  void version(const Response& r);
  void table(const Response& r);
  bool cellEcho(const Response& r);
  void calibrationBlock(const Response& r);
  void calibrationMode(bool on);
  void endOfLine(const Response& r);
  void injectorFlags(const Response& r);

  core::Shared& s_;
  Display& display_;
};

// Bar range of a lambda probe for its sensor type; false for an unknown type.
bool lambdaRangeFor(int sensorType, core::BarRange* range);
// Recompute what depends on parameters 3, 50, 19 and 20 from their ECU values.
void recomputeLambdaRange(core::Shared& s, int probe);
void recomputeLevelStep(core::Shared& s);
// "a.b.c" without leading zeros.
std::string versionString(int a, int b, int c);

}  // namespace kelvo6::link
