// The results table "Lennard.dat": three header lines and one row per
// temperature, T (K), 1/T (1/K) and B (cm^3/mol). Each line after the first
// carries its line break in front, so the file ends without one.
#pragma once

#include <cstdio>
#include <vector>

namespace lennard {

void write_dat_header(std::FILE* file, double epsilon, double sigma);
void write_dat_row(std::FILE* file, double T, double B);

// Writes the whole table for the given temperatures to an open stream.
void write_dat_table(std::FILE* file, double epsilon, double sigma, const std::vector<double>& temperatures);

// Creates (or truncates) the file at path, writes the table and closes it.
// Returns the exit status: 0 after a clean close; 1 when the file cannot be
// created; -1 when a write or the close fails. Failures are reported on err.
int write_dat_file(const char* path, double epsilon, double sigma, const std::vector<double>& temperatures,
                   std::FILE* err);

}  // namespace lennard
