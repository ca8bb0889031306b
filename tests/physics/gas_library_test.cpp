// The gas library (entries, names) and mixtures, against the pure gas and
// against pair coefficients combined by hand.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <map>
#include <vector>

#include "lennard/physics/errors.hpp"
#include "lennard/physics/gas_library.hpp"
#include "lennard/physics/gas_model.hpp"
#include "lennard/physics/mixture.hpp"
#include "lennard/physics/quantum.hpp"
#include "lennard/physics/quantum_exact.hpp"
#include "lennard/physics/reduced_units.hpp"
#include "lennard/physics/second_virial.hpp"
#include "lennard/physics/series.hpp"
#include "lennard/physics/shortest.hpp"
#include "lennard/physics/third_virial.hpp"

namespace lennard {
namespace {

TEST(GasLibrary, EveryEntryIsCompleteAndEveryNameLeadsToOneGas) {
  ASSERT_GE(gas_library().size(), 15u);
  std::map<std::string, std::string> owner;  // folded name or alias -> gas
  for (const Gas& gas : gas_library()) {
    SCOPED_TRACE(gas.name);
    EXPECT_GT(gas.molar_mass_g_per_mol, 0.0);
    EXPECT_GT(gas.epsilon_K, 0.0);
    EXPECT_GT(gas.sigma_A, 0.0);
    // Whatever is not fitted to data cites its potential and the source of its mass instead.
    if (gas.fitted_data.empty()) {
      EXPECT_TRUE(std::regex_search(gas.source, std::regex(R"(potential.*\((19|20)\d\d\).*mass.*\((19|20)\d\d\))")))
          << gas.source;
      continue;
    }
    // A citation: authors, title, a year in parentheses and where it appeared.
    EXPECT_TRUE(std::regex_search(gas.equation_of_state, std::regex(R"(\((19|20)\d\d\))"))) << gas.equation_of_state;
    // The Spanish listing is made of these fields: they must say what the English source says.
    EXPECT_NE(gas.source.find("equation of state of " + gas.equation_of_state), std::string::npos) << gas.source;
    for (const std::string& from : gas.coefficients_from) EXPECT_NE(gas.source.find(from), std::string::npos) << from;
    EXPECT_TRUE(std::filesystem::exists(std::filesystem::path(LENNARD_SOURCE_DATA) / gas.fitted_data));
    // How far to trust it: the range, the residuals of every model, the default the best of them, and
    // the equation's own points in order.
    ASSERT_TRUE(gas.fit_range_K.has_value());
    EXPECT_LT(gas.fit_range_K->first, gas.fit_range_K->second);
    ASSERT_FALSE(gas.models.empty());
    EXPECT_EQ(potential_name(gas.models.front().potential), "lj");
    for (const FittedModel& m : gas.models) {
      EXPECT_GT(m.rms_residual_cm3_per_mol, 0.0);
      EXPECT_GE(m.max_residual_cm3_per_mol, m.rms_residual_cm3_per_mol);
      EXPECT_LE(rms_residual(gas), m.rms_residual_cm3_per_mol) << potential_name(m.potential);
    }
    // First-principles B holds below the triple point too (helium from 2 K).
    if (!gas.fitted_with_exact_quantum) {
      EXPECT_LE(gas.triple_point_K, gas.fit_range_K->first);
    }
    EXPECT_LT(gas.triple_point_K, gas.critical_temperature_K);
    EXPECT_GT(gas.critical_pressure_MPa, 0.0);
    EXPECT_GT(gas.critical_density_mol_per_m3, 0.0);
    std::vector<std::string> names = gas.aliases;
    names.push_back(gas.name);
    for (const std::string& name : names) {
      const auto [where, added] = owner.emplace(folded_gas_name(name), gas.name);
      EXPECT_EQ(where->second, gas.name) << name << " names two gases";
    }
  }
}

// Each entry's epsilon and sigma are what 'lennard fit' makes of the B(T)
// data it cites, printed as the fit prints them.
TEST(GasLibrary, NamesMatchWithoutCaseOrAccents) {
  const std::pair<const char*, const char*> cases[] = {
      {"argon", "argon"},          {"ARGÓN", "argon"},      {"Ar", "argon"},
      {"nitrogeno", "nitrogen"},   {"N2", "nitrogen"},      {"Dióxido de Carbono", "carbon dioxide"},
      {"co2", "carbon dioxide"},   {"HELIO", "helium"},     {"Sulfur Hexafluoride", "sulfur hexafluoride"}};
  for (const auto& [given, name] : cases) EXPECT_EQ(find_gas(given).name, name) << given;
  try {
    find_gas("argn");
    FAIL() << "an unknown name must be refused";
  } catch (const lennard::InvalidArgument& refusal) {
    EXPECT_NE(std::string(refusal.what()).find("argon"), std::string::npos) << refusal.what();
  }
}

// The summary speaks for the same model as the table: the quantum helium's B
Component library_component(const char* name, double x) { return mixture_component(find_gas(name), x); }

// -p with a library gas picks that model of the gas, or is refused naming the ones it has.
TEST(GasLibrary, ModelsArePickedByTheirPotential) {
  const Gas& argon = find_gas("argon");
  ASSERT_GE(argon.models.size(), 2u);
  for (const FittedModel& m : argon.models) {
    const Gas chosen = gas_with_model(argon, m.potential);
    EXPECT_EQ(chosen.epsilon_K, m.epsilon_K);
    EXPECT_EQ(chosen.sigma_A, m.sigma_A);
  }
  EXPECT_THROW(gas_with_model(argon, Mie(14.0, 6.0)), lennard::InvalidArgument);
}

// A mixture of a gas with itself is the gas, quantum correction included (the
// pair's reduced mass is then the pure gas's m/2).
TEST(Mixture, OfAGasWithItselfIsThePureGas) {
  const Component neon = library_component("neon", 0.25);
  const Mixture mixture{{neon, {neon.name, neon.potential, neon.epsilon_K, neon.sigma_A, neon.molar_mass_g_per_mol, 0.75}}};
  const double Lambda = de_boer_parameter(neon.epsilon_K, neon.sigma_A, neon.molar_mass_g_per_mol);
  const double volume = molar_volume_cm3_per_mol(neon.sigma_A);
  for (const double T : {40.0, 100.0, 300.0}) {
    const MixtureSecondVirial b = mixture_second_virial(mixture, T, true);
    const double classical = second_virial_B(Method::series, neon.potential, neon.epsilon_K, neon.sigma_A, T);
    const double shift = reduced_quantum_shift(neon.potential, T / neon.epsilon_K, Lambda).B * volume;
    EXPECT_NEAR(b.B, classical + shift, 1e-13 * std::fabs(classical));
    EXPECT_NEAR(b.B_classical, classical, 1e-13 * std::fabs(classical));
    const MixtureThirdVirial c = mixture_third_virial(mixture, T, true);
    const ReducedThirdVirial pure = reduced_third_virial(neon.potential, T / neon.epsilon_K, true);
    EXPECT_NEAR(c.C, pure.C * volume * volume, 1e-12 * std::fabs(c.C));
    EXPECT_NEAR(c.dC_dT, pure.dC_dT * volume * volume / neon.epsilon_K, 1e-11 * std::fabs(c.dC_dT));
  }
}

// x1^2 B11 + 2 x1 x2 B12 + x2^2 B22, with B12 from the Lorentz-Berthelot
// parameters worked out here, k_ij included.
TEST(Mixture, BinaryCombinesThePairsByTheirMoleFractions) {
  const Component argon = library_component("argon", 0.3);
  const Component krypton = library_component("krypton", 0.7);
  const double kij = 0.04;
  const double epsilon12 = 0.96 * std::sqrt(argon.epsilon_K * krypton.epsilon_K);
  const double sigma12 = 0.5 * (argon.sigma_A + krypton.sigma_A);
  const LennardJones lj;
  for (const double T : {150.0, 400.0}) {
    const double B11 = second_virial_B(Method::series, lj, argon.epsilon_K, argon.sigma_A, T);
    const double B22 = second_virial_B(Method::series, lj, krypton.epsilon_K, krypton.sigma_A, T);
    const double B12 = second_virial_B(Method::series, lj, epsilon12, sigma12, T);
    const MixtureSecondVirial b = mixture_second_virial(Mixture{{argon, krypton}, kij}, T, false);
    EXPECT_NEAR(b.B12, B12, 1e-13 * std::fabs(B12));
    EXPECT_NEAR(b.B, 0.09 * B11 + 0.42 * B12 + 0.49 * B22, 1e-12 * std::fabs(B12));
  }
}

// Lennard-Jones with Mie is refused in refusal_test.cpp; Mie gases combine
// only when their exponents are the same.
TEST(Mixture, CombinesOnlyPotentialsOfOneShape) {
  Component argon = library_component("argon", 0.5);
  Component other = library_component("krypton", 0.5);
  other.potential = Mie(14.0, 6.0);
  argon.potential = Mie(14.0, 6.0);
  EXPECT_NO_THROW(check_mixture(Mixture{{argon, other}}));
  other.potential = Mie(12.0, 6.0);
  EXPECT_THROW(check_mixture(Mixture{{argon, other}}), lennard::InvalidArgument);
}

TEST(Mixture, NormalisesOnlyFractionsThatMissOneByRounding) {
  const struct {
    std::vector<double> fractions;
    bool normalised;
  } cases[] = {{{0.3333, 0.3333, 0.3333}, true}, {{0.5005, 0.5}, true},  {{0.3, 0.698}, false},
               {{0.3, 0.7}, false},                {{1.0005, 0.0}, false}, {{0.6, 0.3999999999}, false}};
  const char* names[] = {"argon", "krypton", "xenon"};
  for (const auto& c : cases) {
    Mixture mixture;
    for (std::size_t i = 0; i < c.fractions.size(); ++i) {
      mixture.components.push_back(library_component(names[i], c.fractions[i]));
    }
    EXPECT_EQ(normalise_mole_fractions(mixture), c.normalised) << c.fractions[0];
    double sum = 0.0;
    for (std::size_t i = 0; i < c.fractions.size(); ++i) {
      sum += mixture.components[i].mole_fraction;
      if (!c.normalised) {
        EXPECT_EQ(mixture.components[i].mole_fraction, c.fractions[i]);
      }
    }
    if (c.normalised) {
      EXPECT_NEAR(sum, 1.0, 1e-15) << c.fractions[0];
    }
  }
}

// C_ijk is the integral over a triangle: which pair sits on which side does not matter.
TEST(Mixture, TriangleIntegralDoesNotDependOnTheOrderOfItsSides) {
  const SoftPair a{4.0, 12.0, 6.0, 119.78, 3.4147}, b{4.0, 12.0, 6.0, 141.4, 3.54}, c{4.0, 12.0, 6.0, 166.84, 3.659};
  const TriangleThirdVirial abc = triangle_third_virial(a, b, c, 250.0, true);
  for (const TriangleThirdVirial& other :
       {triangle_third_virial(b, c, a, 250.0, true), triangle_third_virial(c, a, b, 250.0, true)}) {
    EXPECT_NEAR(other.C_A6, abc.C_A6, 1e-11 * std::fabs(abc.C_A6));
    EXPECT_NEAR(other.dC_dT_A6_per_K, abc.dC_dT_A6_per_K, 1e-10 * std::fabs(abc.dC_dT_A6_per_K));
  }
}

// Refitting with the exact quantum B takes minutes, so the entries fitted with
// it (to first-principles B) are checked more cheaply: each stored model gives
// the stored RMS residual on its data file, from one preparation.
TEST(GasLibrary, ExactQuantumModelsGiveTheirResiduals) {
  int checked = 0;
  for (const Gas& gas : gas_library()) {
    if (!gas.fitted_with_exact_quantum) continue;
    SCOPED_TRACE(gas.name);
    std::ifstream file(std::filesystem::path(LENNARD_SOURCE_DATA) / gas.fitted_data);
    std::vector<std::pair<double, double>> points;
    for (std::string line; std::getline(file, line);) {
      double T = 0.0, B = 0.0;
      if (!line.empty() && line[0] != '#' && std::istringstream(line) >> T >> B) points.emplace_back(T, B);
    }
    ASSERT_GT(points.size(), 10u);
    for (const FittedModel& m : gas.models) {
      const double de_boer = de_boer_parameter(m.epsilon_K, m.sigma_A, gas.molar_mass_g_per_mol);
      const ExactSecondVirial exact(radial_potential(m.potential), de_boer, {gas.statistics, gas.spin},
                                    points.front().first / m.epsilon_K, points.back().first / m.epsilon_K);
      double sum = 0.0;
      for (const auto& [T, B] : points) {
        const double r = B - laboratory_B(exact.reduced(T / m.epsilon_K).B, m.sigma_A);
        sum += r * r;
      }
      EXPECT_NEAR(std::sqrt(sum / static_cast<double>(points.size())), m.rms_residual_cm3_per_mol,
                  5e-3 * m.rms_residual_cm3_per_mol)
          << potential_name(m.potential);
      ++checked;
    }
  }
  EXPECT_GE(checked, 2);
}

}  // namespace
}  // namespace lennard
