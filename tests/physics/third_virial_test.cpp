// The third virial coefficient against exact values, an independent
// integration and its own convergence (its derivative: derivative_test.cpp).
#include "lennard/physics/third_virial.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <tuple>
#include <utility>

#include "lennard/physics/compressibility.hpp"
#include "lennard/physics/constants.hpp"
#include "lennard/physics/errors.hpp"
#include "lennard/physics/potential.hpp"

namespace {

using lennard::reduced_third_virial;

constexpr double b0 = lennard::two_pi_over_3;
constexpr double b0_squared = b0 * b0;

TEST(ThirdVirial, GaussianMayerFunctionIsExact) {
  // f = -A exp(-r^2) gives C = A^3 pi^3 / (9 sqrt 3) exactly (per molecule, sigma = 1).
  for (const double A : {0.5, 1.3}) {
    const auto c = lennard::detail::third_virial_on_grid([A](double r) { return -A * std::exp(-r * r); }, nullptr,
                                                         0.02, 12.0);
    const double exact = A * A * A * std::pow(std::numbers::pi, 3) / (9.0 * std::sqrt(3.0));
    EXPECT_NEAR(c.C, exact, 1e-14 * exact) << "A = " << A;
  }
}

TEST(ThirdVirial, HardSpheresAndTheSquareWellLimits) {
  const auto hs = reduced_third_virial(lennard::HardSpheres{}, 2.0);
  EXPECT_EQ(hs.C, 5.0 / 8.0 * b0_squared);
  EXPECT_EQ(hs.dC_dT, 0.0);
  // A well of no width is hard spheres; at infinite temperature the well is invisible.
  EXPECT_NEAR(reduced_third_virial(lennard::SquareWell{1.0 + 1e-12}, 1.0).C, 5.0 / 8.0 * b0_squared, 1e-10);
  EXPECT_NEAR(reduced_third_virial(lennard::SquareWell{1.8}, 1e12).C, 5.0 / 8.0 * b0_squared, 1e-10);
}

TEST(ThirdVirial, SquareWellMatchesAnIndependentGridIntegration) {
  // C*/b0^2 by a different route: the trapezoidal rule on (r, s) grids of
  // step 0.01, 0.005 and 0.0025 with the exact piecewise-quadratic F,
  // Richardson-extrapolated twice (a throwaway C++ program, 15 digits kept).
  struct Value {
    double lambda, T_star, C_over_b0_squared;
  };
  for (const Value& v : {Value{1.5, 1.0, 0.297402536567011}, Value{1.5, 3.0, 0.405902693652607},
                         Value{2.0, 1.0, -55.5665631346622}, Value{2.0, 3.0, 1.19116098549046}}) {
    const double C = lennard::detail::square_well_by_integration(v.lambda, v.T_star, false).C / b0_squared;
    EXPECT_NEAR(C, v.C_over_b0_squared, 2e-13 * std::fmax(std::fabs(v.C_over_b0_squared), 1.0))
        << "lambda = " << v.lambda << ", T* = " << v.T_star;
  }
}

TEST(ThirdVirial, SquareWellClosedFormIsTheExactIntegral) {
  for (const double lambda : {1.05, 1.3, 1.5, 1.8, 2.0}) {
    for (const double T : {0.5, 1.0, 3.0, 100.0}) {
      const auto closed = reduced_third_virial(lennard::SquareWell{lambda}, T);
      const auto integral = lennard::detail::square_well_by_integration(lambda, T, true);
      EXPECT_NEAR(closed.C, integral.C, 1e-13 * std::fmax(std::fabs(integral.C), b0_squared))
          << "lambda = " << lambda << ", T* = " << T;
      EXPECT_NEAR(closed.dC_dT, integral.dC_dT, 1e-12 * std::fmax(std::fabs(integral.dC_dT), b0_squared / T));
    }
  }
}

TEST(ThirdVirial, LennardJonesMatchesAnIndependentTripleIntegral) {
  // tests/tools/third_virial_reference.cpp: the triple integral in long double
  // by 12-point Gauss-Legendre panels, the t integral done directly (5 minutes).
  struct Value {
    double T_star, C;
  };
  for (const Value& v : {Value{0.5, -176.179199819643955}, Value{1.0, 1.88478748635165229},
                         Value{3.0, 1.54536449003995969}, Value{30.0, 0.962882912970131059}}) {
    const double C = reduced_third_virial(lennard::LennardJones{}, v.T_star, false).C;
    EXPECT_NEAR(C, v.C, 1e-10 * std::fmax(std::fabs(v.C), b0_squared)) << "T* = " << v.T_star;
  }
}

TEST(ThirdVirial, SoftPotentialsConvergeToTenDigits) {
  // The rule with half its step and a longer reach: the difference bounds the
  // error of the default rule (it converges spectrally).
  struct Soft {
    const char* spelling;
    double n, m;
  };
  for (const Soft& s : {Soft{"lj", 12.0, 6.0}, Soft{"mie:14,6", 14.0, 6.0}}) {
    const double C_u = lennard::mie_prefactor(s.n, s.m);
    for (const double T : {0.5, 1.0, 3.0, 30.0, 1e4}) {
      const auto f = [&](double r) { return r == 0.0 ? -1.0 : std::expm1(-C_u * (std::pow(r, -s.n) - std::pow(r, -s.m)) / T); };
      const double finer = lennard::detail::third_virial_on_grid(f, nullptr, 0.005, 40.0).C;
      const double C = reduced_third_virial(lennard::parse_potential(s.spelling), T, false).C;
      EXPECT_NEAR(C, finer, 1e-10 * std::fmax(std::fabs(finer), b0_squared)) << s.spelling << " T* = " << T;
    }
  }
}

TEST(ThirdVirial, EdgesOfTheAcceptedPotentials) {
  // Steep walls: against the rule with a tenth of the step (the wall of n = 40
  // is 3.3 times narrower than that of n = 12).
  for (const auto& [n, m, T] : {std::tuple{40.0, 6.0, 0.5}, std::tuple{100.0, 6.0, 1.0}}) {
    const double C_u = lennard::mie_prefactor(n, m);
    const auto f = [&](double r) { return r == 0.0 ? -1.0 : std::expm1(-C_u * (std::pow(r, -n) - std::pow(r, -m)) / T); };
    const double finer = lennard::detail::third_virial_on_grid(f, nullptr, 0.002, 30.0).C;
    const double C = reduced_third_virial(lennard::Mie(n, m), T, false).C;
    EXPECT_NEAR(C, finer, 1e-10 * std::fmax(std::fabs(finer), b0_squared)) << "n = " << n << ", T* = " << T;
  }
  // Far above the well the r^-12 wall alone matters and C* ~ T*^(-1/2) exactly;
  // the grid follows the core down (no allocation grows with T*).
  const double scaled = reduced_third_virial(lennard::LennardJones{}, 1e40).C * 1e20;
  for (const double T : {1e100, 1e200, 1e300}) {
    EXPECT_NEAR(reduced_third_virial(lennard::LennardJones{}, T).C * std::sqrt(T), scaled, 1e-12 * scaled)
        << "T* = " << T;
  }
  // Grids beyond the bound are refused before any work.
  for (const char* refused : {"mie:12,3.72", "mie:30,3.5", "mie:241,6"}) {
    EXPECT_THROW(reduced_third_virial(lennard::parse_potential(refused), 2.0), lennard::InvalidArgument) << refused;
  }
  for (const char* accepted : {"mie:12,3.73", "mie:240,6", "sw:5", "hs"}) {
    EXPECT_NO_THROW(lennard::check_third_virial(lennard::parse_potential(accepted))) << accepted;
  }
}

TEST(Compressibility, IsTheLargestRootOfTheCubicAndSolvesTheEquationOfState) {
  constexpr double R = 83.14462618;  // cm3 bar/(mol K), N_A k_B exact (SI 2019)
  const double T = 300.0, P = 10.0, s = R * T / P;
  // Z^3 - Z^2 - beta Z - gamma with roots 0.1, 0.3 and 0.6: beta = -0.27, gamma = 0.018.
  const auto three = lennard::gas_state(T, P, -0.27 * s, 0.018 * s * s);
  EXPECT_NEAR(three.Z, 0.6, 1e-15);
  // The state found satisfies P = (RT/V)(1 + B/V + C/V^2) to 1e-12.
  for (const auto& [B, C] : {std::pair{-30.0, 1200.0}, std::pair{25.0, 600.0}, std::pair{-150.0, 3000.0}}) {
    const auto gas = lennard::gas_state(T, P, B, C);
    const double V = gas.V_cm3_per_mol;
    EXPECT_NEAR(R * T / V * (1.0 + B / V + C / (V * V)), P, 1e-12 * P) << "B = " << B;
    EXPECT_NEAR(gas.Z, P * V / (R * T), 1e-15);
  }
  // At a vanishing pressure Z = 1 + beta + gamma - beta^2 + ..., to the last bit.
  const double tiny = 1e-6, beta = -30.0 * tiny / (R * T), gamma = 1200.0 * tiny * tiny / (R * T * R * T);
  EXPECT_NEAR(lennard::gas_state(T, tiny, -30.0, 1200.0).Z, 1.0 + (beta + gamma - beta * beta), 2.3e-16);
  // beta = -1, gamma = 0: Z (Z^2 - Z + 1) = 0 has no positive root.
  EXPECT_TRUE(std::isnan(lennard::gas_state(T, P, -s, 0.0).Z));
  EXPECT_TRUE(std::isnan(lennard::gas_state(T, P, -s, 0.0).V_cm3_per_mol));
}

}  // namespace
