// Helium's pair potential from first principles: its values and derivatives
// and the B it gives against mpmath (tests/tools/helium_reference.py, 30
// digits), its well and zero against its own roots, and what it predicts
// against published first-principles results.
#include "lennard/physics/helium_potential.hpp"

#include <boost/math/tools/roots.hpp>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "lennard/physics/gas_model.hpp"
#include "lennard/physics/quadrature.hpp"
#include "lennard/physics/quantum.hpp"
#include "lennard/physics/quantum_exact.hpp"

namespace {

using namespace lennard;

// Standard atomic weight of helium, g/mol (IUPAC).
constexpr double helium_molar_mass = 4.002602;

TEST(HeliumPotential, ValuesAndDerivativesMatchMpmath) {
  // mpmath at 30 digits: u by the incomplete gamma function, u' and u'' by
  // its numerical differentiation (not the analytic forms of the C++ code).
  const struct {
    double r, u, du, d2u;  // A, K, K/A, K/A^2
  } cases[] = {
      {0.1, 4453324.9949300853482, -61015344.219493996632, 1289911268.1173320101},
      {1.0, 45858.580400306322597, -186043.87056171671283, 724924.99494378196039},
      {2.0, 537.49705036872179685, -2717.6208744958213984, 12525.433422507517972},
      {2.5, 21.288659490419644556, -222.02969258478149084, 1254.8434038709628116},
      {3.0, -10.949800967324897184, 2.7712686227745555702, 76.440656749497754228},
      {4.0, -2.9294007525292599287, 4.4620605879067595151, -7.3563250711452762215},
      {6.0, -0.23485855313397951648, 0.24177941698155036649, -0.29166031764452641679},
      {10.0, -0.01035300671223517922, 0.0062830238573954717719, -0.0044514795247164935442},
  };
  for (const auto& c : cases) {
    const helium::PairValue p = helium::pair_potential(c.r);
    EXPECT_NEAR(p.u, c.u, 1e-13 * std::fabs(c.u)) << c.r;
    EXPECT_NEAR(p.du, c.du, 1e-13 * std::fabs(c.du)) << c.r;
    EXPECT_NEAR(p.d2u, c.d2u, 1e-12 * std::fabs(c.d2u)) << c.r;
    EXPECT_EQ(helium::pair_energy(c.r), p.u) << c.r;
  }
}

TEST(HeliumPotential, ItsWellAndZeroAreTheFunctionsOwn) {
  const auto solve = [](auto f, double lo, double hi) {
    std::uintmax_t iterations = 200;
    const auto root = boost::math::tools::toms748_solve(f, lo, hi, boost::math::tools::eps_tolerance<double>(),
                                                        iterations);
    return 0.5 * (root.first + root.second);
  };
  const double r_min = solve([](double r) { return helium::pair_potential(r).du; }, 2.8, 3.2);
  const double sigma = solve([](double r) { return helium::pair_energy(r); }, 2.5, 2.8);
  EXPECT_NEAR(r_min, helium::r_min_A, 1e-12);
  EXPECT_NEAR(sigma, helium::sigma_A, 1e-14);
  EXPECT_NEAR(-helium::pair_energy(r_min), helium::epsilon_K, 1e-13);
  // The reduced form: zero at x = 1, -1 at the bottom of the well.
  EXPECT_NEAR(helium::reduced_pair_energy(1.0), 0.0, 1e-14);
  EXPECT_NEAR(helium::reduced_pair_energy(r_min / helium::sigma_A), -1.0, 1e-14);
}

// The halo state of 4He2: 138.9(5) neV (Przybytek et al., PRL 119, 123401
// (2017), abstract), its only bound state.
TEST(HeliumPotential, BindsTheHaloStateAsPublished) {
  const double de_boer = de_boer_parameter(helium::epsilon_K, helium::sigma_A, helium_molar_mass);
  const RadialPotential potential = radial_potential(HeliumAbInitio{});
  const std::vector<double> s_states = bound_state_energies(potential, de_boer, 0);
  ASSERT_EQ(s_states.size(), 1u);
  const double neV_per_K = 8.617333262e4;  // k_B in neV/K (CODATA 2018, exact)
  EXPECT_NEAR(-s_states[0] * helium::epsilon_K * neV_per_K, 138.9, 0.5);
  EXPECT_TRUE(bound_state_energies(potential, de_boer, 1).empty());
}

TEST(HeliumPotential, ClassicalBMatchesMpmath) {
  // mpmath.quad at 30 digits of the Mayer integral and its T-derivative.
  const struct {
    double T, B, dB;
  } cases[] = {
      {0.3, -53.786274252730085259, 501.85207033273868308},
      {1.0, -4.5713417813971583608, 8.366626428337790124},
      {3.0, -0.043233818098855353028, 0.58536805610233107341},
      {30.0, 1.0320170399203256171, -0.0032141658815270615348},
      {1000.0, 0.39474429530782518421, -0.0001623869809835360246},
  };
  for (const auto& c : cases) {
    const ReducedVirial v = reduced_virial_quadrature(HeliumAbInitio{}, c.T);
    const double scale = std::max(std::fabs(c.B), two_pi_over_3);
    EXPECT_NEAR(v.B, c.B, 1e-12 * scale) << c.T;
    EXPECT_NEAR(v.dB_dT, c.dB, 1e-12 * std::max(std::fabs(c.dB), two_pi_over_3 / c.T)) << c.T;
  }
}
TEST(HeliumPotential, QuantumCorrectionsMatchMpmath) {
  // mpmath.quad at 30 digits with mpmath's numerical u*' and u*''.
  const struct {
    double T, B_I, B_II;
  } cases[] = {
      {1.0, 0.39293254367164266395, -0.075319496450535222709},
      {30.0, 0.0017157162292064925688, -3.0696585122645186154e-6},
  };
  for (const auto& c : cases) {
    EXPECT_NEAR(reduced_quantum_correction(HeliumAbInitio{}, c.T).B, c.B_I, 1e-13 * std::fabs(c.B_I)) << c.T;
    EXPECT_NEAR(reduced_second_quantum_correction(HeliumAbInitio{}, c.T).B, c.B_II, 1e-13 * std::fabs(c.B_II)) << c.T;
  }
}

// B of helium-4 from the potential of Czachorowski et al., PRA 102, 042810
// (2020), exact quantum (TAPPS, data.nist.gov mds2-3802, README example):
// 11.928088 cm3/mol and T dB/dT = -1.077099 cm3/mol at 273.16 K. This older
// potential with the hbar^4 expansion comes within 2.1e-4 and 7.3e-4 of them.
TEST(HeliumPotential, HeliumFourBComesCloseToTheNewestPotentials) {
  const double T = 273.16;
  const double de_boer = de_boer_parameter(helium::epsilon_K, helium::sigma_A, helium_molar_mass);
  const SecondVirial v = pure_second_virial(HeliumAbInitio{}, helium::epsilon_K, helium::sigma_A,
                                            Method::quadrature, de_boer, T, true, 2);
  EXPECT_NEAR(v.B, 11.928088, 3e-4);
  EXPECT_NEAR(T * v.dB_dT, -1.077099, 1e-3);
}

}  // namespace
