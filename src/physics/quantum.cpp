#include "lennard/physics/quantum.hpp"

#include <boost/math/quadrature/tanh_sinh.hpp>
#include <boost/math/special_functions/gamma.hpp>

#include <cmath>
#include <exception>
#include <limits>
#include <numbers>
#include <type_traits>
#include <vector>

#include "lennard/physics/constants.hpp"
#include "lennard/physics/errors.hpp"
#include "lennard/physics/helium_potential.hpp"

namespace lennard {

double de_boer_parameter(double epsilon_K, double sigma_A, double molar_mass_g_per_mol) {
  const double m_kg = molar_mass_g_per_mol * 1e-3 / avogadro_per_mol;
  const double epsilon_J = boltzmann_J_per_K * epsilon_K;
  return planck_J_s / (sigma_A * 1e-10 * std::sqrt(m_kg * epsilon_J));
}

namespace {

// d_j / d_(j-1) = Gamma((m j - 1)/n) / Gamma((m (j-1) - 1)/n) / j, without
// forming either Gamma value.
double quantum_series_ratio(double n, double m, std::size_t j) {
  const double a = (m * static_cast<double>(j - 1) - 1.0) / n;
  return 1.0 / (boost::math::tgamma_delta_ratio(a, m / n) * static_cast<double>(j));
}

}  // namespace

std::vector<double> quantum_series_table_of(double n, double m) {
  std::vector<double> table(1024);
  table[0] = boost::math::tgamma(-1.0 / n);
  table[1] = boost::math::tgamma((m - 1.0) / n);
  for (std::size_t j = 2; j < table.size(); ++j) table[j] = quantum_series_ratio(n, m, j);
  return table;
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

// B_I* for u* = C (x^-n - x^-m) as a series of Gamma functions. Integrating
// by parts (e^(-u*/T*) u*' = -T* d e^(-u*/T*)/dx) turns u*'^2 x^2 / T*^3 back
// into the Laplacian, (u*'' x^2 + 2 x u*') / T*^2 = (C/T*^2) [n(n-1) x^-n
// - m(m-1) x^-m], whose two terms cancel far less than the three of u*'^2 do
// near the well. Each integrates as B* does (expand e^(K x^-m), K = C/T*,
// substitute z = K x^-n), and the i-th term of x^-m meets the (i+1)-th of x^-n
// (the same power of y = K^((n-m)/n); Gamma(z+1) = z Gamma(z) joins them):
//   B_I* = K^(1/n) / (16 pi^2 n T*) sum_{j>=0} (j m (n-m) - (n-1)) d_j y^j,
//   d_j = Gamma((m j - 1)/n) / j!.
// d_0 = Gamma(-1/n) is negative and so is its coefficient, -(n-1); the other
// terms are positive but for a few small j when n - m is small. The j-th term goes as
// T*^-(1 + (1 + j (n-m))/n), which gives the T*-derivative.
ReducedVirial first_order_series(const std::vector<double>& table, double C, double n, double m, double T) {
  const double log_K = std::log(C / T);
  const double log_y = (n - m) / n * log_K;
  const double y = std::exp(log_y);
  const double slope = m * (n - m), offset = n - 1.0;
  double d = table[1] * y;  // d_j y^j
  const double t0 = -offset * table[0], t1 = (slope - offset) * d;
  double sum = t0 + t1, magnitude = std::fabs(t0) + std::fabs(t1), j_weighted = t1, jj_weighted = t1;
  for (std::size_t j = 2; j < (std::size_t{1} << 20); ++j) {
    const double jd = static_cast<double>(j);
    const double step = (j < table.size() ? table[j] : quantum_series_ratio(n, m, j)) * y;
    d *= step;
    const double term = (slope * jd - offset) * d;
    sum += term;
    magnitude += std::fabs(term);
    j_weighted += jd * term;
    jj_weighted += jd * jd * term;
    if ((!(std::fabs(term) >= 1e-18 * magnitude) && step < 1.0) || !std::isfinite(magnitude)) break;
  }
  // The rounding of y, e^delta = e^log_y / y, enters the j-th term j times: where
  // the sum needs many terms (n - m small, T* low) it is worth taking back,
  // to first order, as y d/dy of each sum.
  if (std::isfinite(magnitude)) {
    const double delta = log_y - std::log(y);
    sum += delta * j_weighted;
    j_weighted += delta * jj_weighted;
  }
  const double scale = std::exp(log_K / n) / (16.0 * std::numbers::pi * std::numbers::pi * n * T);
  return {scale * sum, -scale * ((1.0 + 1.0 / n) * sum + (n - m) / n * j_weighted) / T};
}

const std::vector<double>& lennard_jones_quantum_table() {
  static const std::vector<double> table = quantum_series_table_of(12.0, 6.0);
  return table;
}

// B_II* for u* = C (x^-n - x^-m), as a series of Gamma functions. With
// K = C/T*, u*' = T* K g1 and u*'' = T* K g2, g1 = -n x^-(n+1) + m x^-(m+1),
// g2 = n(n+1) x^-(n+2) - m(m+1) x^-(m+2), the integrand of
//   B_II* = -1/(640 pi^4 T*^4) Int e^(-u*/T*) [u*''^2 + 2 (u*'/x)^2
//           + 10/(9 T* x) u*'^3 - 5/(36 T*^2) u*'^4] x^2 dx
// is T*^2 times a sum of monomials c K^p x^a, every one with a < -1. Each
// integrates as B* does: expanding e^(K x^-m) and substituting z = K x^-n,
//   Int x^a e^(-K (x^-n - x^-m)) dx = (1/n) K^((a+1)/n) sum_i Gamma((m i - a - 1)/n)/i! y^i,
// y = K^((n-m)/n), every term positive. A term in T*^-2 K^e has the
// T*-derivative -(2 + e)/T* times itself.
struct Monomial {
  double c;
  int K_power;
  double x_power;
};
using Polynomial = std::vector<Monomial>;  // in x, with one power of K

Polynomial times(const Polynomial& a, const Polynomial& b) {
  Polynomial out;
  for (const Monomial& p : a) {
    for (const Monomial& q : b) out.push_back({p.c * q.c, p.K_power + q.K_power, p.x_power + q.x_power});
  }
  return out;
}

Polynomial scaled(Polynomial p, double factor, int K_power, double x_power) {
  for (Monomial& t : p) t = {t.c * factor, t.K_power + K_power, t.x_power + x_power};
  return p;
}

ReducedVirial second_order_series(double C, double n, double m, double T) {
  const Polynomial g1{{-n, 1, -n - 1.0}, {m, 1, -m - 1.0}};
  const Polynomial g2{{n * (n + 1.0), 1, -n - 2.0}, {-m * (m + 1.0), 1, -m - 2.0}};
  const Polynomial g1_2 = times(g1, g1);
  Polynomial integrand = scaled(times(g2, g2), 1.0, 0, 2.0);
  for (const Polynomial& part : {scaled(g1_2, 2.0, 0, 0.0), scaled(times(g1_2, g1), 10.0 / 9.0, 0, 1.0),
                                 scaled(times(g1_2, g1_2), -5.0 / 36.0, 0, 2.0)}) {
    integrand.insert(integrand.end(), part.begin(), part.end());
  }
  const double log_K = std::log(C / T);
  const double y = std::exp((n - m) / n * log_K);
  double sum = 0.0, weighted = 0.0;  // weighted: sum of (2 + e) times each term
  for (const Monomial& t : integrand) {
    const double b0 = -(t.x_power + 1.0) / n;
    const double e0 = t.K_power - b0;
    double term = t.c / n * std::exp(e0 * log_K) * boost::math::tgamma(b0);
    double series = term, series_weighted = (2.0 + e0) * term, magnitude = std::fabs(term);
    for (int i = 1; i < (1 << 20); ++i) {
      const double b = b0 + m * (i - 1) / n;
      const double step = y / (boost::math::tgamma_delta_ratio(b, m / n) * i);
      term *= step;
      series += term;
      series_weighted += (2.0 + e0 + i * (n - m) / n) * term;
      magnitude += std::fabs(term);
      if ((!(std::fabs(term) >= 1e-18 * magnitude) && step < 1.0) || !std::isfinite(magnitude)) break;
    }
    sum += series;
    weighted += series_weighted;
  }
  const double factor = -1.0 / (640.0 * std::pow(std::numbers::pi, 4) * T * T);
  return {factor * sum, -factor * weighted / T};
}

// Helium from first principles: Int g(x) dx over the core 0 < x < 1 (split
// where the Boltzmann factor turns on, when that lies deep inside) and over
// the rest in t = 1/x, g(1/t)/t^2, where u*' ~ x^-7 makes every integrand
// below vanish fast as t -> 0. g gets x and u*, u*', u*''.
template <class G>
double helium_integral(G g, double T, double scale) {
  const auto at = [&](double x) {
    const helium::PairValue p = helium::reduced_pair_potential(x, scale);
    // Deep in the core the Boltzmann factor vanishes before u' overflows.
    const double boltzmann = std::exp(-p.u / T);
    return boltzmann == 0.0 ? 0.0 : boltzmann * g(x, p);
  };
  const double x_T = helium::reduced_core_radius(T, scale);
  const double core = x_T < 0.5 ? integrate(at, 0.0, x_T) + integrate(at, x_T, 1.0) : integrate(at, 0.0, 1.0);
  return core + integrate(
                    [&](double t) {
                      const double value = at(1.0 / t);
                      return value == 0.0 ? 0.0 : value / (t * t);  // t^2 may underflow where u* is 0
                    },
                    0.0, 1.0);
}

ReducedVirial helium_first(double T, double scale) {
  const double I = helium_integral([](double x, const helium::PairValue& p) { return p.du * p.du * x * x; }, T, scale);
  const double dI = helium_integral(
      [T](double x, const helium::PairValue& p) { return p.du * p.du * x * x * p.u / (T * T); }, T, scale);
  const double factor = 1.0 / (16.0 * std::numbers::pi * std::numbers::pi);
  return {factor * I / (T * T * T), factor * (dI / (T * T * T) - 3.0 * I / (T * T * T * T))};
}

// B_II* = K J, K = -1/(640 pi^4 T^4), J = Int e^(-u/T) (a + b/T + c/T^2) x^2 dx
// with a = u''^2 + 2 (u'/x)^2, b = 10/(9x) u'^3, c = -5/36 u'^4; dJ/dT brings
// down u/T^2 from the Boltzmann factor and differentiates b/T and c/T^2.
ReducedVirial helium_second(double T, double scale) {
  struct Terms {
    double a, b, c;
  };
  const auto terms = [](double x, const helium::PairValue& p) {
    const double d2 = p.du * p.du;
    return Terms{p.d2u * p.d2u + 2.0 * d2 / (x * x), 10.0 / (9.0 * x) * d2 * p.du, -5.0 / 36.0 * d2 * d2};
  };
  const double J = helium_integral(
      [&](double x, const helium::PairValue& p) {
        const Terms t = terms(x, p);
        return (t.a + t.b / T + t.c / (T * T)) * x * x;
      },
      T, scale);
  const double dJ = helium_integral(
      [&](double x, const helium::PairValue& p) {
        const Terms t = terms(x, p);
        return ((t.a + t.b / T + t.c / (T * T)) * p.u / (T * T) - t.b / (T * T) - 2.0 * t.c / (T * T * T)) * x * x;
      },
      T, scale);
  const double K = -1.0 / (640.0 * std::pow(std::numbers::pi, 4) * T * T * T * T);
  return {K * J, K * (dJ - 4.0 * J / T)};
}

// For u* = C (x^-n - x^-m): the integrals of e^(-u*/T) u*'^2 x^2 and of its
// T-derivative, e^(-u*/T) u*'^2 x^2 u*/T^2, on the core 0 < x < 1
// and on the tail in t = 1/x (where u*'^2 x^2 dx = u*'(1/t)^2 t^-4 dt decays
// as t^(2m-2)).
ReducedVirial soft_quadrature(double C, double n, double m, double T) {
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

ReducedVirial reduced_quantum_correction_quadrature(const Potential& potential, double T_star) {
  if (std::holds_alternative<LennardJones>(potential)) return soft_quadrature(4.0, 12.0, 6.0, T_star);
  if (const Mie* mie = std::get_if<Mie>(&potential)) return soft_quadrature(mie->prefactor(), mie->n(), mie->m(), T_star);
  return reduced_quantum_correction(potential, T_star);
}

ReducedVirial reduced_quantum_correction(const Potential& potential, double T_star) {
  return std::visit(
      [T_star](const auto& p) -> ReducedVirial {
        using Kind = std::decay_t<decltype(p)>;
        if constexpr (std::is_same_v<Kind, LennardJones>) {
          return first_order_series(lennard_jones_quantum_table(), 4.0, 12.0, 6.0, T_star);
        } else if constexpr (std::is_same_v<Kind, Mie>) {
          return first_order_series(p.quantum_series_table(), p.prefactor(), p.n(), p.m(), T_star);
        } else if constexpr (std::is_same_v<Kind, HeliumAbInitio>) {
          return helium_first(T_star, p.adiabatic_scale);
        } else {
          throw InvalidArgument(Parameter::quantum, potential_name(p), Reason::needs_smooth_potential);
        }
      },
      potential);
}

ReducedVirial reduced_second_quantum_correction(const Potential& potential, double T_star) {
  return std::visit(
      [T_star](const auto& p) -> ReducedVirial {
        using Kind = std::decay_t<decltype(p)>;
        if constexpr (std::is_same_v<Kind, LennardJones>) {
          return second_order_series(4.0, 12.0, 6.0, T_star);
        } else if constexpr (std::is_same_v<Kind, Mie>) {
          return second_order_series(p.prefactor(), p.n(), p.m(), T_star);
        } else if constexpr (std::is_same_v<Kind, HeliumAbInitio>) {
          return helium_second(T_star, p.adiabatic_scale);
        } else {
          throw InvalidArgument(Parameter::quantum, potential_name(p), Reason::needs_smooth_potential);
        }
      },
      potential);
}

ReducedVirial reduced_quantum_shift(const Potential& potential, double T_star, double de_boer, int order) {
  const ReducedVirial I = reduced_quantum_correction(potential, T_star);
  const double L2 = de_boer * de_boer;
  ReducedVirial shift{two_pi_over_3 * L2 * I.B, two_pi_over_3 * L2 * I.dB_dT};
  if (order >= 2) {
    const ReducedVirial II = reduced_second_quantum_correction(potential, T_star);
    shift.B += two_pi_over_3 * L2 * L2 * II.B;
    shift.dB_dT += two_pi_over_3 * L2 * L2 * II.dB_dT;
  }
  return shift;
}

}  // namespace lennard
