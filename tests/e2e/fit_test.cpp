// The fit command and its output, run through the built program.
#include "lennard/physics/fit.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <nlohmann/json.hpp>
#include <ostream>
#include <sstream>
#include <string>
#include <vector>

#include "lennard/io/data_file.hpp"
#include "lennard/physics/errors.hpp"
#include "lennard/io/output.hpp"
#include "test_support.hpp"

namespace {

using lennard::testing::golden;
using lennard::testing::read_file;
using lennard::testing::run_program;
using lennard::testing::ScratchDir;
using lennard::testing::write_file;

constexpr double true_epsilon = 120.0;
constexpr double true_sigma = 3.4;
const std::vector<double> temperatures = {80, 90, 100, 120, 150, 200, 250, 300, 400, 500, 700, 1000};

double uncertainty(double T) { return 0.5 + 0.01 * T; }

std::string synthetic_file(bool with_uncertainties) {
  std::string text = "# made from the exact series at epsilon/k_B = 120 K, sigma = 3.4 A\n";
  char line[128];
  for (const double T : temperatures) {
    std::snprintf(line, sizeof line, "%.17g, %.17g", T, lennard::model_B(true_epsilon, true_sigma, T));
    text += line;
    if (with_uncertainties) {
      std::snprintf(line, sizeof line, ", %.17g", uncertainty(T));
      text += line;
    }
    text += "\n";
  }
  return text;
}

TEST(FitCommand, RecoversTheParametersAsJson) {
  ScratchDir dir;
  write_file(dir / "points.csv", synthetic_file(true));
  const auto run = run_program(dir, "fit points.csv -f json", "");
  ASSERT_EQ(run.status, 0) << run.err;
  const auto document = nlohmann::json::parse(run.out);
  EXPECT_NEAR(document.at("epsilon_K").get<double>(), true_epsilon, 1e-10 * true_epsilon);
  EXPECT_NEAR(document.at("sigma_A").get<double>(), true_sigma, 1e-10 * true_sigma);
  for (const char* key : {"epsilon_K_stderr", "sigma_A_stderr", "rms_cm3_per_mol", "chi2", "reduced_chi2"}) {
    EXPECT_TRUE(document.contains(key)) << key;
  }
  EXPECT_EQ(document.at("dof").get<int>(), 10);
  const auto& points = document.at("points");
  ASSERT_EQ(points.size(), temperatures.size());
  for (const auto& point : points) {
    const double B = point.at("B_cm3_per_mol").get<double>();
    const double B_fit = point.at("B_fit_cm3_per_mol").get<double>();
    EXPECT_EQ(point.at("residual_cm3_per_mol").get<double>(), B - B_fit);
    EXPECT_NEAR(B_fit, B, 1e-6);
  }
}

TEST(FitCommand, TextGoesToTheScreenAndThePointTableToTheOutputFile) {
  ScratchDir dir;
  write_file(dir / "points.dat", synthetic_file(false));
  const auto run = run_program(dir, "fit - -o table.txt", synthetic_file(false));
  ASSERT_EQ(run.status, 0) << run.err;
  double epsilon = 0.0, epsilon_u = 0.0;
  const std::size_t at = run.out.find("epsilon/k_B = ");
  ASSERT_NE(at, std::string::npos) << run.out;
  ASSERT_EQ(std::sscanf(run.out.c_str() + at, "epsilon/k_B = %lf ± %lf K", &epsilon, &epsilon_u), 2) << run.out;
  EXPECT_NEAR(epsilon, true_epsilon, 1e-10 * true_epsilon);
  EXPECT_NE(run.out.find("residuo RMS = "), std::string::npos) << run.out;
  EXPECT_EQ(run.out.find("B_medido"), std::string::npos) << "the point table belongs in the file";
  const std::string table = read_file(dir / "table.txt");
  EXPECT_EQ(table.rfind("# T(K) B_medido(cm3/mol) B_ajustado(cm3/mol) residuo(cm3/mol)\n80 ", 0), 0u) << table;
}

// The argon example with a uniform uncertainty u on every point.
std::string argon_with_uncertainty(const char* u) {
  std::ifstream file(std::string(LENNARD_TEST_DATA) + "/../../examples/argon_B2.dat");
  std::string text, line;
  while (std::getline(file, line)) text += line[0] == '#' ? line + "\n" : line + " " + u + "\n";
  return text;
}

TEST(FitCommand, WarnsWhenTheScatterIsFarBeyondTheStatedUncertainties) {
  // The table's B are rounded to 1 cm3/mol and scatter by about 1.6 about the
  // fit: u = 0.1 gives a reduced chi^2 near 300, u = 2 one below 1.
  ScratchDir dir;
  write_file(dir / "tight.dat", argon_with_uncertainty("0.1"));
  write_file(dir / "loose.dat", argon_with_uncertainty("2"));
  const auto tight = run_program(dir, "fit tight.dat -o /dev/null", "");
  ASSERT_EQ(tight.status, 0) << tight.err;
  EXPECT_NE(tight.out.find("chi² = "), std::string::npos) << tight.out;
  EXPECT_NE(tight.out.find("con 12 grados de libertad"), std::string::npos) << tight.out;
  EXPECT_NE(tight.out.find("Atención"), std::string::npos) << tight.out;
  EXPECT_NE(tight.out.find("subestiman"), std::string::npos) << tight.out;
  const auto loose = run_program(dir, "fit loose.dat -o /dev/null", "");
  ASSERT_EQ(loose.status, 0) << loose.err;
  EXPECT_EQ(loose.out.find("Atención"), std::string::npos) << loose.out;
}

TEST(FitCommand, PrintsNoMoreDigitsThanTheStandardErrorAllows) {
  ScratchDir dir;
  write_file(dir / "argon.dat", argon_with_uncertainty("2"));
  const auto run = run_program(dir, "fit argon.dat -o /dev/null", "");
  ASSERT_EQ(run.status, 0) << run.err;
  // "epsilon/k_B = V ± U K": U with two significant digits, V to the same place.
  for (const char* label : {"epsilon/k_B = ", "sigma = "}) {
    const std::size_t at = run.out.find(label);
    ASSERT_NE(at, std::string::npos) << run.out;
    const std::string line = run.out.substr(at + std::strlen(label), run.out.find('\n', at) - at - std::strlen(label));
    const std::string value = line.substr(0, line.find(' '));
    std::string u = line.substr(line.find("± ") + std::strlen("± "));
    u = u.substr(0, u.find(' '));
    const auto decimals = [](const std::string& x) { return x.size() - x.find('.') - 1; };
    EXPECT_EQ(decimals(value), decimals(u)) << line;
    std::string digits = u;
    std::erase(digits, '.');
    EXPECT_EQ(digits.size() - digits.find_first_not_of('0'), 2u) << line;  // two significant digits
  }
}

TEST(FitCommand, BadDataExitsWithOneAndWritesNoOutput) {
  ScratchDir dir;
  write_file(dir / "bad.dat", "100 -184\n120 -131 oops\n140 -98\n");
  const auto run = run_program(dir, "fit bad.dat -o out.txt --plot fit.png", "");
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("'bad.dat', línea 2: '120 -131 oops'"), std::string::npos) << run.err;
  EXPECT_EQ(run.out, "");
  EXPECT_FALSE(std::filesystem::exists(dir / "out.txt"));
  EXPECT_FALSE(std::filesystem::exists(dir / "fit.png"));

  const auto missing = run_program(dir, "fit nowhere.dat", "");
  EXPECT_EQ(missing.status, 1);
  EXPECT_NE(missing.err.find("no existe el archivo o el directorio"), std::string::npos) << missing.err;
  const auto folder = run_program(dir, "fit .", "");
  EXPECT_EQ(folder.status, 1);
}

// ---- Plots ------------------------------------------------------------------

TEST(Plot, EachFormatIsReallyDrawn) {
  ScratchDir dir;
  write_file(dir / "points.dat", synthetic_file(true));
  const auto png = run_program(dir, "-e 120 -s 3.4 --plot table.png", "");
  ASSERT_EQ(png.status, 0) << png.err;
  EXPECT_EQ(read_file(dir / "table.png").substr(0, 8), "\x89PNG\r\n\x1a\n");
  EXPECT_EQ(read_file(dir / "Lennard.dat"), golden("lennard_120_3.4.dat"));

  const auto svg = run_program(dir, "fit points.dat -o /dev/null --plot fit.svg", "");
  ASSERT_EQ(svg.status, 0) << svg.err;
  const std::string svg_text = read_file(dir / "fit.svg");
  EXPECT_NE(svg_text.find("<svg"), std::string::npos);
  EXPECT_NE(svg_text.find("</svg>"), std::string::npos);
  EXPECT_NE(svg_text.find("T (K)"), std::string::npos);

  const auto pdf = run_program(dir, "-e 120 -s 3.4 -m series -o series.dat --plot TABLE.PDF", "");
  ASSERT_EQ(pdf.status, 0) << pdf.err;
  const std::string pdf_bytes = read_file(dir / "TABLE.PDF");
  EXPECT_EQ(pdf_bytes.substr(0, 5), "%PDF-");
  EXPECT_NE(pdf_bytes.find("%%EOF"), std::string::npos);
}

TEST(Plot, TextPlotGoesToTheTerminal) {
  ScratchDir dir;
  const auto run = run_program(dir, "-e 120 -s 3.4 -o table.dat --plot -", "");
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.out.find("T (K)"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("σ = 3.4 Å"), std::string::npos) << run.out;
}

TEST(Plot, WithoutGnuplotSaysWhatToInstallAndKeepsTheTable) {
  ScratchDir dir;
  std::filesystem::create_directory(dir / "empty-bin");
  const auto run =
      run_program(dir, "-e 120 -s 3.4 --plot table.png", "", "PATH=" + (dir / "empty-bin").string());
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err, "Error: no se encontró gnuplot; instálelo con: apt-get install gnuplot-nox\n");
  EXPECT_EQ(read_file(dir / "Lennard.dat"), golden("lennard_120_3.4.dat"));
  EXPECT_FALSE(std::filesystem::exists(dir / "table.png"));
}

TEST(Plot, UnknownExtensionIsAUsageError) {
  ScratchDir dir;
  const auto run = run_program(dir, "-e 120 -s 3.4 --plot table.jpg", "");
  EXPECT_EQ(run.status, 2);
  EXPECT_NE(run.err.find(".png, .svg o .pdf"), std::string::npos) << run.err;
  EXPECT_FALSE(std::filesystem::exists(dir / "Lennard.dat"));
}

TEST(Plot, UnwritablePlotPathIsReportedAfterTheOutput) {
  ScratchDir dir;
  const auto run = run_program(dir, "-e 120 -s 3.4 --plot missing-folder/table.svg", "");
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("missing-folder/table.svg': no existe el archivo o el directorio"), std::string::npos) << run.err;
  EXPECT_EQ(read_file(dir / "Lennard.dat"), golden("lennard_120_3.4.dat"));
}

}  // namespace
