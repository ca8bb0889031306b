// A saturation line in the form of the ancillary equations published with
// reference equations of state:
//   ln(p/p_r) = (T_r/T) sum_i n_i (1 - T/T_r)^t_i,
// reduced by the critical point for the vapour pressure and by the triple
// point for the sublimation pressure.
#pragma once

#include <limits>
#include <vector>

namespace lennard {

struct SaturationLine {
  double T_r_K = std::numeric_limits<double>::quiet_NaN();
  double p_r_MPa = std::numeric_limits<double>::quiet_NaN();
  std::vector<double> n, t;

  bool empty() const { return n.empty(); }
  // p at T (0 < T <= T_r), in MPa.
  double pressure_MPa(double T_K) const;
};

}  // namespace lennard
