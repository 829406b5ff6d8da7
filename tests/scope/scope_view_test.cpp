// What the fitter does with the traces: pause and scroll back while sampling
// goes on, choose channels, view a calibration log and go back to live; and
// the line's limit that the sample rate is shown against.

#include <QComboBox>
#include <QFontMetricsF>
#include <cmath>
#include <QListWidget>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QValueAxis>

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

// The first `count` channels offered chosen, the others not, as one change of the list.
void chooseFirst(Harness& h, int count) {
  auto* list = h.control<QListWidget>("Oscilloscope", "Channels");
  {
    const QSignalBlocker quiet(list);
    for (int i = 0, ticked = 0; i < list->count(); ++i) {
      const bool offered = list->item(i)->flags() & Qt::ItemIsEnabled;
      list->item(i)->setCheckState(offered && ticked < count ? Qt::Checked : Qt::Unchecked);
      if (offered) ++ticked;
    }
  }
  list->item(0)->setCheckState(Qt::Unchecked);
  list->item(0)->setCheckState(Qt::Checked);
}

bool roundStep(double step) {
  const double decade = std::pow(10.0, std::floor(std::log10(step) + 1e-9));
  const double m = step / decade;
  return std::abs(m - 1) < 1e-9 || std::abs(m - 2) < 1e-9 || std::abs(m - 5) < 1e-9;
}

TEST(ScopeView, ManyChannelsScrollWithReadableStripsAndTimeLabelsAtRoundTimesInSight) {
  Harness h;
  openOscilloscope(h);
  h.advance(2000);
  auto* w = scopeOf(h);
  auto* stack = h.control<QScrollArea>("Oscilloscope", "TracesScroll");
  for (int count : {4, 9, 21}) {
    chooseFirst(h, count);
    h.advance(300);  // laid out again
    ASSERT_EQ(w->traces()->channels().size(), static_cast<std::size_t>(count));
    const bool scrolls = stack->verticalScrollBar()->maximum() > 0;
    EXPECT_EQ(scrolls, count > 4) << count;
    for (std::size_t i = 0; i < w->traces()->channels().size(); ++i) {
      const Ch c = w->traces()->channels()[i];
      EXPECT_GE(w->traces()->plotAreaOf(c).height(), 40.0) << count << " " << datalog::heading(c);
      // Time labels under every strip when the stack scrolls, else under the bottom one.
      EXPECT_EQ(w->traces()->timeAxisOf(c)->labelsVisible(), scrolls || i + 1 == w->traces()->channels().size());
    }
  }
  // Strips out of sight are left undrawn until scrolled into view.
  const Ch last = w->traces()->channels().back();
  EXPECT_EQ(w->traces()->pointsDrawn(last), 0);
  stack->verticalScrollBar()->setValue(stack->verticalScrollBar()->maximum());
  EXPECT_GT(w->traces()->pointsDrawn(last), 10);
  for (int window = 0; window < 6; ++window) {  // 10 s to 10 min
    h.setCombo("Oscilloscope", "TimeWindow", window);
    const QValueAxis* axis = w->traces()->timeAxisOf(Ch::kRpm);
    EXPECT_EQ(axis->tickAnchor(), 0.0);
    EXPECT_TRUE(roundStep(axis->tickInterval())) << axis->tickInterval();
    const double widest = QFontMetricsF(axis->labelsFont()).horizontalAdvance(QStringLiteral("600 s"));
    EXPECT_GE(w->traces()->width() - w->traces()->plotAreaOf(Ch::kRpm).right(), widest / 2) << window;
  }
}

TEST(ScopeView, RepaintsStayWithinWhatTheEyeFollowsHoweverFastSamplesCome) {
  Harness h(HarnessOptions{.ecuLatencyMs = 1});
  openOscilloscope(h);
  h.advance(1000);
  const int before = scopeOf(h)->traces()->redraws();
  const std::size_t samples = scopeOf(h)->shown().size();
  h.advance(4000);
  EXPECT_GT(scopeOf(h)->shown().size() - samples, 1000u);  // hundreds of samples a second
  EXPECT_LE(scopeOf(h)->traces()->redraws() - before, 4 * 15);
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
