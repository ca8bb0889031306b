#include "lennard/physics/sweep.hpp"

#include <cmath>
#include <limits>
#include <string>

#include "lennard/physics/shortest.hpp"

namespace lennard {

namespace {

InvalidArgument too_many_rows(std::size_t row_limit) {
  return {Parameter::temperature_step, std::to_string(row_limit), Reason::too_many_rows};
}

InvalidArgument no_advance(double dT, double T) {
  return {Parameter::temperature_step, shortest(dT), Reason::does_not_advance, {shortest(T)}};
}

}  // namespace

double temperature_step_two_sum(double T1, double T2) {
  // hi + lo == T2 - T1 exactly (Knuth's two-sum).
  const double hi = T2 - T1;
  const double T2_part = hi + T1;
  const double minus_T1_part = hi - T2_part;
  const double lo = (T2 - T2_part) + (-T1 - minus_T1_part);
  // q + (hi - 100 q + lo)/100; the residual hi - 100 q is exact through fma.
  const double q = hi / 100.0;
  const double residual = std::fma(-q, 100.0, hi) + lo;
  return q + residual / 100.0;
}

double temperature_step(double T1, double T2) {
  if constexpr (std::numeric_limits<long double>::digits >= 64) {
    // Two doubles within a factor of eight differ by at most 56 significant
    // bits, so this difference is exact in a 64-bit significand.
    const long double difference = static_cast<long double>(T2) - static_cast<long double>(T1);
    return static_cast<double>(difference / 100.0L);
  } else {
    return temperature_step_two_sum(T1, T2);
  }
}

void check_parameters(double epsilon, double sigma) {
  if (!std::isfinite(epsilon) || !std::isfinite(sigma)) {
    if (!std::isfinite(epsilon)) throw InvalidArgument(Parameter::epsilon, shortest(epsilon), Reason::not_finite);
    throw InvalidArgument(Parameter::sigma, shortest(sigma), Reason::not_finite);
  }
  if (epsilon == 0.0) {
    throw InvalidArgument(Parameter::epsilon, shortest(epsilon), Reason::zero);
  }
  if (!std::isfinite(epsilon * 5.0)) {
    throw InvalidArgument(Parameter::epsilon, shortest(epsilon), Reason::too_large);
  }
  if (!(sigma > 0.0)) {
    throw InvalidArgument(Parameter::sigma, shortest(sigma), Reason::not_positive);
  }
}

Sweep default_sweep(double epsilon) {
  const double T1 = epsilon;
  const double T2 = epsilon * 5.0;
  return {T1, T2, temperature_step(T1, T2)};
}

std::vector<double> temperature_grid(const Sweep& sweep, std::size_t row_limit) {
  std::vector<double> grid;
  for (double T = sweep.T1; T <= sweep.T2; T = T + sweep.dT) {
    if (grid.size() == row_limit) {
      throw too_many_rows(row_limit);
    }
    grid.push_back(T);
    // A sweep that starts at its bound is that one temperature, whatever the step.
    if (T == sweep.T2) break;
    if (!(T + sweep.dT > T)) {
      throw no_advance(sweep.dT, T);
    }
  }
  return grid;
}


std::vector<double> evenly_spaced_grid(const Sweep& sweep, std::size_t row_limit) {
  if (sweep.T2 == sweep.T1) return {sweep.T1};
  if (!(sweep.T2 > sweep.T1)) return {};
  if (!(sweep.T1 + sweep.dT > sweep.T1)) throw no_advance(sweep.dT, sweep.T1);
  const double intervals = (sweep.T2 - sweep.T1) / sweep.dT;
  if (!(intervals < static_cast<double>(row_limit))) throw too_many_rows(row_limit);
  const double nearest = std::round(intervals);
  const bool ends_on_T2 = std::fabs(intervals - nearest) <= sweep_end_tolerance * nearest;
  const auto last = static_cast<std::size_t>(ends_on_T2 ? nearest : std::floor(intervals));
  if (last + 1 > row_limit) throw too_many_rows(row_limit);
  std::vector<double> grid(last + 1);
  for (std::size_t i = 0; i <= last; ++i) {
    grid[i] = sweep.T1 + static_cast<double>(i) * sweep.dT;
    // Far from T1 a step below an ulp of T would repeat a temperature.
    if (i > 0 && !(grid[i] > grid[i - 1])) throw no_advance(sweep.dT, grid[i - 1]);
  }
  if (ends_on_T2) grid[last] = sweep.T2;
  return grid;
}

}  // namespace lennard
