// The fit of epsilon and sigma to B with its first quantum correction:
//   B = sigma^3 g(T*) + sigma (L/epsilon) q(T*).
// For each epsilon the best sigma is the root of d(chi^2)/d(sigma), found by
// Newton's method from the classical sigma; the chi^2 left is minimised over
// ln(epsilon) by Brent's method around the classical fit.
#include <cmath>
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

// The quantum model at one epsilon: g_i and c_i = (L/epsilon) q_i at every point.
struct QuantumModel {
  std::vector<double> g, c;
};

QuantumModel quantum_model(const DataSet& data, const Potential& potential, double epsilon, double L,
                           const Parallelism& parallelism) {
  const std::size_t n = data.points.size();
  QuantumModel model{std::vector<double>(n), std::vector<double>(n)};
  const double unit = molar_volume_cm3_per_mol(1.0);
  for_each_block(n, 64, parallelism, [&](std::size_t begin, std::size_t end) {
    for (std::size_t i = begin; i < end; ++i) {
      const double T_star = data.points[i].T_K / epsilon;
      model.g[i] = reduced_virial_exact(potential, T_star).B * unit;
      model.c[i] = L / epsilon * unit * two_pi_over_3 * reduced_quantum_correction(potential, T_star).B;
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
  const auto chi2_at = [&](double log_epsilon) {
    return best_sigma(data, quantum_model(data, potential, std::exp(log_epsilon), L, parallelism)).second;
  };
  const double epsilon = std::exp(
      minimum_near(chi2_at, std::log(classical_epsilon), 0.05, 10,
                   FitNotDetermined(FitFailure::quantum_far, {}, potential_name(potential))));
  const QuantumModel model = quantum_model(data, potential, epsilon, L, parallelism);
  const double sigma = best_sigma(data, model).first;

  // The Jacobian in (epsilon, sigma); dB/d(epsilon) by a central difference
  // at fixed sigma.
  const double de = 1e-6 * epsilon;
  const QuantumModel above = quantum_model(data, potential, epsilon + de, L, parallelism);
  const QuantumModel below = quantum_model(data, potential, epsilon - de, L, parallelism);
  const std::size_t n = data.points.size();
  const double s3 = sigma * sigma * sigma;
  std::vector<double> B_fit(n);
  std::vector<std::vector<double>> jacobian(2, std::vector<double>(n));
  for (std::size_t i = 0; i < n; ++i) {
    B_fit[i] = s3 * model.g[i] + sigma * model.c[i];
    jacobian[0][i] = (s3 * (above.g[i] - below.g[i]) + sigma * (above.c[i] - below.c[i])) / (2.0 * de);
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
