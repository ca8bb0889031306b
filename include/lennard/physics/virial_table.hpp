// A table of virial coefficients: the temperatures and one column per
// quantity, so that a new quantity is a new column and no writer changes.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "lennard/physics/gas_model.hpp"
#include "lennard/physics/mixture.hpp"
#include "lennard/physics/parallel.hpp"
#include "lennard/physics/potential.hpp"
#include "lennard/physics/second_virial.hpp"

namespace lennard {

struct Column {
  std::string key;    // its name in csv and json, with the unit: "B_cm3_per_mol"
  std::string label;  // its description in a dat header: "dB/dT (cm3/(mol K))"
  std::vector<double> values;
  // NaN marks a value that does not exist (no gas root), not a failure.
  bool may_be_missing = false;
};

struct MixturePart {
  std::string gas;
  double mole_fraction;
};

struct Table {
  Potential potential;
  double epsilon_K;  // ignored for hard spheres
  double sigma_A;
  Method method;
  std::optional<double> pressure_bar;  // with the V and Z columns
  std::optional<double> de_boer;       // Lambda*, when B carries the first quantum correction
  std::string gas;                     // the library gas it was made for, if any
  // A mixture's components (empty for a pure gas); its potential is the
  // components', epsilon_K is NaN and sigma_A the one-fluid diameter,
  // sigma_x^3 = Sum x_i x_j sigma_ij^3.
  std::vector<MixturePart> mixture;
  double kij = 0.0;
  std::vector<double> T_K;
  std::vector<Column> columns;  // B first, then the quantities asked for
  // Where the model's approximations fail over these temperatures.
  std::vector<Diagnostic> diagnostics;
  int quantum_order = 1;  // with de_boer: 2 when B also carries the hbar^4 term
  // With de_boer: B is the exact quantum B, of these statistics, and the pair has these bound states.
  bool quantum_exact = false;
  SpinStatistics statistics{};
  std::vector<BoundState> bound_states{};
  // With quantum_exact: the T above which B is the semiclassical series, if any row lies there.
  std::optional<double> series_above_K{};

  // The column with this key, or nullptr.
  const Column* column(std::string_view key) const;
};

inline constexpr std::string_view B_key = "B_cm3_per_mol";
inline constexpr std::string_view dB_dT_key = "dB_dT_cm3_per_mol_K";
inline constexpr std::string_view C_key = "C_cm6_per_mol2";
inline constexpr std::string_view dC_dT_key = "dC_dT_cm6_per_mol2_K";
inline constexpr std::string_view V_key = "V_cm3_per_mol";
inline constexpr std::string_view Z_key = "Z";
inline constexpr std::string_view B_classical_key = "B_classical_cm3_per_mol";
inline constexpr std::string_view B12_key = "B12_cm3_per_mol";

// The columns a table holds besides B.
struct Quantities {
  bool derivative = false;  // dB/dT, and dC/dT with third
  bool third = false;       // C, always with the exact N_A
  // The molar volume and Z = PV/(RT) of the gas at this pressure, from the
  // virial equation truncated after C (which it implies).
  std::optional<double> pressure_bar;
  // De Boer's parameter Lambda*: B and dB/dT then carry the first quantum
  // correction, and the classical B gets its own column.
  std::optional<double> de_boer;
};

// The model's B and the quantities asked for at each temperature, with its
// diagnostics (quantities.de_boer is ignored: the model says). The rows are
// independent and computed on all cores; every value is the same whatever the
// number of threads.
Table compute_table(const GasModel& model, const std::vector<double>& temperatures_K, Quantities quantities,
                    const Parallelism& parallelism = {});

// B and the quantities asked for at each temperature. The rows are
// independent and computed on all cores; every value is the same whatever the
// number of threads.
Table compute_table(const Potential& potential, double epsilon_K, double sigma_A,
                    const std::vector<double>& temperatures_K, Method method, Quantities quantities,
                    const Parallelism& parallelism = {});

// A mixture's table, by the exact series: B (with B12 for a binary) and the
// quantities asked for; quantum adds each pair's first quantum correction.
Table compute_mixture_table(const Mixture& mixture, const std::vector<double>& temperatures_K, Quantities quantities,
                            bool quantum, const Parallelism& parallelism = {});

// The Lennard-Jones table.
Table compute_table(double epsilon_K, double sigma_A, const std::vector<double>& temperatures_K, Method method,
                    bool with_derivative, const Parallelism& parallelism = {});

// The first row with a value that is not finite (T, 1/T or any column but
// those that may be missing), or the number of rows when all are finite.
std::size_t first_non_finite_row(const Table& table);

}  // namespace lennard
