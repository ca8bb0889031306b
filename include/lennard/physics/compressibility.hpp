// The gas described by the virial equation of state truncated after C:
//   P = (RT/V) (1 + B/V + C/V^2).
#pragma once

namespace lennard {

struct GasState {
  double V_cm3_per_mol;  // molar volume; NaN where the truncated equation has no gas root
  double Z;              // compressibility factor PV/(RT); NaN likewise
};

// The gas root: the largest real V, when it is positive. In Z = PV/(RT) the
// equation is Z^3 - Z^2 - beta Z - gamma = 0 with beta = BP/(RT) and
// gamma = C (P/(RT))^2; it is solved for delta = Z - 1, which carries no
// cancellation when beta is tiny, bracketed, found by TOMS 748 and polished by
// Newton steps.
GasState gas_state(double T_K, double P_bar, double B_cm3_per_mol, double C_cm6_per_mol2);

}  // namespace lennard
