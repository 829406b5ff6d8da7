#include "datalog/channels.h"

#include <string>

namespace kelvo6::datalog {

namespace {

constexpr int kWord = 65535;
constexpr int kByte = 255;
constexpr unsigned kBoth = kLiveData | kCalibrationBlock;
constexpr int kMaxGasTime = static_cast<int>(std::int64_t{kWord} * kWord / 100);

template <int N>
int petrolOf(const core::LiveValues& l) {
  return l.petrolTime[N];
}

#define PETROL(n)                                                                                         \
  Channel {                                                                                               \
    Ch::kPetrol##n, "Petrol time " #n, {"Tinj benzina " #n, "Petrol time " #n, "Benzin suresi " #n}, "us", \
        0, 20000, 0, kWord, false, kLiveData, petrolOf<(n)-1>                                             \
  }

constexpr std::array<Channel, kChannelCount> kChannels{{
    {Ch::kRpm, "Engine speed", {"Giri motore", "Engine speed", "Motor devri"}, "rpm", 0, 7000, 0, kWord, false, kBoth,
     [](const core::LiveValues& l) { return l.rpm; }},
    {Ch::kLambda1, "Lambda 1", {"Lambda 1", "Lambda 1", "Lambda 1"}, "mV", 0, 1000, 0, kWord, false, kBoth,
     [](const core::LiveValues& l) { return l.lambda1; }},
    {Ch::kLambda2, "Lambda 2", {"Lambda 2", "Lambda 2", "Lambda 2"}, "mV", 0, 1000, 0, kWord, false, kBoth,
     [](const core::LiveValues& l) { return l.lambda2; }},
    PETROL(1), PETROL(2), PETROL(3), PETROL(4), PETROL(5), PETROL(6), PETROL(7), PETROL(8),
    {Ch::kGasTime, "Gas time 1", {"Tinj gas 1", "Gas time 1", "Gaz suresi 1"}, "us", 0, 20000, 0,
     kMaxGasTime, false, kLiveData,
     [](const core::LiveValues& l) { return gasTime(l.petrolTime[0], l.kgbCorrected); }},
    {Ch::kKgbTable, "KGB table", {"KGB tabella", "KGB table", "KGB tablo"}, "", 0, 255, 0, kWord, false, kLiveData,
     [](const core::LiveValues& l) { return l.kgbTable; }},
    {Ch::kKgbCorrected, "KGB corrected", {"KGB corretto", "KGB corrected", "KGB duzeltilmis"}, "%", 0, 255, 0, kWord,
     false, kLiveData, [](const core::LiveValues& l) { return l.kgbCorrected; }},
    {Ch::kPressure1, "Pressure 1", {"Pressione 1", "Pressure 1", "Basinc 1"}, "mbar", 0, 3000, 0, kWord, false, kBoth,
     [](const core::LiveValues& l) { return l.pressure1; }},
    {Ch::kPressure2, "Pressure 2", {"Pressione 2", "Pressure 2", "Basinc 2"}, "mbar", 0, 3000, 0, kWord, false, kBoth,
     [](const core::LiveValues& l) { return l.pressure2; }},
    {Ch::kTemperature1, "Temperature 1", {"Temperatura 1", "Temperature 1", "Sicaklik 1"}, "°C", 0, 120, 0, kWord,
     false, kBoth, [](const core::LiveValues& l) { return l.temperature1; }},
    {Ch::kTemperature2, "Temperature 2", {"Temperatura 2", "Temperature 2", "Sicaklik 2"}, "°C", -40, 120,
     temperature2Celsius(0), temperature2Celsius(kWord), false, kBoth,
     [](const core::LiveValues& l) { return temperature2Celsius(l.temperature2); }},
    {Ch::kLevel, "Level", {"Livello", "Level", "Seviye"}, "mV", 0, 5000, 0, kWord, false, kLiveData,
     [](const core::LiveValues& l) { return l.level; }},
    {Ch::kFuelFlag, "Fuel flag", {"Carburante", "Fuel flag", "Yakit"}, "", 0, 1, 0, kByte, true, kBoth,
     [](const core::LiveValues& l) { return l.fuelFlag; }},
    {Ch::kState, "Operating state", {"Stato", "Operating state", "Calisma durumu"}, "", 0, 20, 0, kByte, true,
     kLiveData, [](const core::LiveValues& l) { return l.state; }},
    {Ch::kKgbInUse, "KGB in use", {"KGB in uso", "KGB in use", "Aktif KGB"}, "", 0, 255, 0, kWord, false,
     kCalibrationBlock, [](const core::LiveValues& l) { return l.kgbInUse; }},
    {Ch::kInjectionTime, "Injection time", {"Tinj", "Injection time", "Enjeksiyon suresi"}, "us", 0, 20000, 0, kWord,
     false, kCalibrationBlock, [](const core::LiveValues& l) { return l.injectionTime; }},
    {Ch::kCalState, "Calibration state", {"Stato taratura", "Calibration state", "Kalibrasyon durumu"}, "", 0,
     20, 0, kByte, true, kCalibrationBlock, [](const core::LiveValues& l) { return l.calState; }},
}};

#undef PETROL

constexpr bool tableInOrder() {
  for (int i = 0; i < kChannelCount; ++i)
    if (index(kChannels[static_cast<std::size_t>(i)].id) != i) return false;
  return true;
}
static_assert(tableInOrder(), "the channel table is indexed by Ch");

}  // namespace

const std::array<Channel, kChannelCount>& channels() { return kChannels; }
const Channel& channel(Ch c) { return kChannels[static_cast<std::size_t>(index(c))]; }

std::string heading(Ch c) {
  const Channel& ch = channel(c);
  std::string h = ch.csvName;
  if (*ch.unit) h += std::string(" (") + ch.unit + ")";
  return h;
}

std::optional<Ch> channelByHeading(std::string_view h) {
  for (const Channel& c : kChannels)
    if (heading(c.id) == h) return c.id;
  return std::nullopt;
}

ChannelSet channelsOf(unsigned source) {
  ChannelSet set;
  for (const Channel& c : kChannels)
    if (c.sources & source) set.set(static_cast<std::size_t>(index(c.id)));
  return set;
}

int gasTime(int petrolUs, int kgbCorrected) {
  return static_cast<int>(static_cast<std::int64_t>(petrolUs) * kgbCorrected / 100);
}

Sample sampleOf(const core::LiveValues& live, std::int64_t tMs) {
  Sample s;
  s.tMs = tMs;
  for (const Channel& c : kChannels) s[c.id] = c.read(live);
  return s;
}

}  // namespace kelvo6::datalog
