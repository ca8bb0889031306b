// The exact second virial coefficient of the Lennard-Jones 12-6 gas as its
// convergent series in the reduced temperature T* = T/(epsilon/k_B):
//   B/(N_A sigma^3) = -(2 pi/3) sum_n 2^(n+1/2)/(4 n!) Gamma((2n-1)/4) T*^(-(2n+1)/4),
// in units of N_A sigma^3 (J. E. Jones, Proc. R. Soc. A 106, 463 (1924); Hirschfelder,
// Curtiss & Bird, Molecular Theory of Gases and Liquids, eq. 3.6-8).
// Evaluated in long double; used by the tests as an independent oracle.
#pragma once

#include <cmath>
#include <numbers>

namespace lennard::testing {

inline long double reduced_B_series(long double T_star) {
  long double sum = 0.0L;
  for (int n = 0; n < 200; ++n) {
    const long double term = std::pow(2.0L, n + 0.5L) / (4.0L * std::tgamma(n + 1.0L)) *
                             std::tgamma((2.0L * n - 1.0L) / 4.0L) *
                             std::pow(T_star, -(2.0L * n + 1.0L) / 4.0L);
    sum += term;
    if (n > 10 && std::fabs(term) < 1e-22L * std::fabs(sum)) break;
  }
  return -(2.0L * std::numbers::pi_v<long double> / 3.0L) * sum;
}

}  // namespace lennard::testing
