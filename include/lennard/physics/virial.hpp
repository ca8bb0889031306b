// Second virial coefficient of the Lennard-Jones 12-6 gas by the trapezoidal
// rule in the reduced variable x = sigma/r.
//
//   B(T) = 2 pi N_A sigma^3 * Int_0^inf [1 - exp(-alfa (x^12 - x^6))] x^-4 dx,
//   alfa = 4 (epsilon/k_B) / T.
//
// The integral is summed on 0.1 <= x <= 10 with step 0.001 (a running sum of
// nodes), and the two ranges left out are closed forms: x > 10 (r < sigma/10)
// where the Boltzmann factor vanishes, and x < 0.1 (r > 10 sigma) where the
// Mayer function is replaced by its first order in alfa.
#pragma once

#include <cmath>

#include "lennard/physics/constants.hpp"

namespace lennard {

// The rule's pieces, for its tests and benchmarks.
namespace detail {

// Quadrature limits and step in x = sigma/r.
inline constexpr double x1 = 10.0;   // upper limit (r = sigma/10)
inline constexpr double x2 = 0.1;    // lower limit (r = 10 sigma)
inline constexpr double dx = 0.001;  // node spacing


// Trapezoidal rule over 0.1 <= x <= 10: f summed over the nodes x2, x2 + dx,
// ... (a running sum, 9901 nodes, the last 9.999999999999897), then the end
// correction f(x1)/2 and f(x2)/2 at the nominal limits, times dx.
template <class Integrand>
double trapezoid_in_x(Integrand&& f) {
  double B = 0.0;
  if (std::fabs(x1 - x2) / x1 > 1e-05) {
    B = 0.0;
    double x = x2;
    while (x <= x1) {
      B = f(x) + B;
      x = x + dx;
    }
    B = B - f(x1) / 2.0;
    B = (B - f(x2) / 2.0) * dx;
  }
  return B;
}

// Reduced integrand [1 - exp(-alfa (x^12 - x^6))] / x^4, alfa = 4 epsilon / T.
// alfa is handed in rather than shared, so that temperatures can be computed
// on several threads at once; the roundings are those of the one-variable form.
double Fun(double x, double alfa);

// d Fun / d alfa = exp(-alfa (x^12 - x^6)) (x^12 - x^6) / x^4.
double dFun_dalfa(double x, double alfa);

}  // namespace detail

// B(T) in cm^3/mol for well depth epsilon (epsilon/k_B, K), collision diameter
// sigma (A) and temperature T (K). Safe to call from several threads.
double virial_B_trapezoid(double epsilon, double sigma, double T);

// dB/dT in cm^3/(mol K) by the same rule, differentiated under the integral on
// the same nodes: dB/dT = dB/dalfa * dalfa/dT with dalfa/dT = -alfa/T.
double virial_dB_dT_trapezoid(double epsilon, double sigma, double T);

}  // namespace lennard
