// The gas ECU's view of the car: the cell it looks up is the cell of the
// injection time it measures and reports, and on gas that time is trimmed by
// the distance between the applied and the true coefficient.

#include "sim/gas_mixture.h"

#include <gtest/gtest.h>

#include "link/dispatcher.h"
#include "link/requests.h"
#include "sim/ecu.h"
#include "sim/factory.h"

namespace kelvo6::sim {
namespace {

// The factory memory has RPM 650 1000 2000 ..., TINJ 2000 3500 5000 7000 ... and 115 in
// every cell.
// Rows 2 and 3 of the column at 2000 rpm (cells 19 and 27) need these values, the rest 115.
TrueMap carNeeding(int row2, int row3) {
  std::string text;
  for (int n = 1; n <= 64; ++n) text += std::to_string(n == 19 ? row2 : n == 27 ? row3 : 115) + " ";
  return *TrueMap::parse(text, nullptr);
}

TEST(GasMixture, OnPetrolTheDemandIsMeasuredAsItIs) {
  GasState g = resolveGas({2000, 5600, false, 0}, factoryMemory(), carNeeding(119, 118));
  EXPECT_EQ(g.measuredUs, 5600);
  EXPECT_EQ(g.cell, 19);
  EXPECT_EQ(g.tableKgb, 115);
  EXPECT_EQ(g.appliedKgb, 115);
  EXPECT_EQ(g.trueKgb, 119);
  EXPECT_EQ(g.mixtureError(), 0);
  EXPECT_DOUBLE_EQ(g.trim, 1.0);
}

TEST(GasMixture, OnGasTheCarTrimsByTheGapToItsNeedAtTheCell) {
  EcuMemory m = factoryMemory();
  GasState matched = resolveGas({2000, 5600, true, 0}, m, TrueMap::flat(115));
  EXPECT_EQ(matched.measuredUs, 5600);
  GasState lean = resolveGas({2000, 5600, true, 0}, m, TrueMap::flat(117));
  EXPECT_EQ(lean.measuredUs, 6160);  // 2 units lean: 10 % longer, still in row 2
  EXPECT_EQ(lean.cell, 19);
  EXPECT_EQ(lean.mixtureError(), 2);
  EXPECT_NEAR(lean.trim, 1.1, 1e-9);
  // In calibration mode the trial KGB applies in every cell.
  GasState trial = resolveGas({2000, 5600, true, 112}, m, TrueMap::flat(117));
  EXPECT_EQ(trial.appliedKgb, 112);
  EXPECT_EQ(trial.tableKgb, 115);
  EXPECT_EQ(trial.measuredUs, 7000);
}

TEST(GasMixture, TheTrimCarriesThePointIntoTheCellWhereItSettles) {
  // Row 2 lean by 4 pushes 5600 us to 6720, into row 3; row 3, lean by 3,
  // keeps it there at 6440.
  GasState g = resolveGas({2000, 5600, true, 0}, factoryMemory(), carNeeding(119, 118));
  EXPECT_EQ(g.measuredUs, 6440);
  EXPECT_EQ(g.cell, 27);
  EXPECT_EQ(g.trueKgb, 118);
  EXPECT_EQ(g.mixtureError(), 3);
}

TEST(GasMixture, ACorrectionSwingingAcrossARowBoundarySettlesOnIt) {
  // Lean in row 2 pushes the time into row 3; rich in row 3 pulls it back.
  EcuMemory m = factoryMemory();
  GasState g = resolveGas({2000, 5600, true, 0}, m, carNeeding(119, 113));
  EXPECT_EQ(g.cell, 27);
  EXPECT_EQ(core::rowAt(g.measuredUs, m.tinjAxis()), 3);
  EXPECT_EQ(core::rowAt(g.measuredUs - 1, m.tinjAxis()), 2);
  EXPECT_GT(g.measuredUs, 5600 * 9 / 10);
  EXPECT_LT(g.measuredUs, 5600 * 12 / 10);
}

TEST(GasMixture, TheLambdaCorrectiveClosesTheGapUpToItsLimitAboveItsSpeed) {
  EcuMemory m = factoryMemory();
  m.params[24] = 3;     // maximum variation
  m.params[25] = 1500;  // active above this speed
  GasState g = resolveGas({2000, 5000, true, 0}, m, TrueMap::flat(120));
  EXPECT_EQ(g.tableKgb, 115);
  EXPECT_EQ(g.correctedKgb, 118);
  EXPECT_EQ(g.appliedKgb, 118);
  EXPECT_EQ(g.mixtureError(), 2);
  EXPECT_EQ(resolveGas({1400, 5000, true, 0}, m, TrueMap::flat(120)).correctedKgb, 115);
  EXPECT_EQ(resolveGas({2000, 5000, true, 0}, m, TrueMap::flat(113)).correctedKgb, 113);  // rich: fully closed
  EXPECT_EQ(resolveGas({2000, 5000, false, 0}, m, TrueMap::flat(120)).correctedKgb, 115);
  EXPECT_EQ(resolveGas({2000, 5000, true, 110}, m, TrueMap::flat(120)).appliedKgb, 110);
}

TEST(GasMixture, TheCellLookedUpIsAlwaysTheCellOfTheReportedTime) {
  EcuMemory m = factoryMemory();
  for (int n = 1; n <= 64; ++n) m.cells[static_cast<std::size_t>(n)] = 100 + (n * 7) % 16;  // a rough table
  const TrueMap car = TrueMap::builtIn();
  for (int trial : {0, 100, 108, 115})
    for (int rpm = 500; rpm <= 7600; rpm += 350)
      for (int demand = 0; demand <= 16000; demand += 125) {
        GasState g = resolveGas({rpm, demand, true, trial}, m, car);
        ASSERT_EQ(g.cell, m.cellAt(rpm, g.measuredUs)) << rpm << " " << demand << " " << trial;
        ASSERT_EQ(g.tableKgb, m.cell(g.cell));
        ASSERT_EQ(g.trueKgb, car.cell(g.cell));
        if (demand == 0) {
          ASSERT_EQ(g.measuredUs, 0);
        }
      }
}

// Both answers of the ECU on gas tell one story: the eight petrol times and the
// calibration block's injection time are the trimmed ones, and the KGB in use
// is the table value of the cell that time falls in.
TEST(GasMixture, LiveDataAndCalibrationBlockAgreeOnGas) {
  Ecu ecu(0);
  ecu.engine().setTrueMap(TrueMap::builtIn());
  for (int n = 1; n <= 64; ++n) ecu.setCell(n, 104 + n % 8);  // a table that does not match the car
  ecu.engine().setRpm(2400);
  ecu.engine().setPetrolTime(4800);
  ecu.engine().setTemperature(80);  // warm at start: the kit changes over to gas at once
  auto ask = [&](const link::Bytes& q, std::int64_t at) {
    ecu.receive(q, at);
    return ecu.takeDue(at + 100).at(0);
  };
  const link::Bytes liveAnswer = ask(link::readLiveData(), 60000);
  const link::Bytes blockAnswer = ask(link::readCalibrationData(0), 60000);
  const link::Response live(liveAnswer), block(blockAnswer);
  ASSERT_EQ(live.byte(43), 0) << "on gas";
  const int measured = block.word(22), kgbInUse = block.word(18);
  EXPECT_EQ(live.word(26), measured);
  EXPECT_NE(measured, 4800);  // the table is wrong here, so the car trims
  const int cell = ecu.memory().cellAt(block.word(20), measured);
  EXPECT_EQ(kgbInUse, ecu.cell(cell));
  EXPECT_EQ(live.word(10), ecu.cell(cell));
  // The other injectors carry the same trim.
  const double trim = measured / 4800.0;
  for (int i = 1; i < 4; ++i) EXPECT_NEAR(live.word(26 + 2 * i), (4800 + 10 * i) * trim, 1.0) << i;
}

}  // namespace
}  // namespace kelvo6::sim
