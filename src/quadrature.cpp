#include "lennard/quadrature.hpp"

#include <boost/math/quadrature/tanh_sinh.hpp>

#include <cmath>
#include <exception>
#include <limits>
#include <numbers>
#include <type_traits>

namespace lennard {

namespace {

constexpr double tolerance = 1e-14;

// The integrator's abscissas and weights are computed once per thread and
// extended on demand: nothing is shared between threads.
boost::math::quadrature::tanh_sinh<double>& integrator() {
  thread_local boost::math::quadrature::tanh_sinh<double> own;
  return own;
}

// A failure of the integrator is a value that is not a number, which the
// callers report like any other.
template <class F>
double integrate(F f, double a, double b) {
  try {
    return integrator().integrate(f, a, b, tolerance);
  } catch (const std::exception&) {
    return std::numeric_limits<double>::quiet_NaN();
  }
}

// expm1(z) / z, 1 at z = 0.
double expm1_over(double z) { return z == 0.0 ? 1.0 : std::expm1(z) / z; }

// Int [e^(-u/T) - 1] x^2 dx and Int e^(-u/T) (u/T^2) x^2 dx (the derivative
// of the first in T) for u = C x^-m (x^-(n-m) - 1), in two pieces: the core
// 0 < x < 1, where the Mayer function rises from -1 to 0, and the rest, with
// x = 1/t so that the slow tail x^(2-m) becomes the integrable t^(m-4) on 0 < t < 1.
ReducedVirial soft(double C, double n, double m, double T) {
  const auto u_of_x = [=](double x) { return C * std::pow(x, -m) * (std::pow(x, m - n) - 1.0); };
  // expm1 keeps the Mayer function accurate where u/T is small.
  const double core = integrate([&](double x) { return std::expm1(-u_of_x(x) / T) * x * x; }, 0.0, 1.0);
  const auto slope = [T](double u) { return std::isinf(u) ? 0.0 : std::exp(-u / T) * u / (T * T); };
  const double core_slope = integrate([&](double x) { return slope(u_of_x(x)) * x * x; }, 0.0, 1.0);
  // In the tail -u = C t^m (1 - t^(n-m)) vanishes as t -> 0: the factor t^m is
  // taken out of u / t^4 before dividing, so nothing is 0/0 there.
  const auto minus_u_over_t4 = [=](double t) { return C * (1.0 - std::pow(t, n - m)) * std::pow(t, m - 4.0); };
  const double tail = integrate(
      [&](double t) {
        const double u = -C * std::pow(t, m) * (1.0 - std::pow(t, n - m));
        return expm1_over(-u / T) * minus_u_over_t4(t) / T;
      },
      0.0, 1.0);
  const double tail_slope = integrate(
      [&](double t) {
        const double u = -C * std::pow(t, m) * (1.0 - std::pow(t, n - m));
        return -std::exp(-u / T) * minus_u_over_t4(t) / (T * T);
      },
      0.0, 1.0);
  constexpr double two_pi = 2.0 * std::numbers::pi;
  return {-two_pi * (core + tail), -two_pi * (core_slope + tail_slope)};
}

}  // namespace

ReducedVirial reduced_virial_quadrature(const Potential& potential, double T_star) {
  constexpr double two_pi = 2.0 * std::numbers::pi;
  return std::visit(
      [T_star](const auto& p) -> ReducedVirial {
        using Kind = std::decay_t<decltype(p)>;
        const auto x2 = [](double x) { return x * x; };
        if constexpr (std::is_same_v<Kind, LennardJones>) {
          return soft(4.0, 12.0, 6.0, T_star);
        } else if constexpr (std::is_same_v<Kind, Mie>) {
          return soft(mie_prefactor(p.n, p.m), p.n, p.m, T_star);
        } else if constexpr (std::is_same_v<Kind, SquareWell>) {
          // The Mayer function is -1 in the core and e^(1/T) - 1 in the well.
          const double core = -integrate(x2, 0.0, 1.0);
          const double shell = integrate(x2, 1.0, p.lambda);
          return {-two_pi * (core + std::expm1(1.0 / T_star) * shell),
                  -two_pi * (-std::exp(1.0 / T_star) / (T_star * T_star)) * shell};
        } else {
          return {two_pi * integrate(x2, 0.0, 1.0), 0.0};
        }
      },
      potential);
}

}  // namespace lennard
