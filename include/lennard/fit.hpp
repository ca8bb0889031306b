// Fitting epsilon/k_B and sigma of the Lennard-Jones potential to measured
// second virial coefficients, with the exact series as the model:
//   B(T) = sigma^3 g(T / epsilon),  g(T*) = N_A * 1 A^3 * B*(T*).
// For fixed epsilon the best sigma^3 is a weighted linear least-squares value
// in closed form, so the fit is a one-dimensional search over epsilon.
#pragma once

#include <cstddef>
#include <istream>
#include <string>
#include <vector>

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

// One point a line: T (K), B (cm^3/mol) and optionally u(B), separated by
// blanks, tabs or commas; "#" starts a comment; blank lines are skipped.
// Throws InputError naming the source, the line and its text.
DataSet read_data(std::istream& in, const std::string& source);

// The same from a file; "-" reads standard input.
DataSet read_data_file(const std::string& path);

struct FitResult {
  double epsilon_K;
  double epsilon_K_stderr;
  double sigma_A;
  double sigma_A_stderr;
  double rms_cm3_per_mol;  // root mean square of B - B_fit
  double chi2;             // weighted sum of squared residuals
  std::vector<double> B_fit_cm3_per_mol;
};

// Throws InputError when the data cannot be fitted (fewer than three points,
// or no minimum inside the range of epsilon searched).
FitResult fit_lennard_jones(const DataSet& data);

// B by the exact series, the model of the fit.
double model_B(double epsilon_K, double sigma_A, double T_K);

}  // namespace lennard
