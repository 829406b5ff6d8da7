// A K search at held operating points against the simulated ECU on virtual
// time, as the automatic calibration does it: with calibration mode on, the
// injection time on gas with the trial KGB is compared with the one on petrol
// and the trial KGB moved until they match. It must end on the car's true
// value at the cell of the held point.

#include <gtest/gtest.h>

#include "link/frame.h"
#include "link/requests.h"
#include "sim/ecu.h"

namespace kelvo6::sim {
namespace {

class Bench {
 public:
  Bench() { ecu.receive(link::calibrationOn(), now); }

  // The block answer to read calibration data with `k`, polled 300 ms apart.
  link::Bytes poll(int k) {
    now += 300;
    ecu.receive(link::readCalibrationData(k), now);
    auto out = ecu.takeDue(now + 100);
    return out.empty() ? link::Bytes{} : out.back();
  }
  // Average injection time over ten polls after three seconds to settle, on the fuel asked for.
  int measure(int k, bool gas) {
    link::Bytes b = poll(k);
    if (link::Response(b).byte(25) != (gas ? 0 : 1)) ecu.receive(link::switchFuel(), now);
    for (int i = 0; i < 10; ++i) poll(k);
    int sum = 0;
    for (int i = 0; i < 10; ++i) {
      link::Bytes answer = poll(k);
      sum += link::Response(answer).word(22);
    }
    return sum / 10;
  }
  // Moves K until gas matches petrol within `interval` microseconds.
  int search(int k, int interval) {
    for (int round = 0; round < 30; ++round) {
      const int petrol = measure(k, false), gas = measure(k, true);
      const int deviation = petrol - gas;  // gas shorter: the trial KGB is too rich
      if (std::abs(deviation) < interval) return k;
      const int step = std::abs(deviation) / 200;  // the automatic calibration's step
      k = std::clamp(deviation > 0 ? k - step : k + step, 100, 115);
    }
    return -1;
  }

  Ecu ecu;
  std::int64_t now = 0;
};

TEST(HeldPointSearch, EndsOnTheTrueValueOfTheHeldCell) {
  const TrueMap car = TrueMap::builtIn();
  // Every cell, held where the marker is well inside it: on an RPM axis point,
  // an eighth of the way from a TINJ axis point to the next.
  for (int cell = 1; cell <= 64; ++cell) {
    Bench b;
    const std::array<int, 8> rpm = b.ecu.memory().rpmAxis(), tinj = b.ecu.memory().tinjAxis();
    const auto r = static_cast<std::size_t>((cell - 1) / 8), c = static_cast<std::size_t>((cell - 1) % 8);
    const int time = r < 7 ? tinj[r] + (tinj[r + 1] - tinj[r]) / 8 : tinj[7];
    ASSERT_EQ(b.ecu.memory().cellAt(rpm[c], time), cell);
    b.ecu.engine().hold(rpm[c], Load::petrolTime(time));
    b.now = 5000;
    b.ecu.advanceTo(b.now);
    EXPECT_EQ(b.search(115, 100), car.cell(cell)) << "cell " << cell;
  }
}

}  // namespace
}  // namespace kelvo6::sim
