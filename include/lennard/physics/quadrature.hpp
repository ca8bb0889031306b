// B* and dB*/dT* of any potential by adaptive quadrature of the Mayer
// integral, B* = -2 pi Int_0^inf [exp(-u/T*) - 1] x^2 dx: the independent
// check of the series and the route for potentials that have none.
#pragma once

#include "lennard/physics/potential.hpp"
#include "lennard/physics/series.hpp"

namespace lennard {

// Relative error about 1e-13 (tanh-sinh on pieces where u changes character).
// Without the derivative, dB_dT is NaN and the cost is halved.
ReducedVirial reduced_virial_quadrature(const Potential& potential, double T_star, bool with_derivative = true);

}  // namespace lennard
