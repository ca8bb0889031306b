// The writers: tables of B(T) in their three formats, the characteristic
// temperatures, and the results of a fit.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "lennard/physics/characteristic.hpp"
#include "lennard/physics/fit.hpp"
#include "lennard/physics/shortest.hpp"
#include "lennard/physics/virial_table.hpp"

namespace lennard {

enum class Format { dat, csv, json };

// "dat": the fixed-decimal layout of "Lennard.dat"; a Lennard-Jones table by
// the trapezoid without further columns is written exactly as the dialogue
// writes it, and anything else gets its own "#" lines (potential, method,
// extra columns). "csv" and "json" print every number in its shortest form
// that reads back to the same double.
void write_table(std::FILE* file, const Table& table, Format format);

// A column's name for messages: its label up to the unit ("B", "dB/dT", "B clásico").
std::string column_symbol(const Column& column);

// The columns a dat table writes with fewer than three significant digits:
// "T" (two decimals) or "1/T" (six) when some row does, and any other column
// (six decimals, named by its label up to the unit) when even its largest
// magnitude does, so that B passing through zero at the Boyle point is no loss.
std::vector<std::string> dat_columns_short_of_digits(const Table& table);

// The gas library as a text table (name, formula, epsilon/k_B, sigma, M and the
// source of each) or as a JSON array of objects with the keys name, formula,
// aliases, molar_mass_g_per_mol, potential, epsilon_K, sigma_A,
// fitted_with_quantum_correction and source.
void write_gas_library(std::FILE* file, Format format);
// One entry of that array, as JSON text (the web page's and the listing's).
std::string gas_entry_json(const Gas& gas);

// The characteristic temperatures: labelled Spanish text lines (dat) or a JSON
// object, where one that does not exist is said so, or null.
void write_characteristics(std::FILE* file, const Characteristics& values, Format format);

// The fit: the Spanish summary for the screen (source names the data), the
// table of points and residuals, or the whole as a JSON object.
void write_fit_summary(std::FILE* file, const std::string& source, const DataSet& data, const FitResult& fit);
void write_fit_points(std::FILE* file, const DataSet& data, const FitResult& fit);
void write_fit_json(std::FILE* file, const DataSet& data, const FitResult& fit);

// A value and its standard uncertainty, the uncertainty to two significant
// digits and the value to the same decimal place.
std::string with_uncertainty(double value, double u);

}  // namespace lennard
