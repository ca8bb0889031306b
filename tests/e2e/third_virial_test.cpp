// C, V and Z through the built program.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <string>

#include "lennard/physics/constants.hpp"
#include "lennard/physics/potential.hpp"
#include "lennard/physics/reduced_units.hpp"
#include "lennard/physics/third_virial.hpp"
#include "lennard/physics/universal_third_virial.hpp"
#include "test_support.hpp"

namespace {

constexpr double b0 = lennard::two_pi_over_3;

TEST(ThirdCommand, PressureWithoutAGasRootWarnsAndWritesNull) {
  lennard::testing::ScratchDir dir;
  // Argon-like parameters at 50 bar: no gas root at 100 K, one from 150 K up.
  const auto run = lennard::testing::run_program(
      dir, "-e 120 -s 3.4 --pressure 50 -f json -o - --tmin 100 --tmax 300 --step 100", "");
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.err.find("no tiene raíz gaseosa a T = 100 K (1 fila)"), std::string::npos) << run.err;
  const auto document = nlohmann::json::parse(run.out);
  EXPECT_EQ(document.at("pressure_bar").get<double>(), 50.0);
  EXPECT_TRUE(document.at("rows")[0].at("Z").is_null());
  EXPECT_TRUE(document.at("rows")[0].at("V_cm3_per_mol").is_null());
  EXPECT_GT(document.at("rows")[2].at("Z").get<double>(), 0.9);
  const auto csv = lennard::testing::run_program(dir, "-e 120 -s 3.4 --pressure 50 -f csv -o - --tmin 100 --tmax 100", "");
  EXPECT_EQ(csv.out.substr(csv.out.rfind(',', csv.out.size() - 6)), ",nan,nan\n") << csv.out;
  const auto bad = lennard::testing::run_program(dir, "-e 120 -s 3.4 --pressure -5", "");
  EXPECT_EQ(bad.status, 2);
  EXPECT_NE(bad.err.find("no es una presión positiva y finita"), std::string::npos) << bad.err;
}

TEST(ThirdCommand, AddsItsColumnsToEveryFormat) {
  lennard::testing::ScratchDir dir;
  const auto dat = lennard::testing::run_program(dir, "-e 120 -s 3.4 --third --derivative -o - --tmax 130 --step 5", "");
  ASSERT_EQ(dat.status, 0) << dat.err;
  EXPECT_NE(dat.out.find("\n#C: N_A = 6.02214076e+23 1/mol\n#columna 4: dB/dT (cm3/(mol K))\n"
                         "#columna 5: C (cm6/mol2)\n#columna 6: dC/dT (cm6/(mol2 K))\n"),
            std::string::npos)
      << dat.out;
  const auto csv = lennard::testing::run_program(dir, "-p hs -s 3 --third -f csv -o - --tmin 100 --tmax 100", "");
  EXPECT_EQ(csv.out.substr(0, csv.out.find('\n')), "T_K,inv_T_per_K,B_cm3_per_mol,C_cm6_per_mol2");
  const auto json = lennard::testing::run_program(dir, "-p hs -s 3 --third -f json -o - --tmin 100 --tmax 100", "");
  const double C = nlohmann::json::parse(json.out).at("rows")[0].at("C_cm6_per_mol2").get<double>();
  const double b = 0.602214076 * 27.0 * b0;  // b0 = 2 pi N_A sigma^3 / 3 in cm3/mol
  EXPECT_NEAR(C, 5.0 / 8.0 * b * b, 1e-13 * C);
}

TEST(ThirdCommand, QuadratureGivesTheDirectRuleAndTheDefaultTheShapesRepresentation) {
  // Rows at T* = 0.5, 2 and 40 (epsilon 100 K), json keeping every double
  // exactly: the two differ in their last digits for lj and mie.
  lennard::testing::ScratchDir dir;
  for (const char* spelling : {"lj", "mie:14,6", "sw:3"}) {
    const lennard::Potential potential = lennard::parse_potential(spelling);
    for (const bool direct : {false, true}) {
      SCOPED_TRACE(std::string(spelling) + (direct ? " -m quadrature" : ""));
      const auto run = lennard::testing::run_program(
          dir, std::string("-p ") + spelling + " -e 100 -s 3 --third --derivative -f json -o - --tmin 50 --tmax 4000 --step 50" +
                   (direct ? " -m quadrature" : ""), "");
      ASSERT_EQ(run.status, 0) << run.err;
      int checked = 0;
      const auto document = nlohmann::json::parse(run.out);
      for (const auto& row : document.at("rows")) {
        const double T = row.at("T_K").get<double>();
        if (T != 50.0 && T != 200.0 && T != 4000.0) continue;
        ++checked;
        const lennard::ReducedThirdVirial c = direct ? lennard::reduced_third_virial(potential, T / 100.0)
                                                     : lennard::reduced_third_virial_universal(potential, T / 100.0);
        EXPECT_EQ(row.at("C_cm6_per_mol2").get<double>(), lennard::laboratory_C(c.C, 3.0)) << T;
        EXPECT_EQ(row.at("dC_dT_cm6_per_mol2_K").get<double>(), lennard::laboratory_dC_dT(c.dC_dT, 3.0, 100.0)) << T;
      }
      EXPECT_EQ(checked, 3);
    }
  }
}

}  // namespace

// Nitrogen boils at about 103.7 K under 10 bar: at 96.68 K it is liquid and
// gets no Z, at 150 K (above T_c) a gas. One warning names the liquid rows.
TEST(ThirdCommand, NoGasZWhereALibraryGasHasCondensed) {
  lennard::testing::ScratchDir dir;
  const auto run = lennard::testing::run_program(
      dir, "--gas nitrogen --pressure 10 -f json -o - --tmin 96.68 --tmax 150 --step 53.32", "");
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.err,
            "Aviso: a 10 bar, nitrogen no es gas a T = 96.68 K (1 fila): la presión supera su presión de vapor (o de "
            "sublimación), está condensado; allí V y Z quedan como nan (null en json).\n");
  const auto rows = nlohmann::json::parse(run.out).at("rows");
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_TRUE(rows[0].at("Z").is_null());
  EXPECT_TRUE(rows[0].at("V_cm3_per_mol").is_null());
  EXPECT_GT(rows[1].at("Z").get<double>(), 0.9);
}

// Beyond half the critical density (a library gas's, or for -e/-s the
// Lennard-Jones fluid's, rho_c sigma^3 = 0.31) the truncated series is
// flagged; below it nothing is said.
TEST(ThirdCommand, WarnsWhereTheGasIsDenserThanHalfTheCriticalDensity) {
  lennard::testing::ScratchDir dir;
  const struct {
    const char* args;
    const char* where;  // empty: no warning
  } cases[] = {
      // rho = P/(Z R T): 60 bar at 160 K, Z = 0.13, is 0.034 mol/cm3 > 0.0067.
      {"--gas argon --pressure 60 --tmin 160 --tmax 160", "a T = 160 K (1 fila)"},
      {"--gas argon --pressure 60 --tmin 200 --tmax 200", ""},
      // rho_c/2 = 0.155/(N_A sigma^3) = 0.0065 mol/cm3 for sigma = 3.4 A;
      // Z = 0.092 at 150 K gives 0.044, Z = 0.85 at 200 K 0.0036.
      {"-e 120 -s 3.4 --pressure 50 --tmin 150 --tmax 150", "a T = 150 K (1 fila)"},
      {"-e 120 -s 3.4 --pressure 50 --tmin 200 --tmax 200", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.args);
    const auto run = lennard::testing::run_program(dir, std::string(c.args) + " -f csv -o -", "");
    ASSERT_EQ(run.status, 0) << run.err;
    const std::string expected = std::string("la densidad del gas pasa de la mitad de la densidad crítica ") + c.where;
    EXPECT_EQ(run.err.find(expected) != std::string::npos, *c.where != '\0') << run.err;
  }
}
