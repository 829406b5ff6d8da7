#include <gtest/gtest.h>

#include "link/chunker.h"
#include "link/requests.h"

namespace kelvo6::link {
namespace {

Bytes versionAnswer() { return buildRequest(7, {1, 4, 2}); }

TEST(Chunker, DeliversAWholeAnswerAsSoonAsItsLengthHasArrived) {
  Chunker c;
  Bytes a = versionAnswer();
  EXPECT_TRUE(c.feed(Bytes(a.begin(), a.begin() + 3), 0).empty());
  auto out = c.feed(Bytes(a.begin() + 3, a.end()), 2);
  ASSERT_EQ(out.size(), 1u);
  EXPECT_EQ(out[0], a);
  EXPECT_EQ(c.buffered(), 0u);
}

TEST(Chunker, SeparatesAnswersThatArriveTogether) {
  Chunker c;
  Bytes two = versionAnswer();
  Bytes ack = buildRequest(4);
  two.insert(two.end(), ack.begin(), ack.end());
  auto out = c.feed(two, 0);
  ASSERT_EQ(out.size(), 2u);
  EXPECT_EQ(out[1], ack);
}

TEST(Chunker, DropsAPartialAnswerAfterTheIdleGap) {
  Chunker c(30);
  Bytes a = versionAnswer();
  c.feed(Bytes(a.begin(), a.begin() + 5), 0);
  auto out = c.feed(a, 31);  // the stale half is gone; the new answer is whole
  ASSERT_EQ(out.size(), 1u);
  EXPECT_EQ(out[0], a);
}

TEST(Chunker, FindsAnAnswerBehindAStrayByte) {
  Chunker c;
  Bytes withStray{0x00};
  Bytes a = versionAnswer();
  withStray.insert(withStray.end(), a.begin(), a.end());
  auto out = c.feed(withStray, 0);
  ASSERT_EQ(out.size(), 1u);
  EXPECT_EQ(out[0], a);
}

TEST(Chunker, GarbageNeverBlocksTheLine) {
  Chunker c(30);
  c.feed(Bytes{0x12, 0x34, 0x56, 0xF0, 0x01}, 0);  // claims 240 bytes
  auto out = c.feed(versionAnswer(), 100);
  ASSERT_EQ(out.size(), 1u);
}

}  // namespace
}  // namespace kelvo6::link
