#include "lennard/fit.hpp"

#include <boost/math/tools/minima.hpp>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <limits>

#include "lennard/series.hpp"
#include "lennard/sweep.hpp"

namespace lennard {

namespace {

std::string where(const std::string& source, std::size_t line, const std::string& text) {
  return source + ", línea " + std::to_string(line) + ": '" + text + "'";
}

bool read_field(const std::string& field, double& value) {
  char* end = nullptr;
  value = std::strtod(field.c_str(), &end);
  return !field.empty() && end == field.c_str() + field.size();
}

std::vector<std::string> split_fields(const std::string& text) {
  std::vector<std::string> fields;
  std::string current;
  bool in_field = false;
  for (const char c : text) {
    if (c == ' ' || c == '\t' || c == ',' || c == '\r') {
      if (in_field) fields.push_back(current);
      current.clear();
      in_field = false;
    } else {
      current += c;
      in_field = true;
    }
  }
  if (in_field) fields.push_back(current);
  return fields;
}

}  // namespace

DataSet read_data(std::istream& in, const std::string& source) {
  DataSet data;
  std::string line;
  std::size_t number = 0;
  bool first_point = true;
  while (std::getline(in, line)) {
    ++number;
    const std::string content = line.substr(0, line.find('#'));
    const std::vector<std::string> fields = split_fields(content);
    if (fields.empty()) continue;

    if (fields.size() != 2 && fields.size() != 3) {
      throw InputError(where(source, number, line) +
                       ": se esperaban dos o tres números (T en K, B en cm3/mol y, si se quiere, la "
                       "incertidumbre de B).");
    }
    double values[3] = {0.0, 0.0, 0.0};
    for (std::size_t i = 0; i < fields.size(); ++i) {
      if (!read_field(fields[i], values[i])) {
        throw InputError(where(source, number, line) + ": '" + fields[i] + "' no es un número.");
      }
      if (!std::isfinite(values[i])) {
        throw InputError(where(source, number, line) + ": los valores deben ser finitos.");
      }
    }
    const bool with_uncertainty = fields.size() == 3;
    if (first_point) {
      data.has_uncertainties = with_uncertainty;
      first_point = false;
    } else if (with_uncertainty != data.has_uncertainties) {
      throw InputError(where(source, number, line) +
                       ": o todos los puntos llevan incertidumbre o ninguno la lleva.");
    }
    if (!(values[0] > 0.0)) {
      throw InputError(where(source, number, line) + ": la temperatura debe ser positiva.");
    }
    if (with_uncertainty && !(values[2] > 0.0)) {
      throw InputError(where(source, number, line) + ": la incertidumbre debe ser positiva.");
    }
    data.points.push_back({values[0], values[1], values[2], number});
  }
  if (in.bad()) throw InputError(source + ": error de lectura.");
  if (data.points.size() < 3) {
    throw InputError(source + ": se necesitan al menos tres puntos para ajustar epsilon/k_B y sigma; hay " +
                     std::to_string(data.points.size()) + ".");
  }
  return data;
}

DataSet read_data_file(const std::string& path) {
  if (path == "-") return read_data(std::cin, "la entrada estándar");
  std::error_code ignored;
  if (std::filesystem::is_directory(path, ignored)) throw InputError("no se puede leer '" + path + "': es una carpeta.");
  std::ifstream file(path);
  if (!file) throw InputError("no se puede leer '" + path + "': " + std::strerror(errno));
  return read_data(file, path);
}

double model_B(double epsilon_K, double sigma_A, double T_K) { return virial_B_series(epsilon_K, sigma_A, T_K); }

namespace {

// The least-squares problem at fixed epsilon: B_i ~ a g_i with a = sigma^3.
struct Profile {
  double a;     // best sigma^3, A^3 (not below 0)
  double chi2;  // weighted sum of squares at that a
};

double weight(const DataSet& data, const DataPoint& p) {
  return data.has_uncertainties ? 1.0 / (p.u_cm3_per_mol * p.u_cm3_per_mol) : 1.0;
}

double g(double T_star) { return reduced_virial_series(T_star).B * avogadro_A3_exact_in_cm3_per_mol; }

Profile profile(const DataSet& data, double epsilon) {
  // One series evaluation a point; chi^2 is summed from the residuals rather
  // than expanded, which would cancel badly near a perfect fit.
  std::vector<double> g_values;
  g_values.reserve(data.points.size());
  double wgb = 0.0;
  double wgg = 0.0;
  for (const DataPoint& p : data.points) {
    const double gi = g(p.T_K / epsilon);
    const double w = weight(data, p);
    g_values.push_back(gi);
    wgb += w * gi * p.B_cm3_per_mol;
    wgg += w * gi * gi;
  }
  const double a = wgg > 0.0 ? std::max(wgb / wgg, 0.0) : 0.0;
  double chi2 = 0.0;
  for (std::size_t i = 0; i < data.points.size(); ++i) {
    const DataPoint& p = data.points[i];
    const double r = p.B_cm3_per_mol - a * g_values[i];
    chi2 += weight(data, p) * r * r;
  }
  if (!std::isfinite(chi2)) chi2 = std::numeric_limits<double>::max();
  return {a, chi2};
}

}  // namespace

FitResult fit_lennard_jones(const DataSet& data) {
  const std::size_t n = data.points.size();
  if (n < 3) throw InputError("se necesitan al menos tres puntos.");
  double T_min = data.points.front().T_K;
  double T_max = T_min;
  for (const DataPoint& p : data.points) {
    T_min = std::min(T_min, p.T_K);
    T_max = std::max(T_max, p.T_K);
  }

  // Scan epsilon so that T* spans 0.05 ... 1e4 over the data, on a log grid.
  const double log_lo = std::log(T_max * 1e-4);
  const double log_hi = std::log(T_min / 0.05);
  constexpr int scan_points = 400;
  int best = 0;
  double best_chi2 = std::numeric_limits<double>::infinity();
  for (int k = 0; k <= scan_points; ++k) {
    const double chi2 = profile(data, std::exp(log_lo + (log_hi - log_lo) * k / scan_points)).chi2;
    if (chi2 < best_chi2) {
      best = k;
      best_chi2 = chi2;
    }
  }
  if (best == 0 || best == scan_points) {
    throw InputError("no hay un mínimo de chi^2 para epsilon/k_B entre " + std::to_string(std::exp(log_lo)) +
                     " y " + std::to_string(std::exp(log_hi)) +
                     " K: los datos no se parecen a un gas de Lennard-Jones.");
  }
  const auto objective = [&](double log_epsilon) { return profile(data, std::exp(log_epsilon)).chi2; };
  const double step = (log_hi - log_lo) / scan_points;
  std::uintmax_t iterations = 200;
  const auto minimum = boost::math::tools::brent_find_minima(objective, log_lo + (best - 1) * step,
                                                            log_lo + (best + 1) * step,
                                                            std::numeric_limits<double>::digits / 2, iterations);
  const double epsilon = std::exp(minimum.first);
  const Profile at = profile(data, epsilon);
  if (!(at.a > 0.0)) throw InputError("el ajuste da sigma^3 <= 0: los datos no se parecen a un gas de Lennard-Jones.");

  // Covariance of (epsilon, a) from the Jacobian at the minimum: (J^T W J)^-1,
  // scaled by the reduced chi^2 when the data carry no uncertainties.
  double m11 = 0.0, m12 = 0.0, m22 = 0.0;
  FitResult result{};
  result.B_fit_cm3_per_mol.reserve(n);
  double sum_squares = 0.0;
  for (const DataPoint& p : data.points) {
    const double T_star = p.T_K / epsilon;
    const ReducedVirial v = reduced_virial_series(T_star);
    const double d_epsilon = at.a * v.dB_dT * avogadro_A3_exact_in_cm3_per_mol * (-T_star / epsilon);
    const double d_a = v.B * avogadro_A3_exact_in_cm3_per_mol;
    const double w = weight(data, p);
    m11 += w * d_epsilon * d_epsilon;
    m12 += w * d_epsilon * d_a;
    m22 += w * d_a * d_a;
    const double B_fit = at.a * d_a;
    result.B_fit_cm3_per_mol.push_back(B_fit);
    sum_squares += (p.B_cm3_per_mol - B_fit) * (p.B_cm3_per_mol - B_fit);
  }
  const double scale = data.has_uncertainties ? 1.0 : at.chi2 / static_cast<double>(n - 2);
  const double determinant = m11 * m22 - m12 * m12;
  const double var_epsilon = scale * m22 / determinant;
  const double var_a = scale * m11 / determinant;

  result.epsilon_K = epsilon;
  result.epsilon_K_stderr = std::sqrt(var_epsilon);
  result.sigma_A = std::cbrt(at.a);
  result.sigma_A_stderr = result.sigma_A * std::sqrt(var_a) / (3.0 * at.a);  // d(a^1/3) = a^1/3 da / 3a
  result.rms_cm3_per_mol = std::sqrt(sum_squares / static_cast<double>(n));
  result.chi2 = at.chi2;
  return result;
}

}  // namespace lennard
