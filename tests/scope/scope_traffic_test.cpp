// The oscilloscope's share of the line beside other windows: silent while
// another window is in use, never more than one request of its own waiting,
// and only answers to its own requests taken as samples.

#include "scope/sampler.h"
#include "scope_support.h"
#include "sim/ecu.h"

namespace kelvo6::testing {
namespace {

std::size_t liveRequests(Harness& h) { return h.sentWithCommand(3).size(); }

struct Beside {
  const char* menuButton;
  const char* form;
  int ownPollsIn3s;  // live-data requests the window sends by itself
};

class OscilloscopeBeside : public ::testing::TestWithParam<Beside> {};

TEST_P(OscilloscopeBeside, FallsSilentWhileTheOtherWindowIsInUse) {
  Harness h(HarnessOptions{.ecuLatencyMs = 20});
  openOscilloscope(h);
  h.advance(1000);
  h.activate("Form2");
  h.click("Form2", GetParam().menuButton);
  h.advance(500);
  ASSERT_TRUE(h.window(GetParam().form));
  h.clearSent();
  h.advance(3000);
  EXPECT_NEAR(static_cast<double>(liveRequests(h)), GetParam().ownPollsIn3s, 1.0);

  h.close(GetParam().form);  // back to the main menu: still not the oscilloscope's turn
  h.clearSent();
  h.advance(2000);
  EXPECT_EQ(liveRequests(h), 0u);
  h.activate("Oscilloscope");
  h.advance(1000);
  EXPECT_GT(liveRequests(h), 40u);
}

INSTANTIATE_TEST_SUITE_P(Windows, OscilloscopeBeside,
                         ::testing::Values(Beside{"Command3", "Form3", 10}, Beside{"Command5", "Form16", 0}));

TEST(OscilloscopeTraffic, TheStatusWindowsAnswersAreNotItsSamples) {
  // The status window stays open behind and keeps its 300 ms poll.
  Harness h(HarnessOptions{.ecuLatencyMs = 20});
  openOscilloscope(h);
  h.activate("Form2");
  h.click("Form2", "Command3");
  h.advance(500);
  ASSERT_TRUE(h.window("Form3"));
  h.activate("Oscilloscope");
  h.advance(100);
  h.clearSent();
  const std::size_t before = scopeOf(h)->shown().size();
  for (int ms = 0; ms < 3000; ms += 5) {
    h.advance(5);
    ASSERT_LE(scopeOf(h)->sampler().ownWaiting(), 1) << "at " << ms << " ms";
  }
  const std::size_t samples = scopeOf(h)->shown().size() - before;
  // One chain of 20 ms round trips, the status window's polls beside it.
  EXPECT_LE(liveRequests(h), 3000u / 20 + 11);
  EXPECT_GE(samples, 3000u / 20 * 9 / 10);
  EXPECT_NEAR(static_cast<double>(samples), static_cast<double>(liveRequests(h)) - 10, 2.0);
}

TEST(OscilloscopeTraffic, OnASlowLineItWaitsForTheAnswerInsteadOfSendingAgain) {
  Harness h;
  h.shared().portSettings = "1200,n,8,1";
  h.ecu()->setLineBaud(1200);
  h.click("Form1", "Command1");
  h.advance(8000);
  h.click("Form2", "Command7");
  ASSERT_TRUE(scopeOf(h));
  h.advance(1000);
  h.clearSent();
  const std::size_t before = scopeOf(h)->shown().size();
  h.advance(10000);
  const std::size_t answers = scopeOf(h)->shown().size() - before;
  EXPECT_GE(answers, 20u);  // 2.5 a second is all 1200 baud carries
  EXPECT_LE(liveRequests(h), answers + 1);
}

}  // namespace
}  // namespace kelvo6::testing
