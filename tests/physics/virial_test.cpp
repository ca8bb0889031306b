#include "lennard/physics/virial.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <vector>

#include "series_oracle.hpp"

namespace {

using lennard::detail::Fun;
using lennard::virial_B_trapezoid;

// 2 pi N_A sigma^3 / 3 with the program's N_A x 1 A^3 = 0.6022 cm^3/mol: the
// natural unit of B (the "b0" of the hard-sphere gas).
double b0(double sigma) { return 2.0 * std::numbers::pi / 3.0 * 0.6022 * sigma * sigma * sigma; }

TEST(Integrand, UnderflowsToOneOverXToTheFourthAtTheUpperLimit) {
  // exp(-alfa * ~1e12) underflows to exactly 0 for every alfa of a sweep.
  for (const double a : {0.8, 1.0, 4.0}) {
    EXPECT_EQ(Fun(10.0, a), 0.0001) << "alfa = " << a;
  }
}

TEST(Integrand, VanishesEverywhereWhenAlfaIsZero) {
  for (const double x : {0.1, 0.5, 1.0, 1.122462048309373, 3.0, 10.0}) {
    EXPECT_EQ(Fun(x, 0.0), 0.0) << "x = " << x;
  }
}

TEST(Integrand, MatchesTheMayerFunctionOverXToTheFourth) {
  // Reference in long double from the definition [1 - exp(-alfa (x^12 - x^6))] / x^4.
  // Away from x -> 0, where 1 - exp(-u) cancels and no formula in double keeps
  // full relative accuracy.
  for (const double x : {0.7, 0.95, 1.05, 1.3, 2.0}) {
    const long double xl = x;
    const long double expected =
        (1.0L - std::exp(-2.5L * (std::pow(xl, 12) - std::pow(xl, 6)))) / std::pow(xl, 4);
    EXPECT_NEAR(Fun(x, 2.5), static_cast<double>(expected), 2e-15 * std::fabs(static_cast<double>(expected)))
        << "x = " << x;
  }
  EXPECT_EQ(Fun(1.0, 2.5), 0.0);  // U(sigma) = 0
}

TEST(Quadrature, VisitsTheRunningSumNodesAndBothNominalEnds) {
  std::vector<double> calls;
  const double integral = lennard::detail::trapezoid_in_x([&](double x) {
    calls.push_back(x);
    return 1.0;
  });
  ASSERT_EQ(calls.size(), 9903u);  // 9901 nodes and the two end values
  EXPECT_EQ(calls.front(), 0.1);
  EXPECT_EQ(calls[1], 0.1 + 0.001);
  EXPECT_EQ(calls[9900], 9.999999999999897);  // last node, just below 10
  EXPECT_EQ(calls[9901], 10.0);               // upper end exactly at x1
  EXPECT_EQ(calls[9902], 0.1);
  // A constant integrates to the width 9.9 up to the rounding of the sum.
  EXPECT_NEAR(integral, 9.9, 1e-12);
}

TEST(Quadrature, IntegratesAQuadraticWithTheTrapezoidError) {
  // Int_0.1^10 x^2 dx = (1000 - 0.001)/3; the trapezoid overestimates it by
  // (b - a) h^2 / 12 * f'' = 9.9 * 1e-6 / 6.
  const double integral = lennard::detail::trapezoid_in_x([](double x) { return x * x; });
  const double exact = (1000.0 - 0.001) / 3.0;
  EXPECT_NEAR(integral - exact, 9.9e-6 / 6.0, 1e-9);
}

TEST(VirialB, WithAlfaZeroIsTheNearRangeTermAlone) {
  // epsilon = 0: no attraction or repulsion beyond r = sigma/10, only the
  // excluded core 2 pi 0.6022 sigma^3 / (3 * 10^3).
  for (const double sigma : {1.0, 3.4, 10.0}) {
    const double expected = 2.0 * std::numbers::pi * 0.6022 * sigma * sigma * sigma / 3000.0;
    EXPECT_NEAR(virial_B_trapezoid(0.0, sigma, 300.0), expected, 4e-16 * expected) << "sigma = " << sigma;
  }
}

TEST(VirialB, DependsOnTemperatureOnlyThroughTOverEpsilonAndScalesAsSigmaCubed) {
  // alfa = 4 epsilon/T is identical for these pairs, and sigma = 2 scales by exactly 8.
  EXPECT_EQ(virial_B_trapezoid(120.0, 3.4, 240.0), virial_B_trapezoid(1.0, 3.4, 2.0));
  EXPECT_EQ(virial_B_trapezoid(50.0, 2.0, 75.0), 8.0 * virial_B_trapezoid(50.0, 1.0, 75.0));
}

TEST(VirialB, DiffersFromTheExactSeriesByTheRulesLeadingErrors) {
  // Leading errors of the method in the reduced integral (B = 2 pi N_A sigma^3 I):
  //  - trapezoid, Euler-Maclaurin: h^2/12 (f'(10) - f'(0.1)) with f ~ -alfa x^2
  //    near x = 0.1, so +1e-6/12 * 0.2 alfa;
  //  - far range, Mayer function to first order only: +alfa^2/2 Int_0^0.1 x^8 dx
  //    = +alfa^2 1e-9/18.
  // In units of b0 = 2 pi N_A sigma^3/3 both are multiplied by 3. The series
  // oracle is accurate to ~1e-18, far below these.
  const double sigma = 3.4;
  for (int k = 0; k <= 400; ++k) {
    const double T_star = 1.0 + 0.01 * k;
    const double a = 4.0 / T_star;
    const double B = virial_B_trapezoid(1.0, sigma, T_star);
    const double exact =
        static_cast<double>(lennard::testing::reduced_B_series(T_star)) * 0.6022 * sigma * sigma * sigma;
    const double deviation = (B - exact) / b0(sigma);
    const double predicted = 3.0 * (1e-6 / 12.0 * 0.2 * a + a * a * 1e-9 / 18.0);
    EXPECT_NEAR(deviation, predicted, 0.01 * predicted) << "T* = " << T_star;
  }
}

TEST(VirialB, SeriesOracleHasThePublishedBoyleTemperature) {
  // Boyle temperature of the Lennard-Jones gas, T* = 3.417928 (Hirschfelder,
  // Curtiss & Bird, table I-B): B* changes sign there.
  EXPECT_LT(lennard::testing::reduced_B_series(3.417927L), 0.0L);
  EXPECT_GT(lennard::testing::reduced_B_series(3.417929L), 0.0L);
}

}  // namespace
