// Fitting epsilon/k_B and sigma of the Lennard-Jones potential to measured
// second virial coefficients, with the exact series as the model:
//   B(T) = sigma^3 g(T / epsilon),  g(T*) = N_A * 1 A^3 * B*(T*).
// For fixed epsilon the best sigma^3 is a weighted linear least-squares value
// in closed form, so the fit is a one-dimensional problem in epsilon: the
// root of d(chi^2)/d(ln epsilon), found with a bracketing solver.
#pragma once

#include <cstddef>
#include <istream>
#include <string>
#include <vector>

#include "lennard/parallel.hpp"

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

// Longest line a data file may have; anything longer is not a data file.
inline constexpr std::size_t max_data_line_bytes = std::size_t{1} << 20;

// One point a line: T (K), B (cm^3/mol) and optionally u(B), separated by
// blanks and tabs, or by commas (with blanks around them allowed) but not by
// both; "#" starts a comment; blank lines are skipped; a UTF-8 byte-order mark
// at the start is skipped. Throws InputError naming the source and the line,
// shown shortened and with control characters escaped.
DataSet read_data(std::istream& in, const std::string& source);

// The same from a file; "-" reads standard input.
DataSet read_data_file(const std::string& path);

struct FitResult {
  double epsilon_K;
  double epsilon_K_stderr;
  double sigma_A;
  double sigma_A_stderr;
  double rms_cm3_per_mol;  // root mean square of B - B_fit
  double chi2;             // weighted sum of squared residuals (unweighted without uncertainties)
  std::size_t dof;         // degrees of freedom: points - 2
  double reduced_chi2;     // chi2 / dof
  std::vector<double> B_fit_cm3_per_mol;
};

// Throws InputError when the data cannot determine a fit: fewer than three
// distinct temperatures, temperatures spread too widely, no minimum of chi^2,
// or parameters or standard errors that are not finite. The sums over the
// points run on all cores and give the same result whatever their number.
FitResult fit_lennard_jones(const DataSet& data, const Parallelism& parallelism = {});

// B by the exact series, the model of the fit.
double model_B(double epsilon_K, double sigma_A, double T_K);

}  // namespace lennard
