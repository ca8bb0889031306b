#include "lennard/physics/series.hpp"

#include <boost/math/special_functions/gamma.hpp>

#include <array>
#include <cmath>
#include <numbers>
#include <type_traits>

#include "lennard/physics/quadrature.hpp"

namespace lennard {

namespace {

// c_0 = 2^(1/2)/4 Gamma(-1/4) and c_1 = 2^(3/2)/4 Gamma(1/4), from mpmath at
// 40 digits: Gamma(-1/4) = -4.901666809860710580516... and
// Gamma(1/4) = 3.625609908221908311930...
constexpr double c0 = -1.7330009201847700;
constexpr double c1 = 2.5636933520408474;

// Factors (2n-1) / ((n+1)(n+2)) of the two-step recurrence.
constexpr int tabulated_factors = 1024;
const std::array<double, tabulated_factors>& recurrence_factors() {
  static const std::array<double, tabulated_factors> factors = [] {
    std::array<double, tabulated_factors> f{};
    for (int n = 0; n < tabulated_factors; ++n) {
      f[static_cast<std::size_t>(n)] = (2.0 * n - 1.0) / ((n + 1.0) * (n + 2.0));
    }
    return f;
  }();
  return factors;
}

double recurrence_factor(int n) {
  if (n < tabulated_factors) return recurrence_factors()[static_cast<std::size_t>(n)];
  return (2.0 * n - 1.0) / ((n + 1.0) * (n + 2.0));
}

// Stop once a term is below this fraction of the sum of magnitudes: the tail
// decreases faster than geometrically by then.
constexpr double negligible = 1e-18;
constexpr int max_terms = 1 << 20;

// Sums the series at T*; with_derivative also forms sum (2n+1)/4 t_n.
template <bool with_derivative>
ReducedVirial sum_series(double T_star) {
  const double inv_T = 1.0 / T_star;
  const double quarter = std::sqrt(std::sqrt(inv_T));  // T*^(-1/4)

  // Terms t_n = c_n T*^(-(2n+1)/4), the even and odd ones in two chains.
  double even = c0 * quarter;                    // t_0
  double odd = c1 * quarter * std::sqrt(inv_T);  // t_1
  double sum = even + odd;
  double magnitude = std::fabs(even) + odd;
  double weighted = 0.25 * even + 0.75 * odd;
  for (int n = 2; n < max_terms; n += 2) {
    even = even * recurrence_factor(n - 2) * inv_T;
    odd = odd * recurrence_factor(n - 1) * inv_T;
    sum += even + odd;
    magnitude += even + odd;
    if constexpr (with_derivative) {
      weighted += (2.0 * n + 1.0) / 4.0 * even + (2.0 * n + 3.0) / 4.0 * odd;
    }
    if (!(even >= negligible * magnitude) || !std::isfinite(magnitude)) break;
  }
  return {-two_pi_over_3 * sum, with_derivative ? two_pi_over_3 * weighted * inv_T : 0.0};
}

// The Mie series. Integrating B* = -2 pi Int (e^(-u/T*) - 1) x^2 dx by parts
// gives -(2 pi/3) Int x^3 (u'/T*) e^(-u/T*) dx; with u/T* = K (x^-n - x^-m),
// K = C/T*, expanding e^(K x^-m) in powers and substituting z = K x^-n term
// by term leaves Gamma functions:
//   B* = -(2 pi/3) (3/n) K^(3/n) sum_{i>=0} c_i y^i,
//   c_i = Gamma((m i - 3)/n) / i!,  y = K^((n-m)/n).
// For n = 12, m = 6 (C = 4) it is the Lennard-Jones series term by term.
// Only c_0 = Gamma(-3/n) is negative. The table holds c_0, c_1 and then the
// ratios c_i / c_(i-1) = Gamma(a + m/n) / Gamma(a) / i, a = (m (i-1) - 3)/n,
// from Boost's tgamma_delta_ratio, so that no term over- or underflows
// before the sum does.
constexpr std::size_t mie_tabulated = 1024;

double mie_ratio(double n, double m, std::size_t i) {
  const double a = (m * static_cast<double>(i - 1) - 3.0) / n;
  return 1.0 / (boost::math::tgamma_delta_ratio(a, m / n) * static_cast<double>(i));
}

ReducedVirial mie_series(const Mie& mie, double T_star) {
  const double n = mie.n();
  const double m = mie.m();
  const std::vector<double>& table = mie.series_table();
  // K^((n-m)/n) and K^(3/n) from one logarithm: cheaper than pow twice.
  const double log_K = std::log(mie.prefactor() / T_star);
  const double y = std::exp((n - m) / n * log_K);
  const double scale = -two_pi_over_3 * 3.0 / n * std::exp(3.0 / n * log_K);

  double term = table[1] * y;
  double sum = table[0] + term;
  double magnitude = std::fabs(table[0]) + term;
  // For the derivative: t_i ~ T*^-(3 + i (n - m))/n, so the sum of i t_i.
  double i_weighted = term;
  for (std::size_t i = 2; i < static_cast<std::size_t>(max_terms); ++i) {
    // ratio * y first keeps one multiplication on the chain of terms.
    const double step = (i < table.size() ? table[i] : mie_ratio(n, m, i)) * y;
    term = term * step;
    sum += term;
    magnitude += term;
    i_weighted += static_cast<double>(i) * term;
    if ((!(term >= negligible * magnitude) && step < 1.0) || !std::isfinite(magnitude)) break;
  }
  const double weighted = 3.0 / n * sum + (n - m) / n * i_weighted;
  return {scale * sum, -scale * weighted / T_star};
}

}  // namespace

std::vector<double> mie_series_table(double n, double m) {
  std::vector<double> table(mie_tabulated);
  table[0] = boost::math::tgamma(-3.0 / n);
  table[1] = boost::math::tgamma((m - 3.0) / n);
  for (std::size_t i = 2; i < mie_tabulated; ++i) table[i] = mie_ratio(n, m, i);
  return table;
}

ReducedVirial reduced_virial_series(double T_star) { return sum_series<true>(T_star); }

ReducedVirial reduced_virial_exact(const Potential& potential, double T_star) {
  return std::visit(
      [T_star](const auto& p) -> ReducedVirial {
        using Kind = std::decay_t<decltype(p)>;
        if constexpr (std::is_same_v<Kind, LennardJones>) {
          return reduced_virial_series(T_star);
        } else if constexpr (std::is_same_v<Kind, Mie>) {
          return mie_series(p, T_star);
        } else if constexpr (std::is_same_v<Kind, SquareWell>) {
          // B* = (2 pi/3) [1 - (lambda^3 - 1)(e^(1/T*) - 1)]: the core, and the
          // well's shell weighted by its Mayer function e^(1/T*) - 1.
          const double shell = p.lambda * p.lambda * p.lambda - 1.0;
          return {two_pi_over_3 * (1.0 - shell * std::expm1(1.0 / T_star)),
                  two_pi_over_3 * shell * std::exp(1.0 / T_star) / (T_star * T_star)};
        } else if constexpr (std::is_same_v<Kind, HeliumAbInitio>) {
          return reduced_virial_quadrature(p, T_star);
        } else {
          return {two_pi_over_3, 0.0};
        }
      },
      potential);
}

double virial_B_series(double epsilon_K, double sigma_A, double T_K) {
  return laboratory_B(sum_series<false>(T_K / epsilon_K).B, sigma_A);
}

double virial_dB_dT_series(double epsilon_K, double sigma_A, double T_K) {
  return laboratory_dB_dT(reduced_virial_series(T_K / epsilon_K).dB_dT, sigma_A, epsilon_K);
}

}  // namespace lennard
