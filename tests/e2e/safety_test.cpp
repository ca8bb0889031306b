// The built program where users lose data or are told of success wrongly:
// outputs that are inputs, full disks, closed streams, results that are not
// numbers, and the messages that explain a refusal.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <ostream>
#include <string>

#include "test_support.hpp"

namespace {

using lennard::testing::Case;
using lennard::testing::golden;
using lennard::testing::read_file;
using lennard::testing::run_program;
using lennard::testing::ScratchDir;
using lennard::testing::write_file;

const std::string measured = "# measured\n100 -184\n120 -131\n140 -98\n200 -48\n300 -16\n";

// ---- Outputs that would destroy an input or each other ----------------------

class SameFile : public ::testing::TestWithParam<Case> {};

TEST_P(SameFile, IsRefusedBeforeAnythingIsWritten) {
  ScratchDir dir;
  write_file(dir / "data.dat", measured);
  write_file(dir / "old.svg", "<svg>an earlier plot</svg>");
  std::filesystem::create_directory(dir / "sub");
  std::filesystem::create_symlink("data.dat", dir / "alias.png");
  const auto run = run_program(dir, GetParam().given, "");
  EXPECT_EQ(run.status, 2) << run.err;
  EXPECT_NE(run.err.find(GetParam().message), std::string::npos) << run.err;
  EXPECT_EQ(read_file(dir / "data.dat"), measured);
  EXPECT_EQ(read_file(dir / "old.svg"), "<svg>an earlier plot</svg>");
  EXPECT_FALSE(std::filesystem::exists(dir / "Lennard.dat"));
  EXPECT_EQ(run.out, "");
}

INSTANTIATE_TEST_SUITE_P(
    Outputs, SameFile,
    ::testing::Values(Case{"FitOutputIsTheData", "fit data.dat -o data.dat", "es el archivo de datos"},
                      Case{"FitOutputSpelledOtherwise", "fit data.dat -o sub/../data.dat", "es el archivo de datos"},
                      Case{"FitPlotIsALinkToTheData", "fit data.dat --plot alias.png", "es el archivo de datos"},
                      Case{"FitOutputAndPlotAlike", "fit data.dat -o old.svg --plot ./old.svg", "-o y --plot"},
                      Case{"TableAndPlotAlike", "-e 120 -s 3.4 -o old.svg --plot old.svg", "-o y --plot"},
                      Case{"NewTableAndPlotAlike", "-e 120 -s 3.4 -o new.svg --plot sub/../new.svg", "-o y --plot"},
                      Case{"BothOnStandardOutput", "-e 120 -s 3.4 -o - --plot -", "la salida est"}),
    lennard::testing::CaseName{});

// ---- Failed writes are failures ---------------------------------------------

class FailedWrite : public ::testing::TestWithParam<Case> {};

TEST_P(FailedWrite, ExitsWith255AndSaysWhy) {
  ScratchDir dir;
  write_file(dir / "data.dat", measured);
  std::filesystem::create_symlink("/dev/full", dir / "full.png");
  // The last word of args is where standard output goes.
  const std::string args = GetParam().given;
  const std::size_t split = args.rfind(' ');
  const auto run = run_program(dir, args.substr(0, split), "", "", args.substr(split + 1));
  EXPECT_EQ(run.status, 255) << run.err;
  EXPECT_NE(run.err.find(GetParam().message), std::string::npos) << run.err;
}

INSTANTIATE_TEST_SUITE_P(
    Streams, FailedWrite,
    ::testing::Values(
        Case{"PlotToAFullDisk", "-e 120 -s 3.4 --plot full.png >.stdout", "no queda espacio en el dispositivo"},
        Case{"TextPlotToAFullStdout", "-e 120 -s 3.4 --plot - >/dev/full", "no queda espacio en el dispositivo"},
        Case{"TextPlotToAClosedStdout", "-e 120 -s 3.4 --plot - >&-", "descriptor de archivo no válido"},
        Case{"FitSummaryToAFullStdout", "fit data.dat -o pts.txt >/dev/full", "salida estándar: no queda espacio"},
        Case{"HelpToAFullStdout", "--help >/dev/full", "salida estándar: no queda espacio"},
        Case{"VersionToAClosedStdout", "--version >&-", "salida estándar: descriptor de archivo no válido"},
        Case{"SummaryToAClosedStdout", "-e 120 -s 3.4 --summary >&-", "salida estándar: descriptor de archivo no válido"}),
    lennard::testing::CaseName{});

TEST(FailedWrite, ClosedStdoutDoesNotLetTheResultsFileTakeItsPlace) {
  // A file opened while descriptor 1 is closed would get that number, and the
  // summary meant for the screen would land in it.
  ScratchDir dir;
  write_file(dir / "data.dat", measured);
  const auto run = run_program(dir, "fit data.dat -o pts.txt", "", "", ">&-");
  EXPECT_EQ(run.status, 255) << run.err;
  const std::string table = read_file(dir / "pts.txt");
  EXPECT_EQ(table.rfind("# T(K) B_medido", 0), 0u) << table;
  EXPECT_EQ(table.find("Ajuste"), std::string::npos) << table;
}

TEST(FailedWrite, FailingGnuplotLeavesTheEarlierPlotWhole) {
  ScratchDir dir;
  std::filesystem::create_directory(dir / "bin");
  write_file(dir / "bin" / "gnuplot", "#!/bin/sh\ncat >/dev/null\necho 'gnuplot: broken' >&2\nexit 3\n");
  std::filesystem::permissions(dir / "bin" / "gnuplot", std::filesystem::perms::owner_all);
  write_file(dir / "b.png", "an earlier plot");
  const auto run = run_program(dir, "-e 120 -s 3.4 --plot b.png", "", "PATH=" + (dir / "bin").string());
  EXPECT_EQ(run.status, 255) << run.err;
  EXPECT_NE(run.err.find("gnuplot: broken"), std::string::npos) << run.err;
  EXPECT_EQ(read_file(dir / "b.png"), "an earlier plot");
  EXPECT_EQ(read_file(dir / "Lennard.dat"), golden("lennard_120_3.4.dat"));
  int entries = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(dir.path())) ++entries;
  EXPECT_EQ(entries, 3) << "a temporary file was left behind";  // bin, b.png, Lennard.dat
}

TEST(Plot, ThroughALinkReplacesTheTargetAndKeepsTheLink) {
  ScratchDir dir;
  write_file(dir / "real.svg", "old");
  std::filesystem::create_symlink("real.svg", dir / "link.svg");
  const auto run = run_program(dir, "-e 120 -s 3.4 --plot link.svg", "");
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_TRUE(std::filesystem::is_symlink(dir / "link.svg"));
  EXPECT_NE(read_file(dir / "real.svg").find("<svg"), std::string::npos);
}

// ---- Results that are not numbers ---------------------------------------------

class NonFinite : public ::testing::TestWithParam<Case> {};

TEST_P(NonFinite, IsAnErrorAndNothingIsWritten) {
  ScratchDir dir;
  write_file(dir / "Lennard.dat", "an earlier table");
  const std::string args = GetParam().given;
  const bool dialogue = args.rfind("<<", 0) == 0;  // "<<INPUT": typed at the prompt
  const auto run = dialogue ? run_program(dir, "", args.substr(2)) : run_program(dir, args, "");
  EXPECT_EQ(run.status, 1) << run.err;
  EXPECT_NE(run.err.find(GetParam().message), std::string::npos) << run.err;
  EXPECT_EQ(read_file(dir / "Lennard.dat"), "an earlier table");
  if (!dialogue) {
    EXPECT_EQ(run.out, "");
  }
}

INSTANTIATE_TEST_SUITE_P(
    Extremes, NonFinite,
    ::testing::Values(
        Case{"TrapezoidFarBelowEpsilon", "-e 1 -s 3.4 --tmin 1e-10 --tmax 1e-10", "a T = 1e-10 K"},
        Case{"SeriesOverflowsAsJson", "-e 1 -s 3.4 -m series -f json -o - --tmin 1e-4 --tmax 1e-3", "a T = 1e-04 K"},
        Case{"ColumnsNamedAsInTheHeader", "-e 1 -s 3.4 -m series --derivative --tmin 1e-4 --tmax 1e-4",
             "(1/T = 10000, B = -inf, dB/dT = inf)"},
        Case{"SummaryBeyondTheLargestDouble", "-e 1e307 -s 3.4 --summary", "máximo de B no es un número finito"},
        Case{"InverseTemperatureOverflows", "<<1e-320 3.4\n", "1/T = inf"}),
    lennard::testing::CaseName{});

// ---- Messages -----------------------------------------------------------------

TEST(Dialogue, NamesTheResultsFileThatIsReallyWritten) {
  ScratchDir dir;
  const auto file = run_program(dir, "-o other.dat", "120 3.4\n");
  EXPECT_EQ(file.status, 0) << file.err;
  EXPECT_NE(file.out.find("Resultados en archivo de texto: 'other.dat'"), std::string::npos) << file.out;
  EXPECT_EQ(file.out.find("Lennard.dat"), std::string::npos) << file.out;
  const auto screen = run_program(dir, "-o - -f csv", "120 3.4\n");
  EXPECT_NE(screen.err.find("Resultados en la salida estándar"), std::string::npos) << screen.err;
}

TEST(Dialogue, ErrorsStartOnTheirOwnLineAndEchoNumbersShortest) {
  ScratchDir dir;
  for (const char* input : {"", "120"}) {  // Ctrl-D, or a lone number and end of input
    const auto run = run_program(dir, "", input);
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "\nError: se esperaban dos números: epsilon/k_B (K) y sigma (A).\n") << input;
  }
  const auto negative = run_program(dir, "", "120 -3.4\n");
  EXPECT_EQ(negative.err, "Error: sigma debe ser positivo; se leyó -3.4 A.\n");
}

class SpanishUsage : public ::testing::TestWithParam<Case> {};

TEST_P(SpanishUsage, SaysWhatIsWrongAndWhereHelpIs) {
  ScratchDir dir;
  const auto run = run_program(dir, GetParam().given, "");
  EXPECT_EQ(run.status, 2);
  const std::string expected = std::string("Error: ") + GetParam().message + "\nEjecute 'lennard " +
                               (std::string(GetParam().given).rfind("fit", 0) == 0 ? "fit " : "") +
                               "--help' para ver las opciones.\n";
  EXPECT_EQ(run.err, expected);
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, SpanishUsage,
    ::testing::Values(
        Case{"EpsilonAlone", "-e 120", "--epsilon requiere --sigma: se dan los dos o ninguno (y entonces se preguntan)."},
        Case{"StrayWord", "-e 120 -s 3.4 extra", "argumento inesperado: 'extra'."},
        Case{"UnknownOption", "-e 120 -s 3.4 --frobnicate", "opción desconocida: '--frobnicate'."},
        Case{"MissingValue", "-e", "falta el valor de --epsilon."},
        Case{"Repeated", "-e 1 -e 2 -s 3", "--epsilon se dio más de una vez."},
        Case{"SummaryWithDerivative", "-e 1 -s 3 --summary --derivative",
             "--summary no se combina con --derivative: da las temperaturas características, no una tabla."},
        Case{"FitWithoutData", "fit", "falta el archivo de datos ('-' para la entrada estándar)."},
        Case{"FitUnknownOption", "fit data.dat --bogus", "opción desconocida: '--bogus'."},
        Case{"FitTwoFiles", "fit a.dat b.dat", "argumento inesperado: 'b.dat'."}),
    lennard::testing::CaseName{});

TEST(Help, IsSpanishThroughout) {
  ScratchDir dir;
  for (const char* args : {"--help", "fit --help"}) {
    const auto run = run_program(dir, args, "");
    EXPECT_EQ(run.status, 0);
    for (const char* english : {"Subcommands", "TEXT", "REQUIRED", "Excludes", "Excluye:", "Needs"}) {
      EXPECT_EQ(run.out.find(english), std::string::npos) << args << ": " << english << "\n" << run.out;
    }
  }
  EXPECT_NE(run_program(dir, "--help", "").out.find("Subórdenes:\n  fit"), std::string::npos);
}

// ---- On a terminal ------------------------------------------------------------

// Runs a shell command under script(1), whose pseudo-terminal makes the
// program's streams a terminal; returns what the terminal showed.
std::string on_terminal(const ScratchDir& dir, const std::string& command, const std::string& keys) {
  write_file(dir / ".keys", keys);
  const std::string line = "cd " + lennard::testing::shell_quote(dir.path().string()) +
                           " && script -qec " + lennard::testing::shell_quote(command) +
                           " /dev/null <.keys >.screen 2>&1";
  EXPECT_EQ(std::system(line.c_str()), 0) << line;
  return read_file(dir / ".screen");
}

TEST(Progress, NeverReachesAPipeAndNeverChangesTheResults) {
  // Whether the line shows on a terminal depends on time; its display is
  // tested in-process without delay. Here only what scripts see.
  ScratchDir dir;
  const auto piped = run_program(dir, "-e 120 -s 3.4 --step 0.24 -o big.dat --threads 2", "");
  const auto one_thread = run_program(dir, "-e 120 -s 3.4 --step 0.24 -o - --threads 1", "");
  EXPECT_EQ(piped.err, "");
  EXPECT_EQ(read_file(dir / "big.dat"), one_thread.out);
}

TEST(Terminal, FitFromTheKeyboardSaysWhatToType) {
  if (std::system("command -v script >/dev/null") != 0) GTEST_SKIP() << "script(1) is not installed";
  ScratchDir dir;
  const std::string screen =
      on_terminal(dir, std::string(LENNARD_EXE) + " fit -", "100 -184\n120 -131\n140 -98\n200 -48\n\x04");
  EXPECT_NE(screen.find("termine con Ctrl-D"), std::string::npos) << screen;
  EXPECT_NE(screen.find("epsilon/k_B = "), std::string::npos) << screen;
}

TEST(DataFile, EndlessBinaryInputIsRefusedAsNotText) {
  ScratchDir dir;
  // Bounded, should the reader ever grow a line without limit again (by time
  // under AddressSanitizer, which cannot run with a memory limit).
#if defined(__SANITIZE_ADDRESS__)
  const std::string bound = "timeout 20";
#else
  const std::string bound = "ulimit -v 2000000;";
#endif
  const auto run = run_program(dir, "fit /dev/zero", "", bound);
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("no es un archivo de texto"), std::string::npos) << run.err;
}

}  // namespace
