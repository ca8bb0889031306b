// Runs the built program with real standard input, files and directories.
#include <gtest/gtest.h>
#include <locale.h>

#include <filesystem>
#include <ostream>
#include <string>

#include "test_support.hpp"

namespace {

using lennard::testing::golden;
using lennard::testing::read_file;
using lennard::testing::run_program;
using lennard::testing::ScratchDir;
using lennard::testing::write_file;

// The seven dialogue texts, with the accented letters in UTF-8.
const std::string dialogue =
    "\nPotencial de Lennard-Jones: U(r) = 4e{(s/r)^12-(s/r)^6}"
    "\nDefinimos x= s/r)"
    "\n el programa calcula B(T) resolviendo num\xC3\xA9ricamente"
    "\n B(T)= 2*pi*NA* integral[1-exp{-U(r)/kBT}]r^2dr"
    "\nde cero a infinito"
    "\n\n Resultados en archivo de texto: 'Lennard.dat'"
    "\n\npar\xC3\xA1metros epsilon/k_B (K) y sigma(A): ";

TEST(Dialogue, WritesTheTableForTheTypedParameters) {
  ScratchDir dir;
  const auto run = run_program(dir, "", "120 3.4\n");
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, dialogue);
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(read_file(dir / "Lennard.dat"), golden("lennard_120_3.4.dat"));
}

TEST(Dialogue, AcceptsAnyWhiteSpaceBetweenTheNumbersAndIgnoresTheRest) {
  ScratchDir dir;
  const auto run = run_program(dir, "", "\t1\n\n  3.4   trailing words\n");
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(read_file(dir / "Lennard.dat"), golden("lennard_1_3.4.dat"));
}

TEST(Dialogue, ReplacesAnExistingResultsFileWhole) {
  ScratchDir dir;
  write_file(dir / "Lennard.dat", std::string(100000, 'x'));
  const auto run = run_program(dir, "", "1.5873393084155472 3.4");
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(read_file(dir / "Lennard.dat"), golden("lennard_1.5873393084155472_3.4.dat"));
}

TEST(Dialogue, NegativeEpsilonWritesTheHeaderOnly) {
  ScratchDir dir;
  const auto run = run_program(dir, "", "-5 3\n");
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(read_file(dir / "Lennard.dat"), golden("lennard_-5_3.dat"));
}

using Refusal = lennard::testing::Case;

class RefusedInput : public ::testing::TestWithParam<Refusal> {};

TEST_P(RefusedInput, ExitsWithOneAndLeavesTheResultsFileUntouched) {
  ScratchDir dir;
  const std::string previous = "an earlier table that must survive\n";
  write_file(dir / "Lennard.dat", previous);
  const auto run = run_program(dir, "", GetParam().given);
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out, dialogue);
  EXPECT_NE(run.err.find(GetParam().message), std::string::npos) << run.err;
  EXPECT_EQ(read_file(dir / "Lennard.dat"), previous);
}

TEST_P(RefusedInput, DoesNotCreateAResultsFile) {
  ScratchDir dir;
  const auto run = run_program(dir, "", GetParam().given);
  EXPECT_EQ(run.status, 1);
  EXPECT_FALSE(std::filesystem::exists(dir / "Lennard.dat"));
}

INSTANTIATE_TEST_SUITE_P(
    BadInput, RefusedInput,
    ::testing::Values(Refusal{"Empty", "", "se esperaban dos números"},
                      Refusal{"OneNumber", "120\n", "se esperaban dos números"},
                      Refusal{"LettersForSigma", "120 abc\n", "se esperaban dos números"},
                      Refusal{"Words", "epsilon sigma\n", "se esperaban dos números"},
                      Refusal{"NaN", "nan 3.4\n", "números finitos"},
                      Refusal{"InfiniteSigma", "120 inf\n", "números finitos"},
                      Refusal{"MinusInfinity", "-inf 3.4\n", "números finitos"},
                      Refusal{"ZeroEpsilon", "0 3.4\n", "no puede ser cero"},
                      Refusal{"StepRoundsToZero", "4.9406564584124654e-324 3.4\n", "no hace avanzar"},
                      Refusal{"FivefoldOverflows", "4e307 3.4\n", "desborda"},
                      Refusal{"ZeroSigma", "120 0\n", "sigma debe ser positivo"},
                      Refusal{"NegativeSigma", "120 -3.4\n", "sigma debe ser positivo"},
                      Refusal{"DecimalComma", "120 3,4\n", "se leyó '3,4'"},
                      Refusal{"LettersAfterSigmaAtTheEnd", "120 3.4abc", "se leyó '3.4abc'"},
                      Refusal{"CommaBetweenTheNumbers", "120,\n3.4\n", "se leyó '120,'"}),
    lennard::testing::CaseName{});

// Runs of the program at the edges of its input: what it says (on either
// stream), its exit status, and whether it wrote its output file.
struct Edge {
  const char* name;
  const char* args;
  const char* input;  // standard input
  const char* data;   // written to d.csv first, when not empty
  int status;
  const char* message;
  const char* output;  // the file the run writes, or must not write
  bool written;
};

void PrintTo(const Edge& e, std::ostream* os) { *os << e.name; }

class EdgeCase : public ::testing::TestWithParam<Edge> {};

TEST_P(EdgeCase, SaysItExitsAndWritesAsExpected) {
  const Edge& e = GetParam();
  ScratchDir dir;
  if (*e.data != '\0') write_file(dir / "d.csv", e.data);
  const auto run = run_program(dir, e.args, e.input);
  EXPECT_EQ(run.status, e.status) << run.err;
  EXPECT_NE((run.out + run.err).find(e.message), std::string::npos) << run.out << run.err;
  EXPECT_EQ(std::filesystem::exists(dir / e.output), e.written);
}

constexpr const char* thirds = "--mix argon:0.3333,krypton:0.3333,xenon:0.3333 --tmin 300 --tmax 300 -o m.dat";
constexpr const char* with_uncertainties =
    "row,T_K,B_cm3_per_mol,u_B_cm3_per_mol\n1,100,-184,2\n2,120,-131,2\n3,140,-98,2\n4,200,-48,2\n";

INSTANTIATE_TEST_SUITE_P(
    Runs, EdgeCase,
    ::testing::Values(
        Edge{"MieDialogue", "-p mie:14,6", "120 3.4\n", "", 0, "\nPotencial de Mie 14-6: U(r) = C*e{(s/r)^14-(s/r)^6}",
             "Lennard.dat", true},
        Edge{"SquareWellDialogue", "-p sw:1.5", "120 3.4\n", "", 0, "\nPozo cuadrado: U(r) = infinito si r < s, -e si s < r < 1.5*s",
             "Lennard.dat", true},
        Edge{"SweepReachesItsEnd", "-e 120 -s 3.4 -f csv --tmin 300 --tmax 301.2 --step 0.3 -o -", "", "", 0,
             "\n301.2,", "Lennard.dat", false},
        Edge{"SweepRowsDoNotDrift", "-e 100 -s 3.4 -f csv --tmin 100 --tmax 100.3 --step 0.1 -o -", "", "", 0,
             "\n100.2,", "Lennard.dat", false},
        Edge{"MixtureSweepReachesItsEnd", "--mix ar:0.5,kr:0.5 -f csv --tmin 300 --tmax 301.2 --step 0.3 -o -", "", "",
             0, "\n301.2,", "Lennard.dat", false},
        Edge{"SubnormalPressure", "-e 120 -s 3.4 --pressure 5e-324 --tmin 300 --tmax 300 -o p.dat", "", "", 2,
             "--pressure 5e-324 bar", "p.dat", false},
        Edge{"SameGasTwice", "--mix argon:0.5,Ar:0.5 -o m.dat", "", "", 2, "argon aparece dos veces", "m.dat", false},
        Edge{"RoundedThirds", thirds, "", "", 0, "Aviso: las fracciones molares suman 0.9999", "m.dat", true},
        Edge{"CsvWithUncertainties", "fit d.csv -o p.txt", "", with_uncertainties, 0,
             "con sus incertidumbres", "p.txt", true},
        Edge{"CsvWithoutB", "fit d.csv -o p.txt", "", "T_K,inv_T_per_K\n100,0.01\n", 1, "no tiene la columna B_cm3_per_mol",
             "p.txt", false}),
    lennard::testing::CaseName{});

TEST(FitCommand, ReadsBackTheProgramsOwnTables) {
  // The exact series written as dat (six decimals), csv and json, and fitted back.
  for (const auto& [format, tolerance] : {std::pair{"dat", 1e-6}, std::pair{"csv", 1e-12}, std::pair{"json", 1e-12}}) {
    ScratchDir dir;
    const std::string table = std::string("t.") + format;
    ASSERT_EQ(run_program(dir, "-e 120 -s 3.4 -m series --derivative --pressure 10 -f " + std::string(format) +
                                   " -o " + table, "").status, 0);
    const auto fit = run_program(dir, "fit " + table, "");
    ASSERT_EQ(fit.status, 0) << fit.err;
    const auto after = [&](const std::string& label) {
      return std::strtod(fit.out.c_str() + fit.out.find(label) + label.size(), nullptr);
    };
    EXPECT_NEAR(after("epsilon/k_B = "), 120.0, tolerance * 120.0) << format;
    EXPECT_NEAR(after("\nsigma = "), 3.4, tolerance * 3.4) << format;
    EXPECT_NE(fit.out.find("a 101 puntos"), std::string::npos) << fit.out;
  }
}

TEST(ResultsFile, ThatIsADirectoryIsReportedWithTheSystemsReason) {
  ScratchDir dir;
  std::filesystem::create_directory(dir / "Lennard.dat");
  const auto run = run_program(dir, "", "120 3.4\n");
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("es un directorio"), std::string::npos) << run.err;
  EXPECT_TRUE(std::filesystem::is_directory(dir / "Lennard.dat"));
}

TEST(ResultsFile, OnAFullDiskIsAFailureNotASuccess) {
  ScratchDir dir;
  std::filesystem::create_symlink("/dev/full", dir / "Lennard.dat");
  const auto run = run_program(dir, "", "120 3.4\n");
  EXPECT_EQ(run.status, 255);  // -1 from main
  EXPECT_NE(run.err.find("no queda espacio en el dispositivo"), std::string::npos) << run.err;
}

TEST(ResultsFile, DoesNotDependOnTheLocale) {
  // A locale with a decimal comma must not change the file.
  const locale_t spanish = newlocale(LC_ALL_MASK, "es_ES.UTF-8", locale_t{});
  if (spanish == locale_t{}) GTEST_SKIP() << "es_ES.UTF-8 is not installed (scripts/install-deps.sh makes it)";
  freelocale(spanish);
  ScratchDir dir;
  const auto run = run_program(dir, "", "120 3.4\n", "LC_ALL=es_ES.UTF-8 LANG=es_ES.UTF-8");
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(read_file(dir / "Lennard.dat"), golden("lennard_120_3.4.dat"));
}

}  // namespace
