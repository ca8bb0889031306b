// C, V and Z through the built program.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <string>

#include "lennard/physics/constants.hpp"
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

}  // namespace
