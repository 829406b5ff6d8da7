// Line pacing: at a baud rate the simulated ECU's answers leave no faster than
// the bytes of request and answer take on the line, 10 bits a byte.

#include <gtest/gtest.h>

#include "link/requests.h"
#include "sim/ecu.h"

namespace kelvo6::sim {
namespace {

TEST(Pacing, AnAnswerLeavesOnlyAfterRequestAndAnswerHaveCrossedTheLine) {
  for (int baud : {9600, 57600}) {
    Ecu ecu(0);
    ecu.setLineBaud(baud);
    ecu.receive(link::readLiveData(), 1000);  // 5 bytes out, 43 back: 480 bits
    const std::int64_t due = *ecu.nextDueMs();
    EXPECT_EQ(due, 1000 + (480 * 1000 + baud - 1) / baud) << baud;  // 50 ms at 9600, 9 at 57600
    EXPECT_TRUE(ecu.takeDue(due - 1).empty());
    auto out = ecu.takeDue(due);
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(out[0].size(), 43u);
  }
}

TEST(Pacing, LatencyStartsWhenTheRequestHasArrived) {
  Ecu ecu(5);
  ecu.setLineBaud(9600);
  ecu.receive(link::readSoftwareVersion(), 0);  // 5 bytes: 5.21 ms; answer 8 bytes: 8.33 ms
  EXPECT_EQ(ecu.nextDueMs(), 19);                // 5.21 + 5 + 8.33 = 18.54, rounded up
}

TEST(Pacing, AnAnswerWaitsForThePreviousOneToLeave) {
  Ecu ecu(0);
  ecu.setLineBaud(9600);
  ecu.receive(link::readTable(), 0);             // 69-byte answer: leaves at 5.21 + 71.88 ms
  ecu.receive(link::readSoftwareVersion(), 10);  // arrived at 15.21, but the wire is busy
  auto first = ecu.takeDue(78);
  ASSERT_EQ(first.size(), 1u);
  EXPECT_EQ(first[0][4], 8);
  EXPECT_EQ(ecu.nextDueMs(), 86);  // 77.08 + 8.33 = 85.42
  // Requests glued on the line arrive one after the other too.
  Ecu glued(0);
  glued.setLineBaud(9600);
  link::Bytes two = link::readSoftwareVersion();
  for (std::uint8_t b : link::readSoftwareVersion()) two.push_back(b);
  glued.receive(two, 0);
  EXPECT_EQ(glued.takeDue(19).size(), 1u);  // 10.42 + 8.33
  EXPECT_EQ(glued.takeDue(28).size(), 1u);  // + 8.33
}

TEST(Pacing, ChangingTheRateKeepsWhatIsAlreadyOnTheLine) {
  // The program may choose another line speed while an answer is on its way.
  Ecu ecu(0);
  ecu.setLineBaud(9600);
  ecu.receive(link::readTable(), 0);  // leaves at 77.08 ms
  ecu.setLineBaud(57600);
  ecu.receive(link::readSoftwareVersion(), 10);  // waits for it, then 8 bytes at 57600: 1.39 ms
  EXPECT_EQ(ecu.takeDue(78).size(), 1u);
  EXPECT_EQ(ecu.nextDueMs(), 79);
  ecu.setLineBaud(0);
  ecu.receive(link::readSoftwareVersion(), 20);  // no pacing, but still after the others
  EXPECT_EQ(ecu.takeDue(79).size(), 2u);
}

TEST(Pacing, WithoutABaudRateAnswersLeaveAfterTheLatencyAlone) {
  Ecu ecu(5);
  EXPECT_EQ(ecu.lineBaud(), 0);
  ecu.receive(link::readTable(), 100);
  ecu.receive(link::readLiveData(), 100);
  EXPECT_EQ(ecu.takeDue(105).size(), 2u);
}

TEST(Pacing, SplitAnswersAndStrayBytesKeepTheirGapsOnAPacedLine) {
  Ecu ecu(0);
  ecu.setLineBaud(9600);
  ecu.faults().splitGapMs = 3;
  ecu.faults().strayByteEvery = 1;
  ecu.receive(link::readSoftwareVersion(), 0);    // arrived at 5.21
  EXPECT_EQ(ecu.takeDue(10).size(), 1u);          // 4 bytes: 9.38
  EXPECT_TRUE(ecu.takeDue(16).empty());           // + 3 ms gap + 4 bytes: 16.54
  EXPECT_EQ(ecu.takeDue(17).size(), 1u);
  auto stray = ecu.takeDue(1000);
  ASSERT_EQ(stray.size(), 1u);
  EXPECT_EQ(stray[0].size(), 1u);
}

}  // namespace
}  // namespace kelvo6::sim
