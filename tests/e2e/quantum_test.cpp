// The quantum correction through the built program: its columns, its fit, its refusals.
#include "lennard/physics/quantum.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <nlohmann/json.hpp>
#include <numbers>
#include <sstream>
#include <string>
#include <utility>

#include "lennard/physics/gas_library.hpp"
#include "lennard/physics/gas_model.hpp"
#include "lennard/physics/shortest.hpp"
#include "test_support.hpp"

namespace {

constexpr double worked_de_boer = 2.7677052334321280273;


TEST(QuantumCommand, AddsTheCorrectionAndKeepsTheClassicalColumn) {
  lennard::testing::ScratchDir dir;
  const auto run = lennard::testing::run_program(
      dir, "-e 10 -s 2.5 --quantum --mass 4 -f json -o - --tmin 10 --tmax 10", "");
  ASSERT_EQ(run.status, 0) << run.err;
  const auto document = nlohmann::json::parse(run.out);
  EXPECT_NEAR(document.at("de_boer_parameter").get<double>(), worked_de_boer, 1e-14 * worked_de_boer);
  const auto& row = document.at("rows")[0];
  // At T* = 1: B - B_classical = (2 pi/3) N_A sigma^3 Lambda*^2 B_I*(1).
  const double expected = 2.0 * std::numbers::pi / 3.0 * 0.602214076 * 2.5 * 2.5 * 2.5 * worked_de_boer *
                          worked_de_boer * 0.41558235890735513382;
  const double shift = row.at("B_cm3_per_mol").get<double>() - row.at("B_classical_cm3_per_mol").get<double>();
  EXPECT_NEAR(shift, expected, 1e-12 * expected);
  // A correction this size (helium-like) is flagged; a neon-like one is not,
  // even where its classical B passes through zero.
  EXPECT_NE(run.err.find("no es fiable"), std::string::npos) << run.err;
  const auto neon = lennard::testing::run_program(
      dir, "-e 35.6 -s 2.75 --quantum --mass 20.18 -o neon.dat --tmin 100 --tmax 140 --step 1", "");
  EXPECT_EQ(neon.err, "");
  // Neither the Boyle point of a B that the first correction keeps positive
  // nor a garbage root far below T* = 1e-3 is reported.
  const auto summary =
      lennard::testing::run_program(dir, "-e 10.22 -s 2.556 --quantum --mass 4 --summary -f json", "");
  EXPECT_TRUE(nlohmann::json::parse(summary.out).at("boyle_temperature_K").is_null()) << summary.out;
}

TEST(QuantumCommand, FitRecoversTheParametersOfANeonLikeTable) {
  // The program's own quantum-corrected table (epsilon/k_B = 35.6 K, sigma =
  // 2.75 A, M = 20.18 g/mol) fitted back with and without the correction.
  lennard::testing::ScratchDir dir;
  const auto table = lennard::testing::run_program(
      dir, "-e 35.6 -s 2.75 --quantum --mass 20.18 -f csv -o - --tmin 40 --tmax 600 --step 40", "");
  ASSERT_EQ(table.status, 0) << table.err;
  std::istringstream rows(table.out.substr(table.out.find('\n') + 1));
  std::string points;
  for (std::string line; std::getline(rows, line);) {
    const std::size_t first = line.find(','), second = line.find(',', first + 1), third = line.find(',', second + 1);
    points += line.substr(0, first) + " " + line.substr(second + 1, third - second - 1) + "\n";  // T and B
  }
  lennard::testing::write_file(dir / "neon.dat", points);
  const auto quantum = lennard::testing::run_program(dir, "fit neon.dat --quantum --mass 20.18 -f json", "");
  ASSERT_EQ(quantum.status, 0) << quantum.err;
  const auto fit = nlohmann::json::parse(quantum.out);
  EXPECT_NEAR(fit.at("epsilon_K").get<double>(), 35.6, 1e-6 * 35.6);
  EXPECT_NEAR(fit.at("sigma_A").get<double>(), 2.75, 1e-6 * 2.75);
  EXPECT_NEAR(fit.at("de_boer_parameter").get<double>(), lennard::de_boer_parameter(35.6, 2.75, 20.18), 1e-6);
  // Without the correction the same data give an epsilon a few per cent low.
  const auto classical = lennard::testing::run_program(dir, "fit neon.dat -f json", "");
  EXPECT_LT(nlohmann::json::parse(classical.out).at("epsilon_K").get<double>(), 35.6 * 0.99);
}

class QuantumUsage : public ::testing::TestWithParam<lennard::testing::Case> {};

TEST_P(QuantumUsage, IsRefusedWithStatusTwo) {
  lennard::testing::ScratchDir dir;
  const auto run = lennard::testing::run_program(dir, GetParam().given, "");
  EXPECT_EQ(run.status, 2) << run.err;
  EXPECT_NE(run.err.find(GetParam().message), std::string::npos) << run.err;
}

INSTANTIATE_TEST_SUITE_P(
    Options, QuantumUsage,
    ::testing::Values(lennard::testing::Case{"NoMass", "-e 10 -s 2.5 --quantum", "necesita la masa molar"},
                      lennard::testing::Case{"MassAlone", "-e 10 -s 2.5 --mass 4", "solo sirve con --quantum"},
                      lennard::testing::Case{"SquareWell", "-p sw:1.5 -e 10 -s 2.5 --quantum --mass 4",
                                             "potencial continuo"},
                      lennard::testing::Case{"Trapezoid", "-e 10 -s 2.5 --quantum --mass 4 -m trapezoid",
                                             "no trapezoid"},
                      lennard::testing::Case{"NegativeMass", "-e 10 -s 2.5 --quantum --mass -4",
                                             "no es una masa positiva y finita"},
                      lennard::testing::Case{"FitWithoutMass", "fit d.dat --quantum", "necesita la masa molar"}),
    lennard::testing::CaseName{});

}  // namespace

TEST(QuantumCommand, OrderTwoAddsTheHbar4TermAndNamesIt) {
  lennard::testing::ScratchDir dir;
  const auto run = lennard::testing::run_program(
      dir, "-e 10 -s 2.5 --quantum 2 --mass 4 -f json -o - --tmin 10 --tmax 10", "");
  ASSERT_EQ(run.status, 0) << run.err;
  const auto document = nlohmann::json::parse(run.out);
  EXPECT_EQ(document.at("quantum_order").get<int>(), 2);
  const auto& row = document.at("rows")[0];
  // At T* = 1: (2 pi/3) N_A sigma^3 (Lambda*^2 B_I*(1) + Lambda*^4 B_II*(1)), the
  // reduced values from tests/tools/quantum_reference.py and quantum_order2_reference.py.
  const double L2 = worked_de_boer * worked_de_boer;
  const double expected = 2.0 * std::numbers::pi / 3.0 * 0.602214076 * 2.5 * 2.5 * 2.5 *
                          (L2 * 0.41558235890735513382 + L2 * L2 * -0.08218929047299889594205);
  const double shift = row.at("B_cm3_per_mol").get<double>() - row.at("B_classical_cm3_per_mol").get<double>();
  EXPECT_NEAR(shift, expected, 1e-12 * std::fabs(expected));
  // Order 1 keeps its json without the key; the dat line names the order.
  const auto first =
      lennard::testing::run_program(dir, "-e 10 -s 2.5 --quantum 1 --mass 4 -f json -o - --tmin 10 --tmax 10", "");
  EXPECT_FALSE(nlohmann::json::parse(first.out).contains("quantum_order"));
  const auto dat =
      lennard::testing::run_program(dir, "-e 10 -s 2.5 --quantum 2 --mass 4 -o - --tmin 10 --tmax 10", "");
  EXPECT_NE(dat.out.find("#corrección cuántica: Wigner-Kirkwood de orden hbar^4"), std::string::npos) << dat.out;
  // The summary's Boyle temperature is a root of the order-2 B (order 1's lies 0.026 K away for neon).
  const auto summary = lennard::testing::run_program(dir, "--gas neon --quantum 2 --summary -f json", "");
  std::ostringstream text;
  text.precision(17);
  text << nlohmann::json::parse(summary.out).at("boyle_temperature_K").get<double>();
  const std::string boyle = text.str();
  const auto at_boyle = lennard::testing::run_program(
      dir, "--gas neon --quantum 2 -f json -o - --tmin " + boyle + " --tmax " + boyle, "");
  EXPECT_NEAR(nlohmann::json::parse(at_boyle.out).at("rows")[0].at("B_cm3_per_mol").get<double>(), 0.0, 1e-9);
}

TEST(QuantumCommand, RefusesOtherOrders) {
  lennard::testing::ScratchDir dir;
  for (const char* order : {"3", "0", "2.0", "Exact"}) {
    const auto run = lennard::testing::run_program(
        dir, std::string("-e 10 -s 2.5 --mass 4 -o - --quantum ") + order, "");
    EXPECT_EQ(run.status, 2) << order;
    EXPECT_NE(run.err.find("--quantum"), std::string::npos) << run.err;
    EXPECT_EQ(run.out, "") << order;
  }
  EXPECT_EQ(lennard::testing::run_program(dir, "--mix He:0.5,Ne:0.5 --quantum 2 -o -", "").status, 2);
}

namespace exact {

// The exact quantum B of the Lennard-Jones helium at 4-6 K (cheap: the
// lowest temperatures need the fewest phase shifts): the json's quantum
// object, B as the library computes it over the same range, the classical
// column, and the dat's #quantum: line.
TEST(QuantumExactCommand, WritesTheLibrarysBAndItsBoundStates) {
  lennard::testing::ScratchDir dir;
  const auto run = lennard::testing::run_program(
      dir, "--gas helium --quantum exact --derivative -f json -o - --tmin 4 --tmax 6 --step 1", "");
  ASSERT_EQ(run.status, 0) << run.err;
  const auto document = nlohmann::json::parse(run.out);
  const auto& quantum = document.at("quantum");
  EXPECT_EQ(quantum.at("order"), "exact");
  EXPECT_EQ(quantum.at("statistics"), "bose");
  EXPECT_EQ(quantum.at("spin"), 0.0);
  ASSERT_EQ(quantum.at("bound_states").size(), 1u);
  EXPECT_EQ(quantum.at("bound_states")[0].at("l"), 0);
  const double energy = quantum.at("bound_states")[0].at("energy_K").get<double>();

  const lennard::Gas& helium = lennard::find_gas("helium");
  lennard::PureGas gas = lennard::library_gas(helium, true);
  gas.quantum_exact = true;
  gas.statistics = {lennard::Statistics::bose, 0.0};
  lennard::GasModel model(gas);
  model.prepare_quantum(4.0, 6.0);
  EXPECT_EQ(energy, model.bound_states().at(0).energy * helium.epsilon_K);
  EXPECT_LT(energy, 0.0);
  const auto& rows = document.at("rows");
  ASSERT_EQ(rows.size(), 3u);
  for (const auto& row : rows) {
    const lennard::SecondVirial b = model.second_virial(row.at("T_K").get<double>());
    EXPECT_EQ(row.at("B_cm3_per_mol").get<double>(), b.B);
    EXPECT_EQ(row.at("dB_dT_cm3_per_mol_K").get<double>(), b.dB_dT);
    EXPECT_EQ(row.at("B_classical_cm3_per_mol").get<double>(), b.B_classical);
    EXPECT_NE(b.B, b.B_classical);
  }
  const auto dat = lennard::testing::run_program(dir, "--gas helium --quantum exact -o - --tmin 4 --tmax 4", "");
  ASSERT_EQ(dat.status, 0) << dat.err;
  EXPECT_NE(dat.out.find("\n#quantum: exact, bose, spin 0, 1 bound state(s): l=0 E=" + lennard::shortest(energy) +
                         " K\n"),
            std::string::npos)
      << dat.out;
}

TEST(QuantumExactCommand, Refusals) {
  lennard::testing::ScratchDir dir;
  const std::string data = lennard::testing::shell_quote(std::string(LENNARD_SOURCE_DATA) + "/second_virial/helium.dat");
  const std::pair<std::string, const char*> cases[] = {
      {"-p sw:1.5 -e 10 -s 3 --mass 4 --quantum exact", "potencial continuo"},
      {"-p hs -s 3 --mass 4 --quantum exact --tmin 10 --tmax 20", "potencial continuo"},
      {"--gas helium --statistics bose", "--statistics solo sirve con --quantum exact"},
      {"--gas helium --quantum 2 --spin 0", "--spin solo sirve con --quantum exact"},
      {"--gas helium --quantum exact --spin 1/2", "no es un espín de bosones"},
      {"--gas helium-3 --quantum exact --statistics bose", "no es un espín de bosones"},
      {"-e 10 -s 2.5 --mass 4 --quantum exact --statistics fermi --spin 1", "no es un espín de fermiones"},
      {"--gas helium --quantum exact --spin x", "no es un espín"},
      {"--mix He:0.5,Ne:0.5 --quantum exact", "no se aplica a mezclas"},
      {"fit " + data + " -p sw:1.5 --mass 4 --quantum exact", "potencial continuo"},
      {"fit " + data + " --mass 4 --quantum --statistics bose", "--statistics solo sirve con --quantum exact"},
  };
  for (const auto& [args, refusal] : cases) {
    const auto run = lennard::testing::run_program(dir, args + " -o -", "");
    EXPECT_EQ(run.status, 2) << args;
    EXPECT_NE(run.err.find(refusal), std::string::npos) << args << ": " << run.err;
    EXPECT_EQ(run.out, "") << args;
  }
}

// Above what the phase shifts reach (some 400 K for helium-4), B continues as
// the semiclassical series, says so, and stays on the first-principles values
// of Harvey and Garberoglio (2025) for helium-4: 8.621164 cm^3/mol at 1500 K.
TEST(QuantumExactCommand, HeliumBeyondThePhaseShiftsFollowsTheSeries) {
  lennard::testing::ScratchDir dir;
  const auto run =
      lennard::testing::run_program(dir, "--gas helium-4 --quantum exact --tmin 1500 --tmax 1500 -f json -o -", "");
  ASSERT_EQ(run.status, 0) << run.err;
  const auto document = nlohmann::json::parse(run.out);
  EXPECT_NEAR(document.at("rows").at(0).at("B_cm3_per_mol").get<double>(), 8.621164, 2e-5);
  EXPECT_LT(document.at("quantum").at("series_above_K").get<double>(), 1500.0);
  EXPECT_EQ(document.at("quantum").at("bound_states").size(), 1u);
  EXPECT_NE(run.err.find("B sigue la serie semiclásica hasta hbar^4"), std::string::npos) << run.err;
  // Without --quantum exact helium-4's B is the classical one of its potential (-3702 cm^3/mol at 2 K
  // against -194): the program says so.
  const auto classical = lennard::testing::run_program(dir, "--gas helium-4 --tmin 2 --tmax 2 -o -", "");
  ASSERT_EQ(classical.status, 0) << classical.err;
  EXPECT_NE(classical.err.find("helium-4 es un gas cuántico: sin --quantum exact"), std::string::npos) << classical.err;
}

// --summary's Boyle temperature of the exact quantum B is where the table's B
// (a separate path: one T, prepared for it alone) vanishes.
TEST(QuantumExactCommand, SummaryBoyleTemperatureIsWhereTheTablesBVanishes) {
  lennard::testing::ScratchDir dir;
  const auto summary = lennard::testing::run_program(dir, "--gas helium --quantum exact --summary -f json -o -", "");
  ASSERT_EQ(summary.status, 0) << summary.err;
  const double boyle = nlohmann::json::parse(summary.out).at("boyle_temperature_K").get<double>();
  const std::string at = " --tmin " + lennard::shortest(boyle) + " --tmax " + lennard::shortest(boyle);
  const auto row = lennard::testing::run_program(dir, "--gas helium --quantum exact -f json -o -" + at, "");
  ASSERT_EQ(row.status, 0) << row.err;
  EXPECT_NEAR(nlohmann::json::parse(row.out).at("rows").at(0).at("B_cm3_per_mol").get<double>(), 0.0, 1e-8);
}

// The program's own exact quantum table (a helium-like boson, whose odd waves
// drop out) fitted back with the exact B: the parameters it was made with.
TEST(QuantumExactCommand, FitRecoversTheTableItsExactBMade) {
  lennard::testing::ScratchDir dir;
  const std::string gas = " --quantum exact --mass 4 --statistics bose";
  const auto table =
      lennard::testing::run_program(dir, "-e 10 -s 2.6" + gas + " --tmin 10 --tmax 20 --step 2 -f csv -o t.csv", "");
  ASSERT_EQ(table.status, 0) << table.err;
  const auto fit = lennard::testing::run_program(dir, "fit t.csv" + gas + " -f json -o -", "");
  ASSERT_EQ(fit.status, 0) << fit.err;
  const auto document = nlohmann::json::parse(fit.out);
  EXPECT_NEAR(document.at("epsilon_K").get<double>(), 10.0, 1e-8);
  EXPECT_NEAR(document.at("sigma_A").get<double>(), 2.6, 1e-8);
  EXPECT_EQ(document.at("quantum").at("statistics"), "bose");
  // The fitted gas's bound states are those a table of it reports.
  const auto row = lennard::testing::run_program(dir, "-e 10 -s 2.6" + gas + " --tmin 10 --tmax 10 -f json -o -", "");
  ASSERT_EQ(row.status, 0) << row.err;
  EXPECT_EQ(document.at("quantum").at("bound_states").size(),
            nlohmann::json::parse(row.out).at("quantum").at("bound_states").size());
}

}  // namespace exact
