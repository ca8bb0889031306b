// Measured second virial coefficients from a text file, for the fit.
#pragma once

#include <cstddef>
#include <istream>
#include <string>

#include "lennard/physics/fit.hpp"

namespace lennard {

// Longest line a data file may have; anything longer is not a data file.
inline constexpr std::size_t max_data_line_bytes = std::size_t{1} << 20;

// One point a line: T (K), B (cm^3/mol) and optionally u(B), separated by
// blanks and tabs, or by commas (with blanks around them allowed) but not by
// both; "#" starts a comment; blank lines are skipped; a UTF-8 byte-order mark
// at the start is skipped. Throws InputError naming the source and the line,
// shown shortened and with control characters escaped.
DataSet read_data(std::istream& in, const std::string& source);

// The same from a file; "-" reads standard input.
DataSet read_data_file(const std::string& path);

}  // namespace lennard
