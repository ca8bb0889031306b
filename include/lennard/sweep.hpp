// The temperature sweep: T runs from T1 by repeated addition of dT while it
// does not exceed T2. The number of rows follows from that running sum, so it
// is 100 or 101 for the default sweep depending on how the additions round.
#pragma once

#include <cstddef>
#include <vector>

#include "lennard/errors.hpp"

namespace lennard {

struct Sweep {
  double T1;  // first temperature, K
  double T2;  // upper bound, K
  double dT;  // step, K
};

// (T2 - T1) / 100 with the difference formed exactly and the quotient rounded
// to double once. Uses the 64-bit-significand long double where there is one.
double temperature_step(double T1, double T2);

// The same quotient from an exact two-sum of the difference and a corrected
// division in double; for platforms whose long double is plain double.
double temperature_step_two_sum(double T1, double T2);

// Refuses parameters no sweep can be built from: non-finite values, epsilon = 0,
// sigma <= 0, and an epsilon whose fivefold overflows.
void check_parameters(double epsilon, double sigma);

// T1 = epsilon, T2 = 5 epsilon, dT = (T2 - T1)/100. A negative epsilon gives
// T2 < T1 and so an empty sweep.
Sweep default_sweep(double epsilon);

inline constexpr std::size_t max_rows = 1'000'000;

// The temperatures of the sweep. Throws InputError when a step would not
// advance T or the sweep would exceed row_limit rows.
std::vector<double> temperature_grid(const Sweep& sweep, std::size_t row_limit = max_rows);

}  // namespace lennard
