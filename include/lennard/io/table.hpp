// The results table "Lennard.dat": three header lines and one row per
// temperature, T (K), 1/T (1/K) and B (cm^3/mol). Each line after the first
// carries its line break in front, so the file ends without one.
#pragma once

#include <cstdio>
#include <vector>

#include "lennard/io/outcome.hpp"

namespace lennard {

// Header line 1, with the parameters.
void write_dat_title(std::FILE* file, double epsilon, double sigma);
// Header lines 2 and 3, naming the columns.
void write_dat_column_header(std::FILE* file);
// One row: T, 1/T and B.
void write_dat_row(std::FILE* file, double T, double B);

// Writes the table of B by the trapezoidal rule at the given temperatures to
// the file at path ("-" is out), replacing it only once the table is complete.
IoOutcome write_dat_file(const char* path, double epsilon, double sigma, const std::vector<double>& temperatures,
                         std::FILE* out);

}  // namespace lennard
