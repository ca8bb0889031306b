// A saturation line, in one of two forms:
//  - reduced: the ancillary equations published with reference equations of
//    state, ln(p/p_r) = (T_r/T) sum_i n_i (1 - T/T_r)^t_i, reduced by the
//    critical point for the vapour pressure and by the triple point for the
//    sublimation pressure;
//  - powers_of_T: the older working equations of vapour-pressure temperature
//    scales, ln(p/p_r) = sum_i n_i (T/K)^t_i + c ln(T/K), with p_r the unit
//    of pressure they were written in (mm Hg, say) and T_r the top of the line.
#pragma once

#include <limits>
#include <vector>

namespace lennard {

struct SaturationLine {
  enum class Form { reduced, powers_of_T };

  double T_r_K = std::numeric_limits<double>::quiet_NaN();
  double p_r_MPa = std::numeric_limits<double>::quiet_NaN();
  std::vector<double> n, t;
  Form form = Form::reduced;
  double ln_T_coefficient = 0.0;  // c, of the powers_of_T form

  bool empty() const { return n.empty(); }
  // p at T (0 < T <= T_r), in MPa.
  double pressure_MPa(double T_K) const;
};

}  // namespace lennard
