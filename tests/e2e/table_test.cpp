// The dat table's extra header lines and its warnings, from the built program.
#include <gtest/gtest.h>

#include <regex>
#include <string>

#include "test_support.hpp"

namespace {

using lennard::testing::ScratchDir;

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

}  // namespace
