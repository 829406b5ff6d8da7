// The multi-point window when things go wrong: the engine leaving a point,
// the line lost while measuring and while writing, points thrown away only
// when the fitter says so, a cell measured again, the ring on gas and the
// suggested next point.

#include <gtest/gtest.h>

#include <functional>

#include "calib/kgb_table.h"
#include "calib/multipoint_session.h"
#include "calib/multipoint_view.h"
#include "link/requests.h"
#include "platform/widgets.h"

namespace kelvo6::testing {
namespace {

// The cell of the ECU's table under a widget's centre.
int cellUnder(Harness& h, const char* name) {
  QRect r = h.control<QWidget>("MultiPoint", name)->geometry();
  const calib::GridGeometry g{calib::kCurrentTable};
  int column = (r.center().x() - g.left) / calib::kGridCellWidth, row = (r.center().y() - g.top) / calib::kGridCellHeight;
  return 8 * row + column + 1;
}

void lineBack(Harness& h) {
  h.restorePort();
  h.activate("Form1");
  h.click("Form1", "Command1");
  h.advance(2500);
  h.activate("MultiPoint");
  h.advance(600);
}

TEST(MultiPointTrust, TheEngineLeavingThePointRestartsThePhaseWithAMessageAndThePointStaysSound) {
  Harness h;
  h.ecu()->engine().setTrueKgb(110);
  ASSERT_TRUE(openMultiPoint(h));
  h.click("MultiPoint", "Command2");
  h.advance(15000);
  h.ecu()->engine().hold(2800, sim::Load::petrolTime(4000));
  EXPECT_TRUE(advanceUntil(h, [&] { return message(h).startsWith("Il regime ha lasciato il punto: riportarlo a 19"); }, 10000));
  h.ecu()->engine().hold(2000, sim::Load::petrolTime(4000));
  EXPECT_TRUE(advanceUntil(h, [&] { return message(h) == "Motore di nuovo al punto: misura in corso"; }, 10000));
  ASSERT_TRUE(advanceUntil(h, [&] { return multiPoint(h)->run().phase() == Phase::kFound; }, 600000, 300));
  EXPECT_NEAR(multiPoint(h)->run().trialKgb(), 110, 1);
}

TEST(MultiPointTrust, ALineLostMidPointTakesNoPoint) {
  struct Fault {
    const char* what;
    std::function<void(Harness&)> cut;
  };
  const Fault faults[] = {
      {"port lost", [](Harness& h) { h.losePort(); h.click("Form12", "Command1"); }},
      {"ECU silent", [](Harness& h) { h.ecu()->setSilent(true); }},
  };
  for (const Fault& f : faults) {
    SCOPED_TRACE(f.what);
    Harness h;
    ASSERT_TRUE(openMultiPoint(h));
    h.click("MultiPoint", "Command2");
    h.advance(12000);
    f.cut(h);
    h.advance(40000);
    EXPECT_EQ(multiPoint(h)->run().phase(), Phase::kIdle);
    EXPECT_TRUE(multiPoint(h)->run().points().empty());
    EXPECT_EQ(message(h), "Nessuna risposta dalla centralina: il punto non e stato preso");
    EXPECT_FALSE(enabled(h, "MultiPoint", "Command3"));
  }
}

TEST(MultiPointTrust, ALineLostMidApplySaysWhatWasWrittenAndFinishesOrRestoresOnceItIsBack) {
  for (const char* button : {"Command5", "Command7"}) {
    SCOPED_TRACE(button);
    Harness h;
    auto* w = openMultiPoint(h, 900, 3500);
    ASSERT_TRUE(takePoint(h, 900, 3500));
    std::array<int, 64> before{}, proposal = w->proposal()->cells;
    for (int n = 1; n <= 64; ++n) before[static_cast<std::size_t>(n - 1)] = h.ecu()->cell(n);
    h.click("MultiPoint", "Command5");
    h.advance(2000);
    h.losePort();
    h.click("Form12", "Command1");
    h.advance(600);
    // Written as far as the ECU confirmed: the write in flight may have landed unseen.
    int changes = 0, written = 0, landed = 0;
    for (std::size_t i = 0; i < 64; ++i) {
      bool change = before[i] != proposal[i];
      changes += change;
      written += change && h.shared().cell(static_cast<int>(i + 1)).ecu == proposal[i];
      landed += change && h.ecu()->cell(static_cast<int>(i + 1)) == proposal[i];
    }
    ASSERT_GT(written, 0);
    ASSERT_LT(written, changes);
    EXPECT_LE(landed - written, 1);
    EXPECT_TRUE(message(h).startsWith(QStringLiteral("Linea persa in scrittura: %1 di %2 celle scritte, non confermate: ")
                                          .arg(written).arg(changes)));
    EXPECT_FALSE(enabled(h, "MultiPoint", "Command5"));
    EXPECT_FALSE(enabled(h, "MultiPoint", "Command7"));
    EXPECT_FALSE(h.shared().calib.tableWriteRequested);  // nobody finishes it behind the fitter's back

    // The ECU was restarted meanwhile: calibration mode is asked for again.
    const link::Bytes off = link::calibrationOff();
    h.ecu()->receive(off.data(), off.size(), h.nowMs());
    ASSERT_FALSE(h.ecu()->memory().calibrationOn);
    lineBack(h);
    ASSERT_TRUE(enabled(h, "MultiPoint", button));
    h.click("MultiPoint", button);
    bool finish = QByteArray(button) == "Command5";
    ASSERT_TRUE(advanceUntil(h, [&] { return message(h).startsWith(finish ? "Tabella scritta" : "Tabella precedente"); },
                             30000));
    for (int n = 1; n <= 64; ++n)
      EXPECT_EQ(h.ecu()->cell(n), (finish ? proposal : before)[static_cast<std::size_t>(n - 1)]) << n;
    EXPECT_TRUE(h.ecu()->memory().calibrationOn);  // as it was before APPLY
  }
}

TEST(MultiPointTrust, DiscardAndExitAskBeforeThrowingPointsAway) {
  Harness h;
  ASSERT_TRUE(openMultiPoint(h));
  ASSERT_TRUE(takePoint(h, 2000, 4000));
  for (const char* button : {"Command6", "Command1"}) {
    h.setNextConfirmation(false);
    h.click("MultiPoint", button);
    h.advance(1000);
    EXPECT_FALSE(h.lastConfirmation().isEmpty()) << button;
    ASSERT_TRUE(h.window("MultiPoint")) << button;
    EXPECT_EQ(multiPoint(h)->run().points().size(), 1u) << button;
  }
  EXPECT_TRUE(h.ecu()->memory().calibrationOn);
  h.setNextConfirmation(true);
  h.click("MultiPoint", "Command6");
  EXPECT_TRUE(multiPoint(h)->run().points().empty());
}

TEST(MultiPointTrust, ACellMeasuredAgainTakesTheNewValue) {
  Harness h;
  h.ecu()->engine().setTrueKgb(110);
  auto* w = openMultiPoint(h);
  ASSERT_TRUE(takePoint(h, 2000, 4000));
  h.ecu()->engine().setTrueKgb(104);
  ASSERT_TRUE(takePoint(h, 2000, 4000));
  ASSERT_EQ(w->run().points().size(), 1u);
  EXPECT_NEAR(w->run().points()[0].k, 104, 1);
  int cell = h.ecu()->memory().cellAt(2000, 4000);
  EXPECT_EQ(w->proposal()->cells[static_cast<std::size_t>(cell - 1)], w->run().points()[0].k);
}

TEST(MultiPointTrust, OnGasTheRingMarksTheCellOfThePetrolDemand) {
  Harness h;
  h.ecu()->engine().setTrueKgb(100);  // gas time far below the petrol time at K 115
  ASSERT_TRUE(openMultiPoint(h));
  h.click("MultiPoint", "Command2");
  ASSERT_TRUE(advanceUntil(h, [&] { return h.shared().live.fuelFlag != 1; }, 120000));
  h.advance(3000);
  const int petrolCell = h.ecu()->memory().cellAt(2000, 4000);
  ASSERT_NE(h.ecu()->memory().cellAt(2000, h.shared().live.injectionTime), petrolCell);
  EXPECT_EQ(cellUnder(h, "Shape1"), petrolCell);
}

TEST(MultiPointTrust, TheSuggestedPointLiesInTheTableAndMovesOnAsPointsAreTaken) {
  Harness h;
  auto* w = openMultiPoint(h, 750, 2800);
  ASSERT_TRUE(takePoint(h, 750, 2800));
  for (int i = 0; i < 2; ++i) {
    auto cell = w->suggestedCell();
    ASSERT_TRUE(cell);
    EXPECT_EQ(cellUnder(h, "NextMarker"), *cell);
    // Held where the label says, the point falls in the suggested cell.
    int rpm = h.shared().param(calib::rpmAxisParam((*cell - 1) % 8 + 1)).ecu;
    int time = h.shared().param(calib::tinjAxisParam((*cell - 1) / 8 + 1)).ecu;
    EXPECT_TRUE(h.control<QLabel>("MultiPoint", "LabelNext")->text().startsWith(QStringLiteral("Prossimo punto da tenere: %1 giri, %2 usec").arg(rpm).arg(time)));
    ASSERT_TRUE(takePoint(h, rpm, time));
    EXPECT_EQ(h.ecu()->memory().cellAt(w->run().points().back().rpm, w->run().points().back().injectionTime), *cell);
    EXPECT_NE(w->suggestedCell(), cell);
  }
}

}  // namespace
}  // namespace kelvo6::testing
