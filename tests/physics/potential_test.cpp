// The pair potentials: spellings, exact B* against independent values, the
// series against the quadrature, characteristic temperatures and fits.
#include <gtest/gtest.h>

#include <cmath>
#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

#include "lennard/physics/characteristic.hpp"
#include "lennard/physics/errors.hpp"
#include "lennard/physics/fit.hpp"
#include "lennard/physics/potential.hpp"
#include "lennard/physics/quadrature.hpp"
#include "lennard/physics/series.hpp"

namespace {

using lennard::Potential;

constexpr double b0 = lennard::two_pi_over_3;  // B* of hard spheres

// T* from 0.3 to 1e4, log-spaced.
std::vector<double> reduced_temperatures() {
  std::vector<double> T;
  for (int k = 0; k <= 30; ++k) T.push_back(0.3 * std::pow(1e4 / 0.3, k / 30.0));
  return T;
}

TEST(Potential, SpellingsAreReadAndWrittenCanonically) {
  for (const char* spelling : {"lj", "mie:14,6", "mie:12.5,6.25", "sw:1.5", "hs", "he-abinitio", "he3-abinitio"}) {
    EXPECT_EQ(lennard::potential_name(lennard::parse_potential(spelling)), spelling);
  }
  EXPECT_EQ(lennard::potential_name(lennard::parse_potential("mie:14.0,6")), "mie:14,6");
}

// The spellings whose reason is named are in refusal_test.cpp.
TEST(Potential, BadSpellingsAreRefused) {
  for (const char* spelling : {"", "LJ", "hs:2", "mie:", "mie:12,6,1", "mie:12,3", "mie:12,2", "mie:12.00001,12",
                               "mie:12.000000001,12", "mie:inf,6", "mie:nan,6", "mie:12,6x", "mie:12,,6", "sw:0.5",
                               "sw:-2", "sw:inf", "sw:1.5,2", "sw:abc"}) {
    EXPECT_THROW(lennard::parse_potential(spelling), lennard::InvalidArgument) << "'" << spelling << "'";
  }
}

TEST(Series, MieTwelveSixIsTheLennardJonesSeries) {
  const Potential mie = lennard::parse_potential("mie:12,6");
  for (const double T : reduced_temperatures()) {
    const auto a = lennard::reduced_virial_exact(mie, T);
    const auto b = lennard::reduced_virial_series(T);
    EXPECT_NEAR(a.B, b.B, 4e-16 * std::fmax(std::fabs(b.B), b0)) << "T* = " << T;
    // One chain of terms against two: the derivative's weights round a few ulps apart.
    EXPECT_NEAR(a.dB_dT, b.dB_dT, 2e-15 * std::fmax(std::fabs(b.dB_dT), b0 / T)) << "T* = " << T;
  }
}

TEST(Series, MieAgreesWithDirectHighPrecisionIntegration) {
  // tests/tools/mie_reference.py: mpmath quadrature of the Mayer integral at 40 digits.
  struct Value {
    const char* potential;
    double T_star, B;
  };
  const Value values[] = {
      {"mie:14,6", 0.5, -16.230057761938875861}, {"mie:14,6", 1, -4.580434887670160753},
      {"mie:14,6", 3, -0.013586336999828361631}, {"mie:14,6", 20, 1.1861105841810171002},
      {"mie:14,6", 1000, 0.7053651416477478994}, {"mie:8,4", 0.5, -57.076302417521202845},
      {"mie:8,4", 1, -21.760882060700295968},    {"mie:8,4", 3, -5.3918098742318951706},
      {"mie:8,4", 20, 0.12754028773582418085},   {"mie:8,4", 1000, 0.33142593462291778332},
      {"mie:20,6", 0.5, -12.764910420313555776}, {"mie:20,6", 3, 0.37551188738079785327},
      {"mie:20,6", 1000, 0.93073536243723241766}};
  for (const Value& v : values) {
    const double B = lennard::reduced_virial_exact(lennard::parse_potential(v.potential), v.T_star).B;
    EXPECT_NEAR(B, v.B, 1e-14 * std::fmax(std::fabs(v.B), b0)) << v.potential << " T* = " << v.T_star;
  }
}

TEST(Series, EdgeExponentsAgreeWithHighPrecisionIntegrationByEveryMethod) {
  // tests/tools/mie_edge_reference.py: mpmath at 40 digits, closed-form tail.
  // M near 3 (the quadrature lost the slow tail), N - M at its limit N/20.
  struct Value {
    const char* potential;
    double T_star, B, dB_dT;
  };
  const Value values[] = {
      {"mie:12,3.01", 0.3, -4519.7182773020420928, 15705.649677572311129},
      {"mie:12,3.01", 2.5, -531.21788238316737749, 213.3385175256121697},
      {"mie:12,3.01", 1e4, 0.17558406112472221636, 5.6595747630960258085e-6},
      {"mie:3.22,3.05", 0.3, -16554.726599533516758, 57551.657621588001103},
      {"mie:3.22,3.05", 1e4, -0.47065657590951476489, 0.000047502690365043805646},
      {"mie:12.64,12", 0.3, -29.910373138741240068, 300.63030458692311936},
      {"mie:12.64,12", 3, 0.96207312858825212011, 0.28352107859553553188},
      {"mie:84.3,80", 0.3, -1.3353264368461056984, 33.54379107560697427},
      {"mie:40,6", 1e4, 1.1426219870682004979, -0.0000085155299703734682466}};
  for (const Value& v : values) {
    const Potential p = lennard::parse_potential(v.potential);
    const double B_scale = std::fmax(std::fabs(v.B), b0), dB_scale = std::fmax(std::fabs(v.dB_dT), b0 / v.T_star);
    const auto series = lennard::reduced_virial_exact(p, v.T_star);
    const auto quad = lennard::reduced_virial_quadrature(p, v.T_star);
    EXPECT_NEAR(series.B, v.B, 1e-14 * B_scale) << v.potential << " T* = " << v.T_star;
    EXPECT_NEAR(series.dB_dT, v.dB_dT, 1e-14 * dB_scale) << v.potential << " T* = " << v.T_star;
    EXPECT_NEAR(quad.B, v.B, 1e-12 * B_scale) << v.potential << " T* = " << v.T_star;
    EXPECT_NEAR(quad.dB_dT, v.dB_dT, 1e-12 * dB_scale) << v.potential << " T* = " << v.T_star;
  }
}

TEST(Series, ClosedFormsAtHandCheckedPoints) {
  // Square well, lambda = 1.5, T* = 1: B* = (2 pi/3) [1 - 2.375 (e - 1)] and
  // dB*/dT* = (2 pi/3) 2.375 e, evaluated with mpmath at 30 digits.
  const auto sw = lennard::reduced_virial_exact(lennard::parse_potential("sw:1.5"), 1.0);
  EXPECT_NEAR(sw.B, -6.45266238198944640044, 2e-15 * 6.46);
  EXPECT_NEAR(sw.dB_dT, 13.521245852566481187, 2e-15 * 13.6);
  // Hard spheres: b0 at every T, and no temperature dependence.
  const auto hs = lennard::reduced_virial_exact(lennard::parse_potential("hs"), 123.0);
  EXPECT_EQ(hs.B, b0);
  EXPECT_EQ(hs.dB_dT, 0.0);
}

TEST(Quadrature, AgreesWithTheSeriesForEveryPotential) {
  for (const char* spelling : {"lj", "mie:14,6", "mie:8,4", "mie:30,3.5", "sw:1.5", "sw:3", "hs"}) {
    const Potential p = lennard::parse_potential(spelling);
    for (const double T : reduced_temperatures()) {
      const auto exact = lennard::reduced_virial_exact(p, T);
      const auto quad = lennard::reduced_virial_quadrature(p, T);
      EXPECT_NEAR(quad.B, exact.B, 1e-12 * std::fmax(std::fabs(exact.B), b0)) << spelling << " T* = " << T;
      EXPECT_NEAR(quad.dB_dT, exact.dB_dT, 1e-12 * std::fmax(std::fabs(exact.dB_dT), b0 / T))
          << spelling << " T* = " << T;
    }
  }
}

TEST(Characteristics, SatisfyTheirDefiningEquationsForEachPotential) {
  for (const char* spelling : {"mie:14,6", "mie:8,4", "sw:1.5"}) {
    const Potential p = lennard::parse_potential(spelling);
    const auto c = lennard::reduced_characteristics(p);
    const auto at = [&](double t) { return lennard::reduced_virial_exact(p, t); };
    ASSERT_TRUE(c.boyle_T_star && c.inversion_T_star) << spelling;
    EXPECT_NEAR(at(*c.boyle_T_star).B, 0.0, 1e-14 * b0) << spelling;
    const auto inv = at(*c.inversion_T_star);
    EXPECT_NEAR(inv.B - *c.inversion_T_star * inv.dB_dT, 0.0, 1e-14 * b0) << spelling;
    if (c.max_B_T_star) {
      EXPECT_NEAR(at(*c.max_B_T_star).dB_dT, 0.0, 1e-15) << spelling;
      EXPECT_GT(*c.max_B_reduced, at(*c.max_B_T_star * 1.01).B);
    }
  }
  // The square well: Boyle in closed form, 1/ln(1 + 1/(lambda^3 - 1)); B rises to b0, no maximum.
  const auto sw = lennard::reduced_characteristics(lennard::parse_potential("sw:1.5"));
  EXPECT_NEAR(*sw.boyle_T_star, 1.0 / std::log1p(1.0 / 2.375), 1e-14);
  EXPECT_FALSE(sw.max_B_T_star);
  EXPECT_TRUE(lennard::reduced_characteristics(lennard::parse_potential("mie:14,6")).max_B_T_star);
  const auto hs = lennard::reduced_characteristics(lennard::parse_potential("hs"));
  EXPECT_FALSE(hs.boyle_T_star || hs.inversion_T_star || hs.max_B_T_star || hs.max_B_reduced);
}

}  // namespace
