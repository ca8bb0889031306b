// The rules that decide whether a gas model can be computed, shared by the
// command line, the Python module and the library's own functions. Each
// throws InvalidArgument naming the parameter, the value and the reason.
// check_parameters (sweep.hpp) and check_mixture (mixture.hpp) hold the rules
// of epsilon/k_B and sigma and of a mixture's fractions and k_ij.
#pragma once

#include "lennard/physics/mixture.hpp"
#include "lennard/physics/potential.hpp"
#include "lennard/physics/second_virial.hpp"
#include "lennard/physics/sweep.hpp"

namespace lennard {

// The Wigner-Kirkwood expansion needs a smooth potential: Lennard-Jones, Mie
// or helium from first principles.
bool quantum_applies(const Potential& potential);

// quantum: a smooth potential (needs_smooth_potential), and an exact B to add
// the correction to, not the trapezoid (needs_exact_method).
void check_quantum(const Potential& potential, Method method);

// A potential whose epsilon/k_B and sigma a fit can determine: not hard
// spheres (needs_well_depth), not one that carries its own (no_free_parameters).
void check_fittable(const Potential& potential);

// A pure gas: the quantum rules when quantum, then check_method.
void check_pure_gas(const Potential& potential, Method method, bool quantum);

}  // namespace lennard
