#include "lennard/io/table.hpp"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <regex>
#include <stdexcept>
#include <vector>
#include <string>

#include "lennard/physics/virial_table.hpp"
#include "lennard/physics/parallel.hpp"
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
// program; only the number Lambda* is left out of the comparison.
TEST(DatTable, ExtraHeaderLinesAreSpanish) {
  const struct {
    const char* args;
    const char* header;
  } cases[] = {
      {"--mix argon:0.5,krypton:0.5 --kij 0.01 --quantum --pressure 10 --derivative",
       "#mezcla: argon 0.5, krypton 0.5\n#kij: 0.01\n"
       "#método: series (serie exacta), N_A = 6.02214076e+23 1/mol\n"
       "#corrección cuántica: Wigner-Kirkwood de orden hbar^2, cada par con su masa reducida\n"
       "#presión: 10 bar\n#C: N_A = 6.02214076e+23 1/mol\n"
       "#columna 4: B clásico, sin la corrección cuántica (cm3/mol)\n#columna 5: B12, coeficiente cruzado (cm3/mol)\n"
       "#columna 6: dB/dT (cm3/(mol K))\n#columna 7: C (cm6/mol2)\n#columna 8: dC/dT (cm6/(mol2 K))\n"
       "#columna 9: V (cm3/mol)\n#columna 10: Z = PV/(RT)\n"},
      {"-p mie:14,6 -e 100 -s 3 -m quadrature --quantum --mass 4",
       "#epsilon/KB: 100.000000 (K), sigma: 3.000000 (A)\n#potencial: mie:14,6\n"
       "#método: quadrature (cuadratura adaptativa), N_A = 6.02214076e+23 1/mol\n"
       "#corrección cuántica: Wigner-Kirkwood de orden hbar^2, Lambda* = L\n"
       "#columna 4: B clásico, sin la corrección cuántica (cm3/mol)\n"},
  };
  ScratchDir dir;
  for (const auto& c : cases) {
    const auto run = lennard::testing::run_program(dir, std::string(c.args) + " -o - --tmin 300 --tmax 300", "");
    ASSERT_EQ(run.status, 0) << run.err;
    const std::string header = run.out.substr(0, run.out.find("# T(K)  1/T(K-1)   B(cm3/mol)\n"));
    EXPECT_EQ(std::regex_replace(header, std::regex(R"(Lambda\* = \S+)"), "Lambda* = L"), c.header) << c.args;
  }
}

// The dat format keeps its fixed decimals; one warning names the columns they
// leave with fewer than three significant digits. B passing through zero (neon
// near its Boyle point) is no loss, and csv keeps every digit.
TEST(DatTable, WarnsOnceOfColumnsItsDecimalsLeaveShortOfDigits) {
  const struct {
    const char* args;
    const char* names;  // nullptr: no warning
  } cases[] = {
      {"-e 1e-5 -s 3.4", "), T queda con"},
      {"-e 1e-5 -s 3.4 -f csv", nullptr},
      {"-e 120 -s 3.4 --tmin 20000 --tmax 20000", "), 1/T queda con"},
      {"-e 120 -s 0.01 --derivative --tmin 300 --tmax 300", "), B y dB/dT quedan con"},
      {"-e 35.6 -s 2.75 --quantum --mass 20.18 --tmin 100 --tmax 140 --step 1", nullptr},
      {"-e 120 -s 3.4", nullptr},
  };
  ScratchDir dir;
  for (const auto& c : cases) {
    const auto run = lennard::testing::run_program(dir, std::string(c.args) + " -o t.out", "");
    EXPECT_EQ(run.status, 0) << c.args;
    const std::string warning = "Aviso: con los decimales fijos del formato dat";
    if (c.names == nullptr) {
      EXPECT_EQ(run.err, "") << c.args;
      continue;
    }
    EXPECT_EQ(run.err.rfind(warning, 0), 0u) << run.err;
    EXPECT_EQ(run.err.find(warning, 1), std::string::npos) << run.err;
    EXPECT_NE(run.err.find(c.names), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("-f csv conserva la precisión completa"), std::string::npos) << run.err;
  }
}

TEST(Parallel, RowsAreTheSameOnAnyNumberOfThreads) {
  // Every row is computed on its own: bit for bit the same whoever computes it.
  std::vector<double> temperatures;
  for (int i = 0; i < 300; ++i) temperatures.push_back(100.0 + 1.7 * i);
  for (const lennard::Method method : {lennard::Method::trapezoid, lennard::Method::series}) {
    const lennard::Table one = lennard::compute_table(120.0, 3.4, temperatures, method, true, {1, nullptr});
    for (const unsigned threads : {2u, 7u}) {
      std::atomic<std::size_t> done{0};
      const lennard::Table many = lennard::compute_table(120.0, 3.4, temperatures, method, true, {threads, &done});
      EXPECT_EQ(done.load(), temperatures.size());
      ASSERT_EQ(many.columns.size(), 2u);
      for (std::size_t c = 0; c < 2; ++c) EXPECT_EQ(many.columns[c].values, one.columns[c].values);
    }
  }
}

TEST(Parallel, VisitsEachIndexOnceAndPassesOnTheFirstFailure) {
  std::vector<std::atomic<int>> visits(1000);
  lennard::for_each_block(visits.size(), 7, {4, nullptr}, [&](std::size_t begin, std::size_t end) {
    for (std::size_t i = begin; i < end; ++i) ++visits[i];
  });
  for (const auto& v : visits) ASSERT_EQ(v.load(), 1);
  EXPECT_THROW(lennard::for_each_block(100, 1, {4, nullptr},
                                       [](std::size_t begin, std::size_t) {
                                         if (begin == 42) throw std::runtime_error("row 42");
                                       }),
               std::runtime_error);
}

}  // namespace
