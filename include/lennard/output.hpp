// Tables of B(T) by either method, and the writers for their three formats.
#pragma once

#include <cstdio>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "lennard/characteristic.hpp"
#include "lennard/parallel.hpp"
#include "lennard/shortest.hpp"

namespace lennard {

enum class Method { trapezoid, series };
enum class Format { dat, csv, json };

std::string_view method_name(Method method);

// N_A of each method: 6.022e23 in the trapezoidal rule's 0.6022 scale, the
// exact SI value for the series.
double avogadro_of(Method method);

double virial_B(Method method, double epsilon_K, double sigma_A, double T_K);
double virial_dB_dT(Method method, double epsilon_K, double sigma_A, double T_K);

struct TableRow {
  double T_K;
  double B_cm3_per_mol;
  double dB_dT_cm3_per_mol_K;  // only meaningful when the table has the derivative
};

struct Table {
  double epsilon_K;
  double sigma_A;
  Method method;
  bool with_derivative;
  std::vector<TableRow> rows;
};

// The rows are independent and computed on all cores; every value is the
// same whatever the number of threads.
Table compute_table(double epsilon_K, double sigma_A, const std::vector<double>& temperatures_K, Method method,
                    bool with_derivative, const Parallelism& parallelism = {});

// The first row with a value that is not finite (T, 1/T, B or dB/dT), or
// rows.size() when all are finite.
std::size_t first_non_finite_row(const Table& table);

// "dat": the fixed-decimal layout of "Lennard.dat"; a table by the trapezoid
// without derivative is written exactly as the dialogue writes it. "csv" and
// "json" print every number in its shortest form that reads back to the same
// double.
void write_table(std::FILE* file, const Table& table, Format format);

// The characteristic temperatures: labelled Spanish text lines (dat, csv) or a JSON object.
void write_characteristics(std::FILE* file, const Characteristics& values, Format format);

// Opens path for writing ("-" is standard output), runs write, flushes and
// closes. Returns 0; 1 when the file cannot be created; -1 when a write or
// the close fails. Failures are reported on err.
int write_to_path(const std::string& path, std::FILE* out, std::FILE* err,
                  const std::function<void(std::FILE*)>& write);

}  // namespace lennard
