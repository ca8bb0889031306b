// The pieces the fits share: the classical model at one epsilon, the search
// of a one-dimensional minimum, and the statistics at the optimum.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "lennard/physics/errors.hpp"
#include "lennard/physics/fit.hpp"
#include "lennard/physics/least_squares.hpp"

namespace lennard::fit_detail {

// 1/u^2 with uncertainties, 1 without.
double weight(const DataSet& data, const DataPoint& p);

// The uncertainties of the points, or nothing when the data carry none.
std::vector<double> uncertainties(const DataSet& data);

// g(T*) = N_A 1 A^3 B*(T*) and h = T* g'(T*) = -dg/d(ln epsilon).
struct Model {
  double g, h;
};

// g and h at every point, for this epsilon.
std::vector<Model> models_at(const DataSet& data, const Potential& potential, double epsilon,
                             const Parallelism& parallelism);

// The classical fit with the potential's shape held fixed: epsilon, a = sigma^3
// and the model at every point. parameters is 2, or 3 when an outer search
// fits the repulsive exponent too (it only changes how many temperatures are
// needed).
struct ShapeFit {
  double epsilon, a;
  std::vector<Model> models;
};
ShapeFit fit_shape(const DataSet& data, const Potential& potential, std::size_t parameters,
                   const Parallelism& parallelism);

// The residuals B_i - B_fit_i, and B_fit into the result.
std::vector<double> residuals(const DataSet& data, const std::vector<double>& B_fit);

// The statistics of a fit of these residuals and Jacobian, copied into the
// result (chi^2, dof, its probability and the RMS).
LeastSquaresStatistics finish(FitResult& result, const DataSet& data, std::vector<double> B_fit,
                              const std::vector<std::vector<double>>& jacobian);

// The minimum of f over x on a grid of 2 half_width + 1 steps around center,
// refined by Brent's method in the best step's neighbourhood; refused with
// at_edge when the grid's best point is at its edge.
double minimum_near(const std::function<double(double)>& f, double center, double step, int half_width,
                    const FitNotDetermined& at_edge);

}  // namespace lennard::fit_detail
