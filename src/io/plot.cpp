#include "lennard/io/plot.hpp"

#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "lennard/app/exit_status.hpp"
#include "lennard/io/files.hpp"
#include "lennard/io/staged_files.hpp"

extern char** environ;

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

namespace {

bool on_path(const std::string& program) {
  const char* path = std::getenv("PATH");
  if (path == nullptr) return false;
  std::string directories = path;
  std::size_t start = 0;
  while (start <= directories.size()) {
    const std::size_t end = std::min(directories.find(':', start), directories.size());
    const std::string directory = end > start ? directories.substr(start, end - start) : ".";
    if (access((directory + "/" + program).c_str(), X_OK) == 0) return true;
    start = end + 1;
  }
  return false;
}

int draw(const std::string& script, std::FILE* picture, std::FILE* err);

}  // namespace

namespace {

// Copies the finished picture in temporary to destination; false on a failed write.
bool copy_picture(std::FILE* temporary, std::FILE* destination) {
  std::rewind(temporary);
  char buffer[65536];
  std::size_t n = 0;
  while ((n = std::fread(buffer, 1, sizeof buffer, temporary)) > 0) {
    if (std::fwrite(buffer, 1, n, destination) != n) return false;
  }
  return std::ferror(temporary) == 0 && std::fflush(destination) == 0 && std::ferror(destination) == 0;
}

std::string shown_plot(const std::string& path) { return path == "-" ? "la salida estándar" : quoted_name(path); }

// Plots to standard output or to a device (a link to /dev/full, a pipe):
// drawn into an anonymous file first, so that a gnuplot that fails writes
// nothing, and copied with every write checked.
int draw_and_copy(const std::string& script, const std::string& path, std::FILE* out, std::FILE* err) {
  std::FILE* temporary = std::tmpfile();
  if (temporary == nullptr) {
    std::fprintf(err, "Error: no se puede crear un archivo temporal para el gráfico: %s\n",
                 system_error_text(errno).c_str());
    return exit_bad_input;
  }
  int status = draw(script, temporary, err);
  if (status == 0) {
    const bool to_stdout = path == "-";
    std::FILE* destination = to_stdout ? out : std::fopen(path.c_str(), "wb");
    if (destination == nullptr) {
      std::fprintf(err, "Error: no se puede crear el gráfico %s: %s\n", shown_plot(path).c_str(),
                   system_error_text(errno).c_str());
      status = exit_bad_input;
    } else {
      errno = 0;
      bool written = copy_picture(temporary, destination);
      int write_errno = errno;
      if (!to_stdout && std::fclose(destination) != 0 && written) {
        written = false;
        write_errno = errno;
      }
      if (!written) {
        std::fprintf(err, "Error: no se pudo escribir el gráfico en %s: %s\n", shown_plot(path).c_str(),
                     write_errno != 0 ? system_error_text(write_errno).c_str() : "error de escritura");
        status = exit_write_failed;
      }
    }
  }
  std::fclose(temporary);
  return status;
}

}  // namespace

int run_gnuplot(const std::string& script, const std::string& path, std::FILE* out, std::FILE* err,
                StagedFiles& files) {
  if (!on_path("gnuplot")) {
    std::fputs("Error: no se encontró gnuplot; instálelo con: apt-get install gnuplot-nox\n", err);
    return exit_bad_input;
  }
  if (!replaceable_file(path)) return draw_and_copy(script, path, out, err);
  // A regular file is drawn into a staged file, put in place with the rest of
  // the command's results: a failure leaves the earlier plot whole.
  std::FILE* picture = files.open_for_drawing(path, err);
  if (picture == nullptr) return exit_bad_input;
  const int status = draw(script, picture, err);
  if (!files.finish_drawing(picture, status == exit_success, err)) {
    return status == exit_success ? exit_write_failed : status;
  }
  return exit_success;
}

namespace {

int draw(const std::string& script, std::FILE* picture, std::FILE* err) {
  std::fflush(picture);
  std::fflush(err);

  int pipe_fds[2];
  if (pipe(pipe_fds) != 0) {
    std::fprintf(err, "Error: no se pudo crear la tubería hacia gnuplot: %s\n", system_error_text(errno).c_str());
    return exit_bad_input;
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, pipe_fds[0], STDIN_FILENO);
  posix_spawn_file_actions_adddup2(&actions, fileno(picture), STDOUT_FILENO);
  posix_spawn_file_actions_adddup2(&actions, fileno(err), STDERR_FILENO);
  posix_spawn_file_actions_addclose(&actions, pipe_fds[1]);
  // In a process group of its own, so that Ctrl-C on the terminal reaches
  // only this program, which stops gnuplot itself: gnuplot would otherwise
  // drop the command it is reading and take the rest of the data for commands.
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP);
  posix_spawnattr_setpgroup(&attributes, 0);
  char program[] = "gnuplot";
  char* argv[] = {program, nullptr};
  pid_t child = 0;
  const int spawned = posix_spawnp(&child, "gnuplot", &actions, &attributes, argv, environ);
  posix_spawn_file_actions_destroy(&actions);
  posix_spawnattr_destroy(&attributes);
  if (spawned == 0) register_child_process(child);
  close(pipe_fds[0]);
  if (spawned != 0) {
    close(pipe_fds[1]);
    std::fprintf(err, "Error: no se pudo ejecutar gnuplot: %s\n", system_error_text(spawned).c_str());
    return exit_bad_input;
  }

  // A gnuplot that dies early must not kill us with SIGPIPE.
  struct sigaction ignore {}, previous{};
  ignore.sa_handler = SIG_IGN;
  sigaction(SIGPIPE, &ignore, &previous);
  std::size_t written = 0;
  while (written < script.size()) {
    const ssize_t n = write(pipe_fds[1], script.data() + written, script.size() - written);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    written += static_cast<std::size_t>(n);
  }
  close(pipe_fds[1]);
  sigaction(SIGPIPE, &previous, nullptr);

  int status = 0;  // gnuplot's wait status
  while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  register_child_process(0);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0 || written < script.size()) {
    std::fputs("Error: gnuplot no pudo dibujar el gráfico (véase su mensaje arriba); no se escribió nada.\n", err);
    return exit_write_failed;
  }
  return exit_success;
}

}  // namespace

}  // namespace lennard
