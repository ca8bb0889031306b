// The statistics of a least-squares fit at its optimum, shared by every fit:
// chi^2 and its probability, the covariance of the parameters from the
// Jacobian, their standard errors and the RMS of the residuals.
#pragma once

#include <cstddef>
#include <optional>
#include <vector>

namespace lennard {

struct LeastSquaresStatistics {
  double chi2;          // sum of (r_i/u_i)^2, or of r_i^2 without uncertainties
  std::size_t dof;      // points - parameters (0 when there are no more points than parameters)
  double reduced_chi2;  // chi2 / dof; NaN when dof = 0
  // With uncertainties, dof > 0 and a finite chi^2: the probability of a chi^2
  // at least this large if the model and the uncertainties are right.
  std::optional<double> chi2_probability;
  // (J^T W J)^-1, scaled by the reduced chi^2 when the data carry no
  // uncertainties (the scatter then estimates them); empty when J^T W J is
  // not positive definite.
  std::vector<std::vector<double>> covariance;
  std::vector<double> standard_errors;  // sqrt of the covariance's diagonal; NaN when it is empty
  double rms;                           // sqrt(sum r_i^2 / points), unweighted

  // Whether the data determine the parameters: every number above finite.
  bool determined() const;
};

// residuals: r_i = y_i - model_i at the optimum; uncertainties: u_i, or empty
// for unweighted data; jacobian: one column d(model_i)/d(p_k) per parameter,
// each as long as the residuals. One to three parameters (std::invalid_argument
// otherwise, or when the lengths differ).
LeastSquaresStatistics least_squares_statistics(const std::vector<double>& residuals,
                                                const std::vector<double>& uncertainties,
                                                const std::vector<std::vector<double>>& jacobian);

}  // namespace lennard
