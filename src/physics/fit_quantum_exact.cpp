// The fit of epsilon and sigma to B with the exact quantum B of the potential
// (phase shifts, bound states and exchange):
//   B(T) = N_A sigma^3 B*(T/epsilon; Lambda*),  Lambda*^2 = L/(sigma^2 epsilon).
// Levenberg-Marquardt in x = (ln epsilon, ln Lambda*) from the first-order
// quantum fit (or the classical one). At fixed Lambda* the phase shifts stay,
// so the epsilon derivative is analytic (dB*/dT*); the Lambda* one is a
// difference of two preparations. Every preparation costs about a second for
// helium; a fit takes some five steps of two. (Broyden's secant update of the
// Lambda* column saved no preparations: it converged linearly.)
#include <algorithm>
#include <cmath>
#include <memory>
#include <utility>

#include "fit_detail.hpp"
#include "lennard/physics/constants.hpp"
#include "lennard/physics/errors.hpp"
#include "lennard/physics/quantum.hpp"
#include "lennard/physics/quantum_exact.hpp"
#include "lennard/physics/reduced_units.hpp"
#include "lennard/physics/validation.hpp"

namespace lennard {

namespace {

using namespace fit_detail;

// B*, and T* dB*/dT*, at every point for one (epsilon, Lambda*), with the
// phase shifts prepared over the points' T* range widened by a factor margin.
struct ExactModel {
  std::shared_ptr<const ExactSecondVirial> exact;
  std::vector<double> B, T_dB;
};

ExactModel exact_model(const DataSet& data, const RadialPotential& radial, double epsilon, double de_boer,
                       const SpinStatistics& statistics, double margin, const Parallelism& parallelism) {
  double T_lo = data.points.front().T_K, T_hi = T_lo;
  for (const DataPoint& p : data.points) T_lo = std::min(T_lo, p.T_K), T_hi = std::max(T_hi, p.T_K);
  ExactModel model;
  model.exact = std::make_shared<const ExactSecondVirial>(radial, de_boer, statistics, T_lo / (margin * epsilon),
                                                          T_hi * margin / epsilon, parallelism.threads);
  if (parallelism.done) *parallelism.done += data.points.size();  // for the progress line
  for (const DataPoint& p : data.points) {
    const double T_star = p.T_K / epsilon;
    const ReducedVirial v = model.exact->reduced(T_star);
    model.B.push_back(v.B);
    model.T_dB.push_back(T_star * v.dB_dT);
  }
  return model;
}

double chi2_of(const DataSet& data, const std::vector<double>& B_fit) {
  double chi2 = 0.0;
  for (std::size_t i = 0; i < data.points.size(); ++i) {
    const double r = data.points[i].B_cm3_per_mol - B_fit[i];
    chi2 += weight(data, data.points[i]) * r * r;
  }
  return chi2;
}

}  // namespace

FitResult fit_virial_quantum_exact(const DataSet& data, const Potential& potential, double molar_mass_g_per_mol,
                                   const SpinStatistics& statistics, const Parallelism& parallelism) {
  check_fittable(potential);
  check_spin_statistics(statistics);
  const RadialPotential radial = radial_potential(potential);
  const double unit = molar_volume_cm3_per_mol(1.0);  // N_A 1 A^3, cm^3/mol
  // Lambda*^2 = L/(sigma^2 epsilon), sigma in A and epsilon/k_B in K.
  const double root_L = de_boer_parameter(1.0, 1.0, molar_mass_g_per_mol);
  const auto sigma_of = [&](double epsilon, double de_boer) { return root_L / (de_boer * std::sqrt(epsilon)); };
  const auto B_fit_of = [&](const ExactModel& m, double epsilon, double de_boer) {
    const double volume = unit * std::pow(sigma_of(epsilon, de_boer), 3);
    std::vector<double> B(m.B.size());
    for (std::size_t i = 0; i < B.size(); ++i) B[i] = volume * m.B[i];
    return B;
  };

  // From the first-order fit, or where that fails or strays far from the
  // classical one (helium below some 50 K: sigma may collapse) the classical one.
  const FitResult classical = fit_virial(data, potential, false, parallelism);
  double epsilon_start = classical.epsilon_K, sigma_start = classical.sigma_A;
  try {
    const FitResult first = fit_virial_quantum(data, potential, molar_mass_g_per_mol, parallelism);
    const bool near = std::abs(std::log(first.epsilon_K / epsilon_start)) < 0.7 &&
                      std::abs(std::log(first.sigma_A / sigma_start)) < 0.3;
    if (near) {
      epsilon_start = first.epsilon_K, sigma_start = first.sigma_A;
    }
  } catch (const FitNotDetermined&) {
  }
  const double de_boer_start = root_L / (sigma_start * std::sqrt(epsilon_start));
  double x[2] = {std::log(epsilon_start), std::log(de_boer_start)};
  // Every preparation spans the data's T a tenth beyond either end, as the
  // plot draws the fitted curve.
  constexpr double margin = 1.1;
  ExactModel model = exact_model(data, radial, epsilon_start, de_boer_start, statistics, margin, parallelism);
  double chi2 = chi2_of(data, B_fit_of(model, epsilon_start, de_boer_start));
  // The Jacobian of B in x at the current point: column 0 analytic, column 1
  // by a forward difference in ln Lambda*.
  const auto jacobian_at = [&](const ExactModel& m, double epsilon, double de_boer, double step) {
    const double volume = unit * std::pow(sigma_of(epsilon, de_boer), 3);
    const ExactModel shifted =
        exact_model(data, radial, epsilon, de_boer * std::exp(step), statistics, margin, parallelism);
    std::vector<std::vector<double>> J(2, std::vector<double>(m.B.size()));
    for (std::size_t i = 0; i < m.B.size(); ++i) {
      J[0][i] = volume * (-1.5 * m.B[i] - m.T_dB[i]);
      J[1][i] = volume * (-3.0 * m.B[i] + (shifted.B[i] - m.B[i]) / step);
    }
    return J;
  };
  // The start may be far (the classical fit): the first steps are damped.
  double damping = 1.0;
  bool converged = false;
  std::vector<std::vector<double>> J;
  for (int iteration = 0; iteration < 40 && !converged; ++iteration) {
    const double epsilon = std::exp(x[0]), de_boer = std::exp(x[1]);
    J = jacobian_at(model, epsilon, de_boer, 1e-6);
    const std::vector<double> B_fit = B_fit_of(model, epsilon, de_boer);
    double a00 = 0.0, a01 = 0.0, a11 = 0.0, g0 = 0.0, g1 = 0.0;
    for (std::size_t i = 0; i < B_fit.size(); ++i) {
      const double w = weight(data, data.points[i]), r = data.points[i].B_cm3_per_mol - B_fit[i];
      a00 += w * J[0][i] * J[0][i], a01 += w * J[0][i] * J[1][i], a11 += w * J[1][i] * J[1][i];
      g0 += w * J[0][i] * r, g1 += w * J[1][i] * r;
    }
    for (;;) {
      const double d00 = a00 * (1.0 + damping), d11 = a11 * (1.0 + damping), det = d00 * d11 - a01 * a01;
      double step0 = (d11 * g0 - a01 * g1) / det, step1 = (d00 * g1 - a01 * g0) / det;
      if (!(std::isfinite(step0) && std::isfinite(step1))) {
        throw FitNotDetermined(FitFailure::quantum_undetermined, {}, potential_name(potential));
      }
      // No more than a factor e^0.5 at a time in epsilon or Lambda*: far from
      // the minimum the linear model is not to be trusted further.
      const double longest = std::max(std::abs(step0), std::abs(step1));
      if (longest > 0.5) step0 *= 0.5 / longest, step1 *= 0.5 / longest;
      // A step this short would change nothing B's own precision can tell:
      // the minimum (trying it would only meet the rounding of chi^2).
      if (longest < 1e-9) {
        converged = true;
        break;
      }
      const double trial[2] = {x[0] + step0, x[1] + step1};
      ExactModel next =
          exact_model(data, radial, std::exp(trial[0]), std::exp(trial[1]), statistics, margin, parallelism);
      const double next_chi2 = chi2_of(data, B_fit_of(next, std::exp(trial[0]), std::exp(trial[1])));
      if (next_chi2 <= chi2) {
        // Near the minimum the steps shrink quadratically: below 1e-9 the
        // next would change nothing that B's own precision can tell.
        converged = std::max(std::abs(step0), std::abs(step1)) < 1e-9 || chi2 - next_chi2 <= 1e-15 * chi2;
        x[0] = trial[0], x[1] = trial[1], chi2 = next_chi2, model = std::move(next);
        damping = std::max(damping / 10.0, 1e-9);
        break;
      }
      damping *= 10.0;
      // No step lowers chi^2: the minimum, to the precision of B.
      if (damping > 1e6 || longest < 1e-7) {
        converged = true;
        break;
      }
    }
  }
  if (!converged) throw FitNotDetermined(FitFailure::quantum_undetermined, {}, potential_name(potential));

  const double epsilon = std::exp(x[0]), de_boer = std::exp(x[1]), sigma = sigma_of(epsilon, de_boer);
  // The Jacobian in (epsilon, sigma) for the standard errors, from the last
  // one in x (less than 1e-9 away): d/d epsilon = (d/dx0 - d/dx1/2)/epsilon
  // and d/d sigma = -(d/dx1)/sigma, since x1 = ln sqrt(L) - ln sigma - x0/2.
  std::vector<std::vector<double>> jacobian(2, std::vector<double>(model.B.size()));
  for (std::size_t i = 0; i < model.B.size(); ++i) {
    jacobian[0][i] = (J[0][i] - 0.5 * J[1][i]) / epsilon;
    jacobian[1][i] = -J[1][i] / sigma;
  }
  FitResult result{};
  result.potential = potential;
  const LeastSquaresStatistics s = finish(result, data, B_fit_of(model, epsilon, de_boer), jacobian);
  result.epsilon_K = epsilon;
  result.sigma_A = sigma;
  result.epsilon_K_stderr = s.standard_errors[0];
  result.sigma_A_stderr = s.standard_errors[1];
  result.covariance = s.covariance;
  result.de_boer = de_boer;
  result.exact = std::move(model.exact);
  result.statistics = statistics;
  if (!s.determined()) throw FitNotDetermined(FitFailure::quantum_undetermined, {}, potential_name(potential));
  return result;
}

}  // namespace lennard
