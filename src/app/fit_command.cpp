// lennard fit: reads measured B(T), fits the potential, writes and draws the result.
#include <unistd.h>

#include <cstdio>

#include "lennard/app/cli.hpp"
#include "lennard/app/console.hpp"
#include "lennard/app/messages.hpp"
#include "lennard/app/io_report.hpp"
#include "lennard/io/data_file.hpp"
#include "lennard/physics/errors.hpp"
#include "lennard/io/files.hpp"
#include "lennard/physics/fit.hpp"
#include "lennard/io/gnuplot.hpp"
#include "lennard/io/plot.hpp"
#include "lennard/app/progress.hpp"
#include "lennard/app/warnings.hpp"
#include "lennard/io/staged_files.hpp"

namespace lennard {

int run_fit(const FitOptions& options, std::FILE* in, std::FILE* out, std::FILE* err) {
  const std::string& path = options.data;
  std::vector<std::pair<std::string, Endpoint>> outputs{
      {options.output ? "-o" : "la salida", {options.output.value_or("-"), 1, options.output.has_value()}}};
  if (options.plot) outputs.push_back({"--plot", {*options.plot, 1, true}});
  if (const auto clash = clashing_outputs(outputs, Endpoint{path, 0, true})) {
    std::fputs(usage_message(clash_message(outputs, *clash), true).c_str(), err);
    return exit_usage;
  }

  if (path == "-" && isatty(fileno(in)) == 1) {
    std::fputs("Escriba un punto por línea: T (K), B (cm3/mol) y, si se quiere, la incertidumbre de B; "
               "termine con Ctrl-D.\n",
               err);
  }
  DataSet data;
  FitResult fit;
  try {
    data = read_data_file(path);
    ProgressLine progress(err, 0, "evaluaciones de B");
    const Parallelism parallelism{options.threads, progress.counter()};
    if (options.quantum_exact) {
      fit = fit_virial_quantum_exact(data, options.potential, *options.quantum_molar_mass_g_per_mol, options.statistics,
                                     parallelism);
    } else if (options.quantum_molar_mass_g_per_mol) {
      fit = fit_virial_quantum(data, options.potential, *options.quantum_molar_mass_g_per_mol, parallelism);
    } else {
      fit = fit_virial(data, options.potential, options.free_repulsion, parallelism);
    }
  } catch (const std::exception& failure) {
    const std::optional<Refusal> refusal = refusal_of(failure);
    if (!refusal) throw;
    std::fprintf(err, "Error: %s\n", refusal->sentence.c_str());
    return exit_status_of(*refusal);
  }
  if (fit.de_boer && !fit.exact) {
    // The fitted gas says where its quantum expansion fails among the data.
    std::vector<double> temperatures;
    for (const DataPoint& point : data.points) temperatures.push_back(point.T_K);
    warn_of(GasModel(PureGas{fit.potential, fit.epsilon_K, fit.sigma_A, Method::series, fit.de_boer, options.gas, false})
                .diagnostics(temperatures),
            std::nullopt, err);
  }
  const std::string source = path == "-" ? "la entrada estándar" : quoted_name(path);
  // The results and the plot replace earlier files once both are drawn: an
  // interruption before then leaves every file as it was.
  StagedFiles files;
  int status = exit_success;
  if (options.format == Format::json) {
    status = report_io(
        files.write(options.output.value_or("-"), out, [&](std::FILE* file) { write_fit_json(file, data, fit); }), err);
  } else {
    write_fit_summary(out, source, data, fit);
    status = report_io(
        files.write(options.output.value_or("-"), out, [&](std::FILE* file) { write_fit_points(file, data, fit); }),
        err);
  }
  if (status == exit_success && options.plot) {
    status = report_io(run_gnuplot(fit_plot_script(data, fit, *options.plot), *options.plot, out, err, files), err);
  }
  // A plot that fails leaves the table to be put in place all the same.
  const int committed = report_io(files.commit(), err);
  return status != exit_success ? status : committed;
}

}  // namespace lennard
