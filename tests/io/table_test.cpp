// The dat table as the dialogue writes it, byte for byte against the golden files.
#include "lennard/io/table.hpp"

#include <gtest/gtest.h>

#include <vector>
#include <string>

#include "lennard/physics/virial_table.hpp"
#include "lennard/physics/sweep.hpp"
#include "test_support.hpp"

namespace {

using lennard::testing::golden;
using lennard::testing::read_file;
using lennard::testing::ScratchDir;

std::string table_text(double epsilon, double sigma) {
  ScratchDir dir;
  const auto path = (dir / "table.dat").string();
  const lennard::IoOutcome written =
      lennard::write_dat_file(path.c_str(), epsilon, sigma, lennard::temperature_grid(lennard::default_sweep(epsilon)),
                              stdout);
  EXPECT_TRUE(written.ok());
  return read_file(path);
}

// The golden files come from tests/tools/reference_table.py, an independent
// implementation in Python: `reference_table.py EPSILON SIGMA`.
TEST(DatTable, MatchesTheReferenceFilesByteForByte) {
  EXPECT_EQ(table_text(120.0, 3.4), golden("lennard_120_3.4.dat"));
  EXPECT_EQ(table_text(1.0, 3.4), golden("lennard_1_3.4.dat"));
  EXPECT_EQ(table_text(228.3963921798119, 3.4), golden("lennard_228.3963921798119_3.4.dat"));
  EXPECT_EQ(table_text(1.5873393084155472, 3.4), golden("lennard_1.5873393084155472_3.4.dat"));
  EXPECT_EQ(table_text(33.3, 2.9), golden("lennard_33.3_2.9.dat"));
}

TEST(DatTable, HasTheWorkedExampleRowsAndNoFinalLineBreak) {
  const std::string text = table_text(120.0, 3.4);
  EXPECT_EQ(text.rfind("#epsilon/KB: 120.000000 (K), sigma: 3.400000 (A)\n"
                       "# T(K)  1/T(K-1)   B(cm3/mol)\n"
                       "#==============================\n"
                       "120.00 0.008333 -125.817664\n"
                       "124.80 0.008013 -117.472202\n",
                       0),
            0u);
  EXPECT_TRUE(text.ends_with("\n600.00 0.001667 12.063017"));

  const std::string text1 = table_text(1.0, 3.4);
  EXPECT_NE(text1.find("\n1.00 1.000000 -125.817664\n"), std::string::npos);
  EXPECT_TRUE(text1.ends_with("\n4.96 0.201613 11.865820"));
}

TEST(DatTable, NegativeEpsilonLeavesTheHeaderOnly) {
  EXPECT_EQ(table_text(-5.0, 3.0),
            "#epsilon/KB: -5.000000 (K), sigma: 3.000000 (A)\n"
            "# T(K)  1/T(K-1)   B(cm3/mol)\n"
            "#==============================");
}

// Every header line beyond the historic three is Spanish, like the rest of the
}  // namespace
