#include "lennard/physics/fit.hpp"

#include <boost/math/tools/minima.hpp>

#include <cmath>
#include <cstdint>
#include <limits>
#include <string>

#include "fit_detail.hpp"
#include "lennard/physics/reduced_units.hpp"
#include "lennard/physics/constants.hpp"
#include "lennard/physics/errors.hpp"
#include "lennard/physics/gas_model.hpp"
#include "lennard/physics/quantum.hpp"
#include "lennard/physics/second_virial.hpp"
#include "lennard/physics/series.hpp"
#include "lennard/physics/shortest.hpp"
#include "lennard/physics/validation.hpp"

namespace lennard {

double model_B(const Potential& potential, double epsilon_K, double sigma_A, double T_K) {
  return second_virial_B(Method::series, potential, epsilon_K, sigma_A, T_K);
}

double model_B(double epsilon_K, double sigma_A, double T_K) { return virial_B_series(epsilon_K, sigma_A, T_K); }

double fitted_B(const FitResult& fit, double T_K) {
  if (fit.exact) return laboratory_B(fit.exact->reduced(T_K / fit.epsilon_K).B, fit.sigma_A);
  return pure_second_virial(fit.potential, fit.epsilon_K, fit.sigma_A, Method::series, fit.de_boer, T_K, false).B;
}

namespace fit_detail {

double weight(const DataSet& data, const DataPoint& p) {
  return data.has_uncertainties ? 1.0 / (p.u_cm3_per_mol * p.u_cm3_per_mol) : 1.0;
}

std::vector<double> uncertainties(const DataSet& data) {
  std::vector<double> u;
  if (!data.has_uncertainties) return u;
  for (const DataPoint& p : data.points) u.push_back(p.u_cm3_per_mol);
  return u;
}

LeastSquaresStatistics finish(FitResult& result, const DataSet& data, std::vector<double> B_fit,
                              const std::vector<std::vector<double>>& jacobian) {
  std::vector<double> r(B_fit.size());
  for (std::size_t i = 0; i < r.size(); ++i) r[i] = data.points[i].B_cm3_per_mol - B_fit[i];
  const LeastSquaresStatistics s = least_squares_statistics(r, uncertainties(data), jacobian);
  result.B_fit_cm3_per_mol = std::move(B_fit);
  result.chi2 = s.chi2;
  result.dof = s.dof;
  result.reduced_chi2 = s.reduced_chi2;
  result.chi2_probability = s.chi2_probability;
  result.rms_cm3_per_mol = s.rms;
  return s;
}

double minimum_near(const std::function<double(double)>& f, double center, double step, int half_width,
                    const FitNotDetermined& at_edge) {
  int best = -half_width;
  double best_value = std::numeric_limits<double>::infinity();
  for (int k = -half_width; k <= half_width; ++k) {
    const double value = f(center + step * k);
    if (value < best_value) {
      best = k;
      best_value = value;
    }
  }
  if (best == -half_width || best == half_width) throw at_edge;
  constexpr std::uintmax_t max_iterations = 100;
  std::uintmax_t iterations = max_iterations;
  const auto minimum = boost::math::tools::brent_find_minima(f, center + step * (best - 1), center + step * (best + 1),
                                                            std::numeric_limits<double>::digits / 2, iterations);
  if (iterations >= max_iterations) throw NotConverged(static_cast<int>(max_iterations));
  return minimum.first;
}

}  // namespace fit_detail

namespace {

using namespace fit_detail;

// The fitted model a g_i, and its Jacobian in (epsilon, a): dB/d(epsilon) =
// -a h/epsilon, dB/da = g.
std::vector<double> classical_B(const ShapeFit& fit, std::vector<std::vector<double>>& jacobian) {
  const std::size_t n = fit.models.size();
  std::vector<double> B(n);
  jacobian.assign(2, std::vector<double>(n));
  for (std::size_t i = 0; i < n; ++i) {
    B[i] = fit.a * fit.models[i].g;
    jacobian[0][i] = -fit.a * fit.models[i].h / fit.epsilon;
    jacobian[1][i] = fit.models[i].g;
  }
  return B;
}

// The result of a fit in (epsilon, a = sigma^3), with sigma's error from
// d(a^1/3) = a^1/3 da / (3a).
FitResult classical_result(const DataSet& data, const Potential& potential, const ShapeFit& fit,
                           const std::vector<std::vector<double>>& jacobian, std::vector<double> B_fit) {
  FitResult result{};
  result.potential = potential;
  const LeastSquaresStatistics s = finish(result, data, std::move(B_fit), jacobian);
  result.epsilon_K = fit.epsilon;
  result.epsilon_K_stderr = s.standard_errors[0];
  result.sigma_A = std::cbrt(fit.a);
  result.sigma_A_stderr = result.sigma_A * s.standard_errors[1] / (3.0 * fit.a);
  // From (epsilon, a) to (epsilon, sigma): the row and column of a times dsigma/da.
  result.covariance = s.covariance;
  for (std::size_t k = 0; k < result.covariance.size(); ++k) {
    result.covariance[1][k] *= result.sigma_A / (3.0 * fit.a);
    result.covariance[k][1] *= result.sigma_A / (3.0 * fit.a);
  }
  if (jacobian.size() == 3) {
    result.repulsive_exponent = std::get<Mie>(potential).n();
    result.repulsive_exponent_stderr = s.standard_errors[2];
  }
  if (!s.determined() || !std::isfinite(result.sigma_A_stderr) || !std::isfinite(result.sigma_A)) {
    throw FitNotDetermined(FitFailure::undetermined, {static_cast<double>(jacobian.size())}, potential_name(potential));
  }
  return result;
}

// parameters is 2, or 3 when an outer search fits the repulsive exponent too:
// then the fit must leave a degree of freedom for it, and its errors are not
// the final ones.
FitResult fit_fixed_shape(const DataSet& data, const Potential& potential, std::size_t parameters,
                          const Parallelism& parallelism) {
  const ShapeFit fit = fit_shape(data, potential, parameters, parallelism);
  std::vector<std::vector<double>> jacobian;
  std::vector<double> B_fit = classical_B(fit, jacobian);
  return classical_result(data, potential, fit, jacobian, std::move(B_fit));
}

// epsilon, sigma and the repulsive exponent n of mie:n,m: the chi^2 left
// after fitting epsilon and sigma is minimised over s = ln(n - m), first on a
// coarse grid around the given n, then by Brent's method. dB/dn by a central
// difference in n at fixed epsilon and a.
FitResult fit_free_repulsion(const DataSet& data, const Mie& start, const Parallelism& parallelism) {
  const double m = start.m();
  const auto shape = [m](double s) { return Mie(m + std::exp(s), m); };
  const auto chi2_at = [&](double s) {
    try {
      return fit_fixed_shape(data, shape(s), 3, parallelism).chi2;
    } catch (const PhysicsError&) {  // a fit that fails, or exponents too close to be accepted
      return std::numeric_limits<double>::infinity();
    }
  };
  const double s0 = std::log(start.n() - m);
  constexpr int half_width = 8;
  const double step = std::log(2.0) / 2.0;  // n - m from 1/16 to 16 times the given one
  const double s_best =
      minimum_near(chi2_at, s0, step, half_width,
                   FitNotDetermined(FitFailure::exponent_at_edge,
                                    {m + std::exp(s0 - step * half_width), m + std::exp(s0 + step * half_width)},
                                    potential_name(start)));
  const Mie fitted = shape(s_best);
  const ShapeFit fit = fit_shape(data, fitted, 3, parallelism);
  std::vector<std::vector<double>> jacobian;
  std::vector<double> B_fit = classical_B(fit, jacobian);
  const double dn = 1e-5 * fitted.n();
  const std::vector<Model> above = models_at(data, Mie(fitted.n() + dn, m), fit.epsilon, parallelism);
  const std::vector<Model> below = models_at(data, Mie(fitted.n() - dn, m), fit.epsilon, parallelism);
  jacobian.emplace_back(data.points.size());
  for (std::size_t i = 0; i < data.points.size(); ++i) jacobian[2][i] = fit.a * (above[i].g - below[i].g) / (2.0 * dn);
  return classical_result(data, fitted, fit, jacobian, std::move(B_fit));
}

}  // namespace

FitResult fit_virial(const DataSet& data, const Potential& potential, bool free_repulsion,
                     const Parallelism& parallelism) {
  check_fittable(potential);
  if (!free_repulsion) return fit_fixed_shape(data, potential, 2, parallelism);
  const Mie* mie = std::get_if<Mie>(&potential);
  if (mie == nullptr) {
    throw InvalidArgument(Parameter::potential, potential_name(potential), Reason::needs_mie);
  }
  return fit_free_repulsion(data, *mie, parallelism);
}

FitResult fit_lennard_jones(const DataSet& data, const Parallelism& parallelism) {
  return fit_virial(data, LennardJones{}, false, parallelism);
}

}  // namespace lennard
