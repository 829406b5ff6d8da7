#include "link/header_learner.h"

#include <gtest/gtest.h>

#include "link/requests.h"

namespace kelvo6::link {
namespace {

TEST(HeaderLearner, TheThreeHandshakeAnswersMustAgree) {
  const Bytes version = buildRequest(7, {1, 2, 3}), set = buildRequest(1, Bytes(124, 0));
  const Bytes table = buildRequest(8, Bytes(64, 1));
  Bytes strayTable = table;
  strayTable[2] = 0x45;
  HeaderLearner l;
  EXPECT_FALSE(l.observe(version));
  EXPECT_FALSE(l.observe(buildRequest(3, Bytes(38, 0))));  // live data does not count
  EXPECT_FALSE(l.observe(set));
  EXPECT_FALSE(l.observe(strayTable));
  EXPECT_EQ(l.observe(table), (Header{0x50, 0x43, 0x00}));
  EXPECT_EQ(l.observe(strayTable), (Header{0x50, 0x43, 0x00}));  // once learned it stays
  l.reset();
  EXPECT_FALSE(l.observe(table));
}

}  // namespace
}  // namespace kelvo6::link
