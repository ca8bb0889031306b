// The first quantum correction to B (order hbar^2, Wigner-Kirkwood), for
// light gases. For two molecules of mass m (relative motion: reduced mass m/2)
//   B = B_classical + b0 Lambda*^2 B_I*(T*),   b0 = 2 pi N_A sigma^3 / 3,
//   B_I* = 1/(16 pi^2 T*^3) Int_0^inf exp(-u*/T*) (du*/dr*)^2 r*^2 dr*,
//   Lambda* = h / (sigma sqrt(m epsilon))  (de Boer's parameter).
// It follows from the diagonal Slater sum
//   exp(-beta u) [1 - (hbar^2 beta^2/(12 mu)) lap u + (hbar^2 beta^3/(24 mu)) |grad u|^2]
// after integrating the Laplacian term by parts.
#pragma once

#include <vector>

#include "lennard/physics/potential.hpp"
#include "lennard/physics/series.hpp"

namespace lennard {

// Lambda* for epsilon/k_B in K, sigma in A and the molar mass in g/mol.
double de_boer_parameter(double epsilon_K, double sigma_A, double molar_mass_g_per_mol);

// B_I*(T*) and dB_I*/dT*: for lj and mie:N,M a series of Gamma functions
// (quantum.cpp derives it), for helium from first principles tanh-sinh
// quadrature with its analytic u*' (relative error about 1e-13).
// Throws InvalidArgument for the square well and hard spheres: the expansion needs
// a smooth potential.
ReducedVirial reduced_quantum_correction(const Potential& potential, double T_star);

// The same by tanh-sinh quadrature of the integral for every smooth potential:
// the reference the series is checked against.
ReducedVirial reduced_quantum_correction_quadrature(const Potential& potential, double T_star);

// The coefficients of the B_I* series for u* = C (x^-n - x^-m): d_0 =
// Gamma(-1/n), d_1 = Gamma((m-1)/n), then the ratios d_j/d_(j-1), d_j =
// Gamma((m j - 1)/n)/j! (Mie keeps its own, made on first use).
std::vector<double> quantum_series_table_of(double n, double m);

// The second correction (order hbar^4), B = ... + b0 Lambda*^4 B_II*(T*):
//   B_II* = -1/(640 pi^4 T*^4) Int_0^inf exp(-u*/T*) [u*''^2 + 2 (u*'/r*)^2
//           + 10/(9 T* r*) u*'^3 - 5/(36 T*^2) u*'^4] r*^2 dr*,
// from the hbar^4 term of the same Slater sum (tests/tools/wigner_kirkwood_hbar4.py
// derives it from the Bloch equation). B_II* and dB_II*/dT* by a series of Gamma
// functions (helium from first principles: by quadrature with its analytic
// u*' and u*''); throws as above for the square well and hard spheres.
ReducedVirial reduced_second_quantum_correction(const Potential& potential, double T_star);

// The correction to B* = B/(N_A sigma^3) and to its derivative to the given
// order (1 or 2): (2 pi/3) (Lambda*^2 B_I* [+ Lambda*^4 B_II*]).
ReducedVirial reduced_quantum_shift(const Potential& potential, double T_star, double de_boer, int order = 1);

}  // namespace lennard
