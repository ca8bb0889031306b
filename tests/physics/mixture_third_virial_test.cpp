// C of a three-component mixture against the sum over all 27 ordered
// triangles, with the unlike pairs built here by the Lorentz-Berthelot rules.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "lennard/physics/constants.hpp"
#include "lennard/physics/mixture.hpp"
#include "lennard/physics/series.hpp"
#include "lennard/physics/third_virial.hpp"

namespace {

using lennard::Component;
using lennard::Mie;

TEST(MixtureThirdVirial, ThreeComponentsSumEveryOrderedTriangle) {
  const Mie mie(14.0, 6.0);
  const lennard::Mixture mixture{{Component{"a", mie, 119.8, 3.41, 39.9, 0.2},
                                  Component{"b", mie, 166.8, 3.66, 83.8, 0.3},
                                  Component{"c", mie, 229.0, 4.06, 131.3, 0.5}},
                                 0.0};
  const auto& x = mixture.components;
  const auto pair = [&](std::size_t i, std::size_t j) {
    return lennard::SoftPair{mie.prefactor(), 14.0, 6.0, std::sqrt(x[i].epsilon_K * x[j].epsilon_K),
                             (x[i].sigma_A + x[j].sigma_A) / 2.0};
  };
  constexpr double T = 300.0;
  const double unit = lennard::avogadro_A3_exact_in_cm3_per_mol * lennard::avogadro_A3_exact_in_cm3_per_mol;
  double C = 0.0, dC = 0.0;
  for (std::size_t i = 0; i < 3; ++i) {
    for (std::size_t j = 0; j < 3; ++j) {
      for (std::size_t k = 0; k < 3; ++k) {
        const auto c = lennard::triangle_third_virial(pair(i, j), pair(i, k), pair(j, k), T, true);
        const double w = x[i].mole_fraction * x[j].mole_fraction * x[k].mole_fraction * unit;
        C += w * c.C_A6;
        dC += w * c.dC_dT_A6_per_K;
      }
    }
  }
  const auto mixed = lennard::mixture_third_virial(mixture, T, true);
  EXPECT_NEAR(mixed.C, C, 1e-12 * std::fabs(C));
  EXPECT_NEAR(mixed.dC_dT, dC, 1e-11 * std::fabs(dC));
}

TEST(MixtureThirdVirial, LikeComponentsGiveThePureGas) {
  // Three names for one gas: the triangle in A^6 is the reduced C times sigma^6.
  const Component one{"a", lennard::LennardJones{}, 120.0, 3.4, 40.0, 0.25};
  Component two = one, three = one;
  two.name = "b", two.mole_fraction = 0.35;
  three.name = "c", three.mole_fraction = 0.4;
  for (const double T : {60.0, 150.0, 900.0}) {
    const auto mixed = lennard::mixture_third_virial({{one, two, three}, 0.0}, T, true);
    const auto pure = lennard::reduced_third_virial(lennard::LennardJones{}, T / 120.0, true);
    const double volume = lennard::molar_volume_cm3_per_mol(3.4);
    EXPECT_NEAR(mixed.C, pure.C * volume * volume, 1e-10 * std::fabs(mixed.C)) << T;
    EXPECT_NEAR(mixed.dC_dT, pure.dC_dT * volume * volume / 120.0, 1e-9 * std::fabs(mixed.dC_dT)) << T;
  }
}

}  // namespace

namespace {

TEST(MixtureThirdVirial, SameOnAnyNumberOfThreads) {
  // Five unlike components: pairs and triangles spread over the threads, summed in one order.
  lennard::Mixture mixture;
  const double eps[] = {119.8, 166.8, 229.0, 95.0, 148.0}, sigma[] = {3.41, 3.66, 4.06, 3.7, 3.8};
  for (std::size_t i = 0; i < 5; ++i) {
    mixture.components.push_back({std::string(1, static_cast<char>('a' + i)), lennard::LennardJones{}, eps[i],
                                  sigma[i], 40.0, 0.2});
  }
  const auto one = lennard::mixture_third_virial(mixture, 250.0, true, 1);
  for (const unsigned threads : {2u, 3u, 8u}) {
    const auto many = lennard::mixture_third_virial(mixture, 250.0, true, threads);
    EXPECT_EQ(many.C, one.C) << threads;
    EXPECT_EQ(many.dC_dT, one.dC_dT) << threads;
  }
}

}  // namespace
