// Pure arithmetic of the parameter windows: entries, level lamps and
// thresholds, the transfer order and its progress, the defaults sequence,
// workbook values and names.

#include <gtest/gtest.h>

#include <set>

#include "core/language.h"
#include "params/archive.h"
#include "params/defaults.h"
#include "params/entry.h"
#include "params/level.h"
#include "params/transfer.h"
#include "params/transfer_texts.h"

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
  // Exactly, where a floating-point product lands off the half: a span of
  // 109 mV at 50 % is 54.5 (to 54), and 14 mV at 75 % is 10.5 (to 10).
  EXPECT_EQ(thresholdReading(1000, 1109, 50), 1054);
  EXPECT_EQ(thresholdReading(1109, 1000, 50), 1055);
  EXPECT_EQ(thresholdReading(0, 14, 75), 10);
  EXPECT_EQ(thresholdReading(0, 65535, 100), 65535);
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

TEST(Transfer, FixedOrderOfTheParametersThenTheCellsThenTheInjectorModel) {
  const auto& list = transferList();
  EXPECT_EQ(list.front().number, 19);
  EXPECT_FALSE(list.front().cell);
  EXPECT_EQ(list[44].number, 62);
  EXPECT_EQ(list[45].number, 34);
  EXPECT_EQ(list[60].number, 49);
  EXPECT_TRUE(list[61].cell);
  EXPECT_EQ(list[61].number, 1);
  EXPECT_TRUE(list[124].cell);
  EXPECT_EQ(list[124].number, 64);
  // The gas injector model, which the listed order leaves out, goes last.
  EXPECT_EQ(list.back(), (TransferItem{false, 33}));
  std::set<int> params;
  for (const auto& item : list)
    if (!item.cell) params.insert(item.number);
  EXPECT_EQ(params.size(), 62u);
}

TEST(Transfer, WalksFromTheTopAndSkipsEqualItems) {
  core::Shared s;
  EXPECT_FALSE(nextTransferItem(s).has_value());
  s.cell(64).pending = 7;
  s.param(12).pending = 2300;
  s.param(33).pending = 1;
  auto first = nextTransferItem(s);
  ASSERT_TRUE(first);
  EXPECT_EQ(transferWrite(*first, s), (link::Bytes{0x50, 0x43, 0x00, 0x09, 0x02, 0x00, 12, 8, 252}));
  s.param(12).ecu = 2300;
  EXPECT_EQ(transferWrite(*nextTransferItem(s), s), (link::Bytes{0x50, 0x43, 0x00, 0x07, 0x09, 64, 7}));
  s.cell(64).ecu = 7;
  EXPECT_EQ(*nextTransferItem(s), (TransferItem{false, 33}));
  s.param(33).ecu = 1;
  EXPECT_FALSE(nextTransferItem(s).has_value());
}

// The ECU echoes whatever is sent at once.
void echo(core::Shared& s, const link::Bytes& frame) {
  if (frame[4] == 2) s.param(frame[6]).ecu = frame[7] * 256 + frame[8];
  if (frame[4] == 9) s.cell(frame[5]).ecu = frame[6];
}

TEST(BulkTransfer, CountsWhatTheEcuHoldsAndCompletes) {
  core::Shared s;
  s.param(4).pending = 350;
  s.param(33).pending = 1;
  s.cell(2).pending = 90;
  BulkTransfer t;
  t.start(s);
  EXPECT_TRUE(s.bulkTransfer);
  EXPECT_EQ(t.total(), 3);
  EXPECT_EQ(t.held(s), 0);
  echo(s, *t.tick(s));
  EXPECT_EQ(t.held(s), 1);
  EXPECT_EQ(t.notHeld(s), (std::vector<TransferItem>{{true, 2}, {false, 33}}));
  echo(s, *t.tick(s));
  echo(s, *t.tick(s));
  EXPECT_FALSE(t.tick(s).has_value());
  EXPECT_EQ(t.state(), BulkTransfer::State::kComplete);
  EXPECT_FALSE(s.bulkTransfer);
  EXPECT_EQ(t.held(s), 3);
}

TEST(BulkTransfer, ResumeSendsTheRestButKeepsWhatWasChangedByHandMeanwhile) {
  core::Shared s;
  for (int n : {3, 4, 31, 32}) s.param(n).pending = 100 + n;
  BulkTransfer t;
  t.start(s);
  link::Bytes first = *t.tick(s);  // 31 goes first in the list
  t.interrupt(s);
  echo(s, first);  // its echo was still on the line: held, not changed by hand
  EXPECT_FALSE(s.bulkTransfer);
  EXPECT_FALSE(t.tick(s).has_value());  // stopped: nothing more goes out
  EXPECT_EQ(t.notHeld(s), (std::vector<TransferItem>{{false, 32}, {false, 3}, {false, 4}}));
  // Meanwhile an editor writes 32 by hand, and another presses Modify on
  // unchanged fields, which makes 3 and 4 pending as the ECU holds them.
  s.param(32).pending = s.param(32).ecu = 999;
  s.param(3).pending = s.param(3).ecu;
  s.param(4).pending = s.param(4).ecu;
  t.resume(s);
  EXPECT_TRUE(s.bulkTransfer);
  EXPECT_EQ(t.total(), 3);  // 32 is the fitter's now
  while (auto frame = t.tick(s)) echo(s, *frame);
  EXPECT_EQ(s.param(32).ecu, 999);
  EXPECT_EQ(s.param(3).ecu, 103);
  EXPECT_EQ(s.param(4).ecu, 104);
  EXPECT_TRUE(t.notHeld(s).empty());
}

TEST(BulkTransfer, ProgressAndItemTexts) {
  core::Shared s;
  for (int n : {19, 20, 21, 22, 5}) s.param(n).pending = 7;
  for (int c = 1; c <= 64; ++c) s.cell(c).pending = 9;
  BulkTransfer t;
  EXPECT_EQ(transferStatusText(t, s, core::kEnglish), "");
  t.start(s);
  echo(s, *t.tick(s));
  EXPECT_EQ(transferStatusText(t, s, core::kEnglish), "Sending the configuration: 1 of 69 values sent");
  t.interrupt(s);
  EXPECT_EQ(transferStatusText(t, s, core::kEnglish),
            "Sending interrupted: 1 of 69 values sent. Not sent: parameters 5, 20-22; cells 1-64. CONTINUE sends "
            "the rest.");
  EXPECT_EQ(transferItemsText({{false, 33}, {true, 8}, {true, 10}}, core::kItalian), "parametro 33; celle 8, 10");
  t.resume(s);
  while (auto frame = t.tick(s)) echo(s, *frame);
  EXPECT_EQ(transferStatusText(t, s, core::kTurkish), "Degerler gonderildi: 69 deger");
  // A value that cannot go on the wire is never sent, and the end says so.
  s.param(7).pending = 70000;
  t.start(s);
  EXPECT_FALSE(t.tick(s).has_value());
  EXPECT_EQ(transferStatusText(t, s, core::kEnglish), "Configuration sent: 0 values. Not sent: parameter 7.");
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

TEST(WorkbookName, CarriesTheSuffixOfTheFormatWritten) {
  EXPECT_EQ(withWorkbookSuffix("/a/car.xlsx"), "/a/car.xlsx");
  EXPECT_EQ(withWorkbookSuffix("/a/car.XLSX"), "/a/car.XLSX");
  EXPECT_EQ(withWorkbookSuffix("/a/car.xls"), "/a/car.xlsx");
  EXPECT_EQ(withWorkbookSuffix("/a/car.ods"), "/a/car.xlsx");
  EXPECT_EQ(withWorkbookSuffix("/a/Fiat.Punto"), "/a/Fiat.Punto.xlsx");
  EXPECT_EQ(withWorkbookSuffix("/a.b/car"), "/a.b/car.xlsx");
  EXPECT_EQ(withWorkbookSuffix("/a/car."), "/a/car.xlsx");
  EXPECT_EQ(withWorkbookSuffix(""), "");
}

}  // namespace
}  // namespace kelvo6::params
