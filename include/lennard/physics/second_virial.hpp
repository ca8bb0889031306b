// The second virial coefficient in laboratory units, by any method, for any
// potential: B = N_A sigma^3 B*(T/epsilon) (corresponding states), the one
// place where the reduced values are scaled.
#pragma once

#include <string_view>

#include "lennard/physics/potential.hpp"
#include "lennard/physics/series.hpp"

namespace lennard {

enum class Method {
  trapezoid,   // the dialogue's rule in x = sigma/r, Lennard-Jones only, N_A = 6.022e23
  series,      // the exact series or closed form, N_A exact
  quadrature,  // adaptive quadrature of the Mayer integral, N_A exact
};

std::string_view method_name(Method method);

// N_A of each method, 1/mol.
double avogadro_of(Method method);

// The method a potential gets when none is asked for: the dialogue's rule for
// Lennard-Jones, exact_method for the others.
Method default_method(const Potential& potential);

// The exact B of a potential: its series or closed form, or the quadrature
// for helium from first principles, which has none.
Method exact_method(const Potential& potential);

// Whether the method can compute this potential (the trapezoid: only
// Lennard-Jones; the series: all but helium from first principles).
bool method_applies(Method method, const Potential& potential);

// Throws InvalidArgument (method, needs_lennard_jones or no_series) unless method_applies.
void check_method(Method method, const Potential& potential);

// B* and dB*/dT* by the series (exact) or the quadrature.
ReducedVirial reduced_virial(Method method, const Potential& potential, double T_star);

// B in cm^3/mol and dB/dT in cm^3/(mol K), for epsilon/k_B in K (any positive
// value for hard spheres), sigma in A and T in K. Throws InvalidArgument for a
// method that does not apply to the potential.
double second_virial_B(Method method, const Potential& potential, double epsilon_K, double sigma_A, double T_K);
double second_virial_dB_dT(Method method, const Potential& potential, double epsilon_K, double sigma_A, double T_K);

}  // namespace lennard
