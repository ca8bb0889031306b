#include "lennard/physics/quantum_exact.hpp"

#include <boost/math/special_functions/bessel.hpp>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <stdexcept>
#include <string>
#include <type_traits>
#include <variant>
#include <vector>

#include "lennard/physics/errors.hpp"
#include "lennard/physics/helium_potential.hpp"

namespace lennard {

RadialPotential radial_potential(const Potential& potential) {
  return std::visit(
      [&](const auto& p) -> RadialPotential {
        using P = std::decay_t<decltype(p)>;
        if constexpr (std::is_same_v<P, LennardJones>) {
          return {[](double r) {
                    const double x6 = 1.0 / (r * r * r * r * r * r);
                    return 4.0 * x6 * (x6 - 1.0);
                  },
                  1.0, 6.0};
        } else if constexpr (std::is_same_v<P, Mie>) {
          const double C = p.prefactor(), n = p.n(), m = p.m();
          return {[=](double r) { return C * (std::pow(r, -n) - std::pow(r, -m)); }, 1.0, m};
        } else if constexpr (std::is_same_v<P, HeliumAbInitio>) {
          // Its well is 1 deep in its own units, and its tail the C6 one (with
          // retardation it falls faster still, as r^-7).
          return {[](double r) { return helium::reduced_pair_energy(r); }, 1.0, 6.0};
        } else {
          throw InvalidArgument(Parameter::quantum, potential_name(potential), Reason::needs_smooth_potential);
        }
      },
      potential);
}

namespace {

constexpr double two_pi = 2.0 * std::numbers::pi;

void check_scattering_arguments(double de_boer, int l, double k) {
  if (!(std::isfinite(de_boer) && de_boer > 0.0)) {
    throw InvalidArgument(Parameter::quantum, std::to_string(de_boer), Reason::out_of_range);
  }
  if (l < 0 || !(std::isfinite(k) && k > 0.0)) {
    throw InvalidArgument(Parameter::quantum, std::to_string(k), Reason::out_of_range);
  }
}

// Riccati-Bessel functions x j_l(x) ~ sin(x - l pi/2) and x y_l(x) ~ -cos(x - l pi/2).
double riccati_j(int l, double x) { return x * boost::math::sph_bessel(static_cast<unsigned>(l), x); }
double riccati_n(int l, double x) { return x * boost::math::sph_neumann(static_cast<unsigned>(l), x); }

// The number of zeros of j_l in (0, x): those of J_(l+1/2), spaced more than pi
// apart, so at most x/pi + 1 of them.
int free_zeros_below(int l, double x) {
  int lo = 0, hi = static_cast<int>(x / std::numbers::pi) + 2;  // zero(lo) < x <= zero(hi)
  while (hi - lo > 1) {
    const int mid = lo + (hi - lo) / 2;
    if (boost::math::cyl_bessel_j_zero(l + 0.5, mid) < x) {
      lo = mid;
    } else {
      hi = mid;
    }
  }
  return lo;
}

}  // namespace

double core_start_radius(const RadialPotential& potential, double de_boer, int l, double k) {
  check_scattering_arguments(de_boer, l, k);
  const double g = two_pi * two_pi / (de_boer * de_boer);
  const double L = static_cast<double>(l) * (l + 1);
  // WKB: psi falls as exp(-Int sqrt(Q) dr) into the forbidden core.
  double r = 1.0, decay = 0.0;
  while (decay < 40.0 && r > 1e-3) {
    const double dr = 1e-3 * r;
    const double q = L / (r * r) + g * potential.u(r) - k * k;
    if (q > 0.0) decay += std::sqrt(q) * dr;
    r -= dr;
  }
  return r;
}

namespace {

// Where the outward integration is: what the caller's stop rule sees.
struct Outward {
  int nodes = 0;                  // sign changes of psi so far
  double r1 = 0.0, psi1 = 0.0;    // a point the stop rule asked to keep
  double r2 = 0.0, psi2 = 0.0;    // the last point
};

// Numerov from r0 (psi(r0) = 0) outward for psi'' = [l(l+1)/r^2 + g u - k2] psi,
// k2 = k^2 above threshold and -kappa^2 below. stop(r, psi, Q) returns 0 to go
// on, 1 to keep this point as (r1, psi1), 2 to end here.
template <class Stop>
Outward integrate_outward(const RadialPotential& potential, double g, int l, double k2, double step_factor, double r0,
                          Stop stop) {
  const double L = static_cast<double>(l) * (l + 1);
  const auto Q = [&](double r) { return L / (r * r) + g * potential.u(r) - k2; };
  // |Q| from r outward never exceeds this: the core falls monotonically, the
  // well is no deeper than well_depth, and past the well's bottom |u| falls.
  bool past_well = false;
  const auto Q_ahead = [&](double r, double q) {
    const double u_bound = past_well ? std::abs(potential.u(r)) : potential.well_depth;
    return std::max(std::abs(q), L / (r * r) + g * u_bound + std::abs(k2));
  };
  const auto step_allowed = [&](double r, double q) {
    return std::min(step_factor / std::sqrt(Q_ahead(r, q)), 0.02 * r);
  };
  // Numerov on a grid whose step doubles outward as Q allows: psi at the three
  // latest points (older, a, b), steps of h between them. Summed form (Blatt,
  // J. Comput. Phys. 1, 382 (1967)): with y = (1 - h^2 Q/12) psi,
  // y_(n+1) - y_n = (y_n - y_(n-1)) + h^2 Q_n psi_n, which keeps rounding from
  // growing as the step shrinks.
  double h = step_allowed(r0, Q(r0));
  double r_older = r0 - h, r_a = r0, r_b = r0 + h;
  double psi_older = 0.0, psi_a = 0.0, psi_b = 1e-30;
  double Q_older = Q(r_older), Q_a = Q(r_a), Q_b = Q(r_b);
  double y_b = (1.0 - h * h / 12.0 * Q_b) * psi_b;
  double dy = y_b - (1.0 - h * h / 12.0 * Q_a) * psi_a;
  int steps_since_doubling = 1;
  Outward result;
  for (;;) {
    if (steps_since_doubling >= 2 && 2.0 * h <= step_allowed(r_b, Q_b)) {
      r_a = r_older;
      psi_a = psi_older;
      Q_a = Q_older;
      h *= 2.0;
      y_b = (1.0 - h * h / 12.0 * Q_b) * psi_b;
      dy = y_b - (1.0 - h * h / 12.0 * Q_a) * psi_a;
      steps_since_doubling = 0;
    }
    const double r_c = r_b + h;
    const double Q_c = Q(r_c);
    dy += h * h * Q_b * psi_b;
    y_b += dy;
    const double psi_c = y_b / (1.0 - h * h / 12.0 * Q_c);
    if ((psi_c > 0.0) != (psi_b > 0.0)) ++result.nodes;
    // The bottom of the well is behind once u, negative, rises again.
    const double gu_b = Q_b - L / (r_b * r_b) + k2, gu_c = Q_c - L / (r_c * r_c) + k2;
    if (gu_c < 0.0 && gu_c > gu_b) past_well = true;
    r_older = r_a, psi_older = psi_a, Q_older = Q_a;
    r_a = r_b, psi_a = psi_b, Q_a = Q_b;
    r_b = r_c, psi_b = psi_c, Q_b = Q_c;
    ++steps_since_doubling;
    if (std::abs(psi_b) > 1e200) {
      psi_older *= 1e-200, psi_a *= 1e-200, psi_b *= 1e-200, result.psi1 *= 1e-200, y_b *= 1e-200, dy *= 1e-200;
    }
    const int verdict = stop(r_b, psi_b, Q_b);
    if (verdict == 1) {
      result.r1 = r_b;
      result.psi1 = psi_b;
    } else if (verdict == 2) {
      result.r2 = r_b;
      result.psi2 = psi_b;
      return result;
    }
  }
}

}  // namespace

double phase_shift(const RadialPotential& potential, double de_boer, int l, double k,
                   const PhaseShiftOptions& options) {
  const double r0 = core_start_radius(potential, de_boer, l, k);
  const double g = two_pi * two_pi / (de_boer * de_boer);
  const double p = potential.tail_power;
  // The phase the tail beyond r would still add, to first order in u: with
  // |u| ~ r^-p and the free wave's square bounded by 1, or by (k r)^2 near k = 0.
  const auto tail_bound = [&](double r) {
    return g * std::abs(potential.u(r)) * r * std::min(1.0 / (k * (p - 1.0)), k * r * r / (p - 3.0));
  };

  bool first_recorded = false;
  double r_end = 0.0;
  const Outward w = integrate_outward(potential, g, l, k * k, options.step_factor, r0, [&](double r, double, double) {
    if (!first_recorded && ((r >= 2.0 && tail_bound(r) <= options.tail_tolerance) || r >= options.max_radius)) {
      first_recorded = true;
      // A second point a quarter wavelength on, or (near k = 0) half as far
      // again, so that the two determine the phase well.
      r_end = r + std::min(std::numbers::pi / (2.0 * k), std::max(0.5 * r, 1.0));
      return 1;
    }
    return first_recorded && r >= r_end ? 2 : 0;
  });
  const double r1 = w.r1, psi1 = w.psi1, r2 = w.r2, psi2 = w.psi2;
  const int nodes = w.nodes;

  // psi = A [j cos(delta) - n sin(delta)] at both points.
  const double x1 = k * r1, x2 = k * r2;
  const int free_zeros = free_zeros_below(l, x2);
  double j1, j2, n1, n2;
  try {
    j1 = riccati_j(l, x1), j2 = riccati_j(l, x2);
    n1 = riccati_n(l, x1), n2 = riccati_n(l, x2);
  } catch (const std::overflow_error&) {
    // So far inside the centrifugal barrier that the free wave's phase is 0 to
    // double precision, and so is the shift beyond the node count.
    return static_cast<double>(nodes - free_zeros) * std::numbers::pi;
  }
  const double delta_mod_pi = std::atan((psi1 * j2 - psi2 * j1) / (psi1 * n2 - psi2 * n1));
  // With j = F sin(phi), n = -F cos(phi), phi continuous from phi(0) = 0 and
  // crossing multiples of pi only at the zeros of j, the wave is
  // psi ~ sin(phi + delta); phi + delta is the phase of psi, which crosses
  // multiples of pi at its nodes (none in the core). So
  // phi(r2) = M pi + theta_free and phi(r2) + delta = N pi + theta, both
  // theta in [0, pi), M and N the zeros of the free wave and of psi.
  const double sign = free_zeros % 2 == 0 ? 1.0 : -1.0;
  const double theta_free = std::atan2(sign * j2, -sign * n2);
  double theta = std::fmod(theta_free + delta_mod_pi, std::numbers::pi);
  if (theta < 0.0) theta += std::numbers::pi;
  return static_cast<double>(nodes - free_zeros) * std::numbers::pi + theta - theta_free;
}

std::vector<double> bound_state_energies(const RadialPotential& potential, double de_boer, int l,
                                         const PhaseShiftOptions& options) {
  // At E < 0 the core is further out of reach than at threshold.
  const double r0 = core_start_radius(potential, de_boer, l, 1e-6);
  const double g = two_pi * two_pi / (de_boer * de_boer);
  // Sturm: the regular solution at energy E has as many nodes as there are
  // states below E. Below threshold it is followed until it has grown by e^40
  // in the forbidden region beyond the well, so that a node that a state just
  // below E pushes out to large r is still seen.
  const auto states_below = [&](double E) {
    double decay = 0.0, r_previous = r0;
    const Outward w = integrate_outward(potential, g, l, g * E, options.step_factor, r0, [&](double r, double, double q) {
      if (r >= options.max_radius) return 2;
      if (E < 0.0 && r > 2.0) decay = q > 0.0 ? decay + std::sqrt(q) * (r - r_previous) : 0.0;
      r_previous = r;
      return decay >= 40.0 ? 2 : 0;
    });
    return w.nodes;
  };
  const int count = states_below(0.0);
  std::vector<double> energies;
  for (int i = 0; i < count; ++i) {
    // u >= -well_depth bounds every state from below.
    double lo = -potential.well_depth, hi = 0.0;
    for (int iteration = 0; iteration < 64 && hi - lo > 1e-16 * std::abs(lo); ++iteration) {
      const double mid = 0.5 * (lo + hi);
      (states_below(mid) > i ? hi : lo) = mid;
    }
    energies.push_back(0.5 * (lo + hi));
  }
  return energies;
}

}  // namespace lennard
