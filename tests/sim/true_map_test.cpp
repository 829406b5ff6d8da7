// The simulated car's true KGB map: the built-in one, files, and the cell an
// operating point takes its value from.

#include "sim/true_map.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>

#include "sim/factory.h"

namespace kelvo6::sim {
namespace {

std::string rows(int first, int count) {
  std::string text;
  for (int r = 0; r < count; ++r) {
    for (int c = 0; c < 8; ++c) text += std::to_string(first + r) + (c < 7 ? " " : "\n");
  }
  return text;
}

TEST(TrueMap, BuiltInMapIsAPlausibleCarWithoutFlatPatches) {
  TrueMap m = TrueMap::builtIn();
  int lowest = 255, highest = 0;
  for (int n = 1; n <= 64; ++n) {
    lowest = std::min(lowest, m.cell(n));
    highest = std::max(highest, m.cell(n));
  }
  EXPECT_EQ(lowest, 100);
  EXPECT_EQ(highest, 115);
  EXPECT_GT(m.cell(8), m.cell(1));   // richer need at high speed
  EXPECT_GT(m.cell(1), m.cell(57));  // and at low load
  for (int r = 0; r < 8; ++r) {
    for (int c = 0; c < 8; ++c) {
      const int n = 8 * r + c + 1;
      if (c < 7) {
        EXPECT_LE(std::abs(m.cell(n + 1) - m.cell(n)), 3) << n;
      }
      if (r < 7) {
        EXPECT_LE(std::abs(m.cell(n + 8) - m.cell(n)), 3) << n;
      }
      if (r < 7 && c < 7) {
        const bool flat = m.cell(n) == m.cell(n + 1) && m.cell(n) == m.cell(n + 8) && m.cell(n) == m.cell(n + 9);
        EXPECT_FALSE(flat) << "flat around cell " << n;
      }
    }
  }
}

TEST(TrueMap, FilesInRowsOrOneLongListWithCommentsAndSeparators) {
  std::string error;
  auto m = TrueMap::parse("# a car\n" + rows(101, 8) + "\n# end\n", &error);
  ASSERT_TRUE(m) << error;
  EXPECT_EQ(m->cell(1), 101);
  EXPECT_EQ(m->cell(64), 108);
  std::string list;
  for (int n = 1; n <= 64; ++n) list += std::to_string(100 + n % 10) + (n % 3 ? ", " : ";\t");
  auto one = TrueMap::parse(list + "\r\n", &error);
  ASSERT_TRUE(one) << error;
  EXPECT_EQ(one->cell(10), 100);
  EXPECT_EQ(one->cell(64), 104);
}

TEST(TrueMap, BadFilesAreRefusedNamingTheLine) {
  std::string error;
  EXPECT_FALSE(TrueMap::parse(rows(101, 2) + "101 102 1o3 104\n", &error));
  EXPECT_EQ(error, "line 3: \"1o3\" is not a whole number");
  EXPECT_FALSE(TrueMap::parse(rows(101, 4) + "\n300 1 1 1 1 1 1 1\n", &error));
  EXPECT_EQ(error, "line 6: 300 is not a coefficient from 1 to 255");
  EXPECT_FALSE(TrueMap::parse(rows(101, 1) + "0\n", &error));
  EXPECT_EQ(error, "line 2: 0 is not a coefficient from 1 to 255");
  EXPECT_FALSE(TrueMap::parse(rows(101, 8) + "# one more\n109\n", &error));
  EXPECT_EQ(error, "line 10: more than 64 values");
  EXPECT_FALSE(TrueMap::parse(rows(101, 7) + "\n", &error));
  EXPECT_EQ(error, "line 8: the file ends after 56 values; 64 are needed");
  EXPECT_FALSE(TrueMap::parse("99999999999999999999\n", &error));
  EXPECT_EQ(error, "line 1: \"99999999999999999999\" is not a whole number");
  EXPECT_FALSE(TrueMap::load("/nonexistent/kelvo6-true-map", &error));
  EXPECT_EQ(error, "cannot read /nonexistent/kelvo6-true-map");
}

TEST(TrueMap, LoadsAFile) {
  char path[] = "/tmp/kelvo6-true-map-XXXXXX";
  int fd = mkstemp(path);
  ASSERT_GE(fd, 0);
  std::ofstream(path) << rows(105, 8);
  std::string error;
  auto m = TrueMap::load(path, &error);
  std::remove(path);
  ::close(fd);
  ASSERT_TRUE(m) << error;
  EXPECT_EQ(m->cell(33), 109);
}

TEST(TrueMap, ValueAtAnOperatingPointComesFromTheCellUnderTheMarker) {
  EcuMemory memory;
  memory.params = factoryParameters();  // RPM 650 1000 2000 ...; TINJ 2000 3500 5000 ...
  std::string text;
  for (int n = 1; n <= 64; ++n) text += std::to_string(100 + n) + " ";
  TrueMap m = *TrueMap::parse(text, nullptr);
  EXPECT_EQ(m.at(2000, 5000, memory), 100 + 19);  // on axis points 2 and 2
  EXPECT_EQ(m.at(1499, 5000, memory), 100 + 18);  // the marker's centre half way between points
  EXPECT_EQ(m.at(1500, 5000, memory), 100 + 19);
  EXPECT_EQ(m.at(0, 0, memory), 101);
  EXPECT_EQ(m.at(9000, 30000, memory), 164);
  // The ECU's own axes decide: move RPM point 3 (parameter 36) from 2000 to 2600.
  EXPECT_EQ(m.at(1700, 5000, memory), 100 + 19);
  memory.params[36] = 2600;
  EXPECT_EQ(m.at(1700, 5000, memory), 100 + 18);
}

}  // namespace
}  // namespace kelvo6::sim
