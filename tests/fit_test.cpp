#include "lennard/physics/fit.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <nlohmann/json.hpp>
#include <ostream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "lennard/app/messages.hpp"
#include "lennard/io/data_file.hpp"
#include "lennard/physics/errors.hpp"
#include "lennard/io/output.hpp"
#include "test_support.hpp"

namespace {

using lennard::DataSet;
using lennard::fit_lennard_jones;
using lennard::FitNotDetermined;
using lennard::read_data;
using lennard::testing::golden;
using lennard::testing::read_file;
using lennard::testing::run_program;
using lennard::testing::ScratchDir;
using lennard::testing::write_file;

constexpr double true_epsilon = 120.0;
constexpr double true_sigma = 3.4;
const std::vector<double> temperatures = {80, 90, 100, 120, 150, 200, 250, 300, 400, 500, 700, 1000};

double uncertainty(double T) { return 0.5 + 0.01 * T; }

// Points from the model itself, optionally with Gaussian noise: of the stated
// uncertainties when the points carry them, else of a constant 2 cm^3/mol (the
// case an unweighted fit describes).
DataSet synthetic(bool with_uncertainties, std::mt19937_64* noise) {
  DataSet data;
  data.has_uncertainties = with_uncertainties;
  std::normal_distribution<double> normal(0.0, 1.0);
  std::size_t line = 0;
  for (const double T : temperatures) {
    double B = lennard::model_B(true_epsilon, true_sigma, T);
    if (noise != nullptr) B += (with_uncertainties ? uncertainty(T) : 2.0) * normal(*noise);
    data.points.push_back({T, B, with_uncertainties ? uncertainty(T) : 0.0, ++line});
  }
  return data;
}

TEST(ReadData, SkipsAByteOrderMarkAndAcceptsCommasWithBlanks) {
  std::istringstream text("\xEF\xBB\xBF" "100, -183.5, 2\n120,-131,1.5\n140 , -98 ,1\n");
  const DataSet data = read_data(text, "hoja.csv");
  ASSERT_EQ(data.points.size(), 3u);
  EXPECT_EQ(data.points[0].T_K, 100.0);
  EXPECT_EQ(data.points[0].B_cm3_per_mol, -183.5);
  EXPECT_EQ(data.points[2].u_cm3_per_mol, 1.0);
}

TEST(ReadData, AcceptsBlanksTabsCommasCommentsAndBlankLines) {
  std::istringstream text("# argon\n\n100 -184\n120\t-131 # smoothed\r\n 140 , -98 \n\n");
  const DataSet data = read_data(text, "datos");
  ASSERT_EQ(data.points.size(), 3u);
  EXPECT_FALSE(data.has_uncertainties);
  EXPECT_EQ(data.points[1].T_K, 120.0);
  EXPECT_EQ(data.points[1].B_cm3_per_mol, -131.0);
  EXPECT_EQ(data.points[1].line, 4u);
  EXPECT_EQ(data.points[2].B_cm3_per_mol, -98.0);

  std::istringstream with_u("100 -184 2\n120 -131 1.5\n140 -98 1e0\n");
  const DataSet weighted = read_data(with_u, "datos");
  EXPECT_TRUE(weighted.has_uncertainties);
  EXPECT_EQ(weighted.points[0].u_cm3_per_mol, 2.0);
}

struct BadData {
  const char* name;
  std::string text;
  std::string message;  // must appear in the error
};

void PrintTo(const BadData& bad, std::ostream* os) { *os << bad.name; }

class RefusedData : public ::testing::TestWithParam<BadData> {};

TEST_P(RefusedData, IsReportedWithItsLine) {
  std::istringstream text(GetParam().text);
  try {
    read_data(text, "datos.txt");
    FAIL() << "accepted";
  } catch (const lennard::DataFileError& error) {
    const std::string sentence = lennard::spanish_sentence(error);
    EXPECT_NE(sentence.find(GetParam().message), std::string::npos) << sentence;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, RefusedData,
    ::testing::Values(
        BadData{"Letters", "100 -184\n120 abc\n140 -98\n", "'datos.txt', línea 2: '120 abc': 'abc' no es un número"},
        BadData{"OneNumber", "100 -184\n120\n140 -98\n", "línea 2: '120': se esperaban dos o tres números"},
        BadData{"FourNumbers", "100 -184 1 2\n", "línea 1: '100 -184 1 2'"},
        BadData{"FewerThanThree", "100 -184\n# only two\n120 -131\n", "al menos tres puntos"},
        BadData{"Empty", "", "al menos tres puntos"},
        BadData{"ZeroTemperature", "100 -184\n0 -131\n140 -98\n", "línea 2: '0 -131': la temperatura debe ser positiva"},
        BadData{"NegativeTemperature", "-100 -184\n", "la temperatura debe ser positiva"},
        BadData{"NotFinite", "100 nan\n", "los valores deben ser finitos"},
        BadData{"InfiniteTemperature", "inf -5\n", "los valores deben ser finitos"},
        BadData{"ZeroUncertainty", "100 -184 0\n", "la incertidumbre debe ser positiva"},
        BadData{"NegativeUncertainty", "100 -184 -1\n", "la incertidumbre debe ser positiva"},
        BadData{"MixedUncertainties", "100 -184 1\n120 -131\n", "línea 2"},
        // A decimal comma must not split a number into B and an uncertainty.
        BadData{"DecimalComma", "100 -183,5\n120 -131\n140 -98\n", "el separador decimal es '.'"},
        BadData{"EmptyCommaField", "100,,5\n", "falta un número entre dos comas"},
        BadData{"NulByte", std::string("100 -184\n12\0 -131\n", 18), "línea 2: contiene un byte nulo"},
        BadData{"LineOverOneMebibyte", std::string((1 << 20) + 1, '1'), "línea 1: tiene más de 1 MiB"},
        // Shown shortened, with the escape sequence harmless on a terminal.
        BadData{"EscapesAndLength", "1 \x1b[2J" + std::string(500, 'x') + "\n",
                "línea 1: '1 \\x1b[2J" + std::string(54, 'x') + "...'"}),
    lennard::testing::CaseName{});

TEST(Fit, RecoversTheParametersOfExactData) {
  for (const bool weighted : {false, true}) {
    const lennard::FitResult fit = fit_lennard_jones(synthetic(weighted, nullptr));
    EXPECT_NEAR(fit.epsilon_K, true_epsilon, 1e-10 * true_epsilon) << "weighted " << weighted;
    EXPECT_NEAR(fit.sigma_A, true_sigma, 1e-10 * true_sigma) << "weighted " << weighted;
    EXPECT_LT(fit.rms_cm3_per_mol, 1e-6);
    ASSERT_EQ(fit.B_fit_cm3_per_mol.size(), temperatures.size());
    EXPECT_NEAR(fit.B_fit_cm3_per_mol[0], lennard::model_B(true_epsilon, true_sigma, 80.0), 1e-6);
  }
}

TEST(Fit, AgreesWithAnIndependentHighPrecisionFitOfArgon) {
  // tests/tools/fit_reference.py examples/argon_B2.dat: both normal equations
  // solved together with mpmath at 40 digits.
  std::ifstream file(std::string(LENNARD_TEST_DATA) + "/../../examples/argon_B2.dat");
  const lennard::FitResult fit = fit_lennard_jones(read_data(file, "argon"));
  EXPECT_NEAR(fit.epsilon_K, 120.13019410395712856, 1e-10 * 120.13);
  EXPECT_NEAR(fit.sigma_A, 3.4470696911715917153, 1e-10 * 3.447);
  EXPECT_EQ(fit.dof, 12u);
  EXPECT_DOUBLE_EQ(fit.reduced_chi2, fit.chi2 / 12.0);
}

struct Undetermined {
  const char* name;
  std::vector<double> temperatures;
};

void PrintTo(const Undetermined& u, std::ostream* os) { *os << u.name; }

class UndeterminedFit : public ::testing::TestWithParam<Undetermined> {};

TEST_P(UndeterminedFit, IsRefusedRatherThanReportedWithInfiniteErrors) {
  DataSet data;
  for (const double T : GetParam().temperatures) data.points.push_back({T, lennard::model_B(120.0, 3.4, T), 0.0, 0});
  EXPECT_THROW(fit_lennard_jones(data), lennard::FitNotDetermined);
}

INSTANTIATE_TEST_SUITE_P(Data, UndeterminedFit,
                         ::testing::Values(Undetermined{"OneTemperature", {300, 300, 300, 300}},
                                           Undetermined{"TwoTemperatures", {200, 300, 200, 300}},
                                           Undetermined{"NineDecades", {1, 1e3, 1e6, 1e9}}),
                         lennard::testing::CaseName{});

TEST(Fit, SameResultOnAnyNumberOfThreads) {
  // The sums run in fixed blocks of points, so the threads only change who adds them.
  std::mt19937_64 noise(11);
  std::normal_distribution<double> normal(0.0, 1.0);
  DataSet data;
  data.has_uncertainties = true;
  for (int i = 0; i < 20000; ++i) {
    const double T = 80.0 + 0.05 * i;
    data.points.push_back({T, lennard::model_B(120.0, 3.4, T) + normal(noise), 1.0, 0});
  }
  const lennard::FitResult one = fit_lennard_jones(data, {1, nullptr});
  const lennard::FitResult three = fit_lennard_jones(data, {3, nullptr});
  EXPECT_EQ(one.epsilon_K, three.epsilon_K);
  EXPECT_EQ(one.sigma_A, three.sigma_A);
  EXPECT_EQ(one.epsilon_K_stderr, three.epsilon_K_stderr);
  EXPECT_EQ(one.chi2, three.chi2);
}

TEST(Fit, NoisyDataLandWithinThreeStandardErrors) {
  // With stated uncertainties the standard errors are exact (not estimated
  // from the scatter), so each fit lands within 3 of them but for 0.3% of cases.
  for (std::uint64_t seed = 1; seed <= 10; ++seed) {
    std::mt19937_64 noise(seed);
    const lennard::FitResult fit = fit_lennard_jones(synthetic(true, &noise));
    EXPECT_LT(std::fabs(fit.epsilon_K - true_epsilon), 3.0 * fit.epsilon_K_stderr)
        << "seed " << seed << ": " << fit.epsilon_K << " ± " << fit.epsilon_K_stderr;
    EXPECT_LT(std::fabs(fit.sigma_A - true_sigma), 3.0 * fit.sigma_A_stderr)
        << "seed " << seed << ": " << fit.sigma_A << " ± " << fit.sigma_A_stderr;
  }
}

TEST(Fit, WithoutUncertaintiesScalesTheErrorsByTheReducedChiSquare) {
  // The same points, once unweighted and once with a constant u: the estimates
  // coincide, and the unweighted errors are the weighted ones times
  // sqrt(chi2_unweighted / (n - 2)) / u.
  std::mt19937_64 noise(7);
  DataSet unweighted = synthetic(false, &noise);
  DataSet weighted = unweighted;
  weighted.has_uncertainties = true;
  for (auto& point : weighted.points) point.u_cm3_per_mol = 2.0;
  const lennard::FitResult a = fit_lennard_jones(unweighted);
  const lennard::FitResult b = fit_lennard_jones(weighted);
  EXPECT_NEAR(a.epsilon_K, b.epsilon_K, 1e-6 * b.epsilon_K);
  EXPECT_NEAR(a.sigma_A, b.sigma_A, 1e-6 * b.sigma_A);
  const double factor = std::sqrt(a.chi2 / static_cast<double>(temperatures.size() - 2)) / 2.0;
  EXPECT_NEAR(a.epsilon_K_stderr, b.epsilon_K_stderr * factor, 1e-4 * a.epsilon_K_stderr);
  EXPECT_NEAR(a.sigma_A_stderr, b.sigma_A_stderr * factor, 1e-4 * a.sigma_A_stderr);
  EXPECT_NEAR(a.chi2, 4.0 * b.chi2, 1e-9 * a.chi2);
}

TEST(Fit, StandardErrorsMatchTheScatterOfRepeatedExperiments) {
  // 300 data sets with the stated uncertainties: the spread of the fitted
  // parameters must match the standard errors the fit reports (the sample
  // standard deviation of 300 draws is good to about 4%; allow 15%).
  std::mt19937_64 noise(20261208);
  const lennard::FitResult reference = fit_lennard_jones(synthetic(true, nullptr));
  constexpr int trials = 300;
  double sum_e = 0.0, sum_e2 = 0.0, sum_s = 0.0, sum_s2 = 0.0, sum_reduced_chi2 = 0.0;
  for (int i = 0; i < trials; ++i) {
    const lennard::FitResult fit = fit_lennard_jones(synthetic(true, &noise));
    sum_reduced_chi2 += fit.reduced_chi2;
    sum_e += fit.epsilon_K;
    sum_e2 += fit.epsilon_K * fit.epsilon_K;
    sum_s += fit.sigma_A;
    sum_s2 += fit.sigma_A * fit.sigma_A;
  }
  const double spread_e = std::sqrt((sum_e2 - sum_e * sum_e / trials) / (trials - 1));
  const double spread_s = std::sqrt((sum_s2 - sum_s * sum_s / trials) / (trials - 1));
  EXPECT_NEAR(spread_e / reference.epsilon_K_stderr, 1.0, 0.15);
  EXPECT_NEAR(spread_s / reference.sigma_A_stderr, 1.0, 0.15);
  // With the right uncertainties chi^2/dof averages 1, with a standard
  // deviation of sqrt(2/10)/sqrt(300) = 0.026 for this mean.
  EXPECT_NEAR(sum_reduced_chi2 / trials, 1.0, 0.1);
}

TEST(Fit, RefusesDataNoLennardJonesGasProduces) {
  // B positive and falling at every T: no minimum of chi^2 inside the range searched.
  DataSet data;
  for (int i = 0; i < 5; ++i) data.points.push_back({100.0 + 50.0 * i, 100.0 - 10.0 * i, 0.0, 0});
  EXPECT_THROW(fit_lennard_jones(data), lennard::FitNotDetermined);
}

// ---- The built program ------------------------------------------------------

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

TEST(FitSummary, SaysGradoForOneDegreeOfFreedom) {
  const struct {
    std::size_t dof;
    bool uncertainties;
    const char* phrase;
  } cases[] = {{1, false, " con 1 grado de libertad ("}, {1, true, " con 1 grado de libertad;"},
               {2, false, " con 2 grados de libertad ("}};
  for (const auto& c : cases) {
    DataSet data = synthetic(c.uncertainties, nullptr);
    lennard::FitResult fit{lennard::LennardJones{}, 120.0, 1.0, 3.4, 0.01, {}, {}, {}, 1.0, 2.0, c.dof, 2.0, 0.5, {}};
    std::FILE* file = std::tmpfile();
    lennard::write_fit_summary(file, "'d.dat'", data, fit);
    std::rewind(file);
    std::string text(4096, '\0');
    text.resize(std::fread(text.data(), 1, text.size(), file));
    std::fclose(file);
    EXPECT_NE(text.find(c.phrase), std::string::npos) << text;
  }
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
