// Gas mixtures. The virial coefficients of a mixture are those of its pairs
// and triangles weighted by the mole fractions,
//   B = Sum_ij x_i x_j B_ij(T),   C = Sum_ijk x_i x_j x_k C_ijk(T),
// where an unlike pair interacts by the Lorentz-Berthelot rules
//   sigma_ij = (sigma_i + sigma_j)/2,   epsilon_ij = (1 - k_ij) sqrt(epsilon_i epsilon_j),
// and C_ijk is the triangle integral with the three pair potentials ij, ik, jk.
#pragma once

#include <string>
#include <vector>

#include "lennard/physics/potential.hpp"

namespace lennard {

struct Component {
  std::string name;  // for the output
  Potential potential;
  double epsilon_K;
  double sigma_A;
  double molar_mass_g_per_mol;
  double mole_fraction;
};

struct Mixture {
  std::vector<Component> components;
  double kij = 0.0;  // binary mixtures only
};

// The potential between two molecules, and the mass that makes the pure gas's
// quantum formulas hold for the pair: twice the reduced mass,
// 2 m_i m_j / (m_i + m_j) (the pure gas's m/2 when both are equal).
struct PairInteraction {
  Potential potential;
  double epsilon_K;
  double sigma_A;
  double molar_mass_g_per_mol;
};

// Mole fractions sum to 1 within mole_fraction_tolerance. Fractions rounded
// when typed (three thirds as 0.3333) miss 1 by more, but by less than
// mole_fraction_rounding: normalise_mole_fractions divides those by their sum.
inline constexpr double mole_fraction_tolerance = 1e-9;
inline constexpr double mole_fraction_rounding = 1e-3;

// Divides the fractions by their sum when every one lies in (0, 1] and the sum
// misses 1 by more than mole_fraction_tolerance but not by more than
// mole_fraction_rounding; returns whether it did.
bool normalise_mole_fractions(Mixture& mixture);

// Throws InvalidArgument unless no gas appears twice
// (by its name), every fraction lies in (0, 1] and they sum to 1 within
// mole_fraction_tolerance, k_ij is given only for a binary mixture and is
// below 1, and every pair can be combined: Lennard-Jones with Lennard-Jones,
// Mie with Mie of the same exponents.
void check_mixture(const Mixture& mixture);

// k_ij applies to unlike pairs: give 0 for a component with itself.
PairInteraction pair_interaction(const Component& a, const Component& b, double kij);

struct MixtureSecondVirial {
  double B;            // cm^3/mol; with the first quantum correction of every pair when asked
  double dB_dT;        // cm^3/(mol K)
  double B_classical;  // without the correction (equal to B without quantum)
  double B12;          // the cross coefficient of a binary mixture (NaN otherwise), as B
};

// By the exact series (N_A exact); quantum adds each pair's first quantum
// correction with its own reduced mass.
MixtureSecondVirial mixture_second_virial(const Mixture& mixture, double T_K, bool quantum);

// C in cm^6/mol^2 and dC/dT in cm^6/(mol^2 K) (NaN unless asked for).
struct MixtureThirdVirial {
  double C;
  double dC_dT;
};
// Every pair and triangle on one grid (the narrowest step and widest reach of
// the pairs), each pair computed once and each triangle i <= j <= k once,
// on up to threads threads (0: one per core); the same whatever the threads.
MixtureThirdVirial mixture_third_virial(const Mixture& mixture, double T_K, bool with_derivative,
                                        unsigned threads = 0);

}  // namespace lennard
