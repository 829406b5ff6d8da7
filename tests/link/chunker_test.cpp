#include "link/chunker.h"

#include <gtest/gtest.h>

#include "link/requests.h"

namespace kelvo6::link {
namespace {

Bytes versionAnswer() { return buildRequest(7, {1, 4, 2}); }
Bytes ack(int type) { return buildRequest(type); }
Bytes join(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}
Bytes slice(const Bytes& b, std::size_t from, std::size_t to) {
  return Bytes(b.begin() + static_cast<std::ptrdiff_t>(from), b.begin() + static_cast<std::ptrdiff_t>(to));
}

// A live-data answer whose last five bytes read like a fuel-switch
// acknowledgement: operating state 5 and fuel flag 4 in its bytes 42 and 43.
Bytes liveAnswerWithAnAckInside() {
  Bytes d(38, 0x11);
  d[36] = 0x05;
  d[37] = 0x04;
  return buildRequest(3, d);
}

TEST(Chunker, JoinsSplitAnswersAndSeparatesAnswersThatArriveTogether) {
  Chunker c;
  Bytes a = versionAnswer();
  EXPECT_TRUE(c.feed(slice(a, 0, 3), 0).empty());  // 1 to 3 bytes: nothing yet
  auto out = c.feed(slice(a, 3, a.size()), 2);
  ASSERT_EQ(out.size(), 1u);
  EXPECT_EQ(out[0], a);
  EXPECT_EQ(c.buffered(), 0u);

  out = c.feed(join({a, ack(4), a}), 3);
  ASSERT_EQ(out.size(), 3u);
  EXPECT_EQ(out[1], ack(4));
  EXPECT_EQ(out[2], a);
}

TEST(Chunker, AtSlowRatesTheIdleGapOutlastsACharacterOnTheLine) {
  EXPECT_EQ(Chunker::idleGapForBaud(9600), Chunker::kDefaultIdleGapMs);
  EXPECT_EQ(Chunker::idleGapForBaud(57600), Chunker::kDefaultIdleGapMs);
  // At 110 baud a character takes 91 ms: bytes of one answer arrive that far apart.
  Chunker c(Chunker::idleGapForBaud(110));
  Bytes a = versionAnswer();
  std::vector<Bytes> out;
  for (std::size_t i = 0; i < a.size(); ++i) {
    auto got = c.feed(slice(a, i, i + 1), static_cast<std::int64_t>(i) * 91);
    out.insert(out.end(), got.begin(), got.end());
  }
  ASSERT_EQ(out.size(), 1u);
  EXPECT_EQ(out[0], a);
}

TEST(Chunker, FindsTheAnswerRightBehindStrayBytes) {
  // Two or three stray bytes put the answer's own 0x43 or 0x50 where a length
  // belongs; none of them may hold the answer back.
  for (Bytes stray : {Bytes{0xA5}, Bytes{0xA5, 0xA5}, Bytes{0x00, 0xFF, 0x5A}, Bytes{0xF0, 0x12, 0x34, 0x56},
                      Bytes{0x01, 0x02, 0x03, 0x80, 0x01}}) {
    SCOPED_TRACE(stray.size());
    Chunker together;
    auto out = together.feed(join({stray, versionAnswer()}), 0);
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(out[0], versionAnswer());

    Chunker apart;  // the stray bytes a few milliseconds ahead
    EXPECT_TRUE(apart.feed(stray, 100).empty());
    out = apart.feed(versionAnswer(), 104);
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(out[0], versionAnswer());
  }
}

TEST(Chunker, TheTailOfACutAnswerIsNotTakenForAnAnswer) {
  Bytes live = liveAnswerWithAnAckInside();
  ASSERT_EQ(live.size(), 43u);
  for (std::size_t cut : {10u, 20u, 30u, 37u, 38u}) {
    SCOPED_TRACE(cut);
    Chunker c(30);
    EXPECT_TRUE(c.feed(slice(live, 0, cut), 0).empty());
    // The rest comes after the idle gap, with the next answer behind it.
    auto out = c.feed(slice(live, cut, live.size()), 40);
    EXPECT_TRUE(out.empty());
    out = c.feed(versionAnswer(), 42);
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(out[0], versionAnswer());
  }
  // The tail in two reads, then followed at once by a real answer.
  Chunker split(30);
  split.feed(slice(live, 0, 20), 0);
  EXPECT_TRUE(split.feed(slice(live, 20, 30), 40).empty());
  EXPECT_TRUE(split.feed(slice(live, 30, live.size()), 45).empty());
  auto after = split.feed(versionAnswer(), 47);
  ASSERT_EQ(after.size(), 1u);
  Chunker c(30);
  c.feed(slice(live, 0, 12), 0);
  auto out = c.feed(join({slice(live, 12, live.size()), versionAnswer()}), 40);
  ASSERT_EQ(out.size(), 1u);
  EXPECT_EQ(out[0], versionAnswer());
}

TEST(Chunker, ALengthThatDoesNotFitItsTypeNeverHoldsTheLine) {
  Chunker c;
  // A "switch fuel" claiming 200 bytes, and a "parameter set" claiming 40.
  auto out = c.feed(join({Bytes{0x50, 0x43, 0x00, 200, 4}, Bytes{0x50, 0x43, 0x00, 40, 1}, versionAnswer()}), 0);
  ASSERT_EQ(out.size(), 1u);
  EXPECT_EQ(out[0], versionAnswer());
  // A few bytes more than the tool reads still make an answer; more do not.
  Bytes longer = buildRequest(3, Bytes(38 + FrameShapes::kAnswerSpare, 0x11));
  out = c.feed(longer, 100);
  ASSERT_EQ(out.size(), 1u);
  EXPECT_EQ(out[0].size(), 43u + FrameShapes::kAnswerSpare);
  EXPECT_TRUE(c.feed(buildRequest(3, Bytes(39 + FrameShapes::kAnswerSpare, 0x11)), 200).empty());
}

TEST(Chunker, OutOfStepAFrameMustEndWhereTheBytesEndOrBeforeAnotherFrame) {
  // Lost step on the stray byte; then a frame-like run followed by more bytes
  // that start nothing is skipped, and the answer behind it is still found.
  Chunker c;
  Bytes fake{0x11, 0x22, 0x33, 0x05, 0x04};
  auto out = c.feed(join({Bytes{0xA5}, fake, Bytes{0x11, 0x11, 0x11, 0x11, 0x11, 0x11}, versionAnswer()}), 0);
  ASSERT_EQ(out.size(), 1u);
  EXPECT_EQ(out[0], versionAnswer());
  // Followed by a plausible answer, it counts: both arrive.
  out = c.feed(join({Bytes{0xA5}, ack(11), versionAnswer()}), 100);
  ASSERT_EQ(out.size(), 2u);
  EXPECT_EQ(out[0], ack(11));
  // Too few bytes behind it to tell: it waits for them.
  EXPECT_TRUE(c.feed(join({Bytes{0xA5}, ack(12), Bytes{0x50, 0x43}}), 200).empty());
  out = c.feed(slice(versionAnswer(), 2, 8), 202);
  ASSERT_EQ(out.size(), 2u);
  EXPECT_EQ(out[0], ack(12));
  EXPECT_EQ(out[1], versionAnswer());
}

TEST(Chunker, InStepAWholeAnswerIsDeliveredWhateverFollowsIt) {
  Chunker c;
  auto out = c.feed(join({versionAnswer(), Bytes{0xA5}}), 0);
  ASSERT_EQ(out.size(), 1u);
  EXPECT_EQ(out[0], versionAnswer());
  // The stray byte is gone with the idle gap; the next answer is whole.
  out = c.feed(ack(4), 100);
  ASSERT_EQ(out.size(), 1u);
}

TEST(Chunker, AStartWhoseLengthIsNeverMetDoesNotSwallowTheAnswersBehindIt) {
  // The start of a parameter set, then a live-data answer in the same read
  // or after a pause: taken once the line falls quiet, header known or not.
  const Bytes live = liveAnswerWithAnAckInside();
  for (std::int64_t answerAt : {5, 800}) {
    SCOPED_TRACE(answerAt);
    Chunker c(30);
    c.feed(Bytes{0x45, 0x43, 0x00, 0x81, 0x01}, 0);
    auto out = c.feed(live, answerAt);
    auto atQuiet = c.idle(answerAt + 31);
    out.insert(out.end(), atQuiet.begin(), atQuiet.end());
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(out[0], live);
  }
}

TEST(Chunker, RequestShapesFrameTheToolsRequests) {
  Chunker requests(FrameShapes::requests());
  auto out = requests.feed(join({readParameterSet(), writeParameter(30, 850), readCoilModeData(4)}), 0);
  ASSERT_EQ(out.size(), 3u);
  EXPECT_EQ(out[1], writeParameter(30, 850));
  // As answers, a five-byte type 1 is not plausible.
  EXPECT_TRUE(Chunker().feed(readParameterSet(), 0).empty());
}

}  // namespace
}  // namespace kelvo6::link
