#include "lennard/physics/least_squares.hpp"

#include <boost/math/distributions/chi_squared.hpp>

#include <cmath>
#include <limits>
#include <stdexcept>

namespace lennard {

namespace {

using Matrix = std::vector<std::vector<double>>;

// The inverse of a symmetric matrix of order 1 to 3 by its cofactors (exact
// enough at these sizes, and the same arithmetic as the textbook formulas);
// empty when the determinant is not positive and finite.
Matrix inverse(const Matrix& a) {
  const std::size_t p = a.size();
  Matrix c(p, std::vector<double>(p));
  if (p == 1) {
    c[0][0] = 1.0;
  } else if (p == 2) {
    c = {{a[1][1], -a[0][1]}, {-a[1][0], a[0][0]}};
  } else {
    for (std::size_t i = 0; i < 3; ++i) {
      for (std::size_t j = 0; j < 3; ++j) {
        const std::size_t i1 = (i + 1) % 3, i2 = (i + 2) % 3, j1 = (j + 1) % 3, j2 = (j + 2) % 3;
        c[j][i] = a[i1][j1] * a[i2][j2] - a[i1][j2] * a[i2][j1];  // transposed cofactor
      }
    }
  }
  double determinant = 0.0;
  if (p == 1) determinant = a[0][0];
  if (p == 2) determinant = a[0][0] * a[1][1] - a[0][1] * a[0][1];
  if (p == 3) determinant = a[0][0] * c[0][0] + a[0][1] * c[1][0] + a[0][2] * c[2][0];
  if (!(determinant > 0.0) || !std::isfinite(determinant)) return {};
  for (auto& row : c) {
    for (double& value : row) value /= determinant;
  }
  return c;
}

}  // namespace

bool LeastSquaresStatistics::determined() const {
  if (!std::isfinite(chi2) || !std::isfinite(rms) || covariance.empty()) return false;
  for (const double e : standard_errors) {
    if (!std::isfinite(e)) return false;
  }
  return true;
}

LeastSquaresStatistics least_squares_statistics(const std::vector<double>& residuals,
                                                const std::vector<double>& uncertainties,
                                                const std::vector<std::vector<double>>& jacobian) {
  const std::size_t n = residuals.size();
  const std::size_t p = jacobian.size();
  const bool weighted = !uncertainties.empty();
  if (p < 1 || p > 3 || (weighted && uncertainties.size() != n)) {
    throw std::invalid_argument("least_squares_statistics: 1 to 3 parameters, one uncertainty per residual");
  }
  for (const auto& column : jacobian) {
    if (column.size() != n) throw std::invalid_argument("least_squares_statistics: a Jacobian column per residual");
  }

  // chi^2 summed as squares (not expanded, which would cancel near a perfect
  // fit) and the normal matrix J^T W J.
  LeastSquaresStatistics s{};
  double sum_squares = 0.0;
  Matrix normal(p, std::vector<double>(p, 0.0));
  for (std::size_t i = 0; i < n; ++i) {
    const double w = weighted ? 1.0 / (uncertainties[i] * uncertainties[i]) : 1.0;
    const double r = residuals[i];
    s.chi2 += w * r * r;
    sum_squares += r * r;
    for (std::size_t j = 0; j < p; ++j) {
      for (std::size_t k = 0; k < p; ++k) normal[j][k] += w * jacobian[j][i] * jacobian[k][i];
    }
  }
  s.dof = n > p ? n - p : 0;
  s.reduced_chi2 = s.dof > 0 ? s.chi2 / static_cast<double>(s.dof) : std::numeric_limits<double>::quiet_NaN();
  // The distribution has no degree of freedom to spare at dof = 0, and Boost
  // refuses an infinite chi^2: no probability then.
  if (weighted && s.dof > 0 && std::isfinite(s.chi2)) {
    s.chi2_probability = boost::math::cdf(boost::math::complement(
        boost::math::chi_squared_distribution<double>(static_cast<double>(s.dof)), s.chi2));
  }
  s.rms = n > 0 ? std::sqrt(sum_squares / static_cast<double>(n)) : std::numeric_limits<double>::quiet_NaN();

  s.covariance = inverse(normal);
  const double scale = weighted ? 1.0 : s.reduced_chi2;
  for (auto& row : s.covariance) {
    for (double& value : row) value *= scale;
  }
  s.standard_errors.assign(p, std::numeric_limits<double>::quiet_NaN());
  for (std::size_t k = 0; k < p && !s.covariance.empty(); ++k) s.standard_errors[k] = std::sqrt(s.covariance[k][k]);
  return s;
}

}  // namespace lennard
