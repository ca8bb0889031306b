// Characteristic temperatures of the Lennard-Jones gas, from the exact series.
// In reduced units they are universal numbers; T = T* epsilon/k_B.
#pragma once

namespace lennard {

struct ReducedCharacteristics {
  double boyle_T_star;      // B(T*) = 0
  double inversion_T_star;  // zero-pressure Joule-Thomson inversion: B = T dB/dT
  double max_B_T_star;      // dB/dT = 0, where B is largest
  double max_B_reduced;     // that largest B, in units of N_A sigma^3
};

// Roots found with Boost.Math's TOMS 748 solver to full double precision;
// computed once.
const ReducedCharacteristics& reduced_characteristics();

struct Characteristics {
  double boyle_temperature_K;
  double inversion_temperature_K;
  double max_B_temperature_K;
  double max_B_cm3_per_mol;
};

// For epsilon/k_B > 0 in K and sigma in A.
Characteristics characteristics(double epsilon_K, double sigma_A);

}  // namespace lennard
