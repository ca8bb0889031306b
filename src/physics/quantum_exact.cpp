#include "lennard/physics/quantum_exact.hpp"

#include <boost/math/quadrature/gauss.hpp>
#include <boost/math/quadrature/gauss_kronrod.hpp>

#include <algorithm>
#include <array>
#include <memory>
#include <cstdio>
#include <cmath>
#include <numbers>
#include <string>
#include <type_traits>
#include <variant>
#include <vector>

#include "lennard/physics/errors.hpp"
#include "lennard/physics/parallel.hpp"
#include "lennard/physics/quantum.hpp"
#include "lennard/physics/shortest.hpp"
#include "lennard/physics/helium_potential.hpp"

namespace lennard {

namespace {

// The ab initio potential costs some 0.6 us a value, and the radial equation
// asks for it at every one of ~10^3 steps of every phase shift: quintic Hermite
// interpolation of u, u' and u'' on a grid uniform in ln r* from 0.2 to 5000,
// the largest matching radius (outside, the potential itself), relative error
// below 1e-11 (measured in the tests against the potential).
class HermiteTable {
 public:
  explicit HermiteTable(double adiabatic_scale) : scale_(adiabatic_scale) {
    values_.resize(static_cast<std::size_t>(intervals_) + 1);
    for (int i = 0; i <= intervals_; ++i) {
      const double r = std::exp(log_lo_ + i * step_);
      const helium::PairValue v = helium::reduced_pair_potential(r, scale_);
      // Derivatives with respect to s = ln r: du/ds = r u', d2u/ds2 = r u' + r^2 u''.
      values_[static_cast<std::size_t>(i)] = {v.u, r * v.du, r * v.du + r * r * v.d2u};
    }
  }
  double operator()(double r) const {
    const double s = (std::log(r) - log_lo_) / step_;
    if (!(s >= 0.0 && s < intervals_)) return helium::reduced_pair_energy(r, scale_);
    const auto i = static_cast<std::size_t>(s);
    const double t = s - static_cast<double>(i), h = step_;
    const auto& a = values_[i];
    const auto& b = values_[i + 1];
    const double t2 = t * t, t3 = t2 * t, t4 = t3 * t, t5 = t4 * t;
    const double h00 = 1 - 10 * t3 + 15 * t4 - 6 * t5, h01 = 10 * t3 - 15 * t4 + 6 * t5;
    const double h10 = t - 6 * t3 + 8 * t4 - 3 * t5, h11 = -4 * t3 + 7 * t4 - 3 * t5;
    const double h20 = 0.5 * (t2 - 3 * t3 + 3 * t4 - t5), h21 = 0.5 * (t3 - 2 * t4 + t5);
    return h00 * a[0] + h01 * b[0] + h * (h10 * a[1] + h11 * b[1]) + h * h * (h20 * a[2] + h21 * b[2]);
  }

 private:
  static constexpr int intervals_ = 11500;
  const double log_lo_ = std::log(0.2);
  const double step_ = (std::log(5000.0) - std::log(0.2)) / intervals_;
  double scale_;
  std::vector<std::array<double, 3>> values_;
};

}  // namespace

namespace {

// x^k for k >= 0 by squaring.
double whole_power(double x, int k) {
  double result = 1.0;
  for (; k > 0; k >>= 1, x *= x) {
    if (k & 1) result *= x;
  }
  return result;
}

// C (r^-n - r^-m), the same wherever it is evaluated.
inline double power_sum(const WholePowers& w, double r) {
  const double x = 1.0 / r, x_m = whole_power(x, w.m);
  return w.C * (x_m * whole_power(x, w.n - w.m) - x_m);
}

}  // namespace

RadialPotential radial_potential(const Potential& potential) {
  RadialPotential radial = std::visit(
      [&](const auto& p) -> RadialPotential {
        using P = std::decay_t<decltype(p)>;
        if constexpr (std::is_same_v<P, LennardJones>) {
          const WholePowers w{4.0, 12, 6};
          return {[w](double r) { return power_sum(w, r); }, 1.0, 6.0, {{4.0, 12.0}, {-4.0, 6.0}}, true,
                  std::nullopt, w};
        } else if constexpr (std::is_same_v<P, Mie>) {
          const double C = p.prefactor(), n = p.n(), m = p.m();
          // Whole exponents (the library's mie:10,6) by products: pow would
          // take most of a phase shift's time.
          if (n == std::floor(n) && m == std::floor(m) && n <= 64.0) {
            const WholePowers w{C, static_cast<int>(n), static_cast<int>(m)};
            return {[w](double r) { return power_sum(w, r); }, 1.0, m, {{C, n}, {-C, m}}, true, std::nullopt, w};
          }
          return {[=](double r) { return C * (std::pow(r, -n) - std::pow(r, -m)); }, 1.0, m, {{C, n}, {-C, m}}, true,
                  std::nullopt, std::nullopt};
        } else if constexpr (std::is_same_v<P, HeliumAbInitio>) {
          // Its well is 1 deep in its own units, and its tail the C6 one (with
          // retardation it falls faster still, as r^-7).
          // The dispersion series of its Born-Oppenheimer and adiabatic parts
          // (C6, C8, C10; the retardation, significant only far out, is left
          // out) for the Born phase shifts of high partial waves.
          const auto term = [](double C_n, double n) {
            return std::pair{-C_n * helium::hartree_K / helium::epsilon_K *
                                 std::pow(helium::bohr_A / helium::sigma_A, n),
                             n};
          };
          const auto table = std::make_shared<const HermiteTable>(p.adiabatic_scale);
          return {[table](double r) { return (*table)(r); },
                  1.0,
                  6.0,
                  {term(1.460977837725 + 1.1445e-3, 6.0), term(14.11785737 + 6.519e-3, 8.0),
                   term(183.691075 + 6.68e-2, 10.0)},
                  false,
                  std::nullopt,
                  std::nullopt};
        } else {
          throw InvalidArgument(Parameter::quantum, potential_name(potential), Reason::needs_smooth_potential);
        }
      },
      potential);
  radial.source = potential;
  return radial;
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

// Riccati-Bessel functions j = x j_l(x) ~ sin(x - l pi/2) and n = x y_l(x) ~
// -cos(x - l pi/2), by recurrence: n upward, which is stable; j upward beyond
// x = l, where it is as stable, and below by Miller's downward recurrence,
// normalised to j_0 = sin x or j_1 = sin x/x - cos x. A non-finite n means the
// free wave is unreachable behind the centrifugal barrier.
struct Riccati {
  double j, n;
};

Riccati riccati(int l, double x) {
  const double s = std::sin(x), c = std::cos(x);
  if (l == 0) return {s, -c};
  double n_prev = -c, n = -c / x - s;
  for (int i = 1; i < l; ++i) {
    const double next = (2.0 * i + 1.0) / x * n - n_prev;
    n_prev = n, n = next;
  }
  const double j0 = s, j1 = s / x - c;
  if (!std::isfinite(n)) return {0.0, n};
  if (x > l) {
    double j_prev = j0, j = j1;
    for (int i = 1; i < l; ++i) {
      const double next = (2.0 * i + 1.0) / x * j - j_prev;
      j_prev = j, j = next;
    }
    return {j, n};
  }
  // Downward, j_(i-1) = (2i+1)/x j_i - j_(i+1), from far enough above l that
  // the arbitrary start has decayed by some (x/2i)^60.
  const int top = l + 60;
  double above = 0.0, here = 1e-300, at_l = 0.0;
  for (int i = top; i > 0; --i) {
    const double below = (2.0 * i + 1.0) / x * here - above;
    above = here, here = below;
    if (std::abs(here) > 1e250) here *= 1e-250, above *= 1e-250, at_l *= 1e-250;
    if (i - 1 == l) at_l = here;
  }
  // here is j_0 and above j_1, both unnormalised.
  const double scale = std::abs(j0) > 0.3 ? j0 / here : j1 / above;
  return {at_l * scale, n};
}

// The phase of the free wave, phi = atan2(j, -n) continued from phi(0) = 0
// (j = F sin(phi), n = -F cos(phi), d phi/dx = 1/F^2). The multiple of 2 pi
// comes from the uniform WKB phase (Langer, nu = l + 1/2), which is far
// closer than pi to it.
double free_phase(int l, double x, const Riccati& w) {
  const double nu = l + 0.5;
  const double estimate =
      x <= nu ? 0.0 : std::sqrt(x * x - nu * nu) - nu * std::acos(nu / x) + 0.25 * std::numbers::pi;
  const double principal = std::atan2(w.j, -w.n);
  return principal + two_pi * std::round((estimate - principal) / two_pi);
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

// Numerov from r0 (psi(r0) = 0) outward for psi'' = [l(l+1)/r^2 + g u - k2] psi,
// k2 = k^2 above threshold and -kappa^2 below, until stop(r, Q) says so; the
// nodes of psi on the way (the count Sturm's theorem needs).
template <class Stop>
int count_nodes_outward(const RadialPotential& potential, double g, int l, double k2, double step_factor, double r0,
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
  struct Track {
    double psi_older, psi_a, psi_b, Q_older, Q_a, Q_b, y_b, dy;
  };
  double h = step_allowed(r0, Q(r0));
  double r_older = r0 - h, r_a = r0, r_b = r0 + h;
  Track t{0.0, 0.0, 1e-30, Q(r_older), Q(r_a), Q(r_b), 0.0, 0.0};
  const auto restart = [&](Track& x) {
    x.y_b = (1.0 - h * h / 12.0 * x.Q_b) * x.psi_b;
    x.dy = x.y_b - (1.0 - h * h / 12.0 * x.Q_a) * x.psi_a;
  };
  restart(t);
  const auto advance = [&](Track& x, double Q_c) {
    x.dy += h * h * x.Q_b * x.psi_b;
    x.y_b += x.dy;
    const double psi_c = x.y_b / (1.0 - h * h / 12.0 * Q_c);
    x.psi_older = x.psi_a, x.Q_older = x.Q_a;
    x.psi_a = x.psi_b, x.Q_a = x.Q_b;
    x.psi_b = psi_c, x.Q_b = Q_c;
  };
  int steps_since_doubling = 1;
  int nodes = 0;
  for (;;) {
    if (steps_since_doubling >= 2 && 2.0 * h <= step_allowed(r_b, t.Q_b)) {
      r_a = r_older;
      t.psi_a = t.psi_older, t.Q_a = t.Q_older;
      h *= 2.0;
      restart(t);
      steps_since_doubling = 0;
    }
    const double r_c = r_b + h;
    const double psi_b_before = t.psi_b, Q_b_before = t.Q_b;
    advance(t, Q(r_c));
    if ((t.psi_b > 0.0) != (psi_b_before > 0.0)) ++nodes;
    // The bottom of the well is behind once u, negative, rises again.
    const double gu_b = Q_b_before - L / (r_b * r_b) + k2, gu_c = t.Q_b - L / (r_c * r_c) + k2;
    if (gu_c < 0.0 && gu_c > gu_b) past_well = true;
    r_older = r_a, r_a = r_b, r_b = r_c;
    ++steps_since_doubling;
    if (std::abs(t.psi_b) > 1e200) {
      t.psi_older *= 1e-200, t.psi_a *= 1e-200, t.psi_b *= 1e-200, t.y_b *= 1e-200, t.dy *= 1e-200;
    }
    if (stop(r_b, t.Q_b)) return nodes;
  }
}

}  // namespace

namespace {

// The Gauss-Legendre nodes of a step, at h (1/2 -+ sqrt(15)/10).
const double magnus_node = 0.5 - std::sqrt(15.0) / 10.0;

}  // namespace

namespace detail {

// One step of the sixth-order Magnus integrator with three Gauss points (the
// scheme of S. Blanes, F. Casas and J. Ros, BIT 40, 434 (2000); its sixth
// order is checked in the tests on Airy's equation) for Y = (psi, psi'),
// Y' = A Y, A = [[0, 1], [Q, 0]], from Q at the nodes. With M = [[0, 1], [0, 0]],
// N = [[0, 0], [1, 0]] and H = [M, N] = diag(1, -1), every term is a
// combination of M, N and H, so the exponent is a traceless 2x2 matrix and its
// exponential closed: cosh(s) I + sinh(s)/s Omega, s^2 = -det Omega. Exact
// for constant Q, the step follows how Q varies, not the wavelength.
double magnus_step(WaveState& y, double h, double Qa, double Qm, double Qb) {
  const double p = std::sqrt(15.0) / 3.0 * h * (Qb - Qa);      // alpha2 = p N
  const double q = 10.0 / 3.0 * h * (Qb - 2.0 * Qm + Qa);      // alpha3 = q N
  // alpha1 = h (M + Qm N); X = -20 alpha1 - alpha3 + [alpha1, alpha2],
  // Y = alpha2 - [alpha1, 2 alpha3 + [alpha1, alpha2]]/60, in M, N, H parts.
  const double xM = -20.0 * h, xN = -20.0 * h * Qm - q, xH = h * p;
  const double yM = h * h * p / 30.0, yN = p - h * h * Qm * p / 30.0, yH = -h * q / 30.0;
  // Omega = alpha1 + alpha3/12 + [X, Y]/240, with [M, N] = H, [H, M] = 2M, [H, N] = -2N.
  const double oM = h + (xH * yM - xM * yH) / 120.0;
  const double oN = h * Qm + q / 12.0 + (xN * yH - xH * yN) / 120.0;
  const double oH = (xM * yN - xN * yM) / 240.0;
  const double s2 = oH * oH + oM * oN;
  const double s = std::sqrt(std::abs(s2));
  double C = 1.0, S = 1.0;
  if (s2 > 0.0) {
    C = std::cosh(s), S = std::sinh(s) / s;
  } else if (s2 < 0.0) {
    C = std::cos(s), S = std::sin(s) / s;
  }
  y = {(C + S * oH) * y.psi + S * oM * y.dpsi, S * oN * y.psi + (C - S * oH) * y.dpsi};
  return s2 < 0.0 ? s : 0.0;
}

}  // namespace detail

namespace {

// The phase shift with u evaluated by potential_u: the potential's own
// function, or the same sum of powers inline, since the integration spends
// much of its time there.
template <class U>
double phase_shift_with(const RadialPotential& potential, const U& potential_u, double de_boer, int l, double k,
                        const PhaseShiftOptions& options) {
  const double r0 = core_start_radius(potential, de_boer, l, k);
  const double g = two_pi * two_pi / (de_boer * de_boer);
  const double p = potential.tail_power;
  // The phase the tail beyond r would still add, to first order in u: with
  // |u| ~ r^-p and the free wave's square bounded by 1, or by (k r)^2 near k = 0.
  const auto tail_bound = [&](double r, double abs_u) {
    return g * abs_u * r * std::min(1.0 / (k * (p - 1.0)), k * r * r / (p - 3.0));
  };
  // Beyond the centrifugal barrier the tail's first-order phase is added below,
  // its smooth part by quadrature and its oscillating part to leading order in
  // 1/k; what is left is about g |u'| F^6 / (8 k^3), F^2 = j^2 + n^2. So the
  // integration may stop once the whole tail is small enough for first order
  // (its square below the tolerance) and that remainder is below it too.
  const auto riccati_f2 = [&](double x) {
    const Riccati w = riccati(l, x);
    return w.j * w.j + w.n * w.n;
  };
  // |u| at r comes as abs_u, from a point a little inside r: beyond the well
  // |u| falls, so the bounds stay bounds, and no further u is evaluated.
  bool corrected = false;
  const auto may_stop = [&](double r, double abs_u) {
    if (r < 2.0) return false;
    if (r >= options.max_radius) return true;
    const double whole = tail_bound(r, abs_u);
    if (whole <= options.tail_tolerance) return true;
    const double x = k * r, nu = l + 0.5;
    if (whole * whole > options.tail_tolerance || x < 1.2 * nu) return false;
    // F^2 by its WKB value, with a margin: x/sqrt(x^2 - nu^2).
    const double f2 = 1.1 / std::sqrt(1.0 - nu * nu / (x * x));
    const double remainder = g * p * abs_u / r * f2 * f2 * f2 / (8.0 * k * k * k);
    corrected = remainder <= options.tail_tolerance;
    return corrected;
  };

  // psi'' = Q psi outward from psi(r0) = 0 by Magnus steps, with the free
  // wave (u = 0) on the same steps, to the first point where the rest of the
  // tail is small enough.
  const double L = static_cast<double>(l) * (l + 1), k2 = k * k;
  const auto free_Q = [&](double r) { return L / (r * r) - k2; };
  using detail::WaveState, detail::magnus_step;
  WaveState wave{0.0, 1e-30}, free{0.0, 1e-30};
  int nodes = 0;
  double r = r0, Q_here = free_Q(r0) + g * potential_u(r0);
  for (;;) {
    double h = std::min(options.magnus_step * r, options.magnus_phase_step / std::sqrt(std::abs(Q_here)));
    WaveState wave_next, free_next;
    double Qm = 0.0, u_b = 0.0;
    for (;; h *= 0.5) {
      const double r_a = r + magnus_node * h, r_m = r + 0.5 * h, r_b = r + (1.0 - magnus_node) * h;
      const double Fa = free_Q(r_a), Fm = free_Q(r_m), Fb = free_Q(r_b);
      Qm = Fm + g * potential_u(r_m);
      u_b = potential_u(r_b);
      wave_next = wave, free_next = free;
      // Less than pi a step, so that a zero is a change of sign (Q may have
      // changed faster than the last step foresaw).
      if (magnus_step(wave_next, h, Fa + g * potential_u(r_a), Qm, Fb + g * u_b) < 3.0) {
        magnus_step(free_next, h, Fa, Fm, Fb);
        break;
      }
    }
    if (wave.psi != 0.0 && (wave_next.psi > 0.0) != (wave.psi > 0.0)) ++nodes;
    wave = wave_next, free = free_next;
    r += h;
    Q_here = Qm;
    for (WaveState* x : {&wave, &free}) {
      if (std::abs(x->psi) > 1e200) x->psi *= 1e-200, x->dpsi *= 1e-200;
    }
    if (may_stop(r, std::abs(u_b))) break;
  }

  // psi = A [j cos(delta) - n sin(delta)] and psi' = A k [j' cos(delta) - n' sin(delta)]
  // at r, with j' = j_(l-1) - (l/x) j and the same for n.
  const double x = k * r;
  const Riccati w = riccati(l, x), below = l > 0 ? riccati(l - 1, x) : Riccati{-std::cos(x), -std::sin(x)};
  const double dj = l > 0 ? below.j - l / x * w.j : std::cos(x), dn = l > 0 ? below.n - l / x * w.n : std::sin(x);
  if (!std::isfinite(w.n) || !std::isfinite(dn)) {
    // So far inside the centrifugal barrier that the free wave's phase is 0 to
    // double precision, and so is the shift beyond the node count.
    return static_cast<double>(nodes) * std::numbers::pi;
  }
  const auto tan_delta = [&](const WaveState& y) {
    const double scale = std::max(std::abs(y.psi), std::abs(y.dpsi) / k);
    const double a = y.psi / scale, b = y.dpsi / (k * scale);
    return (b * w.j - a * dj) / (b * w.n - a * dn);
  };
  // The steps' own phase error, from the free wave carried along: its phase
  // mod pi less the exact one, the hard sphere's tan(delta) = j(k r0)/n(k r0).
  // Nearly the same for both waves, it is subtracted.
  const Riccati w0 = riccati(l, k * r0);
  const double hard_sphere = std::isfinite(w0.n) ? std::atan(w0.j / w0.n) : 0.0;
  double grid_error = std::atan(tan_delta(free)) - hard_sphere;
  grid_error -= std::numbers::pi * std::round(grid_error / std::numbers::pi);
  if (!std::isfinite(grid_error)) grid_error = 0.0;
  const double delta_mod_pi = std::atan(tan_delta(wave)) - grid_error;
  // psi ~ sin(phi + delta): phi + delta is the phase of psi, which crosses
  // multiples of pi at its nodes (none in the core), so at r it lies in
  // [N pi, (N + 1) pi), N the nodes counted.
  const double phi = free_phase(l, x, w);
  double theta = std::fmod(phi + delta_mod_pi, std::numbers::pi);
  if (theta < 0.0) theta += std::numbers::pi;
  double delta = static_cast<double>(nodes) * std::numbers::pi + theta - phi;
  const double r2 = r;
  const Riccati& w2 = w;
  if (corrected) {
    // First order in the tail (variable phase): d delta/dr = -(g u/k) F^2 sin^2(phi + delta),
    // phi' = k/F^2. The smooth half by Gauss-Legendre in s = r2/r, the
    // oscillating half by one integration by parts; phi + delta = theta mod pi.
    const auto smooth = [&](double s) {
      const double r_s = r2 / s;
      return potential_u(r_s) * riccati_f2(k * r_s) * r2 / (s * s);
    };
    const double smooth_integral = boost::math::quadrature::gauss<double, 20>::integrate(smooth, 0.0, 1.0);
    const double f2 = w2.j * w2.j + w2.n * w2.n;
    delta -= g / (2.0 * k) * smooth_integral +
             g * potential_u(r2) * f2 * f2 * std::sin(2.0 * theta) / (4.0 * k * k);
  }
  return delta;
}

}  // namespace

double phase_shift(const RadialPotential& potential, double de_boer, int l, double k,
                   const PhaseShiftOptions& options) {
  if (const std::optional<WholePowers>& w = potential.whole_powers) {
    return phase_shift_with(potential, [w = *w](double r) { return power_sum(w, r); }, de_boer, l, k, options);
  }
  return phase_shift_with(potential, potential.u, de_boer, l, k, options);
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
    return count_nodes_outward(potential, g, l, g * E, options.step_factor, r0, [&](double r, double q) {
      if (r >= options.max_radius) return true;
      if (E < 0.0 && r > 2.0) decay = q > 0.0 ? decay + std::sqrt(q) * (r - r_previous) : 0.0;
      r_previous = r;
      return decay >= 40.0;
    });
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

namespace lennard {

void check_spin_statistics(const SpinStatistics& statistics) {
  if (statistics.statistics == Statistics::boltzmann) return;
  const double twice = 2.0 * statistics.spin;
  const bool half_integer = std::isfinite(twice) && twice >= 0.0 && twice == std::floor(twice) && twice <= 100.0;
  const bool odd = half_integer && std::fmod(twice, 2.0) == 1.0;
  if (!half_integer || odd != (statistics.statistics == Statistics::fermi)) {
    throw InvalidArgument(Parameter::spin, shortest(statistics.spin), Reason::spin_mismatch,
                          {statistics.statistics == Statistics::bose ? "bose" : "fermi"});
  }
}

double partial_wave_weight(const SpinStatistics& statistics, int l) {
  if (statistics.statistics == Statistics::boltzmann) return 1.0;
  const double I = statistics.spin;
  const double symmetric = 2.0 * (I + 1.0) / (2.0 * I + 1.0), antisymmetric = 2.0 * I / (2.0 * I + 1.0);
  // The spin states symmetric under exchange go with even l for bosons, odd l for fermions.
  const bool even = l % 2 == 0;
  return (statistics.statistics == Statistics::bose) == even ? symmetric : antisymmetric;
}

namespace {

// Gauss-Kronrod 7-15 on [-1, 1]: the Kronrod nodes, their weights, and the
// Gauss weights of the nodes they share (0 elsewhere).
struct KronrodRule {
  std::array<double, 15> x{}, kronrod{}, gauss{};
  KronrodRule() {
    using GK = boost::math::quadrature::gauss_kronrod<double, 15>;
    using G = boost::math::quadrature::gauss<double, 7>;
    const auto& xa = GK::abscissa();
    const auto& wk = GK::weights();
    const auto& xg = G::abscissa();
    const auto& wg = G::weights();
    std::size_t n = 0;
    for (std::size_t i = 0; i < xa.size(); ++i) {
      for (const double sign : {-1.0, 1.0}) {
        if (xa[i] == 0.0 && sign > 0.0) continue;
        x[n] = sign * xa[i];
        kronrod[n] = wk[i];
        for (std::size_t g = 0; g < xg.size(); ++g) {
          if (std::abs(xg[g] - xa[i]) < 1e-15) gauss[n] = wg[g];
        }
        ++n;
      }
    }
  }
};

// I_s(l) = Int_0^inf x^(2-s) j_l(x)^2 dx, so that the Born phase shift of
// g c r^-s is -g c k^(s-2) I_s(l); from Int x^-lambda J_nu^2 dx (Gradshteyn
// and Ryzhik 6.574.2) with lambda = s - 1, nu = l + 1/2. Needs l > (s-5)/2.
double born_integral(double s, int l) {
  const double A = l + 0.5 * (3.0 - s), C = l + 0.5 * (1.0 + s);
  return 0.5 * std::numbers::pi * std::exp(std::lgamma(s - 1.0) + std::lgamma(A) - std::lgamma(C) -
                                           (s - 1.0) * std::numbers::ln2 - 2.0 * std::lgamma(0.5 * s));
}

// The Born part of (2a/pi) Int k delta_l e^(-a k^2) dk for one tail term
// {c, s}, per unit I_s(l): -g c Gamma(s/2) a^(1 - s/2)/pi.
double born_moment(double g, const std::pair<double, double>& term, double a) {
  const double s = term.second;
  return -g * term.first * std::tgamma(0.5 * s) * std::pow(a, 1.0 - 0.5 * s) / std::numbers::pi;
}

// e^-t^2 t is below 1e-17 of its peak beyond this t = k sqrt(a).
constexpr double t_cutoff = 6.6;

}  // namespace

ExactSecondVirial::ExactSecondVirial(RadialPotential potential, double de_boer, SpinStatistics statistics,
                                     double T_star_min, double T_star_max, unsigned threads, double max_wavenumber)
    : de_boer_(de_boer),
      statistics_(statistics),
      T_star_min_(T_star_min),
      T_star_max_(T_star_max),
      potential_(std::move(potential)) {
  check_scattering_arguments(de_boer, 0, 1.0);
  check_spin_statistics(statistics);
  if (!(std::isfinite(T_star_min) && std::isfinite(T_star_max) && T_star_min > 0.0 && T_star_min <= T_star_max)) {
    throw InvalidArgument(Parameter::temperature, shortest(T_star_min), Reason::not_positive);
  }
  const double four_pi2 = two_pi * two_pi;
  // The phase shifts serve T* up to where they need wavenumbers beyond
  // max_wavenumber; the semiclassical series answers above.
  double T_hi = T_star_max;
  const double k_needed = t_cutoff * two_pi * std::sqrt(T_star_max) / de_boer;
  if (k_needed > max_wavenumber) {
    T_hi = T_star_max * (max_wavenumber / k_needed) * (max_wavenumber / k_needed);
    if (!potential_.source) {
      throw InvalidArgument(Parameter::quantum, shortest(T_star_max), Reason::too_costly, {shortest(T_hi)});
    }
    series_above_ = T_hi;
  }
  const double T_lo = std::min(T_star_min, T_hi);
  const double a_max = de_boer * de_boer / (four_pi2 * T_lo);  // the lowest T
  const double a_min = de_boer * de_boer / (four_pi2 * T_hi);
  const double k_max = t_cutoff / std::sqrt(a_min);
  static const KronrodRule rule;

  // The two integrals the grid must get right: at the lowest and the highest T.
  const auto weight = [&](double k, double a) { return 2.0 * a / std::numbers::pi * k * std::exp(-a * k * k); };

  const double g = four_pi2 / (de_boer * de_boer);
  // Where the tail terms are the whole potential, the bounds on what the tail
  // beyond the matching point adds are sharp, and 1e-11 rad a shift moves B
  // by at most some 1e-9 of itself (measured: helium's mie:10,6 at T* 0.3-20,
  // 1.1e-9; neon's lj at T* 0.7-5, 4e-12); the
  // first-principles potentials, with C8, C10 and retardation beyond their
  // C6 term, keep the default 1e-12.
  PhaseShiftOptions shift_options;
  if (potential_.tail_is_whole) shift_options.tail_tolerance = 1e-11;
  const auto compute_wave = [&](int l) {
    Wave wave{l, partial_wave_weight(statistics_, l) * (2.0 * l + 1.0), {}, {}, {}};
    if (wave.weight == 0.0) return wave;
    wave.energies = bound_state_energies(potential_, de_boer, l);
    // Adaptive Gauss-Kronrod panels: geometric in k (e^-a k^2 k changes on a
    // scale ~ k), split until both end integrals agree with their Gauss
    // estimate to 1e-11 relative (1e-15 absolute).
    struct Panel {
      double lo, hi;
      int depth;
    };
    std::vector<Panel> todo;
    const double k_first = std::min(k_max, 0.5 / std::sqrt(a_max));
    todo.push_back({0.0, k_first, 0});
    for (double lo = k_first; lo < k_max;) {
      const double hi = std::min(k_max, 1.6 * lo);
      todo.push_back({lo, hi, 0});
      lo = hi;
    }
    while (!todo.empty()) {
      const Panel panel = todo.back();
      todo.pop_back();
      const double mid = 0.5 * (panel.lo + panel.hi), half = 0.5 * (panel.hi - panel.lo);
      std::array<double, 15> k{}, delta{};
      double error = 0.0, size = 0.0, floor = 0.0;
      for (std::size_t i = 0; i < 15; ++i) {
        k[i] = mid + half * rule.x[i];
        // Where the wave meets only the weak tail, its first Born phase shift
        // is below 1e-6 and the rest, of order its square, below 1e-12 rad:
        // the Born shift serves (only where the terms are the whole potential).
        double first_born = 0.0;
        bool born_serves = potential_.tail_is_whole;
        for (const auto& term : potential_.tail_terms) {
          if (!(l > 0.5 * (term.second - 5.0) + 1.0)) born_serves = false;
          else first_born -= g * term.first * std::pow(k[i], term.second - 2.0) * born_integral(term.second, l);
        }
        delta[i] = born_serves && std::abs(first_born) < 1e-6 ? first_born : phase_shift(potential_, de_boer, l, k[i], shift_options);
      }
      for (const double a : {a_min, a_max}) {
        double kronrod = 0.0, gauss = 0.0, magnitude = 0.0, plain = 0.0;
        for (std::size_t i = 0; i < 15; ++i) {
          const double f = weight(k[i], a) * delta[i] * half;
          kronrod += rule.kronrod[i] * f;
          gauss += rule.gauss[i] * f;
          magnitude += rule.kronrod[i] * std::abs(f);
          plain += rule.kronrod[i] * weight(k[i], a) * half;
        }
        error = std::max(error, std::abs(kronrod - gauss));
        size = std::max(size, magnitude);
        floor = std::max(floor, plain);
      }
      // The phase shifts themselves are good to some 1e-10 rad: no finer.
      if (error > 1e-9 * size + 1e-10 * floor && panel.depth < 12) {
        todo.push_back({panel.lo, mid, panel.depth + 1});
        todo.push_back({mid, panel.hi, panel.depth + 1});
        continue;
      }
      for (std::size_t i = 0; i < 15; ++i) {
        wave.k.push_back(k[i]);
        wave.w_delta.push_back(rule.kronrod[i] * half * delta[i]);
      }
    }
    return wave;
  };

  // The partial waves in blocks, until a whole block differs from its Born
  // phase shifts by less than 2e-9 of the sum at both end temperatures (the
  // difference, second order in the shifts, falls as l^-10 or faster, so
  // what the later blocks would add is a fraction of the last one, some
  // 1e-9 of B); the waves beyond take their Born shifts, summed in closed
  // form per term.
  const auto contribution = [&](const Wave& wave, double a, double T_star) {
    double sum = 0.0;
    for (const double E : wave.energies) sum += std::expm1(-E / T_star);
    for (std::size_t i = 0; i < wave.k.size(); ++i) sum += weight(wave.k[i], a) * wave.w_delta[i];
    return wave.weight * sum;
  };
  const auto born = [&](int l, double a) {
    double sum = 0.0;
    for (const auto& term : potential_.tail_terms) {
      if (l > 0.5 * (term.second - 5.0) + 1.0) sum += born_integral(term.second, l) * born_moment(g, term, a);
    }
    return partial_wave_weight(statistics_, l) * (2.0 * l + 1.0) * sum;
  };
  if (T_star_min > T_hi) {
    // Every T* asked for lies above what the phase shifts reach: the series
    // answers throughout, and what it leaves out is not measured here (it
    // would take the costliest preparation of all). The bound states still
    // describe the pair; their number falls with l.
    junction_difference_ = std::numeric_limits<double>::quiet_NaN();
    for (int l = 0;; ++l) {
      if (partial_wave_weight(statistics_, l) == 0.0) continue;
      const std::vector<double> energies = bound_state_energies(potential_, de_boer, l);
      if (energies.empty()) break;
      for (const double E : energies) bound_states_.push_back({l, E});
    }
    std::sort(bound_states_.begin(), bound_states_.end(),
              [](const BoundState& x, const BoundState& y) { return x.energy < y.energy; });
    return;
  }
  // Eight waves that count a block (sixteen l for spinless bosons, whose odd
  // l do not), shared among the threads.
  const std::size_t block = partial_wave_weight(statistics_, 1) == 0.0 ? 16 : 8;
  double total_low = 0.0, total_high = 0.0;
  int next_l = 0;
  for (;; next_l += static_cast<int>(block)) {
    std::vector<Wave> computed(block);
    for_each_block(block, 1, Parallelism{threads, nullptr}, [&](std::size_t begin, std::size_t end) {
      for (std::size_t i = begin; i < end; ++i) computed[i] = compute_wave(next_l + static_cast<int>(i));
    });
    double beyond_born_low = 0.0, beyond_born_high = 0.0;
    for (Wave& wave : computed) {
      const double low = contribution(wave, a_max, T_lo), high = contribution(wave, a_min, T_hi);
      total_low += low, total_high += high;
      beyond_born_low += low - born(wave.l, a_max);
      beyond_born_high += high - born(wave.l, a_min);
      for (const double E : wave.energies) bound_states_.push_back({wave.l, E});
      waves_.push_back(std::move(wave));
    }
    const bool born_enough = !potential_.tail_terms.empty() &&
                             std::abs(beyond_born_low) <= 2e-9 * std::abs(total_low) &&
                             std::abs(beyond_born_high) <= 2e-9 * std::abs(total_high);
#ifdef LENNARD_DEBUG_WAVES
    std::fprintf(stderr, "l %d beyond-Born %.3e %.3e of %.6e %.6e nodes %zu\n", next_l, beyond_born_low, beyond_born_high, total_low, total_high, waves_.back().k.size());
#endif
    // A tail the Born terms describe only in part (the retarded dispersion of
    // helium) leaves a difference falling as l^-3: the waves stop at a few
    // times the largest k (in 1/sigma), where it is some 1e-7 of the sum.
    if (born_enough || next_l + static_cast<int>(block) > 40 + 4 * static_cast<int>(k_max)) break;
  }
  next_l += static_cast<int>(block);
  // Sum_(l >= next_l) w_l (2l+1) I_s(l): directly for 4000 waves, then
  // I_s ~ c l^(1-s) and the weights averaging 1 give ~ 2c N^(3-s)/(s-3).
  for (const auto& term : potential_.tail_terms) {
    const double s_power = term.second;
    double sum = 0.0;
    const int last = next_l + 4000;
    for (int l = last - 1; l >= next_l; --l) {
      sum += partial_wave_weight(statistics_, l) * (2.0 * l + 1.0) * born_integral(s_power, l);
    }
    const double c = 0.5 * std::numbers::pi *
                     std::exp(std::lgamma(s_power - 1.0) - (s_power - 1.0) * std::numbers::ln2 -
                              2.0 * std::lgamma(0.5 * s_power));
    sum += 2.0 * c * std::pow(static_cast<double>(last), 3.0 - s_power) / (s_power - 3.0);
    born_tail_.push_back(sum);
  }
  std::sort(bound_states_.begin(), bound_states_.end(),
            [](const BoundState& x, const BoundState& y) { return x.energy < y.energy; });
  if (std::isfinite(series_above_)) junction_difference_ = phase_shift_sum(T_hi).B - semiclassical(T_hi).B;
}

ReducedVirial ExactSecondVirial::semiclassical(double T_star) const {
  // Exchange falls off as exp(-(core/thermal wavelength)^2) long before the
  // phase shifts stop: what remains is Boltzmann's B.
  ReducedVirial v = reduced_virial_exact(*potential_.source, T_star);
  const ReducedVirial shift = reduced_quantum_shift(*potential_.source, T_star, de_boer_, 2);
  return {v.B + shift.B, v.dB_dT + shift.dB_dT};
}

ReducedVirial ExactSecondVirial::reduced_exchange(double T_star) const {
  if (statistics_.statistics == Statistics::boltzmann) return {0.0, 0.0};
  const double sign = statistics_.statistics == Statistics::bose ? -1.0 : 1.0;
  const double B = sign * std::pow(de_boer_ * de_boer_ / (two_pi * T_star), 1.5) /
                   (std::pow(2.0, 2.5) * (2.0 * statistics_.spin + 1.0));
  return {B, -1.5 * B / T_star};
}

ReducedVirial ExactSecondVirial::reduced(double T_star) const {
  if (!(T_star >= T_star_min_ * (1.0 - 1e-9) && T_star <= T_star_max_ * (1.0 + 1e-9))) {
    throw InvalidArgument(Parameter::temperature, shortest(T_star), Reason::outside_prepared_range,
                          {shortest(T_star_min_), shortest(T_star_max_)});
  }
  return T_star > series_above_ || waves_.empty() ? semiclassical(T_star) : phase_shift_sum(T_star);
}

ReducedVirial ExactSecondVirial::phase_shift_sum(double T_star) const {
  const double a = de_boer_ * de_boer_ / (two_pi * two_pi * T_star);
  // S = Sum_l w (2l+1) [...] and dS/dT*, with da/dT* = -a/T*.
  double S = 0.0, dS = 0.0;
  for (const Wave& wave : waves_) {
    double s = 0.0, ds = 0.0;
    for (const double E : wave.energies) {
      s += std::expm1(-E / T_star);
      ds += E / (T_star * T_star) * std::exp(-E / T_star);
    }
    for (std::size_t i = 0; i < wave.k.size(); ++i) {
      const double k = wave.k[i], f = 2.0 / std::numbers::pi * k * std::exp(-a * k * k) * wave.w_delta[i];
      s += a * f;
      ds += -a / T_star * f * (1.0 - a * k * k);
    }
    S += wave.weight * s;
    dS += wave.weight * ds;
  }
  const double g = two_pi * two_pi / (de_boer_ * de_boer_);
  for (std::size_t i = 0; i < born_tail_.size(); ++i) {
    const double moment = born_moment(g, potential_.tail_terms[i], a);
    S += born_tail_[i] * moment;
    dS += born_tail_[i] * moment * (0.5 * potential_.tail_terms[i].second - 1.0) / T_star;
  }
  const double c = -0.5 * std::pow(de_boer_ * de_boer_ / std::numbers::pi, 1.5);
  const double t32 = std::pow(T_star, -1.5);
  const ReducedVirial exchange = reduced_exchange(T_star);
  return {exchange.B + c * t32 * S, exchange.dB_dT + c * (t32 * dS - 1.5 * t32 / T_star * S)};
}

}  // namespace lennard
