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
                      Refusal{"NegativeSigma", "120 -3.4\n", "sigma debe ser positivo"}),
    lennard::testing::CaseName{});

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
