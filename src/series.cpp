#include "lennard/series.hpp"

#include <array>
#include <cmath>
#include <numbers>

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
  constexpr double two_pi_over_3 = 2.0 * std::numbers::pi / 3.0;
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

}  // namespace

ReducedVirial reduced_virial_series(double T_star) { return sum_series<true>(T_star); }

double virial_B_series(double epsilon_K, double sigma_A, double T_K) {
  const double scale = avogadro_A3_exact_in_cm3_per_mol * sigma_A * sigma_A * sigma_A;
  return sum_series<false>(T_K / epsilon_K).B * scale;
}

double virial_dB_dT_series(double epsilon_K, double sigma_A, double T_K) {
  const double scale = avogadro_A3_exact_in_cm3_per_mol * sigma_A * sigma_A * sigma_A;
  return reduced_virial_series(T_K / epsilon_K).dB_dT * scale / epsilon_K;
}

}  // namespace lennard
