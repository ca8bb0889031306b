// dB/dT, dC/dT and the quantum part of dB/dT as the gas model answers them,
// against central differences of its own B and C: every potential, every
// method that applies to it, from below the Boyle region to far above it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <optional>
#include <ostream>
#include <string>
#include <tuple>

#include "lennard/physics/gas_model.hpp"

namespace {

using namespace lennard;

struct Gas {
  const char* name;
  const char* potential;
  Method method;
  std::optional<double> de_boer;  // Lambda*: 0.59 is neon's
  bool third;                     // C is the same whatever the method: check it once per potential
  int quantum_order = 1;
};

constexpr Gas gases[] = {
    {"LjSeries", "lj", Method::series, std::nullopt, true},
    {"LjTrapezoid", "lj", Method::trapezoid, std::nullopt, false},
    {"LjQuadrature", "lj", Method::quadrature, std::nullopt, false},
    {"Mie14_6Series", "mie:14,6", Method::series, std::nullopt, true},
    {"Mie9_6Quadrature", "mie:9,6", Method::quadrature, std::nullopt, false},
    {"SquareWell", "sw:1.5", Method::series, std::nullopt, true},
    {"HardSpheres", "hs", Method::series, std::nullopt, true},
    {"LjQuantum", "lj", Method::series, 0.59, false},
    {"Mie14_6Quantum", "mie:14,6", Method::series, 0.59, false},
    {"LjQuantumOrder2", "lj", Method::series, 0.59, false, 2},
    {"Mie14_6QuantumOrder2", "mie:14,6", Method::series, 0.59, false, 2},
    {"HeliumAbInitio", "he-abinitio", Method::quadrature, std::nullopt, true},
    {"HeliumAbInitioQuantum", "he-abinitio", Method::quadrature, 2.5, false},
    {"HeliumAbInitioQuantumOrder2", "he-abinitio", Method::quadrature, 2.5, false, 2},
};

// Fourth order with h = 5e-4 T: truncation and rounding stay below 4e-11 of
// the derivative (or of 0.01 b0/T, b0^2/T where it vanishes) over these cases, so a
// fault of 1e-9 shows.
constexpr double tolerance = 1e-9;

void PrintTo(const Gas& gas, std::ostream* os) { *os << gas.name; }

template <class F>
double central_difference(F f, double T) {
  const double h = 5e-4 * T;
  return (8.0 * (f(T + h) - f(T - h)) - (f(T + 2.0 * h) - f(T - 2.0 * h))) / (12.0 * h);
}

class Derivatives : public ::testing::TestWithParam<std::tuple<Gas, double>> {};

TEST_P(Derivatives, MatchCentralDifferencesOfTheModelsOwnValues) {
  const auto& [gas, T_star] = GetParam();
  const double epsilon = 120.0, sigma = 3.4, T = T_star * epsilon;
  const Potential potential = parse_potential(gas.potential);
  const GasModel model(PureGas{potential, epsilon, sigma, gas.method, gas.de_boer, {}, false, gas.quantum_order});
  const double b0 = model.b0_cm3_per_mol();

  const double dB = model.dB_dT(T);
  const double B_slope = central_difference([&](double t) { return model.B(t); }, T);
  EXPECT_NEAR(dB, B_slope, tolerance * std::max(std::fabs(dB), 1e-2 * b0 / T));

  if (gas.de_boer) {
    // The correction alone, so that a fault in it is not hidden under the
    // classical B: corrected minus classical, on both sides (for order 2,
    // minus order 1: the hbar^4 term alone).
    const GasModel classical(PureGas{potential, epsilon, sigma, gas.method,
                                     gas.quantum_order == 2 ? gas.de_boer : std::nullopt, {}, false});
    const double shift = dB - classical.dB_dT(T);
    const double shift_slope = central_difference([&](double t) { return model.B(t) - classical.B(t); }, T);
    // The hbar^4 term is some 1e-9 of B at T* = 50: there the differences of B
    // round to about 1e-7 of it, so its floor is 1e-3 b0/T.
    const double floor = gas.quantum_order == 2 ? 1e-3 * b0 / T : 0.0;
    EXPECT_NEAR(shift, shift_slope, tolerance * std::max(std::fabs(shift), floor));
  }

  if (gas.third) {
    const double dC = model.third_virial(T, true).dC_dT;
    const double C_slope = central_difference([&](double t) { return model.third_virial(t, false).C; }, T);
    EXPECT_NEAR(dC, C_slope, tolerance * std::max(std::fabs(dC), b0 * b0 / T));
  }
}

INSTANTIATE_TEST_SUITE_P(PotentialsAndTemperatures, Derivatives,
                         ::testing::Combine(::testing::ValuesIn(gases), ::testing::Values(0.7, 1.0, 3.0, 50.0)),
                         [](const ::testing::TestParamInfo<std::tuple<Gas, double>>& param_info) {
                           char T[16];
                           std::snprintf(T, sizeof T, "%g", std::get<1>(param_info.param));
                           std::replace(T, T + std::strlen(T), '.', 'p');
                           return std::string(std::get<0>(param_info.param).name) + "_Tstar" + T;
                         });

}  // namespace
