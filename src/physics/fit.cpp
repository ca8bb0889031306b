#include "lennard/physics/fit.hpp"

#include <boost/math/tools/roots.hpp>
#include <boost/math/tools/toms748_solve.hpp>

#include <boost/math/distributions/chi_squared.hpp>
#include <boost/math/tools/minima.hpp>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string>

#include "lennard/physics/constants.hpp"
#include "lennard/physics/errors.hpp"
#include "lennard/physics/quantum.hpp"
#include "lennard/physics/second_virial.hpp"
#include "lennard/physics/series.hpp"
#include "lennard/physics/shortest.hpp"

namespace lennard {

double model_B(const Potential& potential, double epsilon_K, double sigma_A, double T_K) {
  return second_virial_B(Method::series, potential, epsilon_K, sigma_A, T_K);
}

double model_B(double epsilon_K, double sigma_A, double T_K) { return virial_B_series(epsilon_K, sigma_A, T_K); }

double fitted_B(const FitResult& fit, double T_K) {
  double B = model_B(fit.potential, fit.epsilon_K, fit.sigma_A, T_K);
  if (fit.de_boer) {
    B += reduced_quantum_shift(fit.potential, T_K / fit.epsilon_K, *fit.de_boer).B * molar_volume_cm3_per_mol(fit.sigma_A);
  }
  return B;
}

// ---- The fit ----------------------------------------------------------------

namespace {

// Points per block of the parallel sums; the blocks, not the threads, fix the
// order of every addition.
constexpr std::size_t points_per_block = 4096;

double weight(const DataSet& data, const DataPoint& p) {
  return data.has_uncertainties ? 1.0 / (p.u_cm3_per_mol * p.u_cm3_per_mol) : 1.0;
}

// Weighted sums over the points at one epsilon, with g_i = g(T_i/epsilon) and
// h_i = T*_i g'(T*_i) = -dg_i/d(ln epsilon).
struct Sums {
  double bb = 0.0, gb = 0.0, gg = 0.0, hb = 0.0, gh = 0.0;
  Sums& operator+=(const Sums& o) {
    bb += o.bb, gb += o.gb, gg += o.gg, hb += o.hb, gh += o.gh;
    return *this;
  }
};

// g(T*) = N_A 1 A^3 B*(T*) and h = T* g'(T*).
struct Model {
  double g, h;
};

Model model_at(const Potential& potential, double T_star) {
  const ReducedVirial v = reduced_virial_exact(potential, T_star);
  const double unit = molar_volume_cm3_per_mol(1.0);
  return {v.B * unit, T_star * v.dB_dT * unit};
}

// g alone: the Lennard-Jones series without its derivative costs half as much.
double g_at(const Potential& potential, double epsilon, double T) {
  if (std::holds_alternative<LennardJones>(potential)) return virial_B_series(epsilon, 1.0, T);
  return reduced_virial_exact(potential, T / epsilon).B * molar_volume_cm3_per_mol(1.0);
}

// g and h at every point.
std::vector<Model> models_at(const DataSet& data, const Potential& potential, double epsilon,
                             const Parallelism& parallelism) {
  std::vector<Model> models(data.points.size());
  for_each_block(models.size(), points_per_block, parallelism, [&](std::size_t begin, std::size_t end) {
    for (std::size_t i = begin; i < end; ++i) models[i] = model_at(potential, data.points[i].T_K / epsilon);
  });
  return models;
}

// The sums over every stride-th point; h only when with_slope.
Sums sums_at(const DataSet& data, const Potential& potential, double epsilon, std::size_t stride, bool with_slope,
             const Parallelism& parallelism) {
  const std::size_t count = (data.points.size() + stride - 1) / stride;
  std::vector<Sums> blocks((count + points_per_block - 1) / points_per_block);
  for_each_block(count, points_per_block, parallelism, [&](std::size_t begin, std::size_t end) {
    Sums s;
    for (std::size_t k = begin; k < end; ++k) {
      const DataPoint& p = data.points[k * stride];
      const double w = weight(data, p);
      const double T_star = p.T_K / epsilon;
      double g = 0.0;
      if (with_slope) {
        const Model model = model_at(potential, T_star);
        g = model.g;
        s.hb += w * model.h * p.B_cm3_per_mol;
        s.gh += w * g * model.h;
      } else {
        g = g_at(potential, epsilon, p.T_K);
      }
      s.bb += w * p.B_cm3_per_mol * p.B_cm3_per_mol;
      s.gb += w * g * p.B_cm3_per_mol;
      s.gg += w * g * g;
    }
    blocks[begin / points_per_block] = s;
  });
  Sums total;
  for (const Sums& s : blocks) total += s;
  return total;
}

// chi^2 at the best sigma^3 for this epsilon; sigma^3 is not allowed below 0.
double profile_chi2(const Sums& s) {
  if (!(s.gb > 0.0) || !(s.gg > 0.0)) return s.bb;
  const double chi2 = s.bb - s.gb * s.gb / s.gg;
  return std::isfinite(chi2) ? chi2 : std::numeric_limits<double>::infinity();
}

// d(chi^2)/d(ln epsilon) / (2 a) at the best a = sigma^3 (the envelope theorem
// drops the term in da/d(epsilon)): sum w (B - a g) h.
double profile_slope(const Sums& s) {
  const double a = s.gb / s.gg;
  return s.hb - a * s.gh;
}

std::string kelvin(double value) { return shortest(value) + " K"; }

// The fit of epsilon and sigma with the potential's shape held fixed;
// parameters is 2, or 3 when an outer search fits the repulsive exponent too.
FitResult fit_fixed_shape(const DataSet& data, const Potential& potential, std::size_t parameters,
                          const Parallelism& parallelism) {
  const std::size_t n = data.points.size();
  double T_min = n > 0 ? data.points.front().T_K : 0.0;
  double T_max = T_min;
  std::vector<double> distinct;
  for (const DataPoint& p : data.points) {
    T_min = std::min(T_min, p.T_K);
    T_max = std::max(T_max, p.T_K);
    if (distinct.size() < 4 && std::find(distinct.begin(), distinct.end(), p.T_K) == distinct.end()) {
      distinct.push_back(p.T_K);
    }
  }
  if (distinct.size() < parameters + 1) {
    throw InputError("se necesitan puntos a " + std::to_string(parameters + 1) +
                     " temperaturas distintas por lo menos para determinar " +
                     (parameters == 2 ? "epsilon/k_B y sigma" : "epsilon/k_B, sigma y el exponente repulsivo") +
                     "; hay " + std::to_string(distinct.size()) + ".");
  }

  // epsilon is sought where T* = T/epsilon spans 0.05 ... 1e4 over the data.
  const double log_lo = std::log(T_max * 1e-4);
  const double log_hi = std::log(T_min / 0.05);
  if (!(log_hi - log_lo > 1.0)) {
    throw InputError("las temperaturas van de " + kelvin(T_min) + " a " + kelvin(T_max) +
                     ": un intervalo tan amplio no cabe entre T/epsilon = 0.05 y 1e4, donde se busca el ajuste.");
  }

  // A coarse scan of chi^2 on a log grid, on at most some 4000 of the points:
  // it only has to find the valley.
  constexpr int scan_steps = 48;
  const double step = (log_hi - log_lo) / scan_steps;
  const std::size_t stride = std::max<std::size_t>(1, n / 4096);
  int best = 0;
  double best_chi2 = std::numeric_limits<double>::infinity();
  for (int k = 0; k <= scan_steps; ++k) {
    const double chi2 = profile_chi2(sums_at(data, potential, std::exp(log_lo + step * k), stride, false, parallelism));
    if (chi2 < best_chi2) {
      best = k;
      best_chi2 = chi2;
    }
  }
  const std::string no_minimum = "no hay un mínimo de chi^2 para epsilon/k_B entre " + kelvin(std::exp(log_lo)) +
                                 " y " + kelvin(std::exp(log_hi)) +
                                 ": los datos no se parecen a los de un gas con el potencial " + potential_name(potential) + ".";
  if (best == 0 || best == scan_steps) throw InputError(no_minimum);

  // The minimum is the root of the slope, which rises through zero there.
  const auto slope = [&](double log_epsilon) {
    return profile_slope(sums_at(data, potential, std::exp(log_epsilon), 1, true, parallelism));
  };
  double lo = log_lo + step * (best - 1);
  double hi = log_lo + step * (best + 1);
  double slope_lo = slope(lo);
  double slope_hi = slope(hi);
  while (!(slope_lo < 0.0) && lo > log_lo) slope_lo = slope(lo -= step);
  while (!(slope_hi > 0.0) && hi < log_hi) slope_hi = slope(hi += step);
  if (!(slope_lo < 0.0) || !(slope_hi > 0.0)) throw InputError(no_minimum);

  constexpr std::uintmax_t max_iterations = 100;
  std::uintmax_t iterations = max_iterations;
  const auto root = boost::math::tools::toms748_solve(slope, lo, hi, slope_lo, slope_hi,
                                                      boost::math::tools::eps_tolerance<double>(), iterations);
  if (iterations >= max_iterations) {
    throw InputError("el ajuste no converge en " + std::to_string(max_iterations) + " iteraciones.");
  }
  const double epsilon = std::exp(root.first + (root.second - root.first) / 2.0);

  // At the minimum: sigma^3, the residuals (summed as squares, not expanded,
  // which would cancel near a perfect fit) and the covariance of (epsilon, a)
  // from the Jacobian, (J^T W J)^-1, scaled by the reduced chi^2 when the data
  // carry no uncertainties.
  const std::vector<Model> models = models_at(data, potential, epsilon, parallelism);
  std::vector<double> g(n);
  std::vector<double> h(n);
  for (std::size_t i = 0; i < n; ++i) {
    g[i] = models[i].g;
    h[i] = models[i].h;
  }
  double gb = 0.0, gg = 0.0;
  for (std::size_t i = 0; i < n; ++i) {
    const double w = weight(data, data.points[i]);
    gb += w * g[i] * data.points[i].B_cm3_per_mol;
    gg += w * g[i] * g[i];
  }
  const double a = gb / gg;
  if (!(a > 0.0) || !std::isfinite(a)) {
    throw InputError("el ajuste da sigma^3 <= 0: los datos no se parecen a los de un gas con el potencial " +
                     potential_name(potential) + ".");
  }

  FitResult result{};
  result.potential = potential;
  result.B_fit_cm3_per_mol.resize(n);
  double chi2 = 0.0, sum_squares = 0.0, m11 = 0.0, m12 = 0.0, m22 = 0.0;
  for (std::size_t i = 0; i < n; ++i) {
    const DataPoint& p = data.points[i];
    const double w = weight(data, p);
    const double B_fit = a * g[i];
    const double r = p.B_cm3_per_mol - B_fit;
    result.B_fit_cm3_per_mol[i] = B_fit;
    chi2 += w * r * r;
    sum_squares += r * r;
    const double d_epsilon = -a * h[i] / epsilon;  // dB/d(epsilon)
    const double d_a = g[i];                       // dB/da
    m11 += w * d_epsilon * d_epsilon;
    m12 += w * d_epsilon * d_a;
    m22 += w * d_a * d_a;
  }
  result.dof = n - parameters;
  result.chi2 = chi2;
  result.reduced_chi2 = chi2 / static_cast<double>(result.dof);
  if (data.has_uncertainties && result.dof > 0 && std::isfinite(chi2)) {
    result.chi2_probability = boost::math::cdf(boost::math::complement(
        boost::math::chi_squared_distribution<double>(static_cast<double>(result.dof)), chi2));
  }
  const double scale = data.has_uncertainties ? 1.0 : result.reduced_chi2;
  const double determinant = m11 * m22 - m12 * m12;
  result.epsilon_K = epsilon;
  result.epsilon_K_stderr = std::sqrt(scale * m22 / determinant);
  result.sigma_A = std::cbrt(a);
  // d(a^1/3) = a^1/3 da / (3a)
  result.sigma_A_stderr = result.sigma_A * std::sqrt(scale * m11 / determinant) / (3.0 * a);
  result.rms_cm3_per_mol = std::sqrt(sum_squares / static_cast<double>(n));

  for (const double value : {result.epsilon_K, result.epsilon_K_stderr, result.sigma_A, result.sigma_A_stderr,
                             result.chi2, result.rms_cm3_per_mol}) {
    if (!std::isfinite(value) || !(determinant > 0.0)) {
      throw InputError("estos datos no determinan epsilon/k_B y sigma: el ajuste o sus errores estándar no son "
                       "finitos.");
    }
  }
  return result;
}

// The inverse of a symmetric positive definite 3x3 matrix by its cofactors;
// empty when it is singular.
std::optional<std::array<std::array<double, 3>, 3>> inverse(const std::array<std::array<double, 3>, 3>& a) {
  std::array<std::array<double, 3>, 3> c{};
  for (int i = 0; i < 3; ++i) {
    for (int j = 0; j < 3; ++j) {
      const int i1 = (i + 1) % 3, i2 = (i + 2) % 3, j1 = (j + 1) % 3, j2 = (j + 2) % 3;
      c[j][i] = a[i1][j1] * a[i2][j2] - a[i1][j2] * a[i2][j1];  // transposed cofactor
    }
  }
  const double determinant = a[0][0] * c[0][0] + a[0][1] * c[1][0] + a[0][2] * c[2][0];
  if (!(determinant > 0.0) || !std::isfinite(determinant)) return std::nullopt;
  for (auto& row : c) {
    for (double& value : row) value /= determinant;
  }
  return c;
}

// The minimum of f over x on a grid of 2 half_width + 1 steps around center,
// refined by Brent's method in the best step's neighbourhood; refused with
// edge_message when the grid's best point is at its edge.
template <class F>
double minimum_near(F f, double center, double step, int half_width, const std::string& edge_message) {
  int best = -half_width;
  double best_value = std::numeric_limits<double>::infinity();
  for (int k = -half_width; k <= half_width; ++k) {
    const double value = f(center + step * k);
    if (value < best_value) {
      best = k;
      best_value = value;
    }
  }
  if (best == -half_width || best == half_width) throw InputError(edge_message);
  constexpr std::uintmax_t max_iterations = 100;
  std::uintmax_t iterations = max_iterations;
  const auto minimum = boost::math::tools::brent_find_minima(f, center + step * (best - 1), center + step * (best + 1),
                                                            std::numeric_limits<double>::digits / 2, iterations);
  if (iterations >= max_iterations) {
    throw InputError("el ajuste no converge en " + std::to_string(max_iterations) + " iteraciones.");
  }
  return minimum.first;
}

// epsilon, sigma and the repulsive exponent n of mie:n,m: the chi^2 left
// after fitting epsilon and sigma is minimised over s = ln(n - m), first on a
// coarse grid around the given n, then by Brent's method.
FitResult fit_free_repulsion(const DataSet& data, const Mie& start, const Parallelism& parallelism) {
  const double m = start.m();
  const auto shape = [m](double s) { return Mie(m + std::exp(s), m); };
  const auto chi2_at = [&](double s) {
    try {
      return fit_fixed_shape(data, shape(s), 3, parallelism).chi2;
    } catch (const Error&) {  // a fit that fails, or exponents too close to be accepted
      return std::numeric_limits<double>::infinity();
    }
  };
  const double s0 = std::log(start.n() - m);
  constexpr int half_width = 8;
  const double step = std::log(2.0) / 2.0;  // n - m from 1/16 to 16 times the given one
  const double s_best = minimum_near(chi2_at, s0, step, half_width,
                                     "no hay un mínimo de chi^2 para el exponente repulsivo entre " +
                                         shortest(m + std::exp(s0 - step * half_width)) + " y " +
                                         shortest(m + std::exp(s0 + step * half_width)) +
                                         ": pruebe con otro N de partida.");
  const Mie fitted = shape(s_best);
  FitResult result = fit_fixed_shape(data, fitted, 3, parallelism);

  // The covariance of (epsilon, a = sigma^3, n) from the Jacobian, with dB/dn
  // by a central difference in n at fixed epsilon and a.
  const double a = result.sigma_A * result.sigma_A * result.sigma_A;
  const double epsilon = result.epsilon_K;
  const double dn = 1e-5 * fitted.n();
  const std::vector<Model> at = models_at(data, fitted, epsilon, parallelism);
  const std::vector<Model> above = models_at(data, Mie(fitted.n() + dn, m), epsilon, parallelism);
  const std::vector<Model> below = models_at(data, Mie(fitted.n() - dn, m), epsilon, parallelism);
  std::array<std::array<double, 3>, 3> normal{};
  for (std::size_t i = 0; i < data.points.size(); ++i) {
    const double w = weight(data, data.points[i]);
    const std::array<double, 3> J = {-a * at[i].h / epsilon, at[i].g, a * (above[i].g - below[i].g) / (2.0 * dn)};
    for (int j = 0; j < 3; ++j) {
      for (int k = 0; k < 3; ++k) normal[j][k] += w * J[j] * J[k];
    }
  }
  const auto covariance = inverse(normal);
  const double scale = data.has_uncertainties ? 1.0 : result.reduced_chi2;
  if (!covariance) throw InputError("estos datos no determinan epsilon/k_B, sigma y el exponente repulsivo.");
  result.epsilon_K_stderr = std::sqrt(scale * (*covariance)[0][0]);
  result.sigma_A_stderr = result.sigma_A * std::sqrt(scale * (*covariance)[1][1]) / (3.0 * a);
  result.repulsive_exponent = fitted.n();
  result.repulsive_exponent_stderr = std::sqrt(scale * (*covariance)[2][2]);
  for (const double value : {result.epsilon_K_stderr, result.sigma_A_stderr, *result.repulsive_exponent_stderr}) {
    if (!std::isfinite(value)) {
      throw InputError("estos datos no determinan epsilon/k_B, sigma y el exponente repulsivo: sus errores "
                       "estándar no son finitos.");
    }
  }
  return result;
}

// The quantum fit at one epsilon: g_i and c_i = (L/epsilon) q_i at every point.
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
  if (!std::holds_alternative<LennardJones>(potential) && !std::holds_alternative<Mie>(potential)) {
    throw UsageError("--quantum necesita un potencial continuo (lj o mie:N,M).");
  }
  // Lambda*^2 = L / (sigma^2 epsilon), sigma in A and epsilon/k_B in K.
  const double L = de_boer_parameter(1.0, 1.0, molar_mass_g_per_mol) * de_boer_parameter(1.0, 1.0, molar_mass_g_per_mol);
  // The classical fit finds the valley; the quantum one is searched around it.
  const FitResult classical = fit_fixed_shape(data, potential, 2, parallelism);
  const auto chi2_at = [&](double log_epsilon) {
    const double epsilon = std::exp(log_epsilon);
    return best_sigma(data, quantum_model(data, potential, epsilon, L, parallelism)).second;
  };
  const double log_epsilon =
      minimum_near(chi2_at, std::log(classical.epsilon_K), 0.05, 10,
                   "con la corrección cuántica, el mínimo de chi^2 queda lejos del ajuste clásico: la corrección de "
                   "primer orden no describe estos datos.");
  const double epsilon = std::exp(log_epsilon);
  const QuantumModel model = quantum_model(data, potential, epsilon, L, parallelism);
  const auto [sigma, chi2] = best_sigma(data, model);
  // The covariance of (epsilon, sigma) from the Jacobian; dB/d(epsilon) by a
  // central difference at fixed sigma.
  const double de = 1e-6 * epsilon;
  const QuantumModel above = quantum_model(data, potential, epsilon + de, L, parallelism);
  const QuantumModel below = quantum_model(data, potential, epsilon - de, L, parallelism);
  const std::size_t n = data.points.size();
  FitResult result{};
  result.potential = potential;
  result.B_fit_cm3_per_mol.resize(n);
  double m11 = 0.0, m12 = 0.0, m22 = 0.0, sum_squares = 0.0;
  const double s3 = sigma * sigma * sigma;
  for (std::size_t i = 0; i < n; ++i) {
    const double w = weight(data, data.points[i]);
    const double B_fit = s3 * model.g[i] + sigma * model.c[i];
    result.B_fit_cm3_per_mol[i] = B_fit;
    const double r = data.points[i].B_cm3_per_mol - B_fit;
    sum_squares += r * r;
    const double d_epsilon =
        (s3 * (above.g[i] - below.g[i]) + sigma * (above.c[i] - below.c[i])) / (2.0 * de);
    const double d_sigma = 3.0 * sigma * sigma * model.g[i] + model.c[i];
    m11 += w * d_epsilon * d_epsilon;
    m12 += w * d_epsilon * d_sigma;
    m22 += w * d_sigma * d_sigma;
  }
  result.dof = n - 2;
  result.chi2 = chi2;
  result.reduced_chi2 = chi2 / static_cast<double>(result.dof);
  if (data.has_uncertainties) {
    result.chi2_probability = boost::math::cdf(boost::math::complement(
        boost::math::chi_squared_distribution<double>(static_cast<double>(result.dof)), chi2));
  }
  const double scale = data.has_uncertainties ? 1.0 : result.reduced_chi2;
  const double determinant = m11 * m22 - m12 * m12;
  result.epsilon_K = epsilon;
  result.sigma_A = sigma;
  result.epsilon_K_stderr = std::sqrt(scale * m22 / determinant);
  result.sigma_A_stderr = std::sqrt(scale * m11 / determinant);
  result.rms_cm3_per_mol = std::sqrt(sum_squares / static_cast<double>(n));
  result.de_boer = de_boer_parameter(epsilon, sigma, molar_mass_g_per_mol);
  for (const double value : {result.epsilon_K_stderr, result.sigma_A_stderr, result.chi2, result.rms_cm3_per_mol}) {
    if (!std::isfinite(value) || !(determinant > 0.0)) {
      throw InputError("estos datos no determinan epsilon/k_B y sigma con la corrección cuántica.");
    }
  }
  return result;
}

FitResult fit_virial(const DataSet& data, const Potential& potential, bool free_repulsion,
                     const Parallelism& parallelism) {
  if (!has_well_depth(potential)) {
    throw UsageError("con hs, B no depende de T: no hay epsilon/k_B ni sigma que ajustar a B(T).");
  }
  if (!free_repulsion) return fit_fixed_shape(data, potential, 2, parallelism);
  const Mie* mie = std::get_if<Mie>(&potential);
  if (mie == nullptr) {
    throw UsageError("--free-repulsion ajusta el exponente N de mie:N,M; no se usa con " + potential_name(potential) +
                     ".");
  }
  return fit_free_repulsion(data, *mie, parallelism);
}

FitResult fit_lennard_jones(const DataSet& data, const Parallelism& parallelism) {
  return fit_virial(data, LennardJones{}, false, parallelism);
}

}  // namespace lennard
