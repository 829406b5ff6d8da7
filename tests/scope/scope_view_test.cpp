// What the fitter does with the traces: pause and scroll back while sampling
// goes on, choose channels, view a calibration log and go back to live; and
// the line's limit that the sample rate is shown against.

#include <QComboBox>
#include <QListWidget>
#include <QPushButton>

#include "datalog/log_writer.h"
#include "platform/serial_settings.h"
#include "scope/oscilloscope_window.h"
#include "scope/sampler.h"
#include "scope/trace_view.h"
#include "scope_support.h"

namespace kelvo6::testing {
namespace {

using datalog::Ch;


void check(Harness& h, Ch c, bool on) {
  auto* list = h.control<QListWidget>("Oscilloscope", "Channels");
  for (int i = 0; i < list->count(); ++i)
    if (list->item(i)->data(Qt::UserRole).toInt() == datalog::index(c))
      list->item(i)->setCheckState(on ? Qt::Checked : Qt::Unchecked);
}

TEST(ScopeView, PausedTracesStayPutWhileSamplingGoesOnAndScrollBack) {
  Harness h;
  openOscilloscope(h);
  h.setCombo("Oscilloscope", "TimeWindow", 0);  // 10 s
  h.advance(20000);
  auto* w = scopeOf(h);
  const std::int64_t end = w->traces()->spanEnd();
  EXPECT_NEAR(static_cast<double>(end), static_cast<double>(w->shown().lastMs()), 300.0);  // following

  h.click("Oscilloscope", "Pause");
  const std::size_t samples = w->shown().size();
  h.advance(5000);
  EXPECT_EQ(w->traces()->spanEnd(), end);  // frozen
  EXPECT_GT(w->shown().size(), samples + 500);  // still sampling
  h.setScroll("Oscilloscope", "TimeScroll", 0);
  EXPECT_EQ(w->traces()->spanStart(), w->shown().firstMs());  // back to the first sample

  h.click("Oscilloscope", "Pause");  // resume: follows the newest again
  h.advance(500);
  EXPECT_NEAR(static_cast<double>(w->traces()->spanEnd()), static_cast<double>(w->shown().lastMs()), 300.0);
}

TEST(ScopeView, ScrollingBackPausesTheLiveTraces) {
  Harness h;
  openOscilloscope(h);
  h.setCombo("Oscilloscope", "TimeWindow", 0);
  h.advance(30000);
  h.setScroll("Oscilloscope", "TimeScroll", 10);
  EXPECT_TRUE(h.control<QPushButton>("Oscilloscope", "Pause")->isChecked());
  const std::int64_t start = scopeOf(h)->traces()->spanStart();
  h.advance(3000);
  EXPECT_EQ(scopeOf(h)->traces()->spanStart(), start);
}

TEST(ScopeView, EachChosenChannelHasItsStrip) {
  Harness h;
  openOscilloscope(h);
  auto* w = scopeOf(h);
  EXPECT_EQ(w->traces()->channels(), (std::vector<Ch>{Ch::kRpm, Ch::kLambda1, Ch::kPetrol1, Ch::kGasTime, Ch::kState}));
  check(h, Ch::kLambda1, false);
  check(h, Ch::kPressure1, true);
  EXPECT_EQ(w->traces()->channels(), (std::vector<Ch>{Ch::kRpm, Ch::kPetrol1, Ch::kGasTime, Ch::kPressure1, Ch::kState}));
  h.advance(2000);
  EXPECT_GT(w->traces()->pointsDrawn(Ch::kPressure1), 10);
}

class ScopeLogs : public TempHome {};

TEST_F(ScopeLogs, ACalibrationLogOffersItsChannelsAndLiveComesBack) {
  std::filesystem::create_directories(logs());
  const std::string path = logs() + "/calibration.csv";
  auto writer = datalog::LogWriter::start(path, {}, datalog::channelsOf(datalog::kCalibrationBlock), nullptr);
  for (int t = 0; t < 5000; t += 300) {
    datalog::Sample s;
    s.tMs = t;
    s[Ch::kRpm] = 2000;
    s[Ch::kInjectionTime] = 4100;
    writer->append(s);
  }
  writer->stop();

  Harness h;
  openOscilloscope(h);
  h.advance(1000);
  h.setNextFileName(QString::fromStdString(path));
  h.click("Oscilloscope", "OpenLog");
  auto* w = scopeOf(h);
  ASSERT_TRUE(w->viewingLog());
  // The live channels the log lacks are offered no more; what it has is shown.
  for (Ch c : w->traces()->channels()) EXPECT_TRUE(w->shown().has(c)) << datalog::heading(c);
  EXPECT_FALSE(h.control<QPushButton>("Oscilloscope", "Record")->isEnabled());
  h.clearSent();
  h.advance(2000);
  EXPECT_TRUE(h.sent().empty());  // viewing a log: nothing asked of the ECU

  h.click("Oscilloscope", "LiveView");
  EXPECT_FALSE(w->viewingLog());
  h.advance(500);
  EXPECT_GT(h.sentWithCommand(3).size(), 20u);
  EXPECT_TRUE(h.control<QPushButton>("Oscilloscope", "Record")->isEnabled());
}

TEST(LineLimit, SamplesASecondTheLineCanCarry) {
  auto limit = [](const char* settings) { return scope::lineLimitPerSecond(*platform::parseSerialSettings(settings)); };
  EXPECT_DOUBLE_EQ(limit("9600,n,8,1"), 20.0);    // 48 bytes x 10 bits = 480 bits a sample
  EXPECT_DOUBLE_EQ(limit("57600,n,8,1"), 120.0);
  EXPECT_DOUBLE_EQ(limit("57600,e,8,2"), 100.0);  // 12 bits a byte
  EXPECT_NEAR(limit("1200,o,8,1.5"), 1200.0 / (11.5 * 48), 1e-9);
}

}  // namespace
}  // namespace kelvo6::testing
