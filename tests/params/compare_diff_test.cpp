// What comparing two configurations finds, and reading a workbook for a
// comparison with the archive's own readers and checks.

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "params/compare_diff.h"
#include "params/compare_open.h"

namespace kelvo6::params {
namespace {

Configuration numbered() {
  Configuration c;
  for (int n = 1; n <= 62; ++n) c.params[static_cast<std::size_t>(n - 1)] = 10 * n;
  for (int n = 1; n <= 64; ++n) c.cells[static_cast<std::size_t>(n - 1)] = 100 + n % 16;
  return c;
}

TEST(CompareConfigurations, ListsExactlyTheDifferingParametersAndCellsInOrder) {
  const Configuration left = numbered();
  EXPECT_EQ(compareConfigurations(left, left).count(), 0);

  Configuration right = left;
  right.params[61] = 1;   // parameter 62
  right.params[0] = 5;    // parameter 1
  right.cells[63] = 200;  // cell 64
  right.cells[cellAt(1, 0) - 1] = 0;  // cell 9, first of the second row
  const Differences d = compareConfigurations(left, right);
  EXPECT_EQ(d.params, (std::vector<Difference>{{1, 10, 5}, {62, 620, 1}}));
  EXPECT_EQ(d.cells, (std::vector<Difference>{{9, 109, 0}, {64, 100, 200}}));
  EXPECT_EQ(d.count(), 4);
}

TEST(CompareConfigurations, TakesTheEcuOrThePendingValues) {
  core::Shared s;
  s.param(7).ecu = 70;
  s.param(7).pending = 71;
  s.cell(64).ecu = 115;
  s.cell(64).pending = 110;
  EXPECT_EQ(ecuConfiguration(s).params[6], 70);
  EXPECT_EQ(pendingConfiguration(s).params[6], 71);
  EXPECT_EQ(ecuConfiguration(s).cells[63], 115);
  EXPECT_EQ(pendingConfiguration(s).cells[63], 110);
}

// A workbook made by another program (odfpy): read as an archive load reads
// it, rounding and empty cells included.
TEST(CompareWorkbook, ReadsAWorkbookAsTheArchiveLoadDoes) {
  Configuration c;
  ASSERT_FALSE(readConfiguration(KELVO6_FIXTURES_DIR "/vehicle_odf.ods", &c));
  EXPECT_EQ(c.params[3], 40);
  EXPECT_EQ(c.params[4], 0) << "empty A5";
  EXPECT_EQ(c.cells[0], 98) << "97.5 rounds to even";
  EXPECT_EQ(c.cells[1], 96) << "96.5 rounds to even";
  EXPECT_EQ(c.cells[63], 100);
}

TEST(CompareWorkbook, RefusesAWorkbookTheArchiveLoadRefusesAndLeavesTheResultAlone) {
  Configuration c = numbered();
  auto error = readConfiguration(KELVO6_FIXTURES_DIR "/cell_out_of_range.ods", &c);
  ASSERT_TRUE(error);
  EXPECT_EQ(error->kind, ArchiveError::Kind::kBadCell);
  EXPECT_EQ(c.params[0], 10);

  QTemporaryDir dir;
  const QString notes = dir.path() + "/notes.xlsx";
  QFile f(notes);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write("not a workbook");
  f.close();
  error = readConfiguration(notes.toStdString(), &c);
  ASSERT_TRUE(error);
  EXPECT_EQ(error->kind, ArchiveError::Kind::kUnreadable);
}

}  // namespace
}  // namespace kelvo6::params
