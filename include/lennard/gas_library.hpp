// The library of real gases: Lennard-Jones parameters fitted to the second
// virial coefficients of published reference equations of state, with their
// sources (data/gases.json, built into the program).
#pragma once

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "lennard/potential.hpp"

namespace lennard {

struct Gas {
  std::string name;     // lowercase English: "argon", "carbon dioxide"
  std::string formula;  // "Ar", "CO2"
  std::vector<std::string> aliases;  // the formula and the Spanish name, lowercase
  double molar_mass_g_per_mol;
  Potential potential;
  double epsilon_K;
  double sigma_A;
  std::string source;        // full citation of the data and how the parameters came from them
  std::string fitted_data;   // the data file they were fitted to, relative to data/
  bool fitted_with_quantum;  // fitted with the first quantum correction: use --quantum with them
};

// Every gas, in the library's order. Parsed once; throws std::logic_error if
// the built-in library is malformed (a build defect, caught by the tests).
const std::vector<Gas>& gas_library();

// The gas with this name or alias, matched without regard to case or Spanish
// accents ("Argón", "ARGON", "ar"). Throws UsageError naming the closest names.
const Gas& find_gas(std::string_view name);

// Lowercase, with the accents of Spanish vowels taken off: the key names are
// compared by.
std::string folded_gas_name(std::string_view name);

// The library as a text table (name, formula, epsilon/k_B, sigma, M and the
// source of each) or as a JSON array of objects with the keys name, formula,
// aliases, molar_mass_g_per_mol, potential, epsilon_K, sigma_A, source.
void write_gas_library(std::FILE* file, bool json);

namespace detail {
// The library's JSON text, generated from data/gases.json at build time.
extern const char* const gas_library_json;
}  // namespace detail

}  // namespace lennard
