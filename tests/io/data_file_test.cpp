// Data files read for the fit, and the fit's summary as written.
#include "lennard/physics/fit.hpp"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <ostream>
#include <sstream>
#include <string>
#include <vector>

#include "lennard/app/messages.hpp"
#include "lennard/io/data_file.hpp"
#include "lennard/io/output.hpp"
#include "lennard/physics/errors.hpp"
#include "test_support.hpp"

namespace {

using lennard::DataSet;
using lennard::fit_lennard_jones;
using lennard::read_data;

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

TEST(FitSummary, SaysGradoForOneDegreeOfFreedom) {
  const struct {
    std::size_t dof;
    bool uncertainties;
    const char* phrase;
  } cases[] = {{1, false, " con 1 grado de libertad ("}, {1, true, " con 1 grado de libertad;"},
               {2, false, " con 2 grados de libertad ("}};
  for (const auto& c : cases) {
    DataSet data;
    data.has_uncertainties = c.uncertainties;
    for (const double T : {100.0, 200.0, 300.0}) data.points.push_back({T, lennard::model_B(120.0, 3.4, T), 1.0, 1});
    lennard::FitResult fit{lennard::LennardJones{}, 120.0, 1.0, 3.4, 0.01, {}, {}, {}, 1.0, 2.0, c.dof, 2.0, 0.5, {}, {}, {}, {}};
    std::FILE* file = std::tmpfile();
    lennard::write_fit_summary(file, "'d.dat'", data, fit);
    std::rewind(file);
    std::string text(4096, '\0');
    text.resize(std::fread(text.data(), 1, text.size(), file));
    std::fclose(file);
    EXPECT_NE(text.find(c.phrase), std::string::npos) << text;
  }
}

}  // namespace
