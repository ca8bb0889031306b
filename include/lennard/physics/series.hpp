// Exact reduced second virial coefficients B* = B/(N_A sigma^3) and their
// derivatives dB*/dT* for every potential: convergent series for the
// Lennard-Jones and Mie potentials, closed forms for the square well and hard
// spheres.
//
// Lennard-Jones (J. E. Jones, Proc. R. Soc. Lond. A 106, 463 (1924);
// Hirschfelder, Curtiss & Bird, Molecular Theory of Gases and Liquids (1954),
// eq. 3.6-8), T* = kT/epsilon:
//   B* = -(2 pi/3) sum_{n>=0} c_n T*^(-(2n+1)/4),  c_n = 2^(n+1/2) / (4 n!) Gamma((2n-1)/4),
// with terms formed by the two-step recurrence t_{n+2} = t_n (2n-1)/((n+1)(n+2))/T*,
// which never forms the factorials or Gamma values that overflow at large n.
#pragma once

#include "lennard/physics/constants.hpp"
#include "lennard/physics/potential.hpp"
#include "lennard/physics/reduced_units.hpp"

namespace lennard {

struct ReducedVirial {
  double B;      // B / (N_A sigma^3)
  double dB_dT;  // d(B / (N_A sigma^3)) / dT*
};

// The Lennard-Jones series at reduced temperature T_star > 0.
ReducedVirial reduced_virial_series(double T_star);

// The exact B* and dB*/dT* of any potential (hard spheres: 2 pi/3 and 0).
// Helium from first principles has no series: its B* is the quadrature's
// (reduced_virial_quadrature), the exact Mayer integral to about 1e-12.
ReducedVirial reduced_virial_exact(const Potential& potential, double T_star);

// The coefficients of the Mie series for exponents n > m > 3, as the Mie
// type keeps them: c_0, c_1, then the ratios c_i / c_(i-1).
std::vector<double> mie_series_table(double n, double m);

// B (cm^3/mol) and dB/dT (cm^3/(mol K)) of the Lennard-Jones gas by the
// series, for epsilon/k_B in K, sigma in A and T in K.
double virial_B_series(double epsilon_K, double sigma_A, double T_K);
double virial_dB_dT_series(double epsilon_K, double sigma_A, double T_K);

}  // namespace lennard
