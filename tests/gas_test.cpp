// The gas library (entries, names, its fits to the data it cites) and
// mixtures (against the pure gas and against pair coefficients combined by hand).
#include <gtest/gtest.h>

#include <cmath>
#include <nlohmann/json.hpp>
#include <regex>
#include <sstream>
#include <string>
#include <map>
#include <vector>

#include "lennard/physics/errors.hpp"
#include "lennard/physics/gas_library.hpp"
#include "lennard/physics/mixture.hpp"
#include "lennard/physics/quantum.hpp"
#include "lennard/physics/second_virial.hpp"
#include "lennard/physics/series.hpp"
#include "lennard/physics/shortest.hpp"
#include "lennard/physics/third_virial.hpp"
#include "test_support.hpp"

namespace lennard {
namespace {

using testing::RunResult;
using testing::ScratchDir;
using testing::run_program;
using testing::shell_quote;

TEST(GasLibrary, EveryEntryIsCompleteAndEveryNameLeadsToOneGas) {
  ASSERT_GE(gas_library().size(), 15u);
  std::map<std::string, std::string> owner;  // folded name or alias -> gas
  for (const Gas& gas : gas_library()) {
    SCOPED_TRACE(gas.name);
    EXPECT_GT(gas.molar_mass_g_per_mol, 0.0);
    EXPECT_GT(gas.epsilon_K, 0.0);
    EXPECT_GT(gas.sigma_A, 0.0);
    // A citation: authors, title, a year in parentheses and where it appeared.
    EXPECT_TRUE(std::regex_search(gas.equation_of_state, std::regex(R"(\((19|20)\d\d\))"))) << gas.equation_of_state;
    // The Spanish listing is made of these fields: they must say what the English source says.
    EXPECT_NE(gas.source.find("equation of state of " + gas.equation_of_state), std::string::npos) << gas.source;
    for (const std::string& from : gas.coefficients_from) EXPECT_NE(gas.source.find(from), std::string::npos) << from;
    EXPECT_TRUE(std::filesystem::exists(std::filesystem::path(LENNARD_SOURCE_DATA) / gas.fitted_data));
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
TEST(GasLibrary, ParametersStillMatchTheirFits) {
  ScratchDir dir;
  for (const Gas& gas : gas_library()) {
    SCOPED_TRACE(gas.name);
    std::string args = "fit " + shell_quote((std::filesystem::path(LENNARD_SOURCE_DATA) / gas.fitted_data).string());
    if (gas.fitted_with_quantum) args += " --quantum --mass " + shortest(gas.molar_mass_g_per_mol);
    const RunResult fit = run_program(dir, args, "");
    ASSERT_EQ(fit.status, 0) << fit.err;
    std::smatch eps, sigma;
    ASSERT_TRUE(std::regex_search(fit.out, eps, std::regex("epsilon/k_B = (\\S+) ±")));
    ASSERT_TRUE(std::regex_search(fit.out, sigma, std::regex("sigma = (\\S+) ±")));
    EXPECT_EQ(std::stod(eps[1]), gas.epsilon_K);
    EXPECT_EQ(std::stod(sigma[1]), gas.sigma_A);
  }
}

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
// changes sign twice, at temperatures where the table's B does, and both warn
// alike.
TEST(GasCommand, SummaryReportsEverySignChangeOfTheTablesBAndItsWarnings) {
  ScratchDir dir;
  const RunResult summary = run_program(dir, "--gas helium --quantum --summary -f json", "");
  ASSERT_EQ(summary.status, 0) << summary.err;
  const nlohmann::json values = nlohmann::json::parse(summary.out);
  const std::vector<double> roots = values.at("boyle_temperatures_K").get<std::vector<double>>();
  ASSERT_EQ(roots.size(), 2u);
  EXPECT_EQ(values.at("boyle_temperature_K").get<double>(), roots.back());
  const RunResult table = run_program(dir, "--gas helium --quantum -f json --tmin 5 --tmax 40 --step 0.25 -o -", "");
  ASSERT_EQ(table.status, 0) << table.err;
  std::vector<double> sign_changes;
  const nlohmann::json rows = nlohmann::json::parse(table.out).at("rows");
  for (std::size_t i = 1; i < rows.size(); ++i) {
    const double B0 = rows[i - 1].at("B_cm3_per_mol"), B1 = rows[i].at("B_cm3_per_mol");
    if ((B0 < 0.0) != (B1 < 0.0)) {
      const double T0 = rows[i - 1].at("T_K"), T1 = rows[i].at("T_K");
      ASSERT_LT(sign_changes.size(), roots.size());
      EXPECT_TRUE(T0 < roots[sign_changes.size()] && roots[sign_changes.size()] < T1) << T0 << " " << T1;
      sign_changes.push_back(T0);
    }
  }
  EXPECT_EQ(sign_changes.size(), roots.size());
  const std::string unreliable = "la expansión en hbar^2 no es fiable";
  EXPECT_NE(table.err.find(unreliable), std::string::npos) << table.err;
  EXPECT_NE(summary.err.find(unreliable), std::string::npos) << summary.err;
  const RunResult fit = run_program(
      dir, "fit " + shell_quote(std::string(LENNARD_SOURCE_DATA) + "/second_virial/helium.dat") + " --gas helium --quantum",
      "");
  EXPECT_NE(fit.err.find(unreliable), std::string::npos) << fit.err;
  EXPECT_NE(run_program(dir, "--gas helium --quantum --summary", "").out.find("B cambia de signo a: "),
            std::string::npos);
  EXPECT_NE(run_program(dir, "--gas helium --summary", "").err.find("se ajustaron con la corrección cuántica"),
            std::string::npos);
  // Without --quantum, --gas helium is the classical column of --gas helium --quantum.
  const RunResult classical = run_program(dir, "--gas helium -f json --tmin 300 --tmax 300 -o -", "");
  const RunResult quantum = run_program(dir, "--gas helium --quantum -f json --tmin 300 --tmax 300 -o -", "");
  EXPECT_EQ(nlohmann::json::parse(classical.out).at("rows")[0].at("B_cm3_per_mol"),
            nlohmann::json::parse(quantum.out).at("rows")[0].at("B_classical_cm3_per_mol"));
}

TEST(GasCommand, GasGivesTheTableOfItsParametersAndItsNameInJson) {
  ScratchDir dir;
  const Gas& argon = find_gas("argon");
  const std::string by_values = " -e " + shortest(argon.epsilon_K) + " -s " + shortest(argon.sigma_A);
  // Without -m a library gas takes the series its parameters were fitted with.
  for (const char* extra : {"", " --derivative --third -f csv"}) {
    const RunResult by_gas = run_program(dir, std::string("--gas Argón -o -") + extra, "");
    const RunResult by_hand = run_program(dir, "-o -" + by_values + " -m series" + extra, "");
    ASSERT_EQ(by_gas.status, 0) << by_gas.err;
    EXPECT_EQ(by_gas.out, by_hand.out);
  }
  // Parameters fitted with the quantum correction are meant to be used with it.
  EXPECT_NE(run_program(dir, "--gas helium -o -", "").err.find("--quantum"), std::string::npos);
  EXPECT_EQ(run_program(dir, "--gas helium --quantum -o - --tmin 60 --tmax 300", "").err, "");
  const RunResult json = run_program(dir, "--gas ar -o - -f json --tmin 300 --tmax 300", "");
  EXPECT_EQ(nlohmann::json::parse(json.out).at("gas"), "argon");
  const RunResult list = run_program(dir, "gases -f json", "");
  ASSERT_EQ(list.status, 0);
  const nlohmann::json gases = nlohmann::json::parse(list.out);
  ASSERT_EQ(gases.size(), gas_library().size());
  for (const char* key : {"name", "formula", "aliases", "molar_mass_g_per_mol", "potential", "epsilon_K", "sigma_A",
                          "source"}) {
    EXPECT_TRUE(gases[0].contains(key)) << key;
  }
  // fit --gas takes the mass from the library.
  EXPECT_EQ(run_program(dir, "fit " + shell_quote(std::string(LENNARD_SOURCE_DATA) + "/second_virial/neon.dat") +
                                 " --gas neon --quantum",
                        "")
                .out,
            run_program(dir, "fit " + shell_quote(std::string(LENNARD_SOURCE_DATA) + "/second_virial/neon.dat") +
                                 " --quantum --mass 20.179",
                        "")
                .out);
}

TEST(GasCommand, TextListingTellsTheSourceInSpanish) {
  ScratchDir dir;
  const RunResult list = run_program(dir, "gases", "");
  ASSERT_EQ(list.status, 0) << list.err;
  std::istringstream lines(list.out);
  std::size_t sources = 0;
  for (std::string line; std::getline(lines, line);) {
    if (line.rfind("    fuente: ", 0) != 0) continue;
    ++sources;
    EXPECT_EQ(line.rfind("    fuente: parámetros del B(T) de Lennard-Jones", 0), 0u) << line;
    EXPECT_EQ(line.find("Fitted"), std::string::npos) << line;
  }
  EXPECT_EQ(sources, gas_library().size());
  EXPECT_NE(list.out.find(", con su primera corrección cuántica, ajustados aquí con 'lennard fit' a los segundos "
                          "coeficientes del virial de data/second_virial/helium.dat, que son los de la ecuación de "
                          "estado de D. O. Ortiz-Vega, K. R. Hall, J. C. Holste, V. D. Arp, A. H. Harvey and E. W. "
                          "Lemmon, \"Equation of State for Helium-4\", NIST (2023); coeficientes tomados de NIST "
                          "REFPROP 10 y CoolProp. Masa molar: la que se da con esa ecuación.\n"),
            std::string::npos);
}

TEST(GasCommand, RefusesWhatClashesWithTheLibraryOrTheMixture) {
  const testing::Case cases[] = {
      {"gas with -e", "--gas argon -e 120 -s 3.4", "no se combina con --epsilon"},
      {"gas with -p", "--gas argon -p mie:14,6", "no se combina con --potential"},
      {"gas with --mass", "--gas helium --quantum --mass 4", "no se combina con --mass"},
      {"unknown gas", "--gas xenn", "xenon"},
      {"kij without mix", "--gas argon --kij 0.1", "--kij"},
      {"fractions", "--mix argon:0.3,krypton:0.6", "suman 0.8999"},
      {"fraction out of range", "--mix argon:1.5,krypton:-0.5", "(0, 1]"},
      {"no fraction", "--mix argon,krypton:1", "GAS:FRACCIÓN"},
      {"kij with three", "--mix ar:0.2,kr:0.3,xe:0.5 --kij 0.05", "binarias"},
      {"trapezoid", "--mix ar:0.5,kr:0.5 -m trapezoid", "serie exacta"},
      {"summary", "--mix ar:0.5,kr:0.5 --summary", "--summary"},
  };
  ScratchDir dir;
  for (const testing::Case& c : cases) {
    const RunResult run = run_program(dir, c.given, "");
    EXPECT_EQ(run.status, 2) << c.name;
    EXPECT_NE(run.err.find(c.message), std::string::npos) << c.name << ": " << run.err;
    EXPECT_FALSE(std::filesystem::exists(dir / "Lennard.dat")) << c.name;
  }
}

Component library_component(const char* name, double x) {
  const Gas& gas = find_gas(name);
  return {gas.name, gas.potential, gas.epsilon_K, gas.sigma_A, gas.molar_mass_g_per_mol, x};
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

TEST(Mixture, CombinesOnlyPotentialsOfOneShape) {
  Component argon = library_component("argon", 0.5);
  Component other = library_component("krypton", 0.5);
  other.potential = Mie(14.0, 6.0);
  EXPECT_THROW(check_mixture(Mixture{{argon, other}}), lennard::InvalidArgument);
  argon.potential = Mie(14.0, 6.0);
  EXPECT_NO_THROW(check_mixture(Mixture{{argon, other}}));
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

TEST(MixtureCommand, WritesTheMixtureAndItsCrossCoefficient) {
  ScratchDir dir;
  const RunResult run = run_program(dir, "--mix \"Ar:0.3,Kr:0.7\" -f json -o -", "");
  ASSERT_EQ(run.status, 0) << run.err;
  const nlohmann::json table = nlohmann::json::parse(run.out);
  EXPECT_EQ(table["mixture"][1]["gas"], "krypton");
  EXPECT_EQ(table["mixture"][1]["mole_fraction"], 0.7);
  // The default sweep: from the smallest epsilon to five times the largest.
  EXPECT_EQ(table["rows"].front()["T_K"], find_gas("argon").epsilon_K);
  EXPECT_NEAR(table["rows"].back()["T_K"].get<double>(), 5.0 * find_gas("krypton").epsilon_K, 1e-9);
  EXPECT_TRUE(table["rows"][0].contains("B12_cm3_per_mol"));
}

}  // namespace
}  // namespace lennard
