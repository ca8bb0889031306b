// Fitting epsilon/k_B and sigma of a pair potential to measured second virial
// coefficients, with the exact B* of the potential as the model:
//   B(T) = sigma^3 g(T / epsilon),  g(T*) = N_A * 1 A^3 * B*(T*).
// For fixed epsilon the best sigma^3 is a weighted linear least-squares value
// in closed form, so the fit is a one-dimensional problem in epsilon: the
// root of d(chi^2)/d(ln epsilon), found with a bracketing solver. The Mie
// potential's repulsive exponent can be fitted too, by minimising that
// profile over it.
#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <vector>

#include "lennard/physics/parallel.hpp"
#include "lennard/physics/potential.hpp"
#include "lennard/physics/quantum_exact.hpp"

namespace lennard {

struct DataPoint {
  double T_K;
  double B_cm3_per_mol;
  double u_cm3_per_mol;  // standard uncertainty of B; 0 when not given
  std::size_t line;      // line number in the data file
};

struct DataSet {
  std::vector<DataPoint> points;
  bool has_uncertainties = false;
};

struct FitResult {
  Potential potential;  // as fitted (with the fitted repulsive exponent)
  double epsilon_K;
  double epsilon_K_stderr;
  double sigma_A;
  double sigma_A_stderr;
  std::optional<double> repulsive_exponent;  // only when it was fitted
  std::optional<double> repulsive_exponent_stderr;
  std::optional<double> de_boer;  // Lambda* at the fitted epsilon and sigma, when fitted with the quantum correction
  double rms_cm3_per_mol;  // root mean square of B - B_fit
  double chi2;             // weighted sum of squared residuals (unweighted without uncertainties)
  std::size_t dof;         // degrees of freedom: points - fitted parameters
  double reduced_chi2;     // chi2 / dof
  // With uncertainties: the probability of a chi^2 at least this large if the
  // model and the uncertainties are right.
  std::optional<double> chi2_probability;
  std::vector<double> B_fit_cm3_per_mol;
  // Of (epsilon_K, sigma_A[, repulsive_exponent]): the squares of the
  // standard errors on its diagonal.
  std::vector<std::vector<double>> covariance;
  // With the exact quantum B: the nuclear-spin statistics, and the B* prepared
  // at the fitted Lambda* over the data's T a tenth beyond either end.
  std::optional<SpinStatistics> statistics;
  std::shared_ptr<const ExactSecondVirial> exact;
};

// Throws FitNotDetermined when the data cannot determine a fit: too few
// distinct temperatures, temperatures spread too widely, no minimum of chi^2,
// or parameters or standard errors that are not finite; InvalidArgument for
// hard spheres (no epsilon) and for free_repulsion with a potential other than Mie.
// The sums over the points run on all cores and give the same result whatever
// their number.
FitResult fit_virial(const DataSet& data, const Potential& potential, bool free_repulsion = false,
                     const Parallelism& parallelism = {});

// The fit of epsilon and sigma to B with its first quantum correction, for
// molecules of this molar mass (g/mol):
//   B = sigma^3 g(T*) + sigma (L/epsilon) q(T*),  q = N_A 1 A^3 (2 pi/3) B_I*,
// L = h^2 / (1e-20 m k_B), so Lambda*^2 = L / (sigma^2 epsilon). sigma is no
// longer a linear least-squares value: for each epsilon it is the root of
// d(chi^2)/d(sigma) found by Newton's method from the classical sigma, and
// the chi^2 left is minimised over ln(epsilon) by Brent's method. Smooth
// potentials only (InvalidArgument otherwise).
FitResult fit_virial_quantum(const DataSet& data, const Potential& potential, double molar_mass_g_per_mol,
                             const Parallelism& parallelism = {});

// The fit of epsilon and sigma to the exact quantum B (phase shifts, bound
// states, exchange) for molecules of this molar mass and statistics:
// Levenberg-Marquardt in (ln epsilon, ln Lambda*) from the first-order fit.
// Smooth potentials only; refused as the exact B is (too costly) where the
// data's hottest T* needs too many partial waves.
FitResult fit_virial_quantum_exact(const DataSet& data, const Potential& potential, double molar_mass_g_per_mol,
                                   const SpinStatistics& statistics, const Parallelism& parallelism = {});

// The Lennard-Jones fit.
FitResult fit_lennard_jones(const DataSet& data, const Parallelism& parallelism = {});

// B of the fitted model at T (with its quantum correction when it has one;
// the exact quantum B only within a tenth of the data's range).
double fitted_B(const FitResult& fit, double T_K);

// B by the exact series, the model of the fit.
double model_B(const Potential& potential, double epsilon_K, double sigma_A, double T_K);
double model_B(double epsilon_K, double sigma_A, double T_K);  // Lennard-Jones

}  // namespace lennard
