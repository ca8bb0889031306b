// The reader says what is wrong with a data file as data (kind, line, text);
// the app words it as users have always read it.
#include "lennard/io/data_file.hpp"

#include <gtest/gtest.h>

#include <cerrno>
#include <sstream>
#include <string>

#include "lennard/app/messages.hpp"
#include "../test_support.hpp"

namespace {

using Kind = lennard::DataFileProblem::Kind;

struct Bad {
  const char* name;
  std::string text;
  Kind kind;
  std::size_t position;  // line or json row
  std::string sentence;  // what the app says (for bad JSON, how it starts)
};

void PrintTo(const Bad& bad, std::ostream* os) { *os << bad.name; }

class DataFileProblems : public ::testing::TestWithParam<Bad> {};

TEST_P(DataFileProblems, AreTypedAndWordedByTheApp) {
  std::istringstream in(GetParam().text);
  try {
    lennard::read_data(in, "d.csv");
    FAIL() << "accepted";
  } catch (const lennard::DataFileError& error) {
    EXPECT_EQ(error.problem().kind, GetParam().kind);
    EXPECT_EQ(error.problem().position, GetParam().position);
    const std::string sentence = lennard::spanish_sentence(error);
    // The JSON parser's own words follow the start.
    if (GetParam().kind == Kind::bad_json) {
      EXPECT_EQ(sentence.substr(0, GetParam().sentence.size()), GetParam().sentence);
    } else {
      EXPECT_EQ(sentence, GetParam().sentence);
    }
  }
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, DataFileProblems,
    ::testing::Values(
        Bad{"HeaderCount", "T_K,B_cm3_per_mol\n100,-184,3\n", Kind::header_field_count, 2,
            "'d.csv', línea 2: '100,-184,3': tiene 3 campos y la cabecera 2."},
        Bad{"HeaderWithoutB", "T_K,B\n", Kind::missing_column, 1,
            "'d.csv', línea 1: 'T_K,B': la cabecera no tiene la columna B_cm3_per_mol."},
        Bad{"ShortTableRow", "# T(K)  1/T(K-1)   B(cm3/mol)\n100 0.01\n", Kind::too_few_table_fields, 2,
            "'d.csv', línea 2: '100 0.01': una fila de la tabla de lennard tiene al menos tres números (T, 1/T y B)."},
        Bad{"BadJson", "{\"rows\": [\n", Kind::bad_json, 0, "'d.csv': no es un JSON válido ([json.exception."},
        Bad{"NoRows", "{\"table\": []}\n", Kind::no_rows, 0,
            "'d.csv': el JSON no tiene la lista \"rows\" de las tablas de lennard."},
        Bad{"JsonNotANumber", "{\"rows\": [{\"T_K\": \"300\", \"B_cm3_per_mol\": 1}]}", Kind::not_a_number, 1,
            "'d.csv', fila 1 de \"rows\": T_K no es un número."},
        Bad{"JsonMissingB", "{\"rows\": [{\"T_K\": 300, \"B_cm3_per_mol\": 1}, {\"T_K\": 400}]}",
            Kind::missing_member, 2, "'d.csv', fila 2 de \"rows\": faltan T_K o B_cm3_per_mol."},
        Bad{"TwoPoints", "100 -184\n120 -131\n", Kind::too_few_points, 0,
            "'d.csv': se necesitan al menos tres puntos para ajustar epsilon/k_B y sigma; hay 2."}),
    lennard::testing::CaseName{});

TEST(DataFileProblems, FilesThatCannotBeReadCarryTheirErrno) {
  lennard::testing::ScratchDir dir;
  const std::string missing = (dir / "missing.dat").string();
  try {
    lennard::read_data_file(missing);
    FAIL() << "read";
  } catch (const lennard::DataFileError& error) {
    EXPECT_EQ(error.problem().kind, Kind::cannot_read);
    EXPECT_EQ(error.problem().error_number, ENOENT);
    EXPECT_EQ(lennard::spanish_sentence(error),
              "no se puede leer '" + missing + "': no existe el archivo o el directorio");
  }
  try {
    lennard::read_data_file(dir.path().string());
    FAIL() << "read";
  } catch (const lennard::DataFileError& error) {
    EXPECT_EQ(lennard::spanish_sentence(error), "no se puede leer '" + dir.path().string() + "': es una carpeta.");
  }
}

}  // namespace
