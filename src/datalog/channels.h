#pragma once
// The channels of a recording or a trace: one table (name, unit, default scale,
// how to read the value from the live values) used by the traces, the CSV
// header, the reader and the cursor readout.

#include <array>
#include <bitset>
#include <cstdint>
#include <optional>
#include <string_view>

#include "core/language.h"
#include "core/shared.h"

namespace kelvo6::datalog {

enum class Ch : int {
  kRpm,
  kLambda1,
  kLambda2,
  kPetrol1, kPetrol2, kPetrol3, kPetrol4, kPetrol5, kPetrol6, kPetrol7, kPetrol8,
  kGasTime,
  kKgbTable,
  kKgbCorrected,
  kPressure1,
  kPressure2,
  kTemperature1,
  kTemperature2,
  kLevel,
  kFuelFlag,
  kState,
  kKgbInUse,
  kInjectionTime,
  kCalState,
};
constexpr int kChannelCount = static_cast<int>(Ch::kCalState) + 1;
constexpr int index(Ch c) { return static_cast<int>(c); }
constexpr Ch petrol(int injector) { return static_cast<Ch>(index(Ch::kPetrol1) + injector - 1); }

using ChannelSet = std::bitset<kChannelCount>;

// Which answers carry a channel: live data (type 3) or the calibration live
// block (types 10 and 13).
enum Source : unsigned { kLiveData = 1u, kCalibrationBlock = 2u };

struct Channel {
  Ch id;
  const char* csvName;  // column heading in a log file, without the unit
  core::Text3 caption;  // shown beside the traces
  const char* unit;
  int scaleMin, scaleMax;  // default vertical scale of the trace
  int valueMin, valueMax;  // what a log file may hold
  bool step;               // a code or flag: drawn as steps, not lines
  unsigned sources;
  int (*read)(const core::LiveValues&);
};

const std::array<Channel, kChannelCount>& channels();
const Channel& channel(Ch c);
// The channel whose CSV heading is `heading` ("Engine speed (rpm)"), if any.
std::optional<Ch> channelByHeading(std::string_view heading);
// "Engine speed (rpm)": the CSV column heading of a channel.
std::string heading(Ch c);

// Every channel an answer source carries.
ChannelSet channelsOf(unsigned source);

// Gas injection time as the status window shows it: petrol time x corrected
// KGB / 100, in whole microseconds, rounded down, integer arithmetic only.
int gasTime(int petrolUs, int kgbCorrected);
// Temperature 2 arrives raw, degrees + 40.
constexpr int temperature2Celsius(int raw) { return raw - 40; }

struct Sample {
  std::int64_t tMs = 0;
  std::array<std::int32_t, kChannelCount> v{};
  std::int32_t& operator[](Ch c) { return v[static_cast<std::size_t>(index(c))]; }
  std::int32_t operator[](Ch c) const { return v[static_cast<std::size_t>(index(c))]; }
};

// A sample of every channel from the live values, at `tMs`.
Sample sampleOf(const core::LiveValues& live, std::int64_t tMs);

}  // namespace kelvo6::datalog
