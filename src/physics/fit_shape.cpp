// The classical fit at a fixed shape of the potential. For fixed epsilon the
// best a = sigma^3 is a weighted linear least-squares value in closed form, so
// the fit is a one-dimensional problem in epsilon: the root of
// d(chi^2)/d(ln epsilon), found with a bracketing solver.
#include <boost/math/tools/roots.hpp>
#include <boost/math/tools/toms748_solve.hpp>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string>

#include "fit_detail.hpp"
#include "lennard/physics/constants.hpp"
#include "lennard/physics/errors.hpp"
#include "lennard/physics/second_virial.hpp"
#include "lennard/physics/series.hpp"
#include "lennard/physics/shortest.hpp"

namespace lennard::fit_detail {

namespace {

// Points per block of the parallel sums; the blocks, not the threads, fix the
// order of every addition.
constexpr std::size_t points_per_block = 4096;

// Weighted sums over the points at one epsilon, with g_i = g(T_i/epsilon) and
// h_i = T*_i g'(T*_i).
struct Sums {
  double bb = 0.0, gb = 0.0, gg = 0.0, hb = 0.0, gh = 0.0;
  Sums& operator+=(const Sums& o) {
    bb += o.bb, gb += o.gb, gg += o.gg, hb += o.hb, gh += o.gh;
    return *this;
  }
};

Model model_at(const Potential& potential, double T_star) {
  const ReducedVirial v = reduced_virial_exact(potential, T_star);
  const double unit = molar_volume_cm3_per_mol(1.0);
  return {v.B * unit, T_star * v.dB_dT * unit};
}

// g alone: the Lennard-Jones series without its derivative costs half as much.
double g_at(const Potential& potential, double epsilon, double T) {
  if (std::holds_alternative<LennardJones>(potential)) return virial_B_series(epsilon, 1.0, T);
  return laboratory_B(reduced_virial_exact(potential, T / epsilon).B, 1.0);
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
      double g = 0.0;
      if (with_slope) {
        const Model model = model_at(potential, p.T_K / epsilon);
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
double profile_slope(const Sums& s) { return s.hb - s.gb / s.gg * s.gh; }


// The range of ln(epsilon) searched: where T* = T/epsilon spans 0.05 ... 1e4
// over the data. Refuses data with too few distinct temperatures for the
// parameters, or spread too widely.
std::pair<double, double> search_range(const DataSet& data, std::size_t parameters) {
  double T_min = data.points.empty() ? 0.0 : data.points.front().T_K;
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
    throw FitNotDetermined(FitFailure::too_few_temperatures,
                           {static_cast<double>(parameters + 1), static_cast<double>(distinct.size())}, "");
  }
  const double log_lo = std::log(T_max * 1e-4);
  const double log_hi = std::log(T_min / 0.05);
  if (!(log_hi - log_lo > 1.0)) {
    throw FitNotDetermined(FitFailure::range_too_wide, {T_min, T_max}, "");
  }
  return {log_lo, log_hi};
}

// ln(epsilon) at the root of the profile's slope: a coarse scan of chi^2 on a
// log grid, on at most some 4000 of the points, finds the valley; the slope
// rises through zero at its bottom.
double log_epsilon_at_minimum(const DataSet& data, const Potential& potential, double log_lo, double log_hi,
                              const Parallelism& parallelism) {
  constexpr int scan_steps = 48;
  const double step = (log_hi - log_lo) / scan_steps;
  const std::size_t stride = std::max<std::size_t>(1, data.points.size() / 4096);
  int best = 0;
  double best_chi2 = std::numeric_limits<double>::infinity();
  for (int k = 0; k <= scan_steps; ++k) {
    const double chi2 = profile_chi2(sums_at(data, potential, std::exp(log_lo + step * k), stride, false, parallelism));
    if (chi2 < best_chi2) {
      best = k;
      best_chi2 = chi2;
    }
  }
  const FitNotDetermined no_minimum(FitFailure::no_minimum, {std::exp(log_lo), std::exp(log_hi)},
                                   potential_name(potential));
  if (best == 0 || best == scan_steps) throw no_minimum;

  const auto slope = [&](double log_epsilon) {
    return profile_slope(sums_at(data, potential, std::exp(log_epsilon), 1, true, parallelism));
  };
  double lo = log_lo + step * (best - 1);
  double hi = log_lo + step * (best + 1);
  double slope_lo = slope(lo);
  double slope_hi = slope(hi);
  while (!(slope_lo < 0.0) && lo > log_lo) slope_lo = slope(lo -= step);
  while (!(slope_hi > 0.0) && hi < log_hi) slope_hi = slope(hi += step);
  if (!(slope_lo < 0.0) || !(slope_hi > 0.0)) throw no_minimum;

  constexpr std::uintmax_t max_iterations = 100;
  std::uintmax_t iterations = max_iterations;
  const auto root = boost::math::tools::toms748_solve(slope, lo, hi, slope_lo, slope_hi,
                                                      boost::math::tools::eps_tolerance<double>(), iterations);
  if (iterations >= max_iterations) throw NotConverged(static_cast<int>(max_iterations));
  return root.first + (root.second - root.first) / 2.0;
}

}  // namespace

std::vector<Model> models_at(const DataSet& data, const Potential& potential, double epsilon,
                             const Parallelism& parallelism) {
  std::vector<Model> models(data.points.size());
  for_each_block(models.size(), points_per_block, parallelism, [&](std::size_t begin, std::size_t end) {
    for (std::size_t i = begin; i < end; ++i) models[i] = model_at(potential, data.points[i].T_K / epsilon);
  });
  return models;
}

ShapeFit fit_shape(const DataSet& data, const Potential& potential, std::size_t parameters,
                   const Parallelism& parallelism) {
  const auto [log_lo, log_hi] = search_range(data, parameters);
  const double epsilon = std::exp(log_epsilon_at_minimum(data, potential, log_lo, log_hi, parallelism));
  ShapeFit fit{epsilon, 0.0, models_at(data, potential, epsilon, parallelism)};
  double gb = 0.0, gg = 0.0;
  for (std::size_t i = 0; i < fit.models.size(); ++i) {
    const double w = weight(data, data.points[i]);
    gb += w * fit.models[i].g * data.points[i].B_cm3_per_mol;
    gg += w * fit.models[i].g * fit.models[i].g;
  }
  fit.a = gb / gg;
  if (!(fit.a > 0.0) || !std::isfinite(fit.a)) {
    throw FitNotDetermined(FitFailure::non_positive_volume, {}, potential_name(potential));
  }
  return fit;
}

}  // namespace lennard::fit_detail
