// The library of real gases: pair potentials (Lennard-Jones, and Mie n-6 where
// it fits clearly better) fitted to the second virial coefficients of
// published reference equations of state, with their sources, the range
// fitted and how well each model follows the data there. The data come from data/gases.json, turned into a C++ table at
// build time, so the library needs no file at run time.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <utility>
#include <string_view>
#include <vector>

#include "lennard/physics/potential.hpp"
#include "lennard/physics/quantum_exact.hpp"
#include "lennard/physics/saturation_line.hpp"

namespace lennard {

// One model fitted to a gas's B(T), and its residuals over the data (cm^3/mol).
struct FittedModel {
  Potential potential;
  double epsilon_K;
  double sigma_A;
  double rms_residual_cm3_per_mol;
  double max_residual_cm3_per_mol;
};

struct Gas {
  std::string name;     // lowercase English: "argon", "carbon dioxide"
  std::string formula;  // "Ar", "CO2"
  std::vector<std::string> aliases;  // the formula and the Spanish name, lowercase
  double molar_mass_g_per_mol;
  Potential potential;
  double epsilon_K;
  double sigma_A;
  std::string source;        // full citation of the data and how the parameters came from them (English)
  // The citation of the equation of state alone (for helium-3, which has
  // none, of the vapour-pressure scale its critical point and line are from).
  std::string equation_of_state;
  std::vector<std::string> coefficients_from;  // where its coefficients were taken from, if not the paper
  std::string fitted_data;   // the data file they were fitted to, relative to data/; empty when not fitted
  bool fitted_with_quantum;  // fitted with the first quantum correction: use it with them
  bool fitted_with_exact_quantum;  // fitted with the exact quantum B instead (to first-principles B)
  // The statistics and nuclear spin of its molecules, for the exact quantum B.
  // Molecules are taken as Boltzmann particles: no treatment of their
  // nuclear-spin states is used.
  Statistics statistics;
  double spin;
  // Every model fitted to the data; potential, epsilon_K and sigma_A above
  // are those of the one with the lowest RMS residual. Empty when not fitted.
  std::vector<FittedModel> models;
  std::optional<std::pair<double, double>> fit_range_K;  // the data's lowest and highest T
  // Of the cited equation of state (NaN when none): helium's triple point is
  // its lambda point on the saturation line.
  double triple_point_K;
  double critical_temperature_K;
  double critical_pressure_MPa;
  double critical_density_mol_per_m3;
  // Liquid-vapour from the triple to the critical point, and solid-vapour
  // below the triple point; empty where no published equation is at hand.
  SaturationLine vapour_pressure;
  SaturationLine sublimation;
};

// The gas's model with this potential (its "lj" fit, say), as the gas itself:
// potential, epsilon_K and sigma_A replaced. Throws InvalidArgument
// (potential, not_fitted; details: the gas and its models) when it has none.
Gas gas_with_model(const Gas& gas, const Potential& potential);

// The RMS residual of the gas's default model (NaN when not fitted).
double rms_residual(const Gas& gas);

// "bose", "fermi" or "boltzmann", as data/gases.json spells them.
const char* statistics_name(Statistics statistics);

// Every gas, in the library's order. Built once, safely from any thread.
const std::vector<Gas>& gas_library();

// The gas with this name or alias, matched without regard to case or Spanish
// accents ("Argón", "ARGON", "ar"). Throws InvalidArgument (gas, unknown) with the closest names.
const Gas& find_gas(std::string_view name);

// The library's names nearest to this one (edit distance over names and
// aliases), at most count of them, nearest first.
std::vector<std::string> closest_gas_names(std::string_view name, std::size_t count);

// Lowercase, with the accents of Spanish vowels taken off: the key names are
// compared by.
std::string folded_gas_name(std::string_view name);

namespace detail {
// One entry as generated from data/gases.json.
struct GasRecord {
  const char* name;
  const char* formula;
  std::vector<const char*> aliases;
  double molar_mass_g_per_mol;
  const char* potential;
  double epsilon_K;
  double sigma_A;
  const char* source;
  const char* equation_of_state;
  std::vector<const char*> coefficients_from;
  const char* fitted_data;
  bool fitted_with_quantum;
  bool fitted_with_exact_quantum;
  const char* statistics;  // "bose", "fermi" or "boltzmann"
  double spin;
  struct Model {
    const char* potential;
    double epsilon_K, sigma_A, rms_residual_cm3_per_mol, max_residual_cm3_per_mol;
  };
  std::vector<Model> models;
  double fit_lo_K, fit_hi_K;  // NaN when not fitted
  double triple_point_K, critical_temperature_K, critical_pressure_MPa, critical_density_mol_per_m3;
  SaturationLine vapour_pressure, sublimation;
};
const std::vector<GasRecord>& gas_records();
}  // namespace detail

}  // namespace lennard
