// The KGB table model, the entry check and the writers' order.

#include <gtest/gtest.h>

#include "calib/kgb_table.h"
#include "calib/table_transfer.h"
#include "core/shared.h"

namespace kelvo6::calib {
namespace {

TEST(GridMapping, CornersOfTheCellBlockAndTheAxes) {
  EXPECT_EQ(gridFieldOfCell(1), 16);
  EXPECT_EQ(gridFieldOfCell(8), 23);
  EXPECT_EQ(gridFieldOfCell(9), 24);
  EXPECT_EQ(gridFieldOfCell(64), 79);
  EXPECT_EQ(cellNumber(1, 0), 9);
  EXPECT_EQ(cellNumber(7, 7), 64);
  GridSlot rpm1 = gridSlot(0), tinj8 = gridSlot(15), cell64 = gridSlot(79);
  EXPECT_FALSE(rpm1.isCell);
  EXPECT_EQ(rpm1.number, 34);
  EXPECT_EQ(tinj8.number, 49);
  EXPECT_EQ(tinj8.max(), 65535);
  EXPECT_TRUE(cell64.isCell);
  EXPECT_EQ(cell64.number, 64);
  EXPECT_EQ(cell64.max(), 255);
  EXPECT_EQ(gridFieldOfParam(36), 2);
  EXPECT_EQ(gridFieldOfParam(33), -1);
  EXPECT_EQ(gridFieldOfParam(50), -1);
}

TEST(EntryCheck, RefusesWhatCannotBecomeAWireValue) {
  EXPECT_EQ(checkEntry("", 255).problem, EntryProblem::kEmpty);
  EXPECT_EQ(checkEntry("   ", 255).problem, EntryProblem::kEmpty);
  EXPECT_EQ(checkEntry("12a", 255).problem, EntryProblem::kNotANumber);
  EXPECT_EQ(checkEntry("-5", 255).problem, EntryProblem::kNotANumber);
  EXPECT_EQ(checkEntry("1 2", 255).problem, EntryProblem::kNotANumber);
  EXPECT_EQ(checkEntry("256", 255).problem, EntryProblem::kOutOfRange);
  EXPECT_EQ(checkEntry("65536", 65535).problem, EntryProblem::kOutOfRange);
  // Far too many digits must not overflow into a small value.
  EXPECT_EQ(checkEntry("18446744073709551617", 65535).problem, EntryProblem::kOutOfRange);
  EXPECT_EQ(checkEntry(" 0255 ", 255).value, 255);
  EXPECT_EQ(checkEntry("65535", 65535).value, 65535);
  EXPECT_EQ(checkEntry("0", 255).value, 0);
}

class Writers : public ::testing::Test {
 protected:
  core::Shared s;
};

TEST_F(Writers, NothingDifferingMeansNothingToSend) {
  EXPECT_FALSE(nextTableWrite(s, false));
  EXPECT_FALSE(nextAutoCalibrationWrite(s));
}

TEST_F(Writers, CorrectivesInTheirOrderThenAxesThenCells) {
  s.cell(1).pending = 120;
  s.param(49).pending = 16000;
  s.param(34).pending = 700;
  s.param(27).pending = 12;
  s.param(22).pending = 90;
  s.param(24).pending = 3;
  s.param(21).pending = 2;
  std::vector<WriteStep> order;
  while (auto step = nextTableWrite(s, false)) {
    order.push_back(*step);
    auto& v = step->cell ? s.cell(step->number) : s.param(step->number);
    v.ecu = v.pending;  // the echo arrives
  }
  std::vector<WriteStep> expected{{false, 21, 2},   {false, 24, 3},    {false, 22, 90}, {false, 27, 12},
                                  {false, 34, 700}, {false, 49, 16000}, {true, 1, 120}};
  EXPECT_EQ(order, expected);
}

TEST_F(Writers, CellsOnlySkipsCorrectivesAndAxes) {
  s.param(21).pending = 2;
  s.param(40).pending = 6500;
  s.cell(40).pending = 100;
  auto step = nextTableWrite(s, true);
  ASSERT_TRUE(step);
  EXPECT_EQ(*step, (WriteStep{true, 40, 100}));
}

TEST_F(Writers, WholeTableFillSendsOnlyDifferingCellsInCellOrder) {
  for (int n = 1; n <= 64; ++n) s.cell(n).ecu = s.cell(n).pending = 110;
  s.cell(3).ecu = 115;
  s.cell(40).ecu = 104;
  fillWholeTable(s, 110);
  EXPECT_EQ(nextTableWrite(s, true)->number, 3);
  s.cell(3).ecu = 110;
  EXPECT_EQ(nextTableWrite(s, true)->number, 40);
  s.cell(40).ecu = 110;
  EXPECT_FALSE(nextTableWrite(s, true));
  EXPECT_EQ(s.param(34).pending, 0);  // the axes are not touched
}

TEST_F(Writers, AValueThatDoesNotFitTheWireIsNeverSent) {
  s.cell(5).pending = 300;
  s.cell(6).pending = -1;
  s.param(23).pending = 70000;
  s.cell(7).pending = 9;
  auto step = nextTableWrite(s, false);
  ASSERT_TRUE(step);
  EXPECT_EQ(*step, (WriteStep{true, 7, 9}));
}

TEST_F(Writers, AutomaticCalibrationWritesPressureThenTemperatureThenCells) {
  s.cell(2).pending = 112;
  s.param(28).pending = 84;
  s.param(29).pending = 1250;
  s.param(21).pending = 4;  // not this writer's
  EXPECT_EQ(nextAutoCalibrationWrite(s)->number, 29);
  s.param(29).ecu = 1250;
  EXPECT_EQ(nextAutoCalibrationWrite(s)->number, 28);
  s.param(28).ecu = 84;
  EXPECT_EQ(*nextAutoCalibrationWrite(s), (WriteStep{true, 2, 112}));
  s.cell(2).ecu = 112;
  EXPECT_FALSE(nextAutoCalibrationWrite(s));
}

TEST(WriteFrames, ParameterAndCellWritesOnTheWire) {
  EXPECT_EQ((WriteStep{false, 36, 2500}.frame()), (link::Bytes{0x50, 0x43, 0x00, 0x09, 0x02, 0x00, 36, 0x09, 0xC4}));
  EXPECT_EQ((WriteStep{true, 10, 200}.frame()), (link::Bytes{0x50, 0x43, 0x00, 0x07, 0x09, 10, 200}));
}

}  // namespace
}  // namespace kelvo6::calib
