// The quantum correction through the built program: its columns, its fit, its refusals.
#include "lennard/physics/quantum.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <nlohmann/json.hpp>
#include <numbers>
#include <sstream>
#include <string>

#include "test_support.hpp"

namespace {

constexpr double worked_de_boer = 2.7677052334321280273;


TEST(QuantumCommand, AddsTheCorrectionAndKeepsTheClassicalColumn) {
  lennard::testing::ScratchDir dir;
  const auto run = lennard::testing::run_program(
      dir, "-e 10 -s 2.5 --quantum --mass 4 -f json -o - --tmin 10 --tmax 10", "");
  ASSERT_EQ(run.status, 0) << run.err;
  const auto document = nlohmann::json::parse(run.out);
  EXPECT_NEAR(document.at("de_boer_parameter").get<double>(), worked_de_boer, 1e-14 * worked_de_boer);
  const auto& row = document.at("rows")[0];
  // At T* = 1: B - B_classical = (2 pi/3) N_A sigma^3 Lambda*^2 B_I*(1).
  const double expected = 2.0 * std::numbers::pi / 3.0 * 0.602214076 * 2.5 * 2.5 * 2.5 * worked_de_boer *
                          worked_de_boer * 0.41558235890735513382;
  const double shift = row.at("B_cm3_per_mol").get<double>() - row.at("B_classical_cm3_per_mol").get<double>();
  EXPECT_NEAR(shift, expected, 1e-12 * expected);
  // A correction this size (helium-like) is flagged; a neon-like one is not,
  // even where its classical B passes through zero.
  EXPECT_NE(run.err.find("no es fiable"), std::string::npos) << run.err;
  const auto neon = lennard::testing::run_program(
      dir, "-e 35.6 -s 2.75 --quantum --mass 20.18 -o neon.dat --tmin 100 --tmax 140 --step 1", "");
  EXPECT_EQ(neon.err, "");
  // Neither the Boyle point of a B that the first correction keeps positive
  // nor a garbage root far below T* = 1e-3 is reported.
  const auto summary =
      lennard::testing::run_program(dir, "-e 10.22 -s 2.556 --quantum --mass 4 --summary -f json", "");
  EXPECT_TRUE(nlohmann::json::parse(summary.out).at("boyle_temperature_K").is_null()) << summary.out;
}

TEST(QuantumCommand, FitRecoversTheParametersOfANeonLikeTable) {
  // The program's own quantum-corrected table (epsilon/k_B = 35.6 K, sigma =
  // 2.75 A, M = 20.18 g/mol) fitted back with and without the correction.
  lennard::testing::ScratchDir dir;
  const auto table = lennard::testing::run_program(
      dir, "-e 35.6 -s 2.75 --quantum --mass 20.18 -f csv -o - --tmin 40 --tmax 600 --step 40", "");
  ASSERT_EQ(table.status, 0) << table.err;
  std::istringstream rows(table.out.substr(table.out.find('\n') + 1));
  std::string points;
  for (std::string line; std::getline(rows, line);) {
    const std::size_t first = line.find(','), second = line.find(',', first + 1), third = line.find(',', second + 1);
    points += line.substr(0, first) + " " + line.substr(second + 1, third - second - 1) + "\n";  // T and B
  }
  lennard::testing::write_file(dir / "neon.dat", points);
  const auto quantum = lennard::testing::run_program(dir, "fit neon.dat --quantum --mass 20.18 -f json", "");
  ASSERT_EQ(quantum.status, 0) << quantum.err;
  const auto fit = nlohmann::json::parse(quantum.out);
  EXPECT_NEAR(fit.at("epsilon_K").get<double>(), 35.6, 1e-6 * 35.6);
  EXPECT_NEAR(fit.at("sigma_A").get<double>(), 2.75, 1e-6 * 2.75);
  EXPECT_NEAR(fit.at("de_boer_parameter").get<double>(), lennard::de_boer_parameter(35.6, 2.75, 20.18), 1e-6);
  // Without the correction the same data give an epsilon a few per cent low.
  const auto classical = lennard::testing::run_program(dir, "fit neon.dat -f json", "");
  EXPECT_LT(nlohmann::json::parse(classical.out).at("epsilon_K").get<double>(), 35.6 * 0.99);
}

class QuantumUsage : public ::testing::TestWithParam<lennard::testing::Case> {};

TEST_P(QuantumUsage, IsRefusedWithStatusTwo) {
  lennard::testing::ScratchDir dir;
  const auto run = lennard::testing::run_program(dir, GetParam().given, "");
  EXPECT_EQ(run.status, 2) << run.err;
  EXPECT_NE(run.err.find(GetParam().message), std::string::npos) << run.err;
}

INSTANTIATE_TEST_SUITE_P(
    Options, QuantumUsage,
    ::testing::Values(lennard::testing::Case{"NoMass", "-e 10 -s 2.5 --quantum", "necesita la masa molar"},
                      lennard::testing::Case{"MassAlone", "-e 10 -s 2.5 --mass 4", "solo sirve con --quantum"},
                      lennard::testing::Case{"SquareWell", "-p sw:1.5 -e 10 -s 2.5 --quantum --mass 4",
                                             "potencial continuo"},
                      lennard::testing::Case{"Trapezoid", "-e 10 -s 2.5 --quantum --mass 4 -m trapezoid",
                                             "no trapezoid"},
                      lennard::testing::Case{"NegativeMass", "-e 10 -s 2.5 --quantum --mass -4",
                                             "no es una masa positiva y finita"},
                      lennard::testing::Case{"FitWithoutMass", "fit d.dat --quantum", "necesita la masa molar"}),
    lennard::testing::CaseName{});

}  // namespace
