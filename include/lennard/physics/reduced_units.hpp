// From reduced to laboratory units by corresponding states: a potential's
// coefficients depend on epsilon and sigma only through T* = T/epsilon and
// the molecular volume N_A sigma^3, so B = N_A sigma^3 B*(T*) and
// C = (N_A sigma^3)^2 C*(T*). The one place they are scaled, with the exact
// N_A (the dialogue's trapezoid keeps its own 6.022e23 and its own order of
// operations, so that its tables stay as they were).
#pragma once

#include "lennard/physics/constants.hpp"

namespace lennard {

// N_A sigma^3 in cm^3/mol for sigma in A: the unit of every reduced B.
inline double molar_volume_cm3_per_mol(double sigma_A) {
  return avogadro_A3_exact_in_cm3_per_mol * sigma_A * sigma_A * sigma_A;
}

// B (cm^3/mol) from B*, and dB/dT (cm^3/(mol K)) from dB*/dT*.
inline double laboratory_B(double B_star, double sigma_A) { return B_star * molar_volume_cm3_per_mol(sigma_A); }
inline double laboratory_dB_dT(double dB_dT_star, double sigma_A, double epsilon_K) {
  return dB_dT_star * molar_volume_cm3_per_mol(sigma_A) / epsilon_K;
}

// C (cm^6/mol^2) from C*, and dC/dT (cm^6/(mol^2 K)) from dC*/dT*.
inline double laboratory_C(double C_star, double sigma_A) {
  const double volume = molar_volume_cm3_per_mol(sigma_A);
  return C_star * volume * volume;
}
inline double laboratory_dC_dT(double dC_dT_star, double sigma_A, double epsilon_K) {
  const double volume = molar_volume_cm3_per_mol(sigma_A);
  return dC_dT_star * volume * volume / epsilon_K;
}

// A coefficient per molecule squared, in A^6, to cm^6/mol^2.
inline constexpr double per_molecule_A6_in_cm6_per_mol2 =
    avogadro_A3_exact_in_cm3_per_mol * avogadro_A3_exact_in_cm3_per_mol;

}  // namespace lennard
