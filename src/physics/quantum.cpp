#include "lennard/physics/quantum.hpp"

#include <boost/math/quadrature/tanh_sinh.hpp>

#include <cmath>
#include <exception>
#include <limits>
#include <numbers>
#include <type_traits>

#include "lennard/physics/constants.hpp"
#include "lennard/physics/errors.hpp"

namespace lennard {

double de_boer_parameter(double epsilon_K, double sigma_A, double molar_mass_g_per_mol) {
  const double m_kg = molar_mass_g_per_mol * 1e-3 / avogadro_per_mol;
  const double epsilon_J = boltzmann_J_per_K * epsilon_K;
  return planck_J_s / (sigma_A * 1e-10 * std::sqrt(m_kg * epsilon_J));
}

namespace {

template <class F>
double integrate(F f, double a, double b) {
  thread_local boost::math::quadrature::tanh_sinh<double> integrator;
  try {
    return integrator.integrate(f, a, b, 1e-14);
  } catch (const std::exception&) {
    return std::numeric_limits<double>::quiet_NaN();
  }
}

// For u* = C (x^-n - x^-m): the integrals of e^(-u*/T) u*'^2 x^2 and of its
// T-derivative, e^(-u*/T) u*'^2 x^2 u*/T^2, on the core 0 < x < 1
// and on the tail in t = 1/x (where u*'^2 x^2 dx = u*'(1/t)^2 t^-4 dt decays
// as t^(2m-2)).
ReducedVirial soft(double C, double n, double m, double T) {
  const auto integrand = [=](double x, bool slope) {
    const double log_x = std::log(x);
    const double xm = std::exp(-m * log_x), x_nm = std::exp((m - n) * log_x);
    const double u = C * xm * (x_nm - 1.0);
    const double boltzmann = std::exp(-u / T);
    // Deep in the core the Boltzmann factor vanishes before u' overflows.
    if (boltzmann == 0.0) return 0.0;
    const double x_du = C * xm * (m - n * x_nm);  // x u*', which stays finite as x grows
    const double weight = boltzmann * x_du * x_du;
    return slope ? weight * u / (T * T) : weight;
  };
  const auto core = [&](bool slope) { return integrate([&](double x) { return integrand(x, slope); }, 0.0, 1.0); };
  const auto tail = [&](bool slope) {
    return integrate(
        [&](double t) {
          const double g = integrand(1.0 / t, slope);
          return g == 0.0 ? 0.0 : g / (t * t);  // g ~ t^(2m), far below t^2
        },
        0.0, 1.0);
  };
  const double I = core(false) + tail(false);
  const double dI = core(true) + tail(true);
  const double factor = 1.0 / (16.0 * std::numbers::pi * std::numbers::pi);
  // B_I* = factor I / T^3: d/dT = factor (dI / T^3 - 3 I / T^4).
  return {factor * I / (T * T * T), factor * (dI / (T * T * T) - 3.0 * I / (T * T * T * T))};
}

}  // namespace

ReducedVirial reduced_quantum_correction(const Potential& potential, double T_star) {
  return std::visit(
      [T_star](const auto& p) -> ReducedVirial {
        using Kind = std::decay_t<decltype(p)>;
        if constexpr (std::is_same_v<Kind, LennardJones>) {
          return soft(4.0, 12.0, 6.0, T_star);
        } else if constexpr (std::is_same_v<Kind, Mie>) {
          return soft(p.prefactor(), p.n(), p.m(), T_star);
        } else {
          throw InvalidArgument(Parameter::quantum, potential_name(p), Reason::needs_smooth_potential);
        }
      },
      potential);
}

ReducedVirial reduced_quantum_shift(const Potential& potential, double T_star, double de_boer) {
  const ReducedVirial I = reduced_quantum_correction(potential, T_star);
  const double scale = two_pi_over_3 * de_boer * de_boer;
  return {scale * I.B, scale * I.dB_dT};
}

}  // namespace lennard
