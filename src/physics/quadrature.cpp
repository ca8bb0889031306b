#include "lennard/physics/quadrature.hpp"

#include <boost/math/quadrature/tanh_sinh.hpp>

#include <array>
#include <cmath>
#include <utility>
#include <exception>
#include <limits>
#include <numbers>
#include <type_traits>

#include "lennard/physics/helium_potential.hpp"

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

// The powers of x a soft potential needs: by products for the 12-6
// potential, from one logarithm otherwise (cheaper than pow twice).
struct Powers {
  double n, m;
  bool twelve_six;
  // x^-m and x^(m-n) - 1 (so u = C x^-m (x^(m-n) - 1)); expm1 keeps the
  // difference accurate when n is close to m.
  std::pair<double, double> core(double x) const {
    if (twelve_six) {
      const double x2 = x * x;
      const double x6 = 1.0 / (x2 * x2 * x2);
      return {x6, x6 - 1.0};
    }
    const double log_x = std::log(x);
    return {std::exp(-m * log_x), std::expm1((m - n) * log_x)};
  }
  // t^m, 1 - t^(n-m) and t^(m-4).
  std::array<double, 3> tail(double t) const {
    if (twelve_six) {
      const double t2 = t * t;
      const double t6 = t2 * t2 * t2;
      return {t6, 1.0 - t6, t2};
    }
    const double log_t = std::log(t);
    return {std::exp(m * log_t), -std::expm1((n - m) * log_t), std::exp((m - 4.0) * log_t)};
  }
};

// Int [e^(-u/T) - 1] x^2 dx and, with_slope, Int e^(-u/T) (u/T^2) x^2 dx (the
// derivative of the first in T) for u = C x^-m (x^-(n-m) - 1), in two pieces:
// the core 0 < x < 1, where the Mayer function rises from -1 to 0, and the
// rest, with x = 1/t so that the slow tail x^(2-m) becomes the integrable
// t^(m-4) on 0 < t < 1.
ReducedVirial soft(double C, const Powers& powers, double T, bool with_slope) {
  const auto u_of_x = [&](double x) {
    const auto [a, b] = powers.core(x);
    return C * a * b;
  };
  // At high T the Mayer function turns from -1 to 0 around x_T = (C/T)^(1/n),
  // far inside the core: the core is split there so the integrator sees it.
  const double x_T = std::pow(C / T, 1.0 / powers.n);
  const auto over_core = [&](auto g) {
    return x_T < 0.5 ? integrate(g, 0.0, x_T) + integrate(g, x_T, 1.0) : integrate(g, 0.0, 1.0);
  };
  // expm1 keeps the Mayer function accurate where u/T is small.
  const double core = over_core([&](double x) { return std::expm1(-u_of_x(x) / T) * x * x; });
  // In the tail -u = C t^m (1 - t^(n-m)) vanishes as t -> 0: the factor t^m is
  // taken out of u / t^4 before dividing, so nothing is 0/0 there. For m < 4
  // the weight t^(m-4) is singular at t = 0, nearly non-integrable as m -> 3,
  // and tanh-sinh loses part of it: there s = t^(m-3), t^(m-4) dt = ds/(m-3),
  // leaves a bounded integrand.
  const bool singular_tail = powers.m < 4.0;
  const auto in_tail = [&](auto g) {
    if (!singular_tail) {
      return integrate(
          [&](double t) {
            const auto [tm, one_minus_tnm, tm4] = powers.tail(t);
            return g(C * tm * one_minus_tnm, one_minus_tnm) * tm4;
          },
          0.0, 1.0);
    }
    const double power = 1.0 / (powers.m - 3.0);
    return integrate(
               [&](double s) {
                 const auto [tm, one_minus_tnm, tm4] = powers.tail(std::pow(s, power));
                 return g(C * tm * one_minus_tnm, one_minus_tnm);
               },
               0.0, 1.0) *
           power;
  };
  const double tail = in_tail([&](double minus_u, double one_minus_tnm) {
    return expm1_over(minus_u / T) * C * one_minus_tnm / T;
  });
  constexpr double two_pi = 2.0 * std::numbers::pi;
  if (!with_slope) return {-two_pi * (core + tail), std::numeric_limits<double>::quiet_NaN()};

  const auto slope = [T](double u) { return std::isinf(u) ? 0.0 : std::exp(-u / T) * u / (T * T); };
  const double core_slope = over_core([&](double x) { return slope(u_of_x(x)) * x * x; });
  const double tail_slope = in_tail([&](double minus_u, double one_minus_tnm) {
    return -std::exp(minus_u / T) * C * one_minus_tnm / (T * T);
  });
  return {-two_pi * (core + tail), -two_pi * (core_slope + tail_slope)};
}

// Int [e^(-u*/T) - 1] x^2 dx and, with_slope, its T-derivative for helium:
// the core 0 < x < 1 (split at the turn of the Mayer function when that lies
// deep inside) and the rest in t = 1/x, where the x^-6 tail leaves the
// integrand (e^(-u*/T) - 1)/t^4 ~ t^2. scale: the adiabatic one of the isotope.
ReducedVirial helium_mayer(double T, bool with_slope, double scale) {
  const double x_T = helium::reduced_core_radius(T, scale);
  const auto over_core = [&](auto g) {
    return x_T < 0.5 ? integrate(g, 0.0, x_T) + integrate(g, x_T, 1.0) : integrate(g, 0.0, 1.0);
  };
  const auto in_tail = [&](auto g) {
    // Far out u* is 0 (and t^4 may underflow): nothing to add there.
    return integrate(
        [&](double t) {
          const double value = g(helium::reduced_pair_energy(1.0 / t, scale));
          return value == 0.0 ? 0.0 : value / (t * t * t * t);
        },
        0.0, 1.0);
  };
  const auto mayer = [T](double u) { return std::expm1(-u / T); };
  const double core = over_core([&](double x) { return mayer(helium::reduced_pair_energy(x, scale)) * x * x; });
  const double tail = in_tail(mayer);
  constexpr double two_pi = 2.0 * std::numbers::pi;
  if (!with_slope) return {-two_pi * (core + tail), std::numeric_limits<double>::quiet_NaN()};
  const auto slope = [T](double u) { return std::isinf(u) ? 0.0 : std::exp(-u / T) * u / (T * T); };
  const double core_slope = over_core([&](double x) { return slope(helium::reduced_pair_energy(x, scale)) * x * x; });
  const double tail_slope = in_tail(slope);
  return {-two_pi * (core + tail), -two_pi * (core_slope + tail_slope)};
}

}  // namespace

ReducedVirial reduced_virial_quadrature(const Potential& potential, double T_star, bool with_derivative) {
  constexpr double two_pi = 2.0 * std::numbers::pi;
  return std::visit(
      [T_star, with_derivative](const auto& p) -> ReducedVirial {
        using Kind = std::decay_t<decltype(p)>;
        const auto x2 = [](double x) { return x * x; };
        if constexpr (std::is_same_v<Kind, LennardJones>) {
          return soft(4.0, Powers{12.0, 6.0, true}, T_star, with_derivative);
        } else if constexpr (std::is_same_v<Kind, Mie>) {
          return soft(p.prefactor(), Powers{p.n(), p.m(), false}, T_star, with_derivative);
        } else if constexpr (std::is_same_v<Kind, SquareWell>) {
          // The Mayer function is -1 in the core and e^(1/T) - 1 in the well.
          const double core = -integrate(x2, 0.0, 1.0);
          const double shell = integrate(x2, 1.0, p.lambda);
          return {-two_pi * (core + std::expm1(1.0 / T_star) * shell),
                  -two_pi * (-std::exp(1.0 / T_star) / (T_star * T_star)) * shell};
        } else if constexpr (std::is_same_v<Kind, HeliumAbInitio>) {
          return helium_mayer(T_star, with_derivative, p.adiabatic_scale);
        } else {
          return {two_pi * integrate(x2, 0.0, 1.0), 0.0};
        }
      },
      potential);
}

}  // namespace lennard
