// The fit of epsilon and sigma to B with its first quantum correction:
//   B = sigma^3 g(T*) + sigma (L/epsilon) q(T*).
// For each epsilon the best sigma is the root of d(chi^2)/d(sigma), found by
// Newton's method from the classical sigma; the chi^2 left is minimised over
// ln(epsilon) at the root of its slope, bracketed around the classical fit.
// g, q and their T*-derivatives come from the series, so the slope (and the
// Jacobian) costs no more than chi^2.
#include <boost/math/tools/toms748_solve.hpp>

#include <cmath>
#include <cstdint>
#include <limits>
#include <utility>

#include "fit_detail.hpp"
#include "lennard/physics/constants.hpp"
#include "lennard/physics/errors.hpp"
#include "lennard/physics/quantum.hpp"
#include "lennard/physics/second_virial.hpp"
#include "lennard/physics/validation.hpp"

namespace lennard {

namespace {

using namespace fit_detail;

// The quantum model at one epsilon: g_i, c_i = (L/epsilon) q_i at every
// point, and their slopes in ln(epsilon), -h_i = -T* g'(T*) and -(c_i + k_i),
// k_i = (L/epsilon) T* q'(T*).
struct QuantumModel {
  std::vector<double> g, h, c, k;
};

QuantumModel quantum_model(const DataSet& data, const Potential& potential, double epsilon, double L,
                           const Parallelism& parallelism) {
  const std::size_t n = data.points.size();
  QuantumModel model{std::vector<double>(n), std::vector<double>(n), std::vector<double>(n), std::vector<double>(n)};
  const double unit = molar_volume_cm3_per_mol(1.0);
  const double scale = L / epsilon * unit * two_pi_over_3;
  for_each_block(n, 256, parallelism, [&](std::size_t begin, std::size_t end) {
    for (std::size_t i = begin; i < end; ++i) {
      const double T_star = data.points[i].T_K / epsilon;
      const ReducedVirial classical = reduced_virial_exact(potential, T_star);
      const ReducedVirial quantum = reduced_quantum_correction(potential, T_star);
      model.g[i] = classical.B * unit;
      model.h[i] = T_star * classical.dB_dT * unit;
      model.c[i] = scale * quantum.B;
      model.k[i] = scale * T_star * quantum.dB_dT;
    }
  });
  return model;
}

// The best sigma for one epsilon and the chi^2 left: Newton's method on
// d(chi^2)/d(sigma) = -2 sum w r (3 sigma^2 g + c), from the classical sigma.
std::pair<double, double> best_sigma(const DataSet& data, const QuantumModel& model) {
  double gb = 0.0, gg = 0.0;
  for (std::size_t i = 0; i < data.points.size(); ++i) {
    const double w = weight(data, data.points[i]);
    gb += w * model.g[i] * data.points[i].B_cm3_per_mol;
    gg += w * model.g[i] * model.g[i];
  }
  double sigma = gb > 0.0 && gg > 0.0 ? std::cbrt(gb / gg) : 1.0;
  for (int step = 0; step < 50; ++step) {
    double slope = 0.0, curvature = 0.0;
    for (std::size_t i = 0; i < data.points.size(); ++i) {
      const double w = weight(data, data.points[i]);
      const double g = model.g[i], c = model.c[i];
      const double r = data.points[i].B_cm3_per_mol - sigma * sigma * sigma * g - sigma * c;
      const double dB = 3.0 * sigma * sigma * g + c;
      slope += w * r * dB;
      curvature += w * (dB * dB - r * 6.0 * sigma * g);
    }
    if (!(curvature > 0.0)) break;
    const double next = sigma + slope / curvature;
    if (!(next > 0.0)) break;
    const bool converged = std::fabs(next - sigma) <= 1e-15 * sigma;
    sigma = next;
    if (converged) break;
  }
  double chi2 = 0.0;
  for (std::size_t i = 0; i < data.points.size(); ++i) {
    const double r = data.points[i].B_cm3_per_mol - sigma * sigma * sigma * model.g[i] - sigma * model.c[i];
    chi2 += weight(data, data.points[i]) * r * r;
  }
  return {sigma, std::isfinite(chi2) ? chi2 : std::numeric_limits<double>::infinity()};
}

// d(chi^2)/d(ln epsilon) / 2 at the best sigma (the envelope theorem drops the
// term in d(sigma)/d(epsilon)): sum w r dr/d(ln epsilon).
double profile_slope(const DataSet& data, const QuantumModel& model, double sigma) {
  const double s3 = sigma * sigma * sigma;
  double slope = 0.0;
  for (std::size_t i = 0; i < data.points.size(); ++i) {
    const double r = data.points[i].B_cm3_per_mol - s3 * model.g[i] - sigma * model.c[i];
    slope += weight(data, data.points[i]) * r * (s3 * model.h[i] + sigma * (model.c[i] + model.k[i]));
  }
  return slope;
}

}  // namespace

FitResult fit_virial_quantum(const DataSet& data, const Potential& potential, double molar_mass_g_per_mol,
                             const Parallelism& parallelism) {
  check_fittable(potential);
  if (!std::holds_alternative<LennardJones>(potential) && !std::holds_alternative<Mie>(potential)) {
    throw InvalidArgument(Parameter::quantum, potential_name(potential), Reason::needs_smooth_potential);
  }
  // Lambda*^2 = L / (sigma^2 epsilon), sigma in A and epsilon/k_B in K.
  const double L = de_boer_parameter(1.0, 1.0, molar_mass_g_per_mol) * de_boer_parameter(1.0, 1.0, molar_mass_g_per_mol);
  // The classical fit finds the valley; the quantum one is searched around it.
  const double classical_epsilon = fit_virial(data, potential, false, parallelism).epsilon_K;
  const auto slope_at = [&](double log_epsilon) {
    const QuantumModel model = quantum_model(data, potential, std::exp(log_epsilon), L, parallelism);
    return profile_slope(data, model, best_sigma(data, model).first);
  };
  // The slope rises through zero at the minimum: bracket it in steps of 0.05
  // from the classical ln(epsilon), at most ten each way.
  const FitNotDetermined far(FitFailure::quantum_far, {}, potential_name(potential));
  constexpr double step = 0.05;
  constexpr int max_steps = 10;
  const double log_classical = std::log(classical_epsilon);
  double lo = log_classical - step, hi = log_classical + step;
  double slope_lo = slope_at(lo), slope_hi = slope_at(hi);
  for (int k = 1; !(slope_lo < 0.0) && k < max_steps; ++k) slope_lo = slope_at(lo -= step);
  for (int k = 1; !(slope_hi > 0.0) && k < max_steps; ++k) slope_hi = slope_at(hi += step);
  if (!(slope_lo < 0.0) || !(slope_hi > 0.0)) throw far;
  constexpr std::uintmax_t max_iterations = 100;
  std::uintmax_t iterations = max_iterations;
  const auto root = boost::math::tools::toms748_solve(slope_at, lo, hi, slope_lo, slope_hi,
                                                      boost::math::tools::eps_tolerance<double>(), iterations);
  if (iterations >= max_iterations) throw NotConverged(static_cast<int>(max_iterations));
  const double epsilon = std::exp(root.first + (root.second - root.first) / 2.0);
  const QuantumModel model = quantum_model(data, potential, epsilon, L, parallelism);
  const double sigma = best_sigma(data, model).first;

  // The Jacobian in (epsilon, sigma), from the slopes of the series.
  const std::size_t n = data.points.size();
  const double s3 = sigma * sigma * sigma;
  std::vector<double> B_fit(n);
  std::vector<std::vector<double>> jacobian(2, std::vector<double>(n));
  for (std::size_t i = 0; i < n; ++i) {
    B_fit[i] = s3 * model.g[i] + sigma * model.c[i];
    jacobian[0][i] = -(s3 * model.h[i] + sigma * (model.c[i] + model.k[i])) / epsilon;
    jacobian[1][i] = 3.0 * sigma * sigma * model.g[i] + model.c[i];
  }
  FitResult result{};
  result.potential = potential;
  const LeastSquaresStatistics s = finish(result, data, std::move(B_fit), jacobian);
  result.epsilon_K = epsilon;
  result.sigma_A = sigma;
  result.epsilon_K_stderr = s.standard_errors[0];
  result.sigma_A_stderr = s.standard_errors[1];
  result.covariance = s.covariance;
  result.de_boer = de_boer_parameter(epsilon, sigma, molar_mass_g_per_mol);
  if (!s.determined()) throw FitNotDetermined(FitFailure::quantum_undetermined, {}, potential_name(potential));
  return result;
}

}  // namespace lennard
