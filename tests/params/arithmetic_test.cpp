// Pure arithmetic of the parameter windows: entries, level lamps and
// thresholds, the transfer order, the defaults sequence, workbook values.

#include <gtest/gtest.h>

#include <set>

#include "params/archive.h"
#include "params/defaults.h"
#include "params/entry.h"
#include "params/level.h"
#include "params/transfer.h"

namespace kelvo6::params {
namespace {

TEST(Entry, AcceptsWholeNumbersUpToTheParameterRange) {
  EXPECT_EQ(parseEntry(" 350 ", kUnsigned16Max).value, 350);
  EXPECT_EQ(parseEntry("0", kSigned16Max).value, 0);
  EXPECT_EQ(parseEntry("007", kSigned16Max).value, 7);
  EXPECT_TRUE(parseEntry("32767", kSigned16Max).ok());
  EXPECT_TRUE(parseEntry("65535", kUnsigned16Max).ok());
}

TEST(Entry, RefusesWhatCannotBecomeAWireValue) {
  EXPECT_EQ(parseEntry("", kSigned16Max).problem, EntryProblem::kEmpty);
  EXPECT_EQ(parseEntry("   ", kSigned16Max).problem, EntryProblem::kEmpty);
  for (const char* t : {"abc", "-5", "12.5", "1e3", "+4", "3 5", "0x10"})
    EXPECT_EQ(parseEntry(t, kUnsigned16Max).problem, EntryProblem::kNotNumber) << t;
  EXPECT_EQ(parseEntry("32768", kSigned16Max).problem, EntryProblem::kOutOfRange);
  EXPECT_EQ(parseEntry("65536", kUnsigned16Max).problem, EntryProblem::kOutOfRange);
  EXPECT_EQ(parseEntry("99999999999999999999999", kUnsigned16Max).problem, EntryProblem::kOutOfRange);
}

TEST(Level, ThresholdReadingRisingAndFallingSender) {
  EXPECT_EQ(thresholdReading(0, 5000, 10), 500);
  EXPECT_EQ(thresholdReading(0, 5000, 45), 2250);
  EXPECT_EQ(thresholdReading(4000, 1000, 10), 3700);
  EXPECT_EQ(thresholdReading(1000, 1000, 50), 1000);
  // Halves go to the even neighbour: 0 + 25 * 0.5 = 12.5 -> 12; 37.5 -> 38.
  EXPECT_EQ(thresholdReading(0, 25, 50), 12);
  EXPECT_EQ(thresholdReading(0, 75, 50), 38);
}

TEST(Level, ThreeLampModelBoundariesCountAsPassed) {
  auto at = [](int level) { return *levelLamps(1, 0, 5000, 10, 30, 60, level); };
  EXPECT_TRUE(at(499).reserve);
  EXPECT_FALSE(at(500).reserve);
  EXPECT_EQ(at(500).levelLit, (std::array<bool, 4>{true, false, false, false}));
  EXPECT_EQ(at(1499).levelLit, (std::array<bool, 4>{true, false, false, false}));
  EXPECT_EQ(at(1500).levelLit, (std::array<bool, 4>{true, true, false, false}));
  EXPECT_EQ(at(3000).levelLit, (std::array<bool, 4>{true, true, true, false}));
  EXPECT_EQ(levelLamps(0, 0, 5000, 10, 30, 60, 100)->reserve, true);
}

TEST(Level, FallingSenderAndTheFourLampModel) {
  auto falling = [](int level) { return *levelLamps(1, 4000, 1000, 10, 30, 60, level); };
  EXPECT_TRUE(falling(3800).reserve);
  EXPECT_FALSE(falling(3700).reserve);
  EXPECT_TRUE(falling(3700).levelLit[0]);

  auto four = [](int level) { return *levelLamps(2, 0, 5000, 25, 50, 75, level); };
  EXPECT_TRUE(four(399).reserve);  // 8 % of 5000 is 400
  EXPECT_EQ(four(400).levelLit, (std::array<bool, 4>{false, false, false, true}));
  EXPECT_EQ(four(1250).levelLit, (std::array<bool, 4>{true, false, false, true}));
  EXPECT_EQ(four(5000).levelLit, (std::array<bool, 4>{true, true, true, true}));
  EXPECT_FALSE(levelLamps(3, 0, 5000, 10, 30, 60, 100).has_value());
}

TEST(Level, ReserveBlinksThreeTicksDarkThreeLit) {
  int counter = 0;
  std::string seen;
  for (int tick = 0; tick < 12; ++tick) {
    ReserveBlink b = reserveBlink(counter);
    counter = b.counter;
    seen += b.lit ? 'L' : '.';
  }
  EXPECT_EQ(seen, "..LLL...LLL.");
}

TEST(Level, SwitchModelThresholds) {
  EXPECT_FALSE(switchModelThresholds(0).has_value());
  EXPECT_EQ(*switchModelThresholds(1), (std::array<int, 3>{10, 30, 60}));
  EXPECT_EQ(*switchModelThresholds(2), (std::array<int, 3>{25, 50, 75}));
  EXPECT_FALSE(switchModelThresholds(3).has_value());
}

TEST(Transfer, FixedOrderOf61ParametersThenTheCells) {
  const auto& list = transferList();
  EXPECT_EQ(list.front().number, 19);
  EXPECT_FALSE(list.front().cell);
  EXPECT_EQ(list[44].number, 62);
  EXPECT_EQ(list[45].number, 34);
  EXPECT_EQ(list[60].number, 49);
  EXPECT_TRUE(list[61].cell);
  EXPECT_EQ(list[61].number, 1);
  EXPECT_EQ(list.back().number, 64);
  std::set<int> params;
  for (const auto& item : list)
    if (!item.cell) params.insert(item.number);
  EXPECT_EQ(params.size(), 61u);
  EXPECT_EQ(params.count(33), 0u);
}

TEST(Transfer, WalksFromTheTopAndSkipsEqualItems) {
  core::Shared s;
  EXPECT_FALSE(nextTransferItem(s).has_value());
  s.cell(64).pending = 7;
  s.param(12).pending = 2300;
  auto first = nextTransferItem(s);
  ASSERT_TRUE(first);
  EXPECT_EQ(transferWrite(*first, s), (link::Bytes{0x50, 0x43, 0x00, 0x09, 0x02, 0x00, 12, 8, 252}));
  s.param(12).ecu = 2300;
  EXPECT_EQ(transferWrite(*nextTransferItem(s), s), (link::Bytes{0x50, 0x43, 0x00, 0x07, 0x09, 64, 7}));
  s.param(33).pending = 1;  // not part of the transfer
  s.cell(64).ecu = 7;
  EXPECT_FALSE(nextTransferItem(s).has_value());
}

TEST(Defaults, RestoreThenParametersThenTable) {
  core::ReceivedFlags r;
  EXPECT_EQ(nextDefaultsStep(r), DefaultsStep::kRepeatRestore);
  r.defaultsAck = true;
  EXPECT_EQ(nextDefaultsStep(r), DefaultsStep::kReadParameterSet);
  r.table = true;  // a table before the parameter set still waits for the set
  EXPECT_EQ(nextDefaultsStep(r), DefaultsStep::kReadParameterSet);
  r.paramSet = true;
  r.table = false;
  EXPECT_EQ(nextDefaultsStep(r), DefaultsStep::kReadTable);
  r.table = true;
  EXPECT_EQ(nextDefaultsStep(r), DefaultsStep::kDone);
}

TEST(WorkbookValue, RoundsHalvesToEvenAndChecksTheRange) {
  using K = platform::WorkbookCell::Kind;
  auto number = [](double v) { return platform::WorkbookCell{K::kNumber, v, {}}; };
  auto text = [](const char* t) { return platform::WorkbookCell{K::kText, 0, t}; };
  EXPECT_EQ(workbookValue(number(97.5), kCellMax).value, 98);
  EXPECT_EQ(workbookValue(number(96.5), kCellMax).value, 96);
  EXPECT_EQ(workbookValue(platform::WorkbookCell{}, kParamMax).value, 0);
  EXPECT_EQ(workbookValue(number(-0.4), kCellMax).value, 0);
  EXPECT_EQ(workbookValue(number(255.4), kCellMax).value, 255);
  EXPECT_EQ(workbookValue(number(255.5), kCellMax).problem, CellProblem::kOutOfRange);
  EXPECT_EQ(workbookValue(number(-1), kParamMax).problem, CellProblem::kOutOfRange);
  EXPECT_EQ(workbookValue(number(65536), kParamMax).problem, CellProblem::kOutOfRange);
  EXPECT_EQ(workbookValue(text(" 350 "), kParamMax).value, 350);
  EXPECT_EQ(workbookValue(text("abc"), kParamMax).problem, CellProblem::kNotNumber);
  EXPECT_EQ(workbookValue(text("12abc"), kParamMax).problem, CellProblem::kNotNumber);
  EXPECT_EQ(workbookValue(platform::WorkbookCell{K::kBoolean, 1, {}}, kParamMax).problem, CellProblem::kNotNumber);
  EXPECT_EQ(workbookValue(platform::WorkbookCell{K::kError, 0, "#DIV/0!"}, kParamMax).problem,
            CellProblem::kNotNumber);
}

}  // namespace
}  // namespace kelvo6::params
