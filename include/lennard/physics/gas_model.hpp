// One gas, pure or mixed, as every front end sees it: what it is made of, the
// virial coefficients it answers in laboratory units, and where its own
// approximations stop being trustworthy. The quantum-corrected B in cm^3/mol
// is assembled here and nowhere else.
#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "lennard/physics/characteristic.hpp"
#include "lennard/physics/compressibility.hpp"
#include "lennard/physics/gas_library.hpp"
#include "lennard/physics/mixture.hpp"
#include "lennard/physics/phase.hpp"
#include "lennard/physics/potential.hpp"
#include "lennard/physics/quantum_exact.hpp"
#include "lennard/physics/second_virial.hpp"
#include "lennard/physics/series.hpp"

namespace lennard {

// A pure gas. With de_boer (Lambda*, from its molar mass by de_boer_parameter)
// B carries the first quantum correction.
struct PureGas {
  Potential potential = LennardJones{};
  double epsilon_K = 1.0;  // any positive value for hard spheres
  double sigma_A = 1.0;
  Method method = Method::series;
  std::optional<double> de_boer;
  std::string name;                  // the library gas, if any
  bool fitted_with_quantum = false;  // its parameters describe B only with the correction
  int quantum_order = 1;             // with de_boer: 1 (hbar^2) or 2 (adds hbar^4)
  // With de_boer: B and dB/dT exact (phase shifts and bound states, with the
  // nuclear-spin statistics) instead of the Wigner-Kirkwood series.
  bool quantum_exact = false;
  SpinStatistics statistics{};
  // A library gas's fitted range: beyond it B is an extrapolation of the model.
  std::optional<std::pair<double, double>> fit_range_K{};
};

// A library gas by the series (what its parameters were fitted with), with
// its quantum correction when asked.
PureGas library_gas(const Gas& gas, bool quantum);

// A library gas as a mixture's component: its Lennard-Jones fit, whatever its
// default model, for the Lorentz-Berthelot rules combine pairs of one shape
// and every fitted gas has that one. A gas not fitted keeps its potential.
Component mixture_component(const Gas& gas, double mole_fraction);

// B (cm^3/mol) and dB/dT (cm^3/(mol K), NaN unless asked), the classical B
// and a binary mixture's cross coefficient B12 (NaN otherwise).
struct SecondVirial {
  double B, dB_dT, B_classical, B12;
};

// C (cm^6/mol^2) and dC/dT (cm^6/(mol^2 K), NaN unless asked).
struct ThirdVirial {
  double C, dC_dT;
};

// B of a pure gas with its first quantum correction when de_boer is given:
// the assembly every front end, the fit's curve included, shares.
SecondVirial pure_second_virial(const Potential& potential, double epsilon_K, double sigma_A, Method method,
                                std::optional<double> de_boer, double T_K, bool with_derivative,
                                int quantum_order = 1);

// The same in reduced units, B* and dB*/dT* of the exact series.
ReducedVirial reduced_pure_second_virial(const Potential& potential, double T_star, std::optional<double> de_boer,
                                         int quantum_order = 1);

enum class DiagnosticKind {
  // The hbar^2 correction exceeds 9% of max(|B_classical|, b0), where order 1
  // is off by 1% from the exact quantum B (helium below some 55 K).
  quantum_expansion_unreliable,
  // Parameters fitted with the quantum correction, used without it: B drifts
  // from the data at low T.
  quantum_fit_used_classically,
  // The virial equation truncated after C has no gas root at the pressure.
  no_gas_root,
  // A library gas above its vapour (or sublimation) pressure: liquid or solid.
  condensed,
  // A library gas below its triple point, without a sublimation line, at a
  // pressure below the triple point's: solid or gas is not known.
  below_triple_point,
  // The gas denser than half the critical density, where the series
  // truncated after C no longer holds.
  dense_gas,
  // A library gas outside the range of T its parameters were fitted over.
  outside_fitted_range,
  // The exact quantum B continued by its semiclassical series (to hbar^4)
  // above the T the phase shifts reach.
  exact_continued_by_series,
};

// Its name in the Python and JavaScript diagnostics: "outside_fitted_range".
const char* diagnostic_kind_name(DiagnosticKind kind);

// One finding over the temperatures examined: the lowest and highest T it
// holds at and how many of them (NaN and 0 when examined at none), and the
// gas it concerns (a component's name in a mixture).
struct Diagnostic {
  DiagnosticKind kind;
  double T_lo_K, T_hi_K;
  std::size_t count;
  std::string gas;
  // outside_fitted_range: the range fitted, which the warning names;
  // exact_continued_by_series: the T where the series takes over, twice.
  std::pair<double, double> range_K{};
  // exact_continued_by_series: the exact B less the series there, cm^3/mol.
  double junction_difference_cm3_per_mol = 0.0;
};

class GasModel {
 public:
  // Throws std::invalid_argument for quantum_exact without de_boer.
  explicit GasModel(PureGas gas);
  // A mixture by the exact series; with quantum every pair gets its own
  // correction. Components named after library gases carry their flags.
  GasModel(Mixture mixture, bool quantum);

  bool is_mixture() const { return !mixture_.components.empty(); }
  bool quantum() const { return quantum_; }
  const PureGas& pure() const { return pure_; }
  const Mixture& mixture() const { return mixture_; }
  // sigma, or a mixture's one-fluid diameter: sigma_x^3 = Sum x_i x_j sigma_ij^3.
  double sigma_A() const { return sigma_A_; }
  // b0 = 2 pi N_A sigma^3 / 3 in cm^3/mol.
  double b0_cm3_per_mol() const;

  // With quantum_exact: prepares the phase shifts and bound states once for
  // every T in [T_lo_K, T_hi_K] (seconds: do it before the rows, not per row);
  // nothing otherwise. Copies share what was prepared.
  void prepare_quantum(double T_lo_K, double T_hi_K, unsigned threads = 0);
  // With quantum_exact, the bound states of the pair (those prepared, or found
  // now); empty otherwise.
  std::vector<BoundState> bound_states() const;
  // With the prepared states: the T above which B is the semiclassical series
  // (the phase shifts would cost too much), if the prepared range reaches it.
  std::optional<double> exact_series_above_K() const;

  // With quantum_exact, B and dB/dT come from the prepared states when T lies
  // in the prepared range, otherwise from states prepared for T alone (slow).
  SecondVirial second_virial(double T_K, bool with_derivative = true) const;
  double B(double T_K) const { return second_virial(T_K, false).B; }
  double dB_dT(double T_K) const { return second_virial(T_K, true).dB_dT; }
  // C has no quantum correction. A pure gas's C comes from its shape's
  // representation (universal_third_virial.hpp), or with Method::quadrature
  // from the direct rule it was built from.
  // threads: for a mixture's triangles (0: one per core).
  ThirdVirial third_virial(double T_K, bool with_derivative, unsigned threads = 0) const;
  GasState state(double T_K, double P_bar) const;
  // The gas root from B and C already computed, NaN where a library gas is
  // not a gas at (T, P) (condensed, or below its triple point unknown).
  GasState gas_state(double T_K, double P_bar, double B_cm3_per_mol, double C_cm6_per_mol2) const;
  // Where the gas stands at (T, P): always a gas but for a library gas.
  Phase phase(double T_K, double P_bar) const;
  // The critical density the truncated series is judged by (mol/cm^3): a
  // library gas's, or the Lennard-Jones fluid's for the 12-6 potential; none
  // for other potentials and mixtures.
  std::optional<double> critical_density_mol_per_cm3() const;

  // Boyle, inversion and maximum of B, with every sign change of B; pure
  // gases only. With quantum_exact they are sought for T* in
  // [exact_search_T_star.first, .second] only (preparing beyond costs minutes),
  // and the range is reported in searched_K. Where B changes sign more than once the Boyle temperature is
  // the highest, above which B stays positive.
  Characteristics characteristics() const;

  // The validity rules, applied to values already computed at T_K: B and
  // B_classical (equal without quantum), Z and the pressure of each row P_bar
  // (both empty without a pressure).
  std::vector<Diagnostic> diagnostics(const std::vector<double>& T_K, const std::vector<double>& B,
                                      const std::vector<double>& B_classical, const std::vector<double>& Z,
                                      const std::vector<double>& P_bar = {}) const;
  // The same, computing the values (Z only with a pressure).
  std::vector<Diagnostic> diagnostics(const std::vector<double>& T_K,
                                      std::optional<double> pressure_bar = std::nullopt) const;
  // Adds to all (the diagnostics of some of the points) those of others of
  // the same model: ranges joined, counts added, the kinds in the order
  // diagnostics() gives them, so that points examined in parts give what
  // they give examined together.
  static void merge_diagnostics(std::vector<Diagnostic>& all, const std::vector<Diagnostic>& more);

 private:
  PureGas pure_;
  Mixture mixture_;
  bool quantum_ = false;
  double sigma_A_ = 0.0;
  std::vector<std::string> fitted_with_quantum_;  // the gases whose parameters carry the correction
  const Gas* library_gas_ = nullptr;                // the library entry of a pure gas named after one
  std::shared_ptr<const ExactSecondVirial> exact_;  // with quantum_exact, once prepared
  double exact_T_lo_K_ = 0.0, exact_T_hi_K_ = 0.0;   // the range it was prepared for
};

// The reduced temperatures the characteristic temperatures of an exact quantum
// B are sought between.
inline constexpr std::pair<double, double> exact_search_T_star{0.3, 20.0};

}  // namespace lennard
