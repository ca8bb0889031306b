// Characteristic temperatures of a gas, from the exact B*(T*) of its
// potential. In reduced units they are numbers of the potential alone;
// T = T* epsilon/k_B.
#pragma once

#include <optional>
#include <utility>
#include <vector>

#include "lennard/physics/potential.hpp"

namespace lennard {

// Each is absent where it does not exist: hard spheres have none of them (B is
// b0 at every T), the square well has no maximum of B (B rises towards b0).
struct ReducedCharacteristics {
  std::optional<double> boyle_T_star;      // B(T*) = 0
  std::optional<double> inversion_T_star;  // zero-pressure Joule-Thomson inversion: B = T dB/dT
  std::optional<double> max_B_T_star;      // dB/dT = 0, where B is largest
  std::optional<double> max_B_reduced;     // that largest B, in units of N_A sigma^3
};

// Roots bracketed with Boost.Math's bracket_and_solve_root and found by TOMS
// 748 to full double precision.
// With de_boer (Lambda*), of B with its first quantum correction.
ReducedCharacteristics reduced_characteristics(const Potential& potential,
                                               std::optional<double> de_boer = std::nullopt, int quantum_order = 1);

struct Characteristics {
  std::optional<double> boyle_temperature_K;
  std::optional<double> inversion_temperature_K;
  std::optional<double> max_B_temperature_K;
  std::optional<double> max_B_cm3_per_mol;
  // Every sign change of B, ascending, where a model's B has more than one
  // (filled by GasModel::characteristics; boyle_temperature_K is then the last).
  std::vector<double> boyle_temperatures_K;
  // When the search covered only this range of T (K): outside it nothing was sought.
  std::optional<std::pair<double, double>> searched_K{};
};

// For epsilon/k_B > 0 in K and sigma in A.
Characteristics characteristics(const Potential& potential, double epsilon_K, double sigma_A,
                                std::optional<double> de_boer = std::nullopt, int quantum_order = 1);

}  // namespace lennard
