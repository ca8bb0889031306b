#include "lennard/physics/compressibility.hpp"

#include <boost/math/tools/toms748_solve.hpp>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

#include "lennard/physics/constants.hpp"

namespace lennard {

GasState gas_state(double T_K, double P_bar, double B_cm3_per_mol, double C_cm6_per_mol2) {
  constexpr double nan = std::numeric_limits<double>::quiet_NaN();
  const double RT_over_P = gas_constant_cm3_bar_per_mol_K * T_K / P_bar;  // cm3/mol
  const double beta = B_cm3_per_mol / RT_over_P;
  const double gamma = C_cm6_per_mol2 / (RT_over_P * RT_over_P);
  // Z = 1 + delta: delta^3 + 2 delta^2 + (1 - beta) delta - (beta + gamma) = 0.
  const double a = 2.0, b = 1.0 - beta, c = -(beta + gamma);
  const auto q = [=](double d) { return ((d + a) * d + b) * d + c; };
  const auto dq = [=](double d) { return (3.0 * d + 2.0 * a) * d + b; };

  // Every real root lies within Cauchy's bound. The largest one is above the
  // local minimum of q when q is negative there, and below the local maximum
  // otherwise (q is then increasing through its only root).
  const double bound = 1.0 + std::max({a, std::fabs(b), std::fabs(c)});
  double lo = -bound, hi = bound;
  const double discriminant = a * a - 3.0 * b;  // of q' / 3
  if (discriminant > 0.0) {
    const double root = std::sqrt(discriminant);
    const double local_max = (-a - root) / 3.0, local_min = (-a + root) / 3.0;
    if (q(local_min) <= 0.0) lo = local_min;
    else hi = local_max;
  }
  if (!(q(lo) <= 0.0 && q(hi) >= 0.0)) return {nan, nan};
  std::uintmax_t iterations = 200;
  const auto bracket =
      boost::math::tools::toms748_solve(q, lo, hi, boost::math::tools::eps_tolerance<double>(), iterations);
  double delta = bracket.first + (bracket.second - bracket.first) / 2.0;
  for (int step = 0; step < 2; ++step) {
    const double slope = dq(delta);
    if (slope != 0.0) delta -= q(delta) / slope;
  }
  const double Z = 1.0 + delta;
  if (!(Z > 0.0) || !std::isfinite(Z)) return {nan, nan};
  return {Z * RT_over_P, Z};
}

}  // namespace lennard
