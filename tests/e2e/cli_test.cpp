// The command line of the built program: its files, formats and refusals.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <initializer_list>
#include <nlohmann/json.hpp>
#include <sstream>
#include <ostream>
#include <string>
#include <vector>

#include "lennard/io/output.hpp"
#include "lennard/physics/sweep.hpp"
#include "test_support.hpp"

namespace {

using lennard::Format;
using lennard::Method;
using lennard::testing::golden;
using lennard::testing::read_file;
using lennard::testing::run_program;
using lennard::testing::ScratchDir;
using lennard::testing::write_file;


TEST(CommandLine, WritesTheDialoguesFileWithoutTheDialogue) {
  for (const char* epsilon : {"120", "1", "228.3963921798119", "1.5873393084155472"}) {
    ScratchDir dir;
    const auto run = run_program(dir, std::string("-e ") + epsilon + " -s 3.4", "");
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(read_file(dir / "Lennard.dat"), golden(std::string("lennard_") + epsilon + "_3.4.dat"));
  }
}

TEST(CommandLine, AsksForTheParametersWhenOnlyOtherOptionsAreGiven) {
  ScratchDir dir;
  const auto run = run_program(dir, "-m series -o series.dat", "120 3.4\n");
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.out.find("sigma(A): "), std::string::npos);
  const std::string table = read_file(dir / "series.dat");
  EXPECT_NE(table.find("#método: series"), std::string::npos) << table;
  // The explicit sweep gives the same file.
  const auto direct = run_program(dir, "-e 120 -s 3.4 -m series -o direct.dat", "");
  EXPECT_EQ(direct.status, 0) << direct.err;
  EXPECT_EQ(read_file(dir / "direct.dat"), table);
}

TEST(CommandLine, TableToStandardOutputKeepsTheDialogueOffIt) {
  ScratchDir dir;
  const auto run = run_program(dir, "-o - -f csv", "120 3.4\n");
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out.rfind("T_K,inv_T_per_K,B_cm3_per_mol\n120,", 0), 0u) << run.out;
  EXPECT_NE(run.err.find("sigma(A): "), std::string::npos);
  EXPECT_FALSE(std::filesystem::exists(dir / "Lennard.dat"));
}

TEST(CommandLine, DatWithDerivativeAndSeriesNamesItsExtraColumnAndMethod) {
  ScratchDir dir;
  const auto run = run_program(dir, "-e 120 -s 3.4 -m series --derivative -o -", "");
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out.rfind("#epsilon/KB: 120.000000 (K), sigma: 3.400000 (A)\n"
                          "#método: series (serie exacta), N_A = 6.02214076e+23 1/mol\n"
                          "#columna 4: dB/dT (cm3/(mol K))\n"
                          "# T(K)  1/T(K-1)   B(cm3/mol)\n"
                          "#==============================\n"
                          "120.00 0.008333 ",
                          0),
            0u)
      << run.out;
  // 101 rows of four columns, the file still without a final line break.
  std::istringstream lines(run.out);
  std::string line;
  int rows = 0;
  while (std::getline(lines, line)) {
    if (line[0] == '#') continue;
    ++rows;
    double T, inv_T, B, dB;
    EXPECT_EQ(std::sscanf(line.c_str(), "%lf %lf %lf %lf", &T, &inv_T, &B, &dB), 4) << line;
  }
  EXPECT_EQ(rows, 101);
  EXPECT_NE(run.out.back(), '\n');
}

TEST(CommandLine, CsvReadsBackToTheSameDoubles) {
  ScratchDir dir;
  const auto run = run_program(dir, "-e 120 -s 3.4 --tmin 100 --tmax 1000 --derivative -f csv -o table.csv", "");
  ASSERT_EQ(run.status, 0) << run.err;
  const auto temperatures = lennard::evenly_spaced_grid({100.0, 1000.0, lennard::temperature_step(100.0, 1000.0)});
  const lennard::Table expected = lennard::compute_table(120.0, 3.4, temperatures, Method::trapezoid, true);

  std::istringstream lines(read_file(dir / "table.csv"));
  std::string line;
  std::getline(lines, line);
  EXPECT_EQ(line, "T_K,inv_T_per_K,B_cm3_per_mol,dB_dT_cm3_per_mol_K");
  std::size_t row = 0;
  while (std::getline(lines, line)) {
    ASSERT_LT(row, expected.T_K.size());
    char* cursor = line.data();
    const double T = std::strtod(cursor, &cursor);
    const double inv_T = std::strtod(cursor + 1, &cursor);
    const double B = std::strtod(cursor + 1, &cursor);
    const double dB = std::strtod(cursor + 1, &cursor);
    EXPECT_EQ(*cursor, '\0');
    EXPECT_EQ(T, expected.T_K[row]);
    EXPECT_EQ(inv_T, 1.0 / expected.T_K[row]);
    EXPECT_EQ(B, expected.column(lennard::B_key)->values[row]);
    EXPECT_EQ(dB, expected.column(lennard::dB_dT_key)->values[row]);
    ++row;
  }
  EXPECT_EQ(row, expected.T_K.size());
}

TEST(CommandLine, JsonReadsBackToTheSameDoubles) {
  ScratchDir dir;
  const auto run = run_program(dir, "-e 35.6 -s 2.75 -m series --step 0.37 -f json -o -", "");
  ASSERT_EQ(run.status, 0) << run.err;
  const auto document = nlohmann::json::parse(run.out);
  EXPECT_EQ(document.at("epsilon_K").get<double>(), 35.6);
  EXPECT_EQ(document.at("sigma_A").get<double>(), 2.75);
  EXPECT_EQ(document.at("method"), "series");
  EXPECT_EQ(document.at("N_A_per_mol").get<double>(), 6.02214076e23);
  const auto temperatures = lennard::evenly_spaced_grid({35.6, 35.6 * 5.0, 0.37});
  const auto& rows = document.at("rows");
  ASSERT_EQ(rows.size(), temperatures.size());
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const double T = temperatures[i];
    EXPECT_EQ(rows[i].at("T_K").get<double>(), T);
    EXPECT_EQ(rows[i].at("inv_T_per_K").get<double>(), 1.0 / T);
    EXPECT_EQ(rows[i].at("B_cm3_per_mol").get<double>(), lennard::virial_B_series(35.6, 2.75, T));
    EXPECT_FALSE(rows[i].contains("dB_dT_cm3_per_mol_K"));
  }
}

TEST(CommandLine, SummaryAsTextAndJson) {
  ScratchDir dir;
  const auto text = run_program(dir, "-e 120 -s 3.4 --summary", "");
  EXPECT_EQ(text.status, 0) << text.err;
  const lennard::Characteristics c = lennard::characteristics(lennard::LennardJones{}, 120.0, 3.4);
  EXPECT_EQ(text.out, "Temperatura de Boyle (B = 0): " + lennard::shortest(*c.boyle_temperature_K) +
                          " K\nTemperatura de inversión de Joule-Thomson (B = T dB/dT): " +
                          lennard::shortest(*c.inversion_temperature_K) +
                          " K\nTemperatura del máximo de B: " + lennard::shortest(*c.max_B_temperature_K) +
                          " K\nMáximo de B: " + lennard::shortest(*c.max_B_cm3_per_mol) + " cm3/mol\n");
  EXPECT_FALSE(std::filesystem::exists(dir / "Lennard.dat"));

  const auto json = run_program(dir, "-e 120 -s 3.4 --summary -f json -o summary.json", "");
  EXPECT_EQ(json.status, 0) << json.err;
  const auto document = nlohmann::json::parse(read_file(dir / "summary.json"));
  EXPECT_EQ(document.at("boyle_temperature_K").get<double>(), *c.boyle_temperature_K);
  EXPECT_EQ(document.at("inversion_temperature_K").get<double>(), *c.inversion_temperature_K);
  EXPECT_EQ(document.at("max_B_temperature_K").get<double>(), *c.max_B_temperature_K);
  EXPECT_EQ(document.at("max_B_cm3_per_mol").get<double>(), *c.max_B_cm3_per_mol);
}

struct Refusal {
  const char* name;
  const char* args;
  int status;
  const char* message;
};

void PrintTo(const Refusal& refusal, std::ostream* os) { *os << refusal.name; }

class RefusedCommandLine : public ::testing::TestWithParam<Refusal> {};

TEST_P(RefusedCommandLine, LeavesTheResultsFileUntouched) {
  ScratchDir dir;
  const std::string previous = "an earlier table\n";
  write_file(dir / "Lennard.dat", previous);
  const auto run = run_program(dir, GetParam().args, "");
  EXPECT_EQ(run.status, GetParam().status) << run.err;
  EXPECT_NE(run.err.find(GetParam().message), std::string::npos) << run.err;
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(read_file(dir / "Lennard.dat"), previous);
}

INSTANTIATE_TEST_SUITE_P(
    BadArguments, RefusedCommandLine,
    ::testing::Values(Refusal{"UnknownOption", "-e 120 -s 3.4 --frobnicate", 2, "--frobnicate"},
                      Refusal{"EpsilonAlone", "-e 120", 2, "--sigma"},
                      Refusal{"TmaxBelowTmin", "-e 120 -s 3.4 --tmax 50", 2, "menor que la primera"},
                      Refusal{"TooManyRows", "-e 120 -s 3.4 --step 1e-6", 2, "1000000 filas"},
                      Refusal{"StepDoesNotAdvance", "-e 1e17 -s 3.4 --step 1", 2, "no hace avanzar"},
                      Refusal{"NaNEpsilon", "-e nan -s 3.4", 1, "números finitos"},
                      Refusal{"ZeroEpsilon", "-e 0 -s 3.4", 1, "no puede ser cero"},
                      Refusal{"NegativeSigma", "-e 120 -s -1", 1, "sigma debe ser positivo"},
                      Refusal{"NegativeEpsilonWithSweep", "-e -120 -s 3.4 --tmax 500", 1, "debe ser positivo"},
                      Refusal{"NegativeEpsilonSummary", "-e -120 -s 3.4 --summary", 1, "positivo"}),
    lennard::testing::CaseName{});

TEST(CommandLine, WriteFailureToAFullDiskIsReported) {
  ScratchDir dir;
  const auto run = run_program(dir, "-e 120 -s 3.4 -f json -o /dev/full", "");
  EXPECT_EQ(run.status, 255);
  EXPECT_NE(run.err.find("no queda espacio en el dispositivo"), std::string::npos) << run.err;
}

}  // namespace
