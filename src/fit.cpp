#include "lennard/fit.hpp"

#include <boost/math/tools/roots.hpp>
#include <boost/math/tools/toms748_solve.hpp>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <limits>
#include <string_view>

#include "lennard/files.hpp"
#include "lennard/series.hpp"
#include "lennard/shortest.hpp"
#include "lennard/sweep.hpp"

namespace lennard {

// ---- Reading the data -------------------------------------------------------

namespace {

std::string where(const std::string& source, std::size_t line, std::string_view text) {
  return source + ", línea " + std::to_string(line) + ": '" + printable(text) + "'";
}

bool read_field(std::string_view field, double& value) {
  const std::string text(field);
  char* end = nullptr;
  value = std::strtod(text.c_str(), &end);
  return !text.empty() && end == text.c_str() + text.size();
}

bool is_blank(char c) { return c == ' ' || c == '\t'; }

std::string_view trim(std::string_view text) {
  while (!text.empty() && is_blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && is_blank(text.back())) text.remove_suffix(1);
  return text;
}

enum class LineStatus { line, end, too_long, nul_byte };

// One line without its '\n'; refuses what a text file of numbers never holds.
LineStatus next_line(std::streambuf& input, std::string& line) {
  line.clear();
  int c = input.sbumpc();
  if (c == std::char_traits<char>::eof()) return LineStatus::end;
  while (c != std::char_traits<char>::eof() && c != '\n') {
    if (c == 0) return LineStatus::nul_byte;
    if (line.size() == max_data_line_bytes) return LineStatus::too_long;
    line += static_cast<char>(c);
    c = input.sbumpc();
  }
  return LineStatus::line;
}

// The fields of a line: separated by commas (blanks around them allowed) or by
// blanks and tabs, never by both, so that a decimal comma is not taken for a
// separator. Throws with message_prefix on a mixed or empty field.
std::vector<std::string_view> split_fields(std::string_view content, const std::string& message_prefix) {
  std::vector<std::string_view> fields;
  if (content.find(',') != std::string_view::npos) {
    std::size_t start = 0;
    while (true) {
      const std::size_t comma = content.find(',', start);
      const std::string_view field = trim(content.substr(start, comma - start));
      if (field.empty()) throw InputError(message_prefix + ": falta un número entre dos comas o al final.");
      if (std::find_if(field.begin(), field.end(), is_blank) != field.end()) {
        throw InputError(message_prefix +
                         ": separa los números con comas y con blancos a la vez. Separe los campos solo con comas "
                         "o solo con blancos; el separador decimal es '.' (-183.5, no -183,5).");
      }
      fields.push_back(field);
      if (comma == std::string_view::npos) break;
      start = comma + 1;
    }
    return fields;
  }
  std::size_t i = 0;
  while (i < content.size()) {
    while (i < content.size() && is_blank(content[i])) ++i;
    const std::size_t start = i;
    while (i < content.size() && !is_blank(content[i])) ++i;
    if (i > start) fields.push_back(content.substr(start, i - start));
  }
  return fields;
}

}  // namespace

DataSet read_data(std::istream& in, const std::string& source) {
  DataSet data;
  std::string line;
  std::size_t number = 0;
  bool first_point = true;
  std::streambuf& input = *in.rdbuf();
  for (LineStatus status = next_line(input, line); status != LineStatus::end; status = next_line(input, line)) {
    ++number;
    if (status == LineStatus::nul_byte) {
      throw InputError(source + ", línea " + std::to_string(number) +
                       ": contiene un byte nulo: no es un archivo de texto.");
    }
    if (status == LineStatus::too_long) {
      throw InputError(source + ", línea " + std::to_string(number) +
                       ": tiene más de 1 MiB: no es un archivo de datos de texto.");
    }
    std::string_view content = line;
    // Spreadsheet programs start their UTF-8 files with a byte-order mark.
    if (number == 1 && content.starts_with("\xEF\xBB\xBF")) content.remove_prefix(3);
    content = content.substr(0, content.find('#'));
    if (!content.empty() && content.back() == '\r') content.remove_suffix(1);
    const std::string prefix = where(source, number, line);
    const std::vector<std::string_view> fields = split_fields(content, prefix);
    if (fields.empty()) continue;

    if (fields.size() != 2 && fields.size() != 3) {
      throw InputError(prefix +
                       ": se esperaban dos o tres números (T en K, B en cm3/mol y, si se quiere, la "
                       "incertidumbre de B).");
    }
    double values[3] = {0.0, 0.0, 0.0};
    for (std::size_t i = 0; i < fields.size(); ++i) {
      if (!read_field(fields[i], values[i])) {
        throw InputError(prefix + ": '" + printable(fields[i]) + "' no es un número.");
      }
      if (!std::isfinite(values[i])) {
        throw InputError(prefix + ": los valores deben ser finitos.");
      }
    }
    const bool with_uncertainty = fields.size() == 3;
    if (first_point) {
      data.has_uncertainties = with_uncertainty;
      first_point = false;
    } else if (with_uncertainty != data.has_uncertainties) {
      throw InputError(prefix + ": o todos los puntos llevan incertidumbre o ninguno la lleva.");
    }
    if (!(values[0] > 0.0)) {
      throw InputError(prefix + ": la temperatura debe ser positiva.");
    }
    if (with_uncertainty && !(values[2] > 0.0)) {
      throw InputError(prefix + ": la incertidumbre debe ser positiva.");
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
  const std::string shown = quoted_name(path);
  std::error_code ignored;
  if (std::filesystem::is_directory(path, ignored)) throw InputError("no se puede leer " + shown + ": es una carpeta.");
  std::ifstream file(path, std::ios::binary);
  if (!file) throw InputError("no se puede leer " + shown + ": " + std::strerror(errno));
  return read_data(file, shown);
}

double model_B(double epsilon_K, double sigma_A, double T_K) { return virial_B_series(epsilon_K, sigma_A, T_K); }

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

// The sums over every stride-th point; h only when with_slope.
Sums sums_at(const DataSet& data, double epsilon, std::size_t stride, bool with_slope, const Parallelism& parallelism) {
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
        const ReducedVirial v = reduced_virial_series(T_star);
        g = v.B * avogadro_A3_exact_in_cm3_per_mol;
        const double h = T_star * v.dB_dT * avogadro_A3_exact_in_cm3_per_mol;
        s.hb += w * h * p.B_cm3_per_mol;
        s.gh += w * g * h;
      } else {
        g = virial_B_series(epsilon, 1.0, p.T_K);
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

}  // namespace

FitResult fit_lennard_jones(const DataSet& data, const Parallelism& parallelism) {
  const std::size_t n = data.points.size();
  double T_min = n > 0 ? data.points.front().T_K : 0.0;
  double T_max = T_min;
  std::vector<double> distinct;
  for (const DataPoint& p : data.points) {
    T_min = std::min(T_min, p.T_K);
    T_max = std::max(T_max, p.T_K);
    if (distinct.size() < 3 && std::find(distinct.begin(), distinct.end(), p.T_K) == distinct.end()) {
      distinct.push_back(p.T_K);
    }
  }
  if (distinct.size() < 3) {
    throw InputError("se necesitan puntos a tres temperaturas distintas por lo menos para determinar epsilon/k_B "
                     "y sigma; hay " + std::to_string(distinct.size()) + ".");
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
    const double chi2 = profile_chi2(sums_at(data, std::exp(log_lo + step * k), stride, false, parallelism));
    if (chi2 < best_chi2) {
      best = k;
      best_chi2 = chi2;
    }
  }
  const std::string no_minimum = "no hay un mínimo de chi^2 para epsilon/k_B entre " + kelvin(std::exp(log_lo)) +
                                 " y " + kelvin(std::exp(log_hi)) +
                                 ": los datos no se parecen a los de un gas de Lennard-Jones.";
  if (best == 0 || best == scan_steps) throw InputError(no_minimum);

  // The minimum is the root of the slope, which rises through zero there.
  const auto slope = [&](double log_epsilon) {
    return profile_slope(sums_at(data, std::exp(log_epsilon), 1, true, parallelism));
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
  std::vector<double> g(n);
  std::vector<double> h(n);
  for_each_block(n, points_per_block, parallelism, [&](std::size_t begin, std::size_t end) {
    for (std::size_t i = begin; i < end; ++i) {
      const double T_star = data.points[i].T_K / epsilon;
      const ReducedVirial v = reduced_virial_series(T_star);
      g[i] = v.B * avogadro_A3_exact_in_cm3_per_mol;
      h[i] = T_star * v.dB_dT * avogadro_A3_exact_in_cm3_per_mol;
    }
  });
  double gb = 0.0, gg = 0.0;
  for (std::size_t i = 0; i < n; ++i) {
    const double w = weight(data, data.points[i]);
    gb += w * g[i] * data.points[i].B_cm3_per_mol;
    gg += w * g[i] * g[i];
  }
  const double a = gb / gg;
  if (!(a > 0.0) || !std::isfinite(a)) {
    throw InputError("el ajuste da sigma^3 <= 0: los datos no se parecen a los de un gas de Lennard-Jones.");
  }

  FitResult result{};
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
  result.dof = n - 2;
  result.chi2 = chi2;
  result.reduced_chi2 = chi2 / static_cast<double>(result.dof);
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

}  // namespace lennard
