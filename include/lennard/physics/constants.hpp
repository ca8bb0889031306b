// Physical constants, each with its source.
#pragma once

#include <numbers>

namespace lennard {

// Avogadro constant, exact in the 2019 SI (CODATA 2018), 1/mol.
inline constexpr double avogadro_per_mol = 6.02214076e23;
// N_A times 1 A^3 (1e-24 cm^3), in cm^3/mol, with the exact N_A.
inline constexpr double avogadro_A3_exact_in_cm3_per_mol = 0.602214076;
// N_A times 1 A^3 as the dialogue's trapezoidal rule has always taken it
// (N_A = 6.022e23 1/mol); kept so that its tables stay the same to the byte.
inline constexpr double avogadro_A3_in_cm3_per_mol = 0.6022;
inline constexpr double dialogue_avogadro_per_mol = 6.022e23;

// Planck and Boltzmann constants, exact in the 2019 SI (CODATA 2018).
inline constexpr double planck_J_s = 6.62607015e-34;
inline constexpr double boltzmann_J_per_K = 1.380649e-23;

// Molar gas constant R = N_A k_B, exact in the 2019 SI (CODATA 2018):
// 8.314462618 J/(mol K) = 83.14462618 cm^3 bar/(mol K).
inline constexpr double gas_constant_cm3_bar_per_mol_K = 83.14462618;

// 2 pi / 3: the reduced second virial coefficient of hard spheres,
// b0 / sigma^3 (b0 = 2 pi sigma^3 / 3, per molecule).
inline constexpr double two_pi_over_3 = 2.0 * std::numbers::pi / 3.0;

}  // namespace lennard
