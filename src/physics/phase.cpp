#include "lennard/physics/phase.hpp"

#include <cmath>
#include <cstddef>

namespace lennard {

double SaturationLine::pressure_MPa(double T_K) const {
  double sum = 0.0;
  if (form == Form::powers_of_T) {
    for (std::size_t i = 0; i < n.size(); ++i) sum += n[i] * std::pow(T_K, t[i]);
    return p_r_MPa * std::exp(sum + ln_T_coefficient * std::log(T_K));
  }
  const double theta = 1.0 - T_K / T_r_K;
  for (std::size_t i = 0; i < n.size(); ++i) sum += n[i] * std::pow(theta, t[i]);
  return p_r_MPa * std::exp(T_r_K / T_K * sum);
}

Phase phase_at(const Gas& gas, double T_K, double P_bar) {
  const double P_MPa = P_bar / 10.0;
  if (gas.vapour_pressure.empty() || !(T_K < gas.critical_temperature_K)) return Phase::gas;
  if (T_K >= gas.triple_point_K) return P_MPa <= gas.vapour_pressure.pressure_MPa(T_K) ? Phase::gas : Phase::condensed;
  if (!gas.sublimation.empty()) return P_MPa <= gas.sublimation.pressure_MPa(T_K) ? Phase::gas : Phase::condensed;
  // The sublimation pressure rises with T up to the triple point's (its
  // slope is the latent heat over T dV, positive): above that pressure the
  // substance is condensed whatever the line.
  return P_MPa >= gas.vapour_pressure.pressure_MPa(gas.triple_point_K) ? Phase::condensed : Phase::unknown;
}

}  // namespace lennard
