// The gas library, mixtures and their commands run through the built program.
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

// Each entry's epsilon and sigma are what 'lennard fit' makes of the B(T)
// data it cites, printed as the fit prints them.
TEST(GasLibrary, ParametersStillMatchTheirFits) {
  ScratchDir dir;
  for (const Gas& gas : gas_library()) {
    SCOPED_TRACE(gas.name);
    if (gas.fitted_data.empty()) continue;  // a potential from first principles
    // Fits with the exact quantum B take minutes: their residuals are checked
    // in GasLibrary.ExactQuantumModelsGiveTheirResiduals.
    if (gas.fitted_with_exact_quantum) continue;
    for (const FittedModel& m : gas.models) {
      const std::string name = potential_name(m.potential);
      std::string args = "fit " + shell_quote((std::filesystem::path(LENNARD_SOURCE_DATA) / gas.fitted_data).string());
      args += " -p " + name + (name == "lj" ? "" : " --free-repulsion");
      if (gas.fitted_with_quantum) args += " --quantum --mass " + shortest(gas.molar_mass_g_per_mol);
      const RunResult fit = run_program(dir, args, "");
      ASSERT_EQ(fit.status, 0) << name << ": " << fit.err;
      std::smatch eps, sigma, rms;
      ASSERT_TRUE(std::regex_search(fit.out, eps, std::regex("epsilon/k_B = (\\S+) ±")));
      ASSERT_TRUE(std::regex_search(fit.out, sigma, std::regex("sigma = (\\S+) ±")));
      ASSERT_TRUE(std::regex_search(fit.out, rms, std::regex("residuo RMS = (\\S+) cm3/mol")));
      EXPECT_EQ(std::stod(eps[1]), m.epsilon_K) << name;
      EXPECT_EQ(std::stod(sigma[1]), m.sigma_A) << name;
      EXPECT_NEAR(std::stod(rms[1]), m.rms_residual_cm3_per_mol, 5e-3 * m.rms_residual_cm3_per_mol) << name;
      if (name != "lj") {
        std::smatch n;
        ASSERT_TRUE(std::regex_search(fit.out, n, std::regex("exponente repulsivo N = (\\S+) ±")));
        EXPECT_EQ(potential_name(parse_potential("mie:" + std::string(n[1]) + ",6")), name);
      }
    }
  }
}

// Outside the range its parameters were fitted over, a library gas warns once, naming the range.
TEST(GasCommand, WarnsOnceOutsideTheFittedRange) {
  const struct {
    const char* args;
    bool warns;
  } cases[] = {{"--gas argon --tmin 100 --tmax 600", false},
               {"--gas argon -p lj --tmin 83.8058 --tmax 700 --step 616.1942", false},
               {"--gas argon", true},  // 5 epsilon/k_B passes 700 K
               {"--gas argon -p lj --tmin 50 --tmax 50", true},
               {"--gas argon --summary", true},  // the maximum of B lies far above 700 K
               {"--gas nitrogen --pressure 1 --tmin 1100 --tmax 1200", true}};
  ScratchDir dir;
  const std::string warning = "Aviso: los parámetros de argon se ajustaron a B(T) entre 83.8058 K y 700 K;";
  for (const auto& c : cases) {
    const RunResult run = run_program(dir, std::string(c.args) + " -o -", "");
    ASSERT_EQ(run.status, 0) << c.args << ": " << run.err;
    const bool nitrogen = std::string(c.args).find("nitrogen") != std::string::npos;
    const std::string expected = nitrogen ? "se ajustaron a B(T) entre 63.151 K y 1000 K;" : warning;
    const std::size_t at = run.err.find(expected);
    EXPECT_EQ(at != std::string::npos, c.warns) << c.args << ": " << run.err;
    if (c.warns) {
      EXPECT_EQ(run.err.find(expected, at + 1), std::string::npos) << c.args;
    }
  }
}

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
  EXPECT_NE(run_program(dir, "--gas helium --summary", "")
                .err.find("se ajustaron con el B cuántico exacto; sin --quantum exact, B se aleja"),
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
  const std::string by_values = " -p " + potential_name(argon.potential) + " -e " + shortest(argon.epsilon_K) +
                                " -s " + shortest(argon.sigma_A);
  // Without -m a library gas takes the series its parameters were fitted with.
  for (const char* extra : {"", " --derivative --third -f csv"}) {
    const RunResult by_gas = run_program(dir, std::string("--gas Argón -o -") + extra, "");
    const RunResult by_hand = run_program(dir, "-o -" + by_values + " -m series" + extra, "");
    ASSERT_EQ(by_gas.status, 0) << by_gas.err;
    EXPECT_EQ(by_gas.out, by_hand.out);
  }
  // Parameters fitted with the quantum correction are meant to be used with it.
  EXPECT_NE(run_program(dir, "--gas helium -o -", "").err.find("--quantum"), std::string::npos);
  EXPECT_EQ(run_program(dir, "--gas helium --quantum -o - --tmin 90 --tmax 300", "").err, "");
  const RunResult json = run_program(dir, "--gas ar -o - -f json --tmin 300 --tmax 300", "");
  EXPECT_EQ(nlohmann::json::parse(json.out).at("gas"), "argon");
  const RunResult list = run_program(dir, "gases -f json", "");
  ASSERT_EQ(list.status, 0);
  const nlohmann::json gases = nlohmann::json::parse(list.out);
  ASSERT_EQ(gases.size(), gas_library().size());
  for (const char* key : {"name", "formula", "aliases", "molar_mass_g_per_mol", "potential", "epsilon_K", "sigma_A",
                          "statistics", "spin", "source"}) {
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
    const bool fitted = line.rfind("    fuente: parámetros del B(T) de Lennard-Jones", 0) == 0 ||
                        line.rfind("    fuente: parámetros del B(T) del potencial mie:", 0) == 0;
    EXPECT_TRUE(fitted || line.rfind("    fuente: sin ajuste: el potencial he-abinitio", 0) == 0 ||
                line.rfind("    fuente: sin ajuste: el potencial he3-abinitio", 0) == 0)
        << line;
    EXPECT_EQ(line.find("Fitted"), std::string::npos) << line;
  }
  EXPECT_EQ(sources, gas_library().size());
  EXPECT_NE(list.out.find(", con su primera corrección cuántica, ajustados aquí con 'lennard fit' a los segundos "
                          "coeficientes del virial de data/second_virial/hydrogen.dat, que son los de la ecuación de "
                          "estado de J. W. Leachman, R. T. Jacobsen, S. G. Penoncello and E. W. Lemmon"),
            std::string::npos);
  EXPECT_NE(list.out.find("fuente: parámetros del B(T) del potencial mie:10,6, con el B cuántico exacto, ajustados "
                          "aquí con 'lennard fit' a los segundos coeficientes del virial de primeros principios de "
                          "data/abinitio_second_virial/helium-4.dat (su cabecera cita la fuente). Masa molar, puntos "
                          "triple y crítico y presión de vapor: los de la ecuación de estado de D. O. Ortiz Vega"),
            std::string::npos);
}

TEST(GasCommand, RefusesWhatClashesWithTheLibraryOrTheMixture) {
  const testing::Case cases[] = {
      {"gas with -e", "--gas argon -e 120 -s 3.4", "no se combina con --epsilon"},
      {"gas with a model it lacks", "--gas argon -p mie:14,6", "no tiene un ajuste mie:14,6 de argon; tiene: lj, mie:"},
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

TEST(MixtureCommand, WritesTheMixtureAndItsCrossCoefficient) {
  ScratchDir dir;
  const RunResult run = run_program(dir, "--mix \"Ar:0.3,Kr:0.7\" -f json -o -", "");
  ASSERT_EQ(run.status, 0) << run.err;
  const nlohmann::json table = nlohmann::json::parse(run.out);
  EXPECT_EQ(table["mixture"][1]["gas"], "krypton");
  EXPECT_EQ(table["mixture"][1]["mole_fraction"], 0.7);
  // The default sweep: from the smallest epsilon to five times the largest, of their Lennard-Jones fits.
  EXPECT_EQ(table["rows"].front()["T_K"], gas_with_model(find_gas("argon"), LennardJones{}).epsilon_K);
  EXPECT_NEAR(table["rows"].back()["T_K"].get<double>(),
              5.0 * gas_with_model(find_gas("krypton"), LennardJones{}).epsilon_K, 1e-9);
  EXPECT_TRUE(table["rows"][0].contains("B12_cm3_per_mol"));
}

}  // namespace
}  // namespace lennard
