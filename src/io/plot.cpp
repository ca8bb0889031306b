#include "lennard/io/plot.hpp"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>

namespace lennard {

namespace {

std::string lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

bool ends_with(const std::string& text, const std::string& suffix) {
  return text.size() > suffix.size() && text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

// A gnuplot single-quoted string: nothing is special but the quote, doubled.
std::string quoted(const std::string& text) {
  std::string result = "'";
  for (const char c : text) {
    result += c;
    if (c == '\'') result += '\'';
  }
  return result + "'";
}

std::string number(double value) { return shortest(value); }

std::string compact(double value) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%.6g", value);
  return buffer;
}

std::string preamble(const std::string& path, const std::string& title) {
  std::string script = "set encoding utf8\n";
  // No "set output": gnuplot draws on its standard output, which is the plot
  // file opened by this program (or our standard output for "-").
  script += "set terminal " + plot_terminal(path).value_or("dumb") + "\n";
  script += "set title " + quoted(title) + " noenhanced\n";
  script += "set xlabel 'T (K)' noenhanced\n";
  script += "set ylabel 'B (cm³/mol)' noenhanced\n";
  script += "set xzeroaxis linetype -1\n";  // the line B = 0
  script += "set key bottom right\n";
  return script;
}

// "Lennard-Jones: ε/k_B = 120 K, σ = 3.4 Å", naming any other potential by its spelling.
std::string title(const Potential& potential, double epsilon_K, double sigma_A, const std::string& prefix) {
  const std::string name =
      std::holds_alternative<LennardJones>(potential) ? "Lennard-Jones" : potential_name(potential);
  const std::string depth = has_well_depth(potential) ? "ε/k_B = " + compact(epsilon_K) + " K, " : "";
  return prefix + name + ": " + depth + "σ = " + compact(sigma_A) + " Å";
}

// Data over more than a decade of T are read best on a logarithmic T axis.
std::string temperature_axis(double T_lo, double T_hi) {
  return T_hi > 10.0 * T_lo ? "set logscale x\n" : "";
}

// gnuplot widens an empty range itself but says so on standard error
// ("Warning: empty x range"), and warns of its ticks when a range is only a few
// ulps wide: such a range (one row, the constant B of hard spheres) is set here,
// 1% of its magnitude to each side (an absolute 1 about zero).
std::string axis_range(const char* axis, double lo, double hi) {
  const double magnitude = std::max(std::fabs(lo), std::fabs(hi));
  if (hi - lo > 1e-9 * magnitude) return "";
  const double margin = magnitude > 1e-290 ? 0.01 * magnitude : 1.0;
  return std::string("set ") + axis + "range [" + number(lo - margin) + ":" + number(hi + margin) + "]\n";
}

}  // namespace

std::optional<std::string> plot_terminal(const std::string& path) {
  const std::string name = lower(path);
  if (path == "-") return "dumb size 79,24";
  if (ends_with(name, ".png")) return "pngcairo size 900,600";
  if (ends_with(name, ".svg")) return "svg size 900,600";
  if (ends_with(name, ".pdf")) return "pdfcairo size 7in,4.7in";
  return std::nullopt;
}

std::string table_plot_script(const Table& table, const std::string& path) {
  std::string heading;
  if (table.mixture.empty()) {
    heading = title(table.potential, table.epsilon_K, table.sigma_A, "");
  } else {
    heading = "B(T) de la mezcla";
    for (const MixturePart& part : table.mixture) heading += " " + part.gas + " " + shortest(part.mole_fraction);
  }
  std::string script = preamble(path, heading);
  std::string points;
  std::size_t drawn = 0;
  double T_lo = 0.0, T_hi = 0.0, B_lo = 0.0, B_hi = 0.0;
  const std::vector<double>& B = table.columns.front().values;
  for (std::size_t i = 0; i < table.T_K.size(); ++i) {
    if (!std::isfinite(B[i])) continue;
    const double T = table.T_K[i];
    points += number(T) + " " + number(B[i]) + "\n";
    T_lo = drawn == 0 ? T : std::min(T_lo, T);
    T_hi = drawn == 0 ? T : std::max(T_hi, T);
    B_lo = drawn == 0 ? B[i] : std::min(B_lo, B[i]);
    B_hi = drawn == 0 ? B[i] : std::max(B_hi, B[i]);
    ++drawn;
  }
  script += temperature_axis(T_lo, T_hi);
  script += axis_range("x", T_lo, T_hi) + axis_range("y", B_lo, B_hi);
  script += "$table << EOD\n" + points + "EOD\n";
  // A single temperature is a point: a line through it would draw nothing.
  script += std::string("plot $table using 1:2 ") +
            (drawn == 1 ? "with points pointtype 7 pointsize 1.5" : "with lines linewidth 2") + " title " +
            quoted(std::string("B(T), ") + (table.method == Method::series       ? "serie exacta"
                                            : table.method == Method::quadrature ? "cuadratura"
                                                                                 : "regla del trapecio")) +
            "\n";
  return script;
}

std::string fit_plot_script(const DataSet& data, const FitResult& fit, const std::string& path) {
  std::string script = preamble(path, title(fit.potential, fit.epsilon_K, fit.sigma_A, "Ajuste de "));
  script += "$points << EOD\n";
  double T_lo = data.points.front().T_K;
  double T_hi = T_lo;
  for (const DataPoint& p : data.points) {
    script += number(p.T_K);
    script += ' ';
    script += number(p.B_cm3_per_mol);
    if (data.has_uncertainties) {
      script += ' ';
      script += number(p.u_cm3_per_mol);
    }
    script += '\n';
    T_lo = std::min(T_lo, p.T_K);
    T_hi = std::max(T_hi, p.T_K);
  }
  script += "EOD\n";
  script += temperature_axis(T_lo, T_hi);
  script += "$curve << EOD\n";
  // The fitted curve, log-spaced a little beyond the data.
  constexpr int samples = 300;
  const double from = std::log(T_lo * 0.9);
  const double to = std::log(T_hi * 1.1);
  double B_lo = data.points.front().B_cm3_per_mol;
  double B_hi = B_lo;
  for (const DataPoint& p : data.points) {
    B_lo = std::min(B_lo, p.B_cm3_per_mol - p.u_cm3_per_mol);
    B_hi = std::max(B_hi, p.B_cm3_per_mol + p.u_cm3_per_mol);
  }
  for (int k = 0; k <= samples; ++k) {
    const double T = std::exp(from + (to - from) * k / samples);
    const double B = fitted_B(fit, T);
    script += number(T) + " " + number(B) + "\n";
    if (std::isfinite(B)) {
      B_lo = std::min(B_lo, B);
      B_hi = std::max(B_hi, B);
    }
  }
  script += "EOD\n";
  script += axis_range("y", B_lo, B_hi);
  // The curve first, so the points are drawn over it.
  script += "plot $curve using 1:2 with lines linewidth 2 title 'ajuste', $points using 1:2";
  script += data.has_uncertainties ? ":3 with yerrorbars" : " with points";
  script += " pointtype 7 title 'medidos'\n";
  return script;
}

}  // namespace lennard
