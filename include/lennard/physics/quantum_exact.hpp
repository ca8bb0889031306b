// Quantum scattering of two molecules of mass m (relative motion: reduced mass
// m/2), the ground for the exact quantum second virial coefficient. Reduced
// units: r* = r/sigma, u* = u/epsilon, k in 1/sigma, and de Boer's
// Lambda* = h/(sigma sqrt(m epsilon)). Since hbar^2/(2 mu) = hbar^2/m, the
// radial equation for psi(r) = r R_l(r) reads
//   psi'' = [l(l+1)/r^2 + g u*(r) - k^2] psi,   g = 4 pi^2/Lambda*^2,
// at the reduced energy E* = Lambda*^2 k^2/(4 pi^2).
#pragma once

#include <functional>
#include <vector>

#include "lennard/physics/potential.hpp"

namespace lennard {

// A smooth reduced potential: a repulsive core that rises monotonically as
// r* -> 0, one well no deeper than well_depth, and an attractive tail
// u* ~ -c r*^-tail_power (tail_power > 3) at large r*.
struct RadialPotential {
  std::function<double(double)> u;
  double well_depth;
  double tail_power;
};

// Lennard-Jones (4 (r^-12 - r^-6)), Mie (C (r^-n - r^-m)) or helium from
// first principles (u(r sigma_He)/epsilon_He, tail_power 6). Throws
// InvalidArgument (quantum, needs_smooth_potential) for the square well and
// hard spheres.
RadialPotential radial_potential(const Potential& potential);

struct PhaseShiftOptions {
  double step_factor = 0.01;      // Numerov step h = step_factor / sqrt(|psi''/psi|): phase to ~1e-8
  double tail_tolerance = 1e-11;  // bound on the phase the neglected tail would add
  double max_radius = 5000.0;     // the matching radius never exceeds this
};

// The absolute phase shift delta_l(k) (radians) at wavenumber k > 0, l >= 0,
// Lambda* > 0: Numerov outward from deep in the core, matched to the
// Riccati-Bessel functions, with the multiple of pi fixed by counting the nodes
// of the wavefunction against those of the free wave. So delta_l -> 0 as the
// potential is switched off, and delta_l(0+) = n_l pi (Levinson).
double phase_shift(const RadialPotential& potential, double de_boer, int l, double k,
                   const PhaseShiftOptions& options = {});

// The radius where the outward integration starts: the wavefunction there is
// below e^-40 of its value at the classical turning point.
double core_start_radius(const RadialPotential& potential, double de_boer, int l, double k);

// The bound states of angular momentum l: their reduced energies E* < 0,
// deepest first. Bisection on the node count of the outward Numerov solution
// (Sturm: it has as many nodes as there are states below its energy). A state
// bound by less than about 1/(g max_radius^2) is not seen.
std::vector<double> bound_state_energies(const RadialPotential& potential, double de_boer, int l,
                                         const PhaseShiftOptions& options = {});

}  // namespace lennard
