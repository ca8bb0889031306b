// Whether a library gas is a gas at (T, P): its pressure against the vapour
// pressure, or below the triple point the sublimation pressure, of the
// equations published with its equation of state.
#pragma once

#include "lennard/physics/gas_library.hpp"

namespace lennard {

enum class Phase {
  gas,        // above T_c, or at or below the saturation pressure
  condensed,  // liquid or solid: above the saturation pressure
  // Below the triple point with no sublimation line, at a pressure below the
  // triple point's: solid or gas cannot be told apart.
  unknown,
};

// A gas without a vapour-pressure line or critical point is taken as gas.
Phase phase_at(const Gas& gas, double T_K, double P_bar);

// The critical point of the full Lennard-Jones fluid (no cutoff), in reduced
// units, as M. Thol, G. Rutkai, A. Koester, R. Lustig, R. Span and J. Vrabec,
// "Equation of State for the Lennard-Jones Fluid", J. Phys. Chem. Ref. Data 45,
// 023101 (2016), doi:10.1063/1.4945000, take it from molecular simulation to
// reduce their equation: T_c* = 1.32, rho_c* = rho_c sigma^3 = 0.31.
inline constexpr double lj_critical_temperature_star = 1.32;
inline constexpr double lj_critical_density_star = 0.31;

}  // namespace lennard
