#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/serial_settings.h"
#include "platform/virtual_scheduler.h"

namespace kelvo6::platform {
namespace {

TEST(VirtualScheduler, FiresInDueOrderWithTiesInCreationOrder) {
  VirtualScheduler s;
  std::vector<std::string> log;
  auto a = s.createTimer("a", 100, [&] { log.push_back("a" + std::to_string(s.nowMs())); });
  auto b = s.createTimer("b", 50, [&] { log.push_back("b" + std::to_string(s.nowMs())); });
  a->start();
  b->start();
  s.advance(100);
  EXPECT_EQ(log, (std::vector<std::string>{"b50", "a100", "b100"}));
  s.advance(99);
  EXPECT_EQ(log.size(), 4u);  // b at 150
  s.advance(1);
  EXPECT_EQ(log.back(), "b200");
}

TEST(VirtualScheduler, StartingARunningTimerKeepsItsCountdown) {
  VirtualScheduler s;
  int ticks = 0;
  auto t = s.createTimer("t", 100, [&] { ++ticks; });
  t->start();
  s.advance(60);
  t->start();
  s.advance(40);
  EXPECT_EQ(ticks, 1);
}

TEST(VirtualScheduler, AHandlerThatStopsAndStartsRearmsFromTheEndOfItsTick) {
  VirtualScheduler s;
  std::vector<std::int64_t> at;
  std::unique_ptr<Timer> t;
  t = s.createTimer("t", 100, [&] {
    t->stop();
    at.push_back(s.nowMs());
    if (at.size() == 1) t->setInterval(1000);
    t->start();
  });
  t->start();
  s.advance(2100);
  EXPECT_EQ(at, (std::vector<std::int64_t>{100, 1100, 2100}));
  t->stop();
  s.advance(5000);
  EXPECT_EQ(at.size(), 3u);
}

TEST(VirtualScheduler, PostedCallbacksInterleaveWithTimers) {
  VirtualScheduler s;
  std::vector<std::string> log;
  auto t = s.createTimer("t", 10, [&] { log.push_back("tick"); });
  t->start();
  s.post(5, [&] { log.push_back("five"); });
  s.post(10, [&] { log.push_back("ten"); });
  s.advance(10);
  EXPECT_EQ(log, (std::vector<std::string>{"five", "tick", "ten"}));
}

TEST(SerialSettings, ParsesTheSettingsStringAndRefusesAnythingElse) {
  auto s = parseSerialSettings("9600,n,8,1");
  ASSERT_TRUE(s);
  EXPECT_EQ(s->baud, 9600);
  EXPECT_EQ(s->stopTenths, 10);
  auto odd = parseSerialSettings("110,O,5,1.5");
  ASSERT_TRUE(odd);
  EXPECT_EQ(odd->parity, 'o');
  EXPECT_EQ(odd->stopTenths, 15);
  EXPECT_EQ(formatSerialSettings(*odd), "110,o,5,1.5");
  for (const char* bad : {"", "9600", "9600,n,8", "9601,n,8,1", "9600,x,8,1", "9600,n,9,1", "9600,n,3,1",
                          "9600,n,8,3", "9600,n,8,1,1", "-9600,n,8,1", "99999999999,n,8,1", "9600,,8,1"}) {
    std::string why;
    EXPECT_FALSE(parseSerialSettings(bad, &why)) << bad;
    EXPECT_FALSE(why.empty()) << bad;
  }
}

}  // namespace
}  // namespace kelvo6::platform
