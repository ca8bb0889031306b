#include "lennard/physics/virial.hpp"

#include <cmath>
#include <numbers>

namespace lennard {

namespace detail {

double Fun(double x, double alfa) {
  const double s = x * x;
  const double x6 = s * s * s;
  // (x6 - 1) x6 = x^12 - x^6 without forming x^12 separately.
  const double e = std::exp(-alfa * ((x6 - 1.0) * x6));
  // Two divisions by s, not one by x^4: the rounding is part of the result.
  return (1.0 - e) / s / s;
}

double dFun_dalfa(double x, double alfa) {
  const double s = x * x;
  const double x6 = s * s * s;
  const double u = (x6 - 1.0) * x6;
  // At large x the exponential underflows to 0 and the product stays 0.
  return std::exp(-alfa * u) * u / s / s;
}

}  // namespace detail

double virial_B_trapezoid(double epsilon, double sigma, double T) {
  using namespace detail;
  constexpr double pi = std::numbers::pi;
  const double alfa = epsilon * 4.0 / T;

  double B = trapezoid_in_x([alfa](double x) { return Fun(x, alfa); });

  const double x23 = x2 * x2 * x2;
  const double x29 = x23 * x23 * x23;
  // Near range: Int_{x1}^inf x^-4 dx = 1/(3 x1^3), the Boltzmann factor being 0.
  // Far range: Int_0^{x2} alfa (x^8 - x^2) dx, the Mayer function to first order.
  B = (0.3333333333333333 / x1 / x1 / x1 + B) + (x29 / 9.0 - x23 / 3.0) * alfa;

  B = B * sigma * sigma * sigma * 2 * pi * avogadro_A3_in_cm3_per_mol;
  return B;
}

double virial_dB_dT_trapezoid(double epsilon, double sigma, double T) {
  using namespace detail;
  constexpr double pi = std::numbers::pi;
  const double alfa = epsilon * 4.0 / T;
  const double x23 = x2 * x2 * x2;
  const double x29 = x23 * x23 * x23;
  // The near-range term does not depend on alfa; the far-range one is linear in it.
  const double dB_dalfa = trapezoid_in_x([alfa](double x) { return dFun_dalfa(x, alfa); }) + (x29 / 9.0 - x23 / 3.0);
  return dB_dalfa * (-alfa / T) * sigma * sigma * sigma * 2 * pi * avogadro_A3_in_cm3_per_mol;
}

}  // namespace lennard
