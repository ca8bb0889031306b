// Exact second virial coefficient of the Lennard-Jones 12-6 gas from its
// convergent series in the reduced temperature T* = T/(epsilon/k_B):
//
//   B(T) = -(2 pi/3) N_A sigma^3 sum_{n>=0} c_n T*^(-(2n+1)/4),
//   c_n  = 2^(n+1/2) / (4 n!) Gamma((2n-1)/4)
//
// (J. E. Jones, Proc. R. Soc. Lond. A 106, 463 (1924); Hirschfelder, Curtiss
// & Bird, Molecular Theory of Gases and Liquids (1954), eq. 3.6-8).
// The terms are formed by the two-step recurrence
//   t_{n+2} = t_n (2n-1) / ((n+1)(n+2)) / T*,
// which never forms the factorials or Gamma values that overflow at large n.
#pragma once

namespace lennard {

// Avogadro constant, exact in the 2019 SI (CODATA 2018).
inline constexpr double avogadro_per_mol = 6.02214076e23;
// N_A times 1 A^3 (1e-24 cm^3) in cm^3/mol.
inline constexpr double avogadro_A3_exact_in_cm3_per_mol = 0.602214076;

struct ReducedVirial {
  double B;      // B / (N_A sigma^3)
  double dB_dT;  // d(B / (N_A sigma^3)) / dT*
};

// B and dB/dT* in units of N_A sigma^3 at reduced temperature T_star > 0.
ReducedVirial reduced_virial_series(double T_star);

// B (cm^3/mol) and dB/dT (cm^3/(mol K)) by the series, for epsilon/k_B in K,
// sigma in A and T in K.
double virial_B_series(double epsilon_K, double sigma_A, double T_K);
double virial_dB_dT_series(double epsilon_K, double sigma_A, double T_K);

}  // namespace lennard
