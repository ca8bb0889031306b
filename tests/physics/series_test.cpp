#include "lennard/physics/series.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <numbers>
#include <string>
#include <vector>

#include "lennard/physics/characteristic.hpp"
#include "lennard/physics/virial.hpp"

namespace {

constexpr double two_pi_over_3 = 2.0 * std::numbers::pi / 3.0;

struct Reference {
  double T_star, B, dB_dT;
};

// tests/data/lj_series_reference.csv: mpmath at 50 digits, made by
// tests/tools/series_reference.py.
std::vector<Reference> references() {
  std::ifstream in(std::string(LENNARD_TEST_DATA) + "/lj_series_reference.csv");
  std::string line;
  std::getline(in, line);
  std::vector<Reference> values;
  while (std::getline(in, line)) {
    Reference r{};
    if (std::sscanf(line.c_str(), "%lf,%lf,%lf", &r.T_star, &r.B, &r.dB_dT) == 3) values.push_back(r);
  }
  return values;
}

TEST(Series, ReachesFullDoublePrecisionAgainstMpmath) {
  // Relative 1e-14, or absolute 1e-14 of 2 pi/3 where B (or dB/dT) crosses
  // zero. Measured worst case: 8e-16 for B, 8e-16 for dB/dT.
  const auto values = references();
  ASSERT_GT(values.size(), 120u);
  for (const Reference& r : values) {
    const lennard::ReducedVirial v = lennard::reduced_virial_series(r.T_star);
    EXPECT_NEAR(v.B, r.B, 1e-14 * std::fmax(std::fabs(r.B), two_pi_over_3)) << "T* = " << r.T_star;
    EXPECT_NEAR(v.dB_dT, r.dB_dT, 1e-14 * std::fmax(std::fabs(r.dB_dT), two_pi_over_3 / r.T_star))
        << "T* = " << r.T_star;
  }
}

TEST(Series, ScalesToCubicCentimetresPerMoleWithTheExactAvogadroConstant) {
  // B = B* N_A sigma^3 with N_A sigma^3 = 0.602214076 sigma^3 cm^3/mol (sigma in A).
  const double reduced = lennard::reduced_virial_series(2.5).B;
  EXPECT_DOUBLE_EQ(lennard::virial_B_series(120.0, 3.4, 300.0), reduced * 0.602214076 * 3.4 * 3.4 * 3.4);
  EXPECT_DOUBLE_EQ(lennard::virial_dB_dT_series(120.0, 3.4, 300.0),
                   lennard::reduced_virial_series(2.5).dB_dT * 0.602214076 * 3.4 * 3.4 * 3.4 / 120.0);
}

TEST(Series, StaysFiniteAndNegativeFarBelowTheRangeOfTheTable) {
  // At T* = 0.02 the terms peak near 1e21 before they fall; B is large and negative.
  const double B = lennard::reduced_virial_series(0.02).B;
  EXPECT_TRUE(std::isfinite(B));
  EXPECT_LT(B, -1e15);
  // Deep enough, B itself overflows: -infinity, not NaN.
  EXPECT_EQ(lennard::reduced_virial_series(1e-3).B, -INFINITY);
}

TEST(Trapezoid, AgreesWithTheSeriesUpToTheRulesErrorAndTheAvogadroScale) {
  // The rule carries N_A = 6.022e23 instead of 6.02214076e23 (a factor
  // 0.99997663...) and an error below 3e-7 b0 (b0 = 2 pi N_A sigma^3 / 3).
  const double epsilon = 120.0;
  const double sigma = 3.4;
  const double b0 = two_pi_over_3 * 0.6022 * sigma * sigma * sigma;
  const double scale = 0.6022 / 0.602214076;
  for (int k = 0; k <= 100; ++k) {
    const double T = epsilon * (1.0 + 0.04 * k);
    const double trapezoid = lennard::virial_B_trapezoid(epsilon, sigma, T);
    const double series = lennard::virial_B_series(epsilon, sigma, T);
    EXPECT_NEAR(trapezoid, scale * series, 3e-7 * b0) << "T = " << T;
    // Without the scale correction the difference is visible at low T.
    if (k == 0) {
      EXPECT_GT(std::fabs(trapezoid - series), 1e-3);
    }
  }
}

TEST(Characteristics, SatisfyTheirDefiningEquations) {
  const lennard::ReducedCharacteristics r = lennard::reduced_characteristics(lennard::LennardJones{});
  ASSERT_TRUE(r.boyle_T_star && r.inversion_T_star && r.max_B_T_star && r.max_B_reduced);
  const struct {
    double boyle_T_star, inversion_T_star, max_B_T_star, max_B_reduced;
  } c{*r.boyle_T_star, *r.inversion_T_star, *r.max_B_T_star, *r.max_B_reduced};
  // Published Boyle temperature of the Lennard-Jones gas, T* = 3.417928
  // (Hirschfelder, Curtiss & Bird, table I-B).
  EXPECT_NEAR(c.boyle_T_star, 3.417928, 5e-7);
  // mpmath at 30 digits (findroot on the series): 3.41792802304911285931,
  // 6.43079847224057944775, 25.1525734552195974765 and B* = 1.10692739030530099591.
  EXPECT_NEAR(c.boyle_T_star, 3.41792802304911285931, 1e-12 * 3.42);
  EXPECT_NEAR(c.inversion_T_star, 6.43079847224057944775, 1e-12 * 6.43);
  EXPECT_NEAR(c.max_B_T_star, 25.1525734552195974765, 1e-10 * 25.2);
  EXPECT_NEAR(c.max_B_reduced, 1.10692739030530099591, 1e-14 * 1.11);

  // The defining equations, to within a few ulps of the scale of B.
  const auto at = [](double t) { return lennard::reduced_virial_series(t); };
  EXPECT_NEAR(at(c.boyle_T_star).B, 0.0, 1e-14 * two_pi_over_3);
  EXPECT_NEAR(at(c.inversion_T_star).B - c.inversion_T_star * at(c.inversion_T_star).dB_dT, 0.0,
              1e-14 * two_pi_over_3);
  EXPECT_NEAR(at(c.max_B_T_star).dB_dT, 0.0, 1e-15);
  EXPECT_GT(c.max_B_reduced, at(c.max_B_T_star * 0.99).B);
  EXPECT_GT(c.max_B_reduced, at(c.max_B_T_star * 1.01).B);
}

TEST(Characteristics, ScaleWithEpsilonAndSigma) {
  const lennard::Characteristics argon = lennard::characteristics(lennard::LennardJones{}, 120.0, 3.4);
  const lennard::ReducedCharacteristics c = lennard::reduced_characteristics(lennard::LennardJones{});
  EXPECT_EQ(*argon.boyle_temperature_K, *c.boyle_T_star * 120.0);
  EXPECT_EQ(*argon.inversion_temperature_K, *c.inversion_T_star * 120.0);
  EXPECT_EQ(*argon.max_B_temperature_K, *c.max_B_T_star * 120.0);
  EXPECT_DOUBLE_EQ(*argon.max_B_cm3_per_mol, *c.max_B_reduced * 0.602214076 * 3.4 * 3.4 * 3.4);
}

}  // namespace
