// The least-squares statistics every fit shares, against the textbook
// straight line, and the quantum fit's standard errors against a Jacobian
// taken independently from the fitted model.
#include "lennard/physics/least_squares.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "lennard/physics/fit.hpp"
#include "lennard/physics/quantum.hpp"

namespace {

using lennard::least_squares_statistics;

// y = a + b x by the closed forms of a weighted straight line (Bevington &
// Robinson, Data Reduction and Error Analysis, 3rd ed., eqs. 6.12 and 6.21):
// Delta = S Sxx - Sx^2, var(a) = Sxx/Delta, var(b) = S/Delta, cov(a,b) = -Sx/Delta.
TEST(LeastSquares, StraightLineMatchesTheTextbookFormulas) {
  const std::vector<double> x = {0.0, 1.0, 2.0, 3.0}, y = {1.1, 2.9, 5.2, 6.8}, u = {0.1, 0.2, 0.1, 0.3};
  double S = 0, Sx = 0, Sxx = 0, Sy = 0, Sxy = 0;
  for (std::size_t i = 0; i < x.size(); ++i) {
    const double w = 1.0 / (u[i] * u[i]);
    S += w, Sx += w * x[i], Sxx += w * x[i] * x[i], Sy += w * y[i], Sxy += w * x[i] * y[i];
  }
  const double delta = S * Sxx - Sx * Sx;
  const double a = (Sxx * Sy - Sx * Sxy) / delta, b = (S * Sxy - Sx * Sy) / delta;
  std::vector<double> r(x.size());
  double chi2 = 0.0, squares = 0.0;
  for (std::size_t i = 0; i < x.size(); ++i) {
    r[i] = y[i] - a - b * x[i];
    chi2 += r[i] * r[i] / (u[i] * u[i]);
    squares += r[i] * r[i];
  }
  const std::vector<std::vector<double>> jacobian = {{1.0, 1.0, 1.0, 1.0}, x};

  const auto weighted = least_squares_statistics(r, u, jacobian);
  ASSERT_TRUE(weighted.determined());
  EXPECT_EQ(weighted.dof, 2u);
  EXPECT_NEAR(weighted.chi2, chi2, 1e-14 * chi2);
  // Two degrees of freedom: Q(chi^2) = exp(-chi^2/2) exactly.
  EXPECT_NEAR(*weighted.chi2_probability, std::exp(-chi2 / 2.0), 1e-14);
  EXPECT_NEAR(weighted.covariance[0][0], Sxx / delta, 1e-13 * Sxx / delta);
  EXPECT_NEAR(weighted.covariance[1][1], S / delta, 1e-13 * S / delta);
  EXPECT_NEAR(weighted.covariance[0][1], -Sx / delta, 1e-13 * Sx / delta);
  EXPECT_NEAR(weighted.standard_errors[1], std::sqrt(S / delta), 1e-13);
  EXPECT_NEAR(weighted.rms, std::sqrt(squares / 4.0), 1e-15);

  // Without uncertainties the scatter estimates them: the unweighted line's
  // covariance is s^2 (X^T X)^-1 with s^2 = sum r^2 / (n - 2); no probability.
  const auto unweighted = least_squares_statistics(r, {}, jacobian);
  const double s2 = squares / 2.0, n = 4.0, sx = 6.0, sxx = 14.0, d = n * sxx - sx * sx;
  EXPECT_FALSE(unweighted.chi2_probability.has_value());
  EXPECT_NEAR(unweighted.covariance[0][0], s2 * sxx / d, 1e-13 * s2 * sxx / d);
  EXPECT_NEAR(unweighted.covariance[1][1], s2 * n / d, 1e-13 * s2 * n / d);
}

TEST(LeastSquares, ThreeParametersInvertTheNormalMatrix) {
  // A parabola's columns 1, x, x^2: covariance times J^T W J is the identity.
  const std::vector<double> x = {-2, -1, 0, 1, 2, 4}, u = {1, 2, 1, 1, 3, 1};
  std::vector<std::vector<double>> J(3, std::vector<double>(x.size()));
  for (std::size_t i = 0; i < x.size(); ++i) J[0][i] = 1.0, J[1][i] = x[i], J[2][i] = x[i] * x[i];
  const auto s = least_squares_statistics({0.1, -0.2, 0.3, 0.0, -0.1, 0.05}, u, J);
  ASSERT_TRUE(s.determined());
  for (int j = 0; j < 3; ++j) {
    for (int k = 0; k < 3; ++k) {
      double product = 0.0;
      for (int l = 0; l < 3; ++l) {
        double normal = 0.0;
        for (std::size_t i = 0; i < x.size(); ++i) normal += J[l][i] * J[k][i] / (u[i] * u[i]);
        product += s.covariance[j][l] * normal;
      }
      EXPECT_NEAR(product, j == k ? 1.0 : 0.0, 1e-13) << j << "," << k;
    }
  }
}

// Cases with nothing to say: no probability (Boost refuses dof = 0 and an
// infinite chi^2 with an exception) and not determined when J^T W J is singular.
TEST(LeastSquares, NoProbabilityOrErrorsWhereTheyDoNotExist) {
  const double inf = std::numeric_limits<double>::infinity();
  struct Case {
    const char* name;
    std::vector<double> r, u, x;
    bool probability, determined;
  };
  // Two points on a line with stated uncertainties: determined, but no chi^2 to judge.
  for (const Case& c : {Case{"NoDegreeOfFreedom", {0.1, -0.1}, {1, 1}, {1, 2}, false, true},
                        Case{"InfiniteChiSquare", {inf, 0.0, 0.0}, {1, 1, 1}, {1, 2, 3}, false, false},
                        Case{"OneAbscissa", {0.1, -0.1, 0.0}, {1, 1, 1}, {2, 2, 2}, true, false},
                        Case{"Regular", {0.1, -0.1, 0.0}, {1, 1, 1}, {1, 2, 3}, true, true}}) {
    const std::vector<std::vector<double>> J = {std::vector<double>(c.x.size(), 1.0), c.x};
    const auto s = least_squares_statistics(c.r, c.u, J);
    EXPECT_EQ(s.chi2_probability.has_value(), c.probability) << c.name;
    EXPECT_EQ(s.determined(), c.determined) << c.name;
  }
}

TEST(QuantumFit, StandardErrorsMatchAJacobianOfTheFittedModel) {
  // Neon-like exact data with stated uncertainties: the errors are then
  // (J^T W J)^-1 whatever the residuals. J by central differences of B(T) of
  // the fitted model (series plus its first quantum correction), with steps
  // unlike the fit's own.
  constexpr double epsilon = 35.6, sigma = 2.75, M = 20.18;
  const auto B_of = [&](double e, double s, double T) {
    lennard::FitResult model{};
    model.potential = lennard::LennardJones{};
    model.epsilon_K = e;
    model.sigma_A = s;
    model.de_boer = lennard::de_boer_parameter(e, s, M);
    return lennard::fitted_B(model, T);
  };
  lennard::DataSet data;
  data.has_uncertainties = true;
  for (double T = 30.0; T <= 600.0; T *= 1.25) data.points.push_back({T, B_of(epsilon, sigma, T), 0.2 + 0.002 * T, 0});
  const lennard::FitResult fit = lennard::fit_virial_quantum(data, lennard::LennardJones{}, M);
  ASSERT_NEAR(fit.epsilon_K, epsilon, 1e-6 * epsilon);

  double m11 = 0, m12 = 0, m22 = 0;
  const double de = 1e-4 * epsilon, ds = 1e-4 * sigma;
  for (const auto& p : data.points) {
    const double w = 1.0 / (p.u_cm3_per_mol * p.u_cm3_per_mol);
    const double d_e = (B_of(epsilon + de, sigma, p.T_K) - B_of(epsilon - de, sigma, p.T_K)) / (2 * de);
    const double d_s = (B_of(epsilon, sigma + ds, p.T_K) - B_of(epsilon, sigma - ds, p.T_K)) / (2 * ds);
    m11 += w * d_e * d_e, m12 += w * d_e * d_s, m22 += w * d_s * d_s;
  }
  const double det = m11 * m22 - m12 * m12;
  EXPECT_NEAR(fit.epsilon_K_stderr, std::sqrt(m22 / det), 1e-4 * fit.epsilon_K_stderr);
  EXPECT_NEAR(fit.sigma_A_stderr, std::sqrt(m11 / det), 1e-4 * fit.sigma_A_stderr);
  ASSERT_TRUE(fit.chi2_probability.has_value());
  EXPECT_GT(*fit.chi2_probability, 0.999);  // chi^2 ~ 0 for exact data
}

}  // namespace
