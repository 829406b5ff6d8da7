// End-of-line results in the history database: a scanned unit is tested with
// the version of the ECU on the fixture (also after a swap), and its row names
// the unit, the station and each failed check.

#include <gtest/gtest.h>

#include <QLabel>

#include "app/app.h"
#include "history/service.h"
#include "link/requests.h"
#include "sim/ecu.h"
#include "support/harness.h"

namespace kelvo6::testing {
namespace {

QString message(Harness& h) { return h.control<QLabel>("Form9", "Label12")->text(); }

void tickUntil(Harness& h, const std::function<bool()>& done) {
  for (int i = 0; i < 300 && !done(); ++i) h.advance(200);
}

// Takes a unit through the key cycle to RESET OK, started by scanning its
// number (and Enter) or, with no serial, by the EOL button.
void testUnit(Harness& h, const QString& serial) {
  if (serial.isEmpty()) {
    h.click("Form9", "Command2");
  } else {
    h.setText("Form9", "UnitText", serial);
    h.typeKeys("Form9", "UnitText", "\r");
  }
  tickUntil(h, [&] { return message(h).startsWith("CHIAVE OFF ENTRO"); });
  h.ecu()->selfTest().setKeyOff(true, h.nowMs());
  tickUntil(h, [&] { return message(h) == "CHIAVE OFF - PORTARLA SU ON"; });
  h.ecu()->selfTest().setKeyOff(false, h.nowMs());
  tickUntil(h, [&] { return message(h) == "RESET OK"; });
  ASSERT_EQ(message(h), "RESET OK");
}

HarnessOptions historyOptions() {
  HarnessOptions o;
  o.keepsHistory = true;
  return o;
}

// Connects to an ECU with software 3.1.4 and opens the end-of-line window.
void openEndOfLine(Harness& h) {
  h.ecu()->setVersion(3, 1, 4);
  h.click("Form1", "Command1");
  h.advance(2500);
  h.click("Form2", "Command2");
}

// The end-of-line rows in the database once everything queued is stored.
std::vector<history::EolResult> recordedResults(Harness& h) {
  history::Service& service = *h.app().historyService();
  service.flush();
  std::optional<std::vector<history::EolResult>> rows;
  std::string error;
  EXPECT_TRUE(service.run([&](history::Store& s) { rows = s.eolResults(&error); }, &error)) << error;
  return rows.value_or(std::vector<history::EolResult>{});
}

TEST(HistoryEndOfLine, ScannedUnitsAreRecordedWithTheEcuOnTheFixtureAndTheirChecksByName) {
  Harness h(historyOptions());
  openEndOfLine(h);
  h.clearSent();
  h.typeKeys("Form9", "UnitText", "\r");
  EXPECT_TRUE(h.sent().empty()) << "an empty unit number is refused";
  EXPECT_TRUE(message(h).contains("MATRICOLA"));

  struct Unit {
    const char* serial;
    int minor;
    bool failing;
  } units[] = {{"SN-0001", 1, false}, {"SN-0002", 7, true}};  // the second swapped in, with other software
  for (const Unit& u : units) {
    h.ecu()->setVersion(3, u.minor, 4);
    if (u.failing) h.ecu()->selfTest().failOneCheck();
    testUnit(h, u.serial);
  }
  std::vector<history::EolResult> rows = recordedResults(h);
  ASSERT_EQ(rows.size(), 2u);
  for (std::size_t i = 0; i < 2; ++i) {
    const history::EolResult& r = rows[i];
    EXPECT_EQ(r.unit, units[i].serial);
    EXPECT_EQ(r.ecuSoftware, "3." + std::to_string(units[i].minor) + ".4");
    EXPECT_EQ(r.result, units[i].failing ? "FAIL" : "PASS");
    EXPECT_EQ(r.failedChecks.empty(), !units[i].failing) << r.failedChecks;
    EXPECT_FALSE(r.station.empty());
    EXPECT_FALSE(r.toolVersion.empty());
  }
}

// Started by the EOL button, a unit has only the version the main menu read:
// right for the first unit, unknown for the next one swapped in, never the
// first unit's version again.
TEST(HistoryEndOfLine, UnitsStartedByTheButtonNeverCarryAnEarlierUnitsVersion) {
  Harness h(historyOptions());
  openEndOfLine(h);
  testUnit(h, "");
  h.ecu()->setVersion(3, 7, 4);
  testUnit(h, "");
  std::vector<history::EolResult> rows = recordedResults(h);
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0].ecuSoftware, "3.1.4");
  EXPECT_EQ(rows[1].ecuSoftware, "");
}

}  // namespace
}  // namespace kelvo6::testing
