// The representation of C*(T*) per shape against the direct rule it was
// built from, at random T* over the whole range the program accepts.
#include "lennard/physics/universal_third_virial.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <thread>
#include <vector>

#include "lennard/physics/constants.hpp"
#include "lennard/physics/errors.hpp"
#include "lennard/physics/potential.hpp"
#include "lennard/physics/third_virial.hpp"

namespace {

constexpr double b0_squared = lennard::two_pi_over_3 * lennard::two_pi_over_3;

TEST(UniversalThirdVirial, AgreesWithTheDirectRuleAtRandomTemperatures) {
  // lj and one Mie from their pieces; sw:3, beyond the closed form, from its cubic.
  for (const char* spelling : {"lj", "mie:14,6", "sw:3"}) {
    const lennard::Potential potential = lennard::parse_potential(spelling);
    const lennard::UniversalThirdVirial universal(potential, 1);
    const lennard::UniversalThirdVirial spread(potential, 3);  // its samples on three threads
    // ln T* uniform from below the lowest piece (the direct rule there) to 1e8.
    std::mt19937_64 random(2026);
    std::uniform_real_distribution<double> log_T(std::log(0.0045), std::log(1e8));
    for (int i = 0; i < 40; ++i) {
      const double T = std::exp(log_T(random));
      const lennard::ReducedThirdVirial fast = universal(T), direct = lennard::reduced_third_virial(potential, T);
      EXPECT_EQ(spread(T).C, fast.C);
      EXPECT_EQ(spread(T).dC_dT, fast.dC_dT);
      EXPECT_NEAR(fast.C, direct.C, 1e-10 * std::fmax(std::fabs(direct.C), b0_squared)) << spelling << " T* = " << T;
      EXPECT_NEAR(fast.dC_dT, direct.dC_dT, 1e-10 * std::fmax(std::fabs(direct.dC_dT), b0_squared / T))
          << spelling << " T* = " << T;
    }
  }
  // Far above the well: C* ~ T*^(-1/2) for Lennard-Jones, as the direct rule.
  const lennard::UniversalThirdVirial lj(lennard::LennardJones{});
  for (const double T : {1e20, 1e300}) {
    const double direct = lennard::reduced_third_virial(lennard::LennardJones{}, T).C;
    EXPECT_NEAR(lj(T).C, direct, 1e-12 * direct) << "T* = " << T;
  }
}

TEST(UniversalThirdVirial, BatchGridIsTheDirectRule) {
  // The build's grid (one geometry, transforms for the double sum) against
  // the direct rule on both sides of T* = C and at the grid's extremes.
  const lennard::detail::SoftThirdVirialGrid grid(lennard::mie_prefactor(14.0, 6.0), 14.0, 6.0);
  const lennard::Potential mie = lennard::Mie(14.0, 6.0);
  for (const double T : {0.005, 0.3, 1.0, 3.0, 30.0, 1e6}) {
    const lennard::ReducedThirdVirial fast = grid(T), direct = lennard::reduced_third_virial(mie, T);
    EXPECT_NEAR(fast.C, direct.C, 1e-13 * std::fmax(std::fabs(direct.C), b0_squared)) << "T* = " << T;
    EXPECT_NEAR(fast.dC_dT, direct.dC_dT, 1e-13 * std::fmax(std::fabs(direct.dC_dT), b0_squared / T)) << T;
  }
}

TEST(UniversalThirdVirial, CacheBuildsEachShapeOnceForEveryThread) {
  // Threads asking for the same new shape at once get the same one.
  const lennard::Potential shape = lennard::Mie(13.0, 6.5);
  std::vector<std::shared_ptr<const lennard::UniversalThirdVirial>> got(4);
  std::vector<std::thread> threads;
  for (auto& slot : got) threads.emplace_back([&] { slot = lennard::universal_third_virial(shape); });
  for (std::thread& t : threads) t.join();
  for (const auto& g : got) EXPECT_EQ(g.get(), got.front().get());
  EXPECT_EQ(lennard::universal_third_virial(shape).get(), got.front().get());
  EXPECT_NE(lennard::universal_third_virial(lennard::Mie(13.0, 6.0)).get(), got.front().get());
  // Refused shapes stay refused.
  EXPECT_THROW(lennard::reduced_third_virial_universal(lennard::parse_potential("mie:12,3.72"), 2.0),
               lennard::InvalidArgument);
}

}  // namespace
