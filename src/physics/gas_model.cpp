#include "lennard/physics/gas_model.hpp"

#include <boost/math/tools/roots.hpp>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <iterator>
#include <limits>
#include <stdexcept>
#include <utility>

#include "lennard/physics/constants.hpp"
#include "lennard/physics/quantum.hpp"
#include "lennard/physics/reduced_units.hpp"
#include "lennard/physics/third_virial.hpp"
#include "lennard/physics/universal_third_virial.hpp"

namespace lennard {

namespace {

constexpr double nan = std::numeric_limits<double>::quiet_NaN();

// Where the hbar^2 term passes 9% of max(|B_classical|, b0), B at order 1 is
// off by 1% from the exact quantum B: Lennard-Jones, T* = 2, Lambda* 0.8 and
// 1 (6.4% and 10%: 0.47% and 1.2% off, the error growing as the square).
constexpr double unreliable_correction = 0.09;

// The rows where holds(i) is true, as one diagnostic.
template <class Predicate>
std::optional<Diagnostic> where(DiagnosticKind kind, const std::vector<double>& T_K, const std::string& gas,
                                Predicate holds) {
  Diagnostic d{kind, nan, nan, 0, gas, {}, 0.0};
  for (std::size_t i = 0; i < T_K.size(); ++i) {
    if (!holds(i)) continue;
    d.T_lo_K = d.count == 0 ? T_K[i] : std::min(d.T_lo_K, T_K[i]);
    d.T_hi_K = d.count == 0 ? T_K[i] : std::max(d.T_hi_K, T_K[i]);
    ++d.count;
  }
  if (d.count == 0) return std::nullopt;
  return d;
}

// Every sign change of f on a logarithmic grid of T* from t_lo to t_hi (some
// 70 points a decade, finer than any two roots of these potentials lie),
// each refined by TOMS 748 to full precision. Only where f is a number on both
// sides: far below T* = 1e-2 the series and the correction overflow.
template <class F>
std::vector<double> sign_changes(F f, double t_lo = 1e-2, double t_hi = 1e3) {
  std::vector<double> roots;
  const double decades = std::log10(t_hi / t_lo);
  const int points = 1 + static_cast<int>(std::ceil(70.0 * decades));
  const auto t_at = [&](int k) {
    return k == points - 1 ? t_hi : t_lo * std::pow(10.0, decades * k / (points - 1));
  };
  double t0 = t_at(0), f0 = f(t0);
  for (int k = 1; k < points; ++k) {
    const double t1 = t_at(k), f1 = f(t1);
    if (std::isfinite(f0) && std::isfinite(f1) && (f0 < 0.0) != (f1 < 0.0) && f0 != 0.0) {
      if (f1 == 0.0) {
        roots.push_back(t1);
      } else {
        std::uintmax_t iterations = 200;
        const auto bracket = boost::math::tools::toms748_solve(f, t0, t1, f0, f1,
                                                                boost::math::tools::eps_tolerance<double>(),
                                                                iterations);
        roots.push_back(bracket.first + (bracket.second - bracket.first) / 2.0);
      }
    }
    t0 = t1;
    f0 = f1;
  }
  return roots;
}

// B* of the exact quantum model at T* alone, from states prepared for it.
ReducedVirial exact_at(const PureGas& gas, double T_star) {
  return ExactSecondVirial(radial_potential(gas.potential), *gas.de_boer, gas.statistics, T_star, T_star)
      .reduced(T_star);
}

// Boyle (the last sign change of B), inversion (the last of B - T dB/dT) and
// maximum of B (dB/dT from + to -) of the exact quantum B, sought for T* in
// [t_lo, t_hi] only.
Characteristics exact_characteristics(const ExactSecondVirial& exact, double t_lo, double t_hi, double epsilon_K,
                                      double sigma_A) {
  Characteristics result;
  result.searched_K = std::pair(t_lo * epsilon_K, t_hi * epsilon_K);
  std::vector<double> roots = sign_changes([&](double t) { return exact.reduced(t).B; }, t_lo, t_hi);
  for (double& t : roots) t *= epsilon_K;
  if (!roots.empty()) result.boyle_temperature_K = roots.back();
  result.boyle_temperatures_K = std::move(roots);
  const std::vector<double> inversions = sign_changes(
      [&](double t) {
        const ReducedVirial v = exact.reduced(t);
        return v.B - t * v.dB_dT;
      },
      t_lo, t_hi);
  if (!inversions.empty()) result.inversion_temperature_K = inversions.back() * epsilon_K;
  for (const double t : sign_changes([&](double t) { return exact.reduced(t).dB_dT; }, t_lo, t_hi)) {
    if (exact.reduced(t * (1.0 - 1e-6)).dB_dT > 0.0) {
      result.max_B_temperature_K = t * epsilon_K;
      result.max_B_cm3_per_mol = laboratory_B(exact.reduced(t).B, sigma_A);
    }
  }
  return result;
}

}  // namespace

PureGas library_gas(const Gas& gas, bool quantum) {
  PureGas pure{gas.potential, gas.epsilon_K, gas.sigma_A, Method::series, std::nullopt, gas.name,
               gas.fitted_with_quantum};
  pure.fit_range_K = gas.fit_range_K;
  if (quantum) pure.de_boer = de_boer_parameter(gas.epsilon_K, gas.sigma_A, gas.molar_mass_g_per_mol);
  return pure;
}

Component mixture_component(const Gas& gas, double mole_fraction) {
  const Gas lj = gas.models.empty() ? gas : gas_with_model(gas, LennardJones{});
  return {lj.name, lj.potential, lj.epsilon_K, lj.sigma_A, lj.molar_mass_g_per_mol, mole_fraction};
}

SecondVirial pure_second_virial(const Potential& potential, double epsilon_K, double sigma_A, Method method,
                                std::optional<double> de_boer, double T_K, bool with_derivative,
                                int quantum_order) {
  SecondVirial v{second_virial_B(method, potential, epsilon_K, sigma_A, T_K),
                 with_derivative ? second_virial_dB_dT(method, potential, epsilon_K, sigma_A, T_K) : nan, 0.0, nan};
  v.B_classical = v.B;
  if (de_boer) {
    const ReducedVirial shift = reduced_quantum_shift(potential, T_K / epsilon_K, *de_boer, quantum_order);
    v.B += laboratory_B(shift.B, sigma_A);
    if (with_derivative) v.dB_dT += laboratory_dB_dT(shift.dB_dT, sigma_A, epsilon_K);
  }
  return v;
}

ReducedVirial reduced_pure_second_virial(const Potential& potential, double T_star, std::optional<double> de_boer,
                                         int quantum_order) {
  ReducedVirial v = reduced_virial_exact(potential, T_star);
  if (de_boer) {
    const ReducedVirial shift = reduced_quantum_shift(potential, T_star, *de_boer, quantum_order);
    v.B += shift.B;
    v.dB_dT += shift.dB_dT;
  }
  return v;
}

GasModel::GasModel(PureGas gas) : pure_(std::move(gas)), quantum_(pure_.de_boer.has_value()), sigma_A_(pure_.sigma_A) {
  if (pure_.quantum_exact) {
    if (!quantum_) throw std::invalid_argument("GasModel: the exact quantum B needs de Boer's parameter");
    radial_potential(pure_.potential);  // the refusals, before anything is computed
    check_spin_statistics(pure_.statistics);
  }
  if (!quantum_ && pure_.fitted_with_quantum) fitted_with_quantum_.push_back(pure_.name);
  if (pure_.name.empty()) return;
  const std::string key = folded_gas_name(pure_.name);
  for (const Gas& entry : gas_library()) {
    bool named = folded_gas_name(entry.name) == key;
    for (const std::string& alias : entry.aliases) named = named || folded_gas_name(alias) == key;
    if (named && !key.empty()) library_gas_ = &entry;
  }
  // Helium from first principles (helium-4, helium-3) is a quantum gas: its
  // classical B is far from the real one at low T.
  if (!quantum_ && library_gas_ != nullptr && library_gas_->fitted_data.empty() &&
      std::holds_alternative<HeliumAbInitio>(library_gas_->potential)) {
    fitted_with_quantum_.push_back(library_gas_->name);
  }
}

GasModel::GasModel(Mixture mixture, bool quantum) : mixture_(std::move(mixture)), quantum_(quantum) {
  const std::vector<Component>& parts = mixture_.components;
  if (parts.empty()) throw std::invalid_argument("GasModel: a mixture needs at least one component");
  pure_.potential = parts.front().potential;
  pure_.epsilon_K = nan;
  double sigma3 = 0.0;
  for (std::size_t i = 0; i < parts.size(); ++i) {
    for (std::size_t j = 0; j < parts.size(); ++j) {
      const double s = pair_interaction(parts[i], parts[j], 0.0).sigma_A;
      sigma3 += parts[i].mole_fraction * parts[j].mole_fraction * s * s * s;
    }
  }
  sigma_A_ = std::cbrt(sigma3);
  pure_.sigma_A = sigma_A_;
  if (quantum_) return;
  for (const Component& c : parts) {
    for (const Gas& gas : gas_library()) {
      if (gas.name == c.name && gas.fitted_with_quantum) fitted_with_quantum_.push_back(c.name);
    }
  }
}

double GasModel::b0_cm3_per_mol() const { return two_pi_over_3 * molar_volume_cm3_per_mol(sigma_A_); }

void GasModel::prepare_quantum(double T_lo_K, double T_hi_K, unsigned threads) {
  if (!pure_.quantum_exact || is_mixture()) return;
  exact_ = std::make_shared<const ExactSecondVirial>(radial_potential(pure_.potential), *pure_.de_boer,
                                                     pure_.statistics, T_lo_K / pure_.epsilon_K,
                                                     T_hi_K / pure_.epsilon_K, threads);
  exact_T_lo_K_ = T_lo_K;
  exact_T_hi_K_ = T_hi_K;
}

std::vector<BoundState> GasModel::bound_states() const {
  if (!pure_.quantum_exact) return {};
  if (exact_) return exact_->bound_states();
  // The bound states do not depend on the range of T the waves are prepared for.
  return ExactSecondVirial(radial_potential(pure_.potential), *pure_.de_boer, pure_.statistics, 1.0, 1.0)
      .bound_states();
}

const char* diagnostic_kind_name(DiagnosticKind kind) {
  switch (kind) {
    case DiagnosticKind::quantum_expansion_unreliable: return "quantum_expansion_unreliable";
    case DiagnosticKind::quantum_fit_used_classically: return "quantum_fit_used_classically";
    case DiagnosticKind::no_gas_root: return "no_gas_root";
    case DiagnosticKind::condensed: return "condensed";
    case DiagnosticKind::below_triple_point: return "below_triple_point";
    case DiagnosticKind::dense_gas: return "dense_gas";
    case DiagnosticKind::outside_fitted_range: return "outside_fitted_range";
    case DiagnosticKind::exact_continued_by_series: return "exact_continued_by_series";
  }
  return "";
}

std::optional<double> GasModel::exact_series_above_K() const {
  if (!exact_ || !std::isfinite(exact_->series_above())) return std::nullopt;
  return exact_->series_above() * pure_.epsilon_K;
}

SecondVirial GasModel::second_virial(double T_K, bool with_derivative) const {
  if (is_mixture()) {
    const MixtureSecondVirial b = mixture_second_virial(mixture_, T_K, quantum_);
    return {b.B, with_derivative ? b.dB_dT : nan, b.B_classical, b.B12};
  }
  if (pure_.quantum_exact) {
    SecondVirial v = pure_second_virial(pure_.potential, pure_.epsilon_K, pure_.sigma_A, pure_.method, std::nullopt,
                                        T_K, false);
    const double t = T_K / pure_.epsilon_K;
    const ReducedVirial q =
        exact_ && T_K >= exact_T_lo_K_ && T_K <= exact_T_hi_K_ ? exact_->reduced(t) : exact_at(pure_, t);
    v.B = laboratory_B(q.B, pure_.sigma_A);
    v.dB_dT = with_derivative ? laboratory_dB_dT(q.dB_dT, pure_.sigma_A, pure_.epsilon_K) : nan;
    return v;
  }
  return pure_second_virial(pure_.potential, pure_.epsilon_K, pure_.sigma_A, pure_.method, pure_.de_boer, T_K,
                            with_derivative, pure_.quantum_order);
}

ThirdVirial GasModel::third_virial(double T_K, bool with_derivative, unsigned threads) const {
  if (is_mixture()) {
    const MixtureThirdVirial c = mixture_third_virial(mixture_, T_K, with_derivative, threads);
    return {c.C, c.dC_dT};
  }
  // The shape's representation; the direct rule, its reference, with -m quadrature.
  const double T_star = T_K / pure_.epsilon_K;
  const ReducedThirdVirial c = pure_.method == Method::quadrature
                                   ? reduced_third_virial(pure_.potential, T_star, with_derivative)
                                   : reduced_third_virial_universal(pure_.potential, T_star, with_derivative);
  return {laboratory_C(c.C, pure_.sigma_A),
          with_derivative ? laboratory_dC_dT(c.dC_dT, pure_.sigma_A, pure_.epsilon_K) : nan};
}

GasState GasModel::state(double T_K, double P_bar) const {
  return gas_state(T_K, P_bar, B(T_K), third_virial(T_K, false).C);
}

Phase GasModel::phase(double T_K, double P_bar) const {
  return library_gas_ == nullptr ? Phase::gas : phase_at(*library_gas_, T_K, P_bar);
}

GasState GasModel::gas_state(double T_K, double P_bar, double B_cm3_per_mol, double C_cm6_per_mol2) const {
  if (phase(T_K, P_bar) != Phase::gas) return {nan, nan};
  return lennard::gas_state(T_K, P_bar, B_cm3_per_mol, C_cm6_per_mol2);
}

std::optional<double> GasModel::critical_density_mol_per_cm3() const {
  if (is_mixture()) return std::nullopt;
  if (library_gas_ != nullptr) {
    const double rho_c = library_gas_->critical_density_mol_per_m3 * 1e-6;
    return std::isfinite(rho_c) ? std::optional<double>(rho_c) : std::nullopt;
  }
  if (!std::holds_alternative<LennardJones>(pure_.potential)) return std::nullopt;
  // rho* = rho N_A sigma^3, the molar volume of sigma^3 being N_A sigma^3.
  return lj_critical_density_star / molar_volume_cm3_per_mol(sigma_A_);
}

Characteristics GasModel::characteristics() const {
  if (is_mixture()) throw std::invalid_argument("GasModel: characteristic temperatures are for a pure gas");
  if (pure_.quantum_exact) {
    const auto [t_lo, t_hi] = exact_search_T_star;
    const double eps = pure_.epsilon_K;
    if (exact_ && exact_T_lo_K_ <= t_lo * eps && exact_T_hi_K_ >= t_hi * eps) {
      return exact_characteristics(*exact_, t_lo, t_hi, eps, pure_.sigma_A);
    }
    const ExactSecondVirial exact(radial_potential(pure_.potential), *pure_.de_boer, pure_.statistics, t_lo, t_hi);
    return exact_characteristics(exact, t_lo, t_hi, eps, pure_.sigma_A);
  }
  Characteristics result = lennard::characteristics(pure_.potential, pure_.epsilon_K, pure_.sigma_A, pure_.de_boer,
                                                        pure_.quantum_order);
  if (std::holds_alternative<HardSpheres>(pure_.potential)) return result;
  std::vector<double> roots =
      sign_changes([&](double t) {
        return reduced_pure_second_virial(pure_.potential, t, pure_.de_boer, pure_.quantum_order).B;
      });
  for (double& t : roots) t *= pure_.epsilon_K;
  std::optional<double>& boyle = result.boyle_temperature_K;
  if (boyle && !roots.empty()) {
    // The root the Boyle search found stands for the scan's nearest one, so
    // that both report the same number.
    auto nearest = std::min_element(roots.begin(), roots.end(), [&](double a, double b) {
      return std::fabs(a - *boyle) < std::fabs(b - *boyle);
    });
    *nearest = *boyle;
  } else if (boyle) {
    roots.push_back(*boyle);  // beyond the scan
  }
  // Where B changes sign more than once (a large quantum correction at low
  // T), the Boyle temperature is the last one, above which B stays positive.
  if (!roots.empty()) boyle = roots.back();
  result.boyle_temperatures_K = std::move(roots);
  return result;
}

std::vector<Diagnostic> GasModel::diagnostics(const std::vector<double>& T_K, const std::vector<double>& B,
                                              const std::vector<double>& B_classical, const std::vector<double>& Z,
                                              const std::vector<double>& P_bar) const {
  std::vector<Diagnostic> found;
  const std::string name = is_mixture() ? std::string() : pure_.name;
  for (const std::string& gas : fitted_with_quantum_) {
    Diagnostic d{DiagnosticKind::quantum_fit_used_classically, nan, nan, 0, gas, {}, 0.0};
    if (auto all = where(d.kind, T_K, gas, [](std::size_t) { return true; })) d = *all;
    found.push_back(d);
  }
  if (const auto& range = pure_.fit_range_K; range && !is_mixture()) {
    if (auto d = where(DiagnosticKind::outside_fitted_range, T_K, name, [&](std::size_t i) {
          return T_K[i] < range->first || T_K[i] > range->second;
        })) {
      d->range_K = *range;
      found.push_back(*d);
    }
  }
  if (!Z.empty()) {
    const auto phase_of = [&](std::size_t i) { return P_bar.empty() ? Phase::gas : phase(T_K[i], P_bar[i]); };
    const std::pair<DiagnosticKind, Phase> states[] = {{DiagnosticKind::condensed, Phase::condensed},
                                                       {DiagnosticKind::below_triple_point, Phase::unknown},
                                                       {DiagnosticKind::no_gas_root, Phase::gas}};
    for (const auto& [kind, state_of_kind] : states) {
      const Phase state = state_of_kind;  // a copy the lambda can capture (clang 14)
      if (auto d = where(kind, T_K, name, [&](std::size_t i) { return std::isnan(Z[i]) && phase_of(i) == state; })) {
        found.push_back(*d);
      }
    }
    // rho = P/(Z R T) against half the critical density.
    if (const std::optional<double> rho_c = critical_density_mol_per_cm3(); rho_c && !P_bar.empty()) {
      if (auto d = where(DiagnosticKind::dense_gas, T_K, name, [&](std::size_t i) {
            return P_bar[i] / (Z[i] * gas_constant_cm3_bar_per_mol_K * T_K[i]) > 0.5 * *rho_c;
          })) {
        found.push_back(*d);
      }
    }
  }
  if (exact_ && std::isfinite(exact_->series_above())) {
    const double junction_K = exact_->series_above() * pure_.epsilon_K;
    if (auto d = where(DiagnosticKind::exact_continued_by_series, T_K, name,
                       [&](std::size_t i) { return T_K[i] > junction_K; })) {
      d->range_K = {junction_K, junction_K};
      d->junction_difference_cm3_per_mol = laboratory_B(exact_->series_junction_difference(), pure_.sigma_A);
      found.push_back(*d);
    }
  }
  if (quantum_ && !pure_.quantum_exact) {
    // Relative to b0 where B_classical passes through zero: near the Boyle
    // point any correction would otherwise look large.
    const double b0 = b0_cm3_per_mol();
    if (auto d = where(DiagnosticKind::quantum_expansion_unreliable, T_K, name, [&](std::size_t i) {
          return std::fabs(B[i] - B_classical[i]) > unreliable_correction * std::max(std::fabs(B_classical[i]), b0);
        })) {
      found.push_back(*d);
    }
  }
  return found;
}

void GasModel::merge_diagnostics(std::vector<Diagnostic>& all, const std::vector<Diagnostic>& more) {
  for (const Diagnostic& d : more) {
    const auto same = std::find_if(all.begin(), all.end(),
                                   [&](const Diagnostic& a) { return a.kind == d.kind && a.gas == d.gas; });
    if (same == all.end()) {
      all.push_back(d);
      continue;
    }
    same->T_lo_K = same->count == 0 ? d.T_lo_K : d.count == 0 ? same->T_lo_K : std::min(same->T_lo_K, d.T_lo_K);
    same->T_hi_K = same->count == 0 ? d.T_hi_K : d.count == 0 ? same->T_hi_K : std::max(same->T_hi_K, d.T_hi_K);
    same->count += d.count;
  }
  // The order of the checks in diagnostics() above.
  constexpr DiagnosticKind order[] = {DiagnosticKind::quantum_fit_used_classically,
                                      DiagnosticKind::outside_fitted_range,
                                      DiagnosticKind::condensed,
                                      DiagnosticKind::below_triple_point,
                                      DiagnosticKind::no_gas_root,
                                      DiagnosticKind::dense_gas,
                                      DiagnosticKind::exact_continued_by_series,
                                      DiagnosticKind::quantum_expansion_unreliable};
  const auto rank = [&](DiagnosticKind kind) { return std::find(std::begin(order), std::end(order), kind) - order; };
  std::stable_sort(all.begin(), all.end(), [&](const Diagnostic& a, const Diagnostic& b) { return rank(a.kind) < rank(b.kind); });
}

std::vector<Diagnostic> GasModel::diagnostics(const std::vector<double>& T_K, std::optional<double> pressure_bar) const {
  std::vector<double> B(T_K.size()), B_classical(T_K.size()), Z;
  for (std::size_t i = 0; i < T_K.size(); ++i) {
    const SecondVirial b = second_virial(T_K[i], false);
    B[i] = b.B;
    B_classical[i] = b.B_classical;
  }
  std::vector<double> P;
  if (pressure_bar) {
    Z.resize(T_K.size());
    P.assign(T_K.size(), *pressure_bar);
    for (std::size_t i = 0; i < T_K.size(); ++i) {
      Z[i] = gas_state(T_K[i], *pressure_bar, B[i], third_virial(T_K[i], false).C).Z;
    }
  }
  return diagnostics(T_K, B, B_classical, Z, P);
}

}  // namespace lennard
