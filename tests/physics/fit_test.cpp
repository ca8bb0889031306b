// The fit of epsilon and sigma: exact data, noise against its standard
// errors, and the data no fit can determine.
#include "lennard/physics/fit.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <ostream>
#include <random>
#include <string>
#include <vector>

#include "lennard/physics/errors.hpp"

namespace {

using lennard::DataSet;
using lennard::fit_lennard_jones;
using lennard::FitNotDetermined;

constexpr double true_epsilon = 120.0;
constexpr double true_sigma = 3.4;
const std::vector<double> temperatures = {80, 90, 100, 120, 150, 200, 250, 300, 400, 500, 700, 1000};

double uncertainty(double T) { return 0.5 + 0.01 * T; }

// Points from the model itself, optionally with Gaussian noise: of the stated
// uncertainties when the points carry them, else of a constant 2 cm^3/mol (the
// case an unweighted fit describes).
DataSet synthetic(bool with_uncertainties, std::mt19937_64* noise) {
  DataSet data;
  data.has_uncertainties = with_uncertainties;
  std::normal_distribution<double> normal(0.0, 1.0);
  std::size_t line = 0;
  for (const double T : temperatures) {
    double B = lennard::model_B(true_epsilon, true_sigma, T);
    if (noise != nullptr) B += (with_uncertainties ? uncertainty(T) : 2.0) * normal(*noise);
    data.points.push_back({T, B, with_uncertainties ? uncertainty(T) : 0.0, ++line});
  }
  return data;
}
TEST(Fit, RecoversTheParametersOfExactData) {
  for (const bool weighted : {false, true}) {
    const lennard::FitResult fit = fit_lennard_jones(synthetic(weighted, nullptr));
    EXPECT_NEAR(fit.epsilon_K, true_epsilon, 1e-10 * true_epsilon) << "weighted " << weighted;
    EXPECT_NEAR(fit.sigma_A, true_sigma, 1e-10 * true_sigma) << "weighted " << weighted;
    EXPECT_LT(fit.rms_cm3_per_mol, 1e-6);
    ASSERT_EQ(fit.B_fit_cm3_per_mol.size(), temperatures.size());
    EXPECT_NEAR(fit.B_fit_cm3_per_mol[0], lennard::model_B(true_epsilon, true_sigma, 80.0), 1e-6);
  }
}

struct Undetermined {
  const char* name;
  std::vector<double> temperatures;
};

void PrintTo(const Undetermined& u, std::ostream* os) { *os << u.name; }

class UndeterminedFit : public ::testing::TestWithParam<Undetermined> {};

TEST_P(UndeterminedFit, IsRefusedRatherThanReportedWithInfiniteErrors) {
  DataSet data;
  for (const double T : GetParam().temperatures) data.points.push_back({T, lennard::model_B(120.0, 3.4, T), 0.0, 0});
  EXPECT_THROW(fit_lennard_jones(data), lennard::FitNotDetermined);
}

INSTANTIATE_TEST_SUITE_P(Data, UndeterminedFit,
                         ::testing::Values(Undetermined{"OneTemperature", {300, 300, 300, 300}},
                                           Undetermined{"TwoTemperatures", {200, 300, 200, 300}},
                                           Undetermined{"NineDecades", {1, 1e3, 1e6, 1e9}}),
                         [](const auto& param_info) { return std::string(param_info.param.name); });

TEST(Fit, SameResultOnAnyNumberOfThreads) {
  // The sums run in fixed blocks of points, so the threads only change who adds them.
  std::mt19937_64 noise(11);
  std::normal_distribution<double> normal(0.0, 1.0);
  DataSet data;
  data.has_uncertainties = true;
  for (int i = 0; i < 20000; ++i) {
    const double T = 80.0 + 0.05 * i;
    data.points.push_back({T, lennard::model_B(120.0, 3.4, T) + normal(noise), 1.0, 0});
  }
  const lennard::FitResult one = fit_lennard_jones(data, {1, nullptr});
  const lennard::FitResult three = fit_lennard_jones(data, {3, nullptr});
  EXPECT_EQ(one.epsilon_K, three.epsilon_K);
  EXPECT_EQ(one.sigma_A, three.sigma_A);
  EXPECT_EQ(one.epsilon_K_stderr, three.epsilon_K_stderr);
  EXPECT_EQ(one.chi2, three.chi2);
}

TEST(Fit, NoisyDataLandWithinThreeStandardErrors) {
  // With stated uncertainties the standard errors are exact (not estimated
  // from the scatter), so each fit lands within 3 of them but for 0.3% of cases.
  for (std::uint64_t seed = 1; seed <= 10; ++seed) {
    std::mt19937_64 noise(seed);
    const lennard::FitResult fit = fit_lennard_jones(synthetic(true, &noise));
    EXPECT_LT(std::fabs(fit.epsilon_K - true_epsilon), 3.0 * fit.epsilon_K_stderr)
        << "seed " << seed << ": " << fit.epsilon_K << " ± " << fit.epsilon_K_stderr;
    EXPECT_LT(std::fabs(fit.sigma_A - true_sigma), 3.0 * fit.sigma_A_stderr)
        << "seed " << seed << ": " << fit.sigma_A << " ± " << fit.sigma_A_stderr;
  }
}

TEST(Fit, WithoutUncertaintiesScalesTheErrorsByTheReducedChiSquare) {
  // The same points, once unweighted and once with a constant u: the estimates
  // coincide, and the unweighted errors are the weighted ones times
  // sqrt(chi2_unweighted / (n - 2)) / u.
  std::mt19937_64 noise(7);
  DataSet unweighted = synthetic(false, &noise);
  DataSet weighted = unweighted;
  weighted.has_uncertainties = true;
  for (auto& point : weighted.points) point.u_cm3_per_mol = 2.0;
  const lennard::FitResult a = fit_lennard_jones(unweighted);
  const lennard::FitResult b = fit_lennard_jones(weighted);
  EXPECT_NEAR(a.epsilon_K, b.epsilon_K, 1e-6 * b.epsilon_K);
  EXPECT_NEAR(a.sigma_A, b.sigma_A, 1e-6 * b.sigma_A);
  const double factor = std::sqrt(a.chi2 / static_cast<double>(temperatures.size() - 2)) / 2.0;
  EXPECT_NEAR(a.epsilon_K_stderr, b.epsilon_K_stderr * factor, 1e-4 * a.epsilon_K_stderr);
  EXPECT_NEAR(a.sigma_A_stderr, b.sigma_A_stderr * factor, 1e-4 * a.sigma_A_stderr);
  EXPECT_NEAR(a.chi2, 4.0 * b.chi2, 1e-9 * a.chi2);
}

TEST(Fit, StandardErrorsMatchTheScatterOfRepeatedExperiments) {
  // 300 data sets with the stated uncertainties: the spread of the fitted
  // parameters must match the standard errors the fit reports (the sample
  // standard deviation of 300 draws is good to about 4%; allow 15%).
  std::mt19937_64 noise(20261208);
  const lennard::FitResult reference = fit_lennard_jones(synthetic(true, nullptr));
  constexpr int trials = 300;
  double sum_e = 0.0, sum_e2 = 0.0, sum_s = 0.0, sum_s2 = 0.0, sum_reduced_chi2 = 0.0;
  for (int i = 0; i < trials; ++i) {
    const lennard::FitResult fit = fit_lennard_jones(synthetic(true, &noise));
    sum_reduced_chi2 += fit.reduced_chi2;
    sum_e += fit.epsilon_K;
    sum_e2 += fit.epsilon_K * fit.epsilon_K;
    sum_s += fit.sigma_A;
    sum_s2 += fit.sigma_A * fit.sigma_A;
  }
  const double spread_e = std::sqrt((sum_e2 - sum_e * sum_e / trials) / (trials - 1));
  const double spread_s = std::sqrt((sum_s2 - sum_s * sum_s / trials) / (trials - 1));
  EXPECT_NEAR(spread_e / reference.epsilon_K_stderr, 1.0, 0.15);
  EXPECT_NEAR(spread_s / reference.sigma_A_stderr, 1.0, 0.15);
  // With the right uncertainties chi^2/dof averages 1, with a standard
  // deviation of sqrt(2/10)/sqrt(300) = 0.026 for this mean.
  EXPECT_NEAR(sum_reduced_chi2 / trials, 1.0, 0.1);
}

TEST(Fit, RefusesDataNoLennardJonesGasProduces) {
  // B positive and falling at every T: no minimum of chi^2 inside the range searched.
  DataSet data;
  for (int i = 0; i < 5; ++i) data.points.push_back({100.0 + 50.0 * i, 100.0 - 10.0 * i, 0.0, 0});
  EXPECT_THROW(fit_lennard_jones(data), lennard::FitNotDetermined);
}

}  // namespace

namespace {

// Started from mie:8,6, the search for the repulsive exponent reaches exponents
// too close to M to be accepted (N - M < N/20); those points are skipped, not
// reported as the fit's failure. The data are mie:9,6's own B.
TEST(Fit, FreeRepulsionSkipsExponentsTooCloseToTheAttraction) {
  const lennard::Mie truth(9.0, 6.0);
  DataSet data;
  std::size_t line = 0;
  for (const double T : temperatures) {
    data.points.push_back({T, lennard::model_B(truth, true_epsilon, true_sigma, T), 0.0, ++line});
  }
  const lennard::FitResult fit = lennard::fit_virial(data, lennard::Mie(8.0, 6.0), true);
  ASSERT_TRUE(fit.repulsive_exponent.has_value());
  EXPECT_NEAR(*fit.repulsive_exponent, 9.0, 1e-6);
  EXPECT_NEAR(fit.epsilon_K, true_epsilon, 1e-6 * true_epsilon);
}

}  // namespace
