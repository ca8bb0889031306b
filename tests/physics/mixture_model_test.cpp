// A mixture as the gas model and its table answer it: the C, V and Z columns,
// and mixtures of Mie gases against the pure gas.
#include <gtest/gtest.h>

#include <cmath>
#include <optional>
#include <string>
#include <vector>

#include "lennard/physics/gas_model.hpp"
#include "lennard/physics/virial_table.hpp"

namespace {

using namespace lennard;

// Argon and krypton as Lennard-Jones gases (their library parameters, rounded).
const Mixture argon_krypton{{Component{"argon", LennardJones{}, 119.8, 3.41, 39.948, 0.3},
                             Component{"krypton", LennardJones{}, 166.8, 3.66, 83.798, 0.7}},
                            0.02};

TEST(MixtureTable, CarriesTheMixturesCoefficientsAndItsStateAtThePressure) {
  constexpr double R = 83.14462618;  // cm3 bar/(mol K), N_A k_B exact (SI 2019)
  const double P = 20.0;
  const std::vector<double> T{150.0, 300.0, 900.0};
  const Table table = compute_table(GasModel(argon_krypton, false), T, Quantities{true, true, P, std::nullopt});
  for (std::size_t i = 0; i < T.size(); ++i) {
    const MixtureSecondVirial b = mixture_second_virial(argon_krypton, T[i], false);
    const MixtureThirdVirial c = mixture_third_virial(argon_krypton, T[i], true);
    EXPECT_EQ(table.column(B_key)->values[i], b.B) << T[i];
    EXPECT_EQ(table.column(B12_key)->values[i], b.B12) << T[i];
    EXPECT_EQ(table.column(C_key)->values[i], c.C) << T[i];
    EXPECT_EQ(table.column(dC_dT_key)->values[i], c.dC_dT) << T[i];
    // V solves P = (RT/V)(1 + B/V + C/V^2) with the mixture's B and C, and Z = PV/(RT).
    const double V = table.column(V_key)->values[i];
    EXPECT_NEAR(R * T[i] / V * (1.0 + b.B / V + c.C / (V * V)), P, 1e-12 * P) << T[i];
    EXPECT_NEAR(table.column(Z_key)->values[i], P * V / (R * T[i]), 1e-15) << T[i];
  }
}

// Two names for one Mie gas are that gas; two different ones combine by the
// Lorentz-Berthelot rules into a Mie pair of the same exponents.
TEST(MixtureModel, OfMieGasesIsThePureGasAndTheirCrossPairIsMie) {
  const Mie mie(14.0, 6.0);
  const Component a{"a", mie, 150.0, 3.5, 40.0, 0.4};
  const Component b{"b", mie, 150.0, 3.5, 40.0, 0.6};
  const Component c{"c", mie, 200.0, 3.9, 80.0, 0.6};
  const GasModel same(Mixture{{a, b}, 0.0}, false);
  const GasModel pure(PureGas{mie, 150.0, 3.5, Method::series, std::nullopt, {}, false});
  const GasModel unlike(Mixture{{a, c}, 0.0}, false);
  const GasModel cross(PureGas{mie, std::sqrt(150.0 * 200.0), 3.7, Method::series, std::nullopt, {}, false});
  for (const double T : {100.0, 300.0, 1500.0}) {
    const SecondVirial mixed = same.second_virial(T), alone = pure.second_virial(T);
    EXPECT_NEAR(mixed.B, alone.B, 1e-13 * std::fabs(alone.B)) << T;
    EXPECT_NEAR(mixed.dB_dT, alone.dB_dT, 1e-13 * std::fabs(alone.dB_dT)) << T;
    const ThirdVirial mixed_C = same.third_virial(T, true), alone_C = pure.third_virial(T, true);
    EXPECT_NEAR(mixed_C.C, alone_C.C, 1e-10 * std::fabs(alone_C.C)) << T;
    EXPECT_NEAR(mixed_C.dC_dT, alone_C.dC_dT, 1e-9 * std::fabs(alone_C.dC_dT)) << T;
    const double B12 = cross.B(T);
    EXPECT_NEAR(unlike.second_virial(T).B12, B12, 1e-13 * std::fabs(B12)) << T;
  }
}

}  // namespace
