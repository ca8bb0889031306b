#include "lennard/physics/sweep.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <vector>

namespace {

using lennard::default_sweep;
using lennard::InvalidArgument;
using lennard::Parameter;
using lennard::Reason;
using lennard::temperature_grid;

std::size_t rows_for(double epsilon) { return temperature_grid(default_sweep(epsilon)).size(); }

TEST(Sweep, DefaultGridsOfTheWorkedExamples) {
  const auto grid120 = temperature_grid(default_sweep(120.0));
  ASSERT_EQ(grid120.size(), 101u);
  EXPECT_EQ(grid120.front(), 120.0);
  EXPECT_EQ(grid120.back(), 600.0);  // the hundredth addition lands on T2 exactly

  const auto grid1 = temperature_grid(default_sweep(1.0));
  ASSERT_EQ(grid1.size(), 100u);
  // The 101st running-sum value would be 5.0000000000000036 > T2 = 5.
  EXPECT_GT(grid1.back() + default_sweep(1.0).dT, 5.0);
  EXPECT_EQ(grid1.back() + default_sweep(1.0).dT, 5.0000000000000036);
}

TEST(Sweep, NegativeEpsilonGivesNoRows) {
  EXPECT_TRUE(temperature_grid(default_sweep(-5.0)).empty());
  EXPECT_TRUE(temperature_grid(default_sweep(-1e300)).empty());
}

TEST(Sweep, StepUsesTheExactDifference) {
  // These two epsilons change their row count when T2 - T1 is rounded to
  // double before the division; the exact difference gives 101 and 100.
  EXPECT_EQ(rows_for(228.3963921798119), 101u);
  EXPECT_EQ(rows_for(1.5873393084155472), 100u);

  // The plain double quotient really differs for them: this test can fail.
  for (const double epsilon : {228.3963921798119, 1.5873393084155472}) {
    const double T2 = epsilon * 5.0;
    const double naive = (T2 - epsilon) / 100.0;
    EXPECT_NE(naive, lennard::temperature_step(epsilon, T2)) << "epsilon = " << epsilon;
  }
}

// True when q lies exactly halfway between two adjacent doubles.
bool is_double_midpoint(long double q) {
  const double below = static_cast<double>(q);
  const double other = q > below ? std::nextafter(below, INFINITY) : std::nextafter(below, -INFINITY);
  return q != below && (static_cast<long double>(below) + static_cast<long double>(other)) / 2.0L == q;
}

TEST(Sweep, TwoSumStepMatchesTheExtendedStepBarDoubleRoundingTies) {
  if (std::numeric_limits<long double>::digits < 64) GTEST_SKIP() << "no extended long double here";
  // The extended path rounds the quotient to 64 bits, then to 53; the two-sum
  // path rounds once. They may differ only where the 64-bit quotient is a tie.
  std::mt19937_64 random(20261208);
  std::uniform_real_distribution<double> mantissa(1.0, 2.0);
  std::uniform_int_distribution<int> exponent(-1000, 1000);
  int ties = 0;
  for (int i = 0; i < 200000; ++i) {
    const double epsilon = std::ldexp(mantissa(random), exponent(random));
    const double T2 = epsilon * 5.0;
    const long double extended = (static_cast<long double>(T2) - epsilon) / 100.0L;
    const double with_long_double = lennard::temperature_step(epsilon, T2);
    const double with_two_sum = lennard::temperature_step_two_sum(epsilon, T2);
    if (is_double_midpoint(extended)) {
      ++ties;
      continue;
    }
    ASSERT_EQ(with_long_double, with_two_sum) << std::hexfloat << "epsilon = " << epsilon;
  }
  EXPECT_LT(ties, 1000);
}

TEST(Parameters, RefusesWhatNoSweepCanBeBuiltFrom) {
  const double inf = std::numeric_limits<double>::infinity();
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const struct {
    double epsilon, sigma;
    Parameter parameter;
    Reason reason;
  } cases[] = {
      {nan, 3.4, Parameter::epsilon, Reason::not_finite},     {120.0, nan, Parameter::sigma, Reason::not_finite},
      {inf, 3.4, Parameter::epsilon, Reason::not_finite},     {-inf, 3.4, Parameter::epsilon, Reason::not_finite},
      {120.0, inf, Parameter::sigma, Reason::not_finite},     {0.0, 3.4, Parameter::epsilon, Reason::zero},
      {-0.0, 3.4, Parameter::epsilon, Reason::zero},          {4e307, 3.4, Parameter::epsilon, Reason::too_large},
      {120.0, 0.0, Parameter::sigma, Reason::not_positive},   {120.0, -3.4, Parameter::sigma, Reason::not_positive},
  };
  for (const auto& c : cases) {
    try {
      lennard::check_parameters(c.epsilon, c.sigma);
      ADD_FAILURE() << c.epsilon << ", " << c.sigma << " accepted";
    } catch (const InvalidArgument& refusal) {
      EXPECT_EQ(refusal.parameter(), c.parameter) << refusal.what();
      EXPECT_EQ(refusal.reason(), c.reason) << refusal.what();
    }
  }

  EXPECT_NO_THROW(lennard::check_parameters(3.5e307, 3.4));  // 5 epsilon = 1.75e308 is finite
  EXPECT_NO_THROW(lennard::check_parameters(-120.0, 3.4));   // an empty sweep, not an error
  EXPECT_NO_THROW(lennard::check_parameters(120.0, 1e-300));
}

TEST(Grid, RefusesAStepThatDoesNotAdvance) {
  // The smallest subnormal: dT = 4 ulp / 100 rounds to zero.
  const double tiny = std::numeric_limits<double>::denorm_min();
  EXPECT_EQ(default_sweep(tiny).dT, 0.0);
  EXPECT_THROW(rows_for(tiny), InvalidArgument);
  // A step below half an ulp of T.
  EXPECT_THROW(temperature_grid({1e17, 2e17, 1.0}), InvalidArgument);
  // A step that advances T, though subnormal: the sweep is still finite.
  EXPECT_GE(rows_for(1e-320), 100u);
}

TEST(Grid, SweepThatStartsAtItsBoundIsOneRowWhateverTheStep) {
  // --tmin 300 --tmax 300: the default step (T2 - T1)/100 is 0.
  EXPECT_EQ(temperature_grid({300.0, 300.0, lennard::temperature_step(300.0, 300.0)}), std::vector<double>{300.0});
  EXPECT_EQ(temperature_grid({300.0, 300.0, 7.0}), std::vector<double>{300.0});
}

// Asked-for sweeps: T_i = T1 + i dT, with T2 itself as the last row when
// (T2 - T1)/dT is a whole number to 1e-9 relative.
struct EvenCase {
  const char* name;
  lennard::Sweep sweep;
  std::size_t rows;
  double last;
};

TEST(EvenGrid, RowsAndLastTemperature) {
  const EvenCase cases[] = {
      {"RunningSumStopsAt300.9", {300.0, 301.2, 0.3}, 5, 301.2},
      {"RunningSumGivesTwoRows", {0.1, 0.3, 0.1}, 3, 0.3},  // 0.1 + 2*0.1 = 0.30000000000000004
      {"RatioNotWhole", {1.0, 2.0, 0.3}, 4, 1.0 + 3 * 0.3},
      {"WithinTolerance", {1.0, 2.0, 0.25 * (1.0 + 1e-10)}, 5, 2.0},
      {"BeyondTolerance", {1.0, 2.0, 0.25 * (1.0 + 1e-8)}, 4, 1.0 + 3 * (0.25 * (1.0 + 1e-8))},
      {"OneRow", {300.0, 300.0, 7.0}, 1, 300.0},
      {"AtTheRowLimit", {1.0, 1e6, 1.0}, 1'000'000, 1e6},
  };
  for (const EvenCase& c : cases) {
    const std::vector<double> grid = lennard::evenly_spaced_grid(c.sweep);
    ASSERT_EQ(grid.size(), c.rows) << c.name;
    EXPECT_EQ(grid.back(), c.last) << c.name;
  }
  // Each row is T1 + i dT, not a running sum: 100 + 2*0.1 is 100.2, the sum 100.19999999999999.
  EXPECT_EQ(lennard::evenly_spaced_grid({100.0, 100.3, 0.1})[2], 100.2);
}

TEST(EvenGrid, RefusesTooManyRowsAndAStepThatDoesNotAdvance) {
  EXPECT_THROW(lennard::evenly_spaced_grid({1.0, 1e6 + 1.0, 1.0}), InvalidArgument);  // 1,000,001 rows
  EXPECT_THROW(lennard::evenly_spaced_grid({1.0, 100.0, 1.0}, 99), InvalidArgument);
  EXPECT_THROW(lennard::evenly_spaced_grid({1e17, 2e17, 1.0}), InvalidArgument);
  // dT = 0.6 ulp of T1: the first step rounds up a whole ulp, the second repeats it.
  EXPECT_THROW(lennard::evenly_spaced_grid({0x1p53, 0x1p53 + 6.0, 1.2}), InvalidArgument);
}

TEST(Grid, RefusesMoreRowsThanTheLimit) {
  EXPECT_THROW(temperature_grid({1.0, 100.0, 1.0}, 99), InvalidArgument);
  EXPECT_EQ(temperature_grid({1.0, 100.0, 1.0}, 100).size(), 100u);
}

}  // namespace
