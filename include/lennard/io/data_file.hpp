// Measured second virial coefficients from a text file, for the fit.
#pragma once

#include <cstddef>
#include <istream>
#include <stdexcept>
#include <string>
#include <vector>

#include "lennard/physics/fit.hpp"

namespace lennard {

// Longest line a data file may have; anything longer is not a data file.
inline constexpr std::size_t max_data_line_bytes = std::size_t{1} << 20;

// What is wrong with a data file, as data: the application words it.
struct DataFileProblem {
  enum class Kind {
    cannot_read,               // the file did not open (error_number)
    is_a_folder,
    read_error,                // the stream failed while reading
    nul_byte,                  // at line: not a text file
    line_too_long,             // at line: over max_data_line_bytes
    empty_field,               // nothing between two commas or after the last
    mixed_separators,          // commas and blanks both separate numbers
    wrong_field_count,         // plain data: not two or three numbers
    header_field_count,        // a csv row with another count than its header (numbers: row's, header's)
    too_few_table_fields,      // a row of the program's dat table without T, 1/T and B
    missing_column,            // the csv header lacks the column named in text
    not_a_number,              // text (a field, or a json member's name) is not a number
    not_finite,
    uncertainty_mismatch,      // some points carry u(B) and others not
    temperature_not_positive,
    uncertainty_not_positive,
    bad_json,                  // text: the parser's message
    no_rows,                   // a json document without the "rows" array
    missing_member,            // a json row without T_K or B_cm3_per_mol
    too_few_points,            // numbers: how many points were read
  };
  // Where in the input: a line of text, a row of a json table's "rows", or the input as a whole.
  enum class Place { input, line, json_row };

  Kind kind;
  std::string source;  // the name the reader was given ("-" for standard input)
  Place place = Place::input;
  std::size_t position = 0;  // the line or json row, from 1
  std::string line;          // the line as read (Place::line)
  std::string text;          // the offending field, member or column name, or the parser's message
  std::vector<double> numbers;
  int error_number = 0;      // errno of cannot_read
};

// Thrown by the readers below; what() is a short English summary.
class DataFileError : public std::runtime_error {
 public:
  explicit DataFileError(DataFileProblem problem);
  const DataFileProblem& problem() const { return problem_; }

 private:
  DataFileProblem problem_;
};

// One point a line: T (K), B (cm^3/mol) and optionally u(B), separated by
// blanks and tabs, or by commas (with blanks around them allowed) but not by
// both; "#" starts a comment; blank lines are skipped; a UTF-8 byte-order mark
// at the start is skipped. Throws DataFileError naming source (how the input
// is named, "-" for standard input) and the line.
DataSet read_data(std::istream& in, const std::string& source);

// The same from a file; "-" reads standard input.
DataSet read_data_file(const std::string& path);

}  // namespace lennard
