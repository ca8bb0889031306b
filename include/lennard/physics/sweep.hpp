// The temperature sweeps. The dialogue's (default) sweep runs T from T1 by
// repeated addition of dT while it does not exceed T2; the number of rows
// follows from that running sum, so it is 100 or 101 depending on how the
// additions round. A sweep the user asks for (--tmin, --tmax, --step) is
// T_i = T1 + i*dT instead, so that rounding neither accumulates nor drops T2.
#pragma once

#include <cstddef>
#include <vector>

#include "lennard/physics/errors.hpp"

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

// The temperatures of the sweep. Throws InvalidArgument when a step would not
// advance T or the sweep would exceed row_limit rows.
std::vector<double> temperature_grid(const Sweep& sweep, std::size_t row_limit = max_rows);

// Relative tolerance within which (T2 - T1)/dT counts as a whole number, so
// that T2 belongs to the sweep.
inline constexpr double sweep_end_tolerance = 1e-9;

// T_i = T1 + i*dT for i = 0, 1, ... while T_i <= T2; when (T2 - T1)/dT is a
// whole number k within sweep_end_tolerance (relative), the rows are
// i = 0..k and the last is T2 itself. T1 == T2 is the one row T1. Throws
// InvalidArgument like temperature_grid: a step that does not advance T, more than
// row_limit rows.
std::vector<double> evenly_spaced_grid(const Sweep& sweep, std::size_t row_limit = max_rows);

}  // namespace lennard
