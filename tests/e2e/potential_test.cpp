// Potentials other than Lennard-Jones through the built program.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>

#include "lennard/physics/helium_potential.hpp"
#include "lennard/physics/second_virial.hpp"
#include "test_support.hpp"

namespace {

using lennard::testing::read_file;
using lennard::testing::run_program;
using lennard::testing::ScratchDir;
using lennard::testing::write_file;

TEST(PotentialCommand, FitRecoversEveryParameterOfAMieTableIncludingN) {
  // The program's own exact table (-m series -f csv) fitted back, N starting from 12.
  ScratchDir dir;
  const auto table =
      run_program(dir, "-p mie:14,6 -e 150 -s 3.5 -m series -f csv -o - --tmin 80 --tmax 2000 --step 40", "");
  ASSERT_EQ(table.status, 0) << table.err;
  // Each csv row is T,1/T,B: keep T and B.
  std::string points;
  std::istringstream rows(table.out.substr(table.out.find('\n') + 1));
  for (std::string line; std::getline(rows, line);) {
    points += line.substr(0, line.find(',')) + " " + line.substr(line.rfind(',') + 1) + "\n";
  }
  write_file(dir / "mie.dat", points);
  const auto fit = run_program(dir, "fit mie.dat -p mie:12,6 --free-repulsion -f json", "");
  ASSERT_EQ(fit.status, 0) << fit.err;
  const auto result = nlohmann::json::parse(fit.out);
  EXPECT_NEAR(result.at("epsilon_K").get<double>(), 150.0, 1e-6 * 150.0);
  EXPECT_NEAR(result.at("sigma_A").get<double>(), 3.5, 1e-6 * 3.5);
  EXPECT_NEAR(result.at("repulsive_exponent").get<double>(), 14.0, 1e-6 * 14.0);
  EXPECT_GT(result.at("repulsive_exponent_stderr").get<double>(), 0.0);
  EXPECT_EQ(result.at("dof").get<int>(), static_cast<int>(std::count(points.begin(), points.end(), '\n')) - 3);
  EXPECT_EQ(result.at("potential").get<std::string>().rfind("mie:14", 0), 0u);
}

TEST(PotentialCommand, OutputsNameThePotentialAndKeepTheDefaultFile) {
  ScratchDir dir;
  const auto dat = run_program(dir, "-p sw:1.5 -e 100 -s 3 -o - --tmin 100 --tmax 200", "");
  ASSERT_EQ(dat.status, 0) << dat.err;
  EXPECT_NE(dat.out.find("\n#potencial: sw:1.5\n#método: series"), std::string::npos) << dat.out;
  const auto json = run_program(dir, "-p hs -s 3 -f json -o - --tmin 100 --tmax 200", "");
  ASSERT_EQ(json.status, 0) << json.err;
  const auto document = nlohmann::json::parse(json.out);
  EXPECT_EQ(document.at("potential"), "hs");
  EXPECT_TRUE(document.at("epsilon_K").is_null());
  const auto summary = run_program(dir, "-p sw:1.5 -e 100 -s 3 --summary -f json", "");
  EXPECT_TRUE(nlohmann::json::parse(summary.out).at("max_B_temperature_K").is_null());
  const auto lj = run_program(dir, "-p lj -e 120 -s 3.4 -o lj.dat", "");
  EXPECT_EQ(read_file(dir / "lj.dat"), lennard::testing::golden("lennard_120_3.4.dat"));
}

// Helium from first principles needs neither -e nor -s nor -m: its own
// epsilon/k_B and sigma, by quadrature. B and dB/dT as the library gives them
// (tests/physics/helium_potential_test.cpp checks those against mpmath).
TEST(PotentialCommand, HeliumAbInitioRunsAloneAndMatchesTheLibrary) {
  ScratchDir dir;
  const auto run = run_program(dir, "-p he-abinitio --derivative -f json -o - --tmin 5 --tmax 1005 --step 250", "");
  ASSERT_EQ(run.status, 0) << run.err;
  const auto document = nlohmann::json::parse(run.out);
  EXPECT_EQ(document.at("potential"), "he-abinitio");
  EXPECT_EQ(document.at("epsilon_K").get<double>(), lennard::helium::epsilon_K);
  EXPECT_EQ(document.at("sigma_A").get<double>(), lennard::helium::sigma_A);
  const auto& rows = document.at("rows");
  ASSERT_EQ(rows.size(), 5u);
  for (const auto& row : rows) {
    const double T = row.at("T_K").get<double>();
    const lennard::Potential he = lennard::HeliumAbInitio{};
    const double eps = lennard::helium::epsilon_K, sigma = lennard::helium::sigma_A;
    EXPECT_EQ(row.at("B_cm3_per_mol").get<double>(),
              lennard::second_virial_B(lennard::Method::quadrature, he, eps, sigma, T)) << T;
    EXPECT_EQ(row.at("dB_dT_cm3_per_mol_K").get<double>(),
              lennard::second_virial_dB_dT(lennard::Method::quadrature, he, eps, sigma, T)) << T;
  }
}

class PotentialUsage : public ::testing::TestWithParam<lennard::testing::Case> {};

TEST_P(PotentialUsage, IsRefusedWithStatusTwoAndNoFile) {
  ScratchDir dir;
  const auto run = run_program(dir, GetParam().given, "");
  EXPECT_EQ(run.status, 2) << run.err;
  EXPECT_NE(run.err.find(GetParam().message), std::string::npos) << run.err;
  EXPECT_FALSE(std::filesystem::exists(dir / "Lennard.dat"));
}

INSTANTIATE_TEST_SUITE_P(
    Options, PotentialUsage,
    ::testing::Values(lennard::testing::Case{"Unknown", "-p morse -e 1 -s 1", "potencial desconocido: 'morse'"},
                      lennard::testing::Case{"ExponentsReversed", "-p mie:6,12 -e 1 -s 1", "N > M > 3"},
                      lennard::testing::Case{"ExponentsTooClose", "-p mie:12.00001,12 -e 120 -s 3.4 -m series",
                                             "N - M >= N/20"},
                      lennard::testing::Case{"ThirdNeedsTooLongAGrid", "-p mie:12,3.05 -e 120 -s 3.4 --third",
                                             "hace falta M >= 3.73"},
                      lennard::testing::Case{"TrapezoidIsForLennardJones", "-p mie:14,6 -m trapezoid -e 1 -s 1",
                                             "use series o quadrature"},
                      lennard::testing::Case{"HardSpheresHaveNoEpsilon", "-p hs -e 1 -s 1", "no hay epsilon"},
                      lennard::testing::Case{"HardSpheresNeedASweep", "-p hs -s 1", "--tmin y --tmax"},
                      lennard::testing::Case{"FitHardSpheres", "fit d.dat -p hs", "B no depende de T"},
                      lennard::testing::Case{"FreeRepulsionNeedsMie", "fit d.dat --free-repulsion",
                                             "no se usa con lj"},
                      lennard::testing::Case{"HeliumHasItsOwnEpsilon", "-p he-abinitio -e 10.9", "no dé -e ni -s"},
                      lennard::testing::Case{"HeliumHasItsOwnSigma", "-p he-abinitio -s 2.6", "no dé -e ni -s"},
                      lennard::testing::Case{"HeliumHasNoSeries", "-p he-abinitio -m series",
                                             "he-abinitio no tiene serie"},
                      lennard::testing::Case{"HeliumHasNothingToFit", "fit d.dat -p he-abinitio",
                                             "no tiene parámetros que ajustar"}),
    lennard::testing::CaseName{});

}  // namespace
