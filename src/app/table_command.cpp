// The table of B(T), from the options or the dialogue, and the summary of
// characteristic temperatures.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <unistd.h>
#include <string>
#include <vector>

#include "lennard/physics/characteristic.hpp"
#include "lennard/app/cli.hpp"
#include "lennard/app/console.hpp"
#include "lennard/app/messages.hpp"
#include "lennard/app/io_report.hpp"
#include "lennard/physics/errors.hpp"
#include "lennard/physics/gas_model.hpp"
#include "lennard/io/files.hpp"
#include "lennard/physics/gas_library.hpp"
#include "lennard/io/gnuplot.hpp"
#include "lennard/io/plot.hpp"
#include "lennard/app/progress.hpp"
#include "lennard/app/warnings.hpp"
#include "lennard/physics/quantum.hpp"
#include "lennard/physics/series.hpp"
#include "lennard/io/staged_files.hpp"
#include "lennard/physics/sweep.hpp"
#include "lennard/physics/virial_table.hpp"

namespace lennard {

namespace {

// The temperatures of the table: the dialogue's sweep, or the one the options
// ask for. Refusals of the options' sweep are usage errors; of the dialogue's,
// refused input.
std::vector<double> requested_temperatures(const TableOptions& options, double epsilon) {
  const bool explicit_sweep = options.tmin_K || options.tmax_K || options.step_K;
  if (!explicit_sweep) return temperature_grid(default_sweep(epsilon));
  if (!(epsilon > 0.0)) throw InputError("epsilon/k_B debe ser positivo con --tmin, --tmax o --step.");
  Sweep sweep{};
  sweep.T1 = options.tmin_K.value_or(epsilon);
  sweep.T2 = options.tmax_K.value_or(epsilon * 5.0);
  if (sweep.T2 < sweep.T1) {
    throw UsageError("la cota superior del barrido (" + shortest(sweep.T2) +
                     " K) es menor que la primera temperatura (" + shortest(sweep.T1) + " K).");
  }
  sweep.dT = options.step_K.value_or(temperature_step(sweep.T1, sweep.T2));
  try {
    return evenly_spaced_grid(sweep);
  } catch (const InvalidArgument& refusal) {
    throw UsageError(spanish_sentence(refusal));
  }
}

// A pure gas as the options give it: a library gas keeps its name and flags.
GasModel pure_gas_model(const TableOptions& options, double epsilon, double sigma) {
  PureGas gas{options.potential, epsilon, sigma, options.method.value_or(default_method(options.potential)),
              std::nullopt, options.gas, !options.gas.empty() && find_gas(options.gas).fitted_with_quantum};
  if (options.quantum) gas.de_boer = de_boer_parameter(epsilon, sigma, *options.molar_mass_g_per_mol);
  gas.quantum_order = options.quantum_order;
  gas.quantum_exact = options.quantum_exact;
  gas.statistics = options.statistics;
  if (!options.gas.empty()) gas.fit_range_K = find_gas(options.gas).fit_range_K;
  return GasModel(gas);
}

// The exact quantum B's phase shifts and bound states, once for every T in
// [T_lo, T_hi]; a line on a terminal meanwhile, for they take seconds.
void prepare_exact(GasModel& model, const TableOptions& options, double T_lo, double T_hi, std::FILE* err) {
  if (!options.quantum_exact) return;
  const bool terminal = isatty(fileno(err)) == 1;
  if (terminal) std::fputs("Calculando desfases…", err);
  model.prepare_quantum(T_lo, T_hi, options.threads);
  if (terminal) std::fputs("\r\033[K", err);
}

int run_summary(const TableOptions& options, double epsilon, double sigma, const std::string& output,
                std::FILE* out, std::FILE* err) {
  if (!(epsilon > 0.0)) {
    std::fputs("Error: las temperaturas características requieren epsilon/k_B positivo.\n", err);
    return exit_bad_input;
  }
  GasModel model = pure_gas_model(options, epsilon, sigma);
  prepare_exact(model, options, exact_search_T_star.first * epsilon, exact_search_T_star.second * epsilon, err);
  const Characteristics values = model.characteristics();
  const std::pair<std::optional<double>, const char*> checked[] = {
      {values.boyle_temperature_K, "la temperatura de Boyle"},
      {values.inversion_temperature_K, "la temperatura de inversión"},
      {values.max_B_temperature_K, "la temperatura del máximo de B"},
      {values.max_B_cm3_per_mol, "el máximo de B"}};
  for (const auto& [value, name] : checked) {
    if (value && !std::isfinite(*value)) {
      std::fprintf(err,
                   "Error: con epsilon/k_B = %s K y sigma = %s A, %s no es un número finito (%s); no se escribió "
                   "nada.\n",
                   shortest(epsilon).c_str(), shortest(sigma).c_str(), name, shortest(*value).c_str());
      return exit_bad_input;
    }
  }
  // Whether the model holds at the temperatures it reports.
  std::vector<double> reported = values.boyle_temperatures_K;
  for (const std::optional<double>& T : {values.inversion_temperature_K, values.max_B_temperature_K}) {
    if (T) reported.push_back(*T);
  }
  warn_of(model.diagnostics(reported), std::nullopt, err);
  return report_io(
      write_to_path(output, out, [&](std::FILE* file) { write_characteristics(file, values, options.format); }), err);
}

// A mixture's sweep: from the smallest epsilon/k_B of its components to five
// times the largest, unless the options ask for another.
std::vector<double> mixture_temperatures(const TableOptions& options, const Mixture& mixture) {
  double lowest = mixture.components.front().epsilon_K;
  double highest = lowest;
  for (const Component& c : mixture.components) {
    lowest = std::min(lowest, c.epsilon_K);
    highest = std::max(highest, c.epsilon_K);
  }
  TableOptions sweep = options;
  sweep.tmin_K = options.tmin_K.value_or(lowest);
  sweep.tmax_K = options.tmax_K.value_or(5.0 * highest);
  return requested_temperatures(sweep, lowest);
}

// The fixed decimals of the dat format are the historic layout; where they keep
// fewer than three significant digits (epsilon/k_B of a millikelvin, T beyond
// 10^4 K, a tiny sigma) one line says so and how to get every digit.
void warn_of_lost_digits(const TableOptions& options, const Table& table, std::FILE* err) {
  if (options.format != Format::dat) return;
  const std::vector<std::string> names = dat_columns_short_of_digits(table);
  if (names.empty()) return;
  std::string list;
  for (std::size_t i = 0; i < names.size(); ++i) {
    list += (i == 0 ? "" : i + 1 == names.size() ? " y " : ", ") + names[i];
  }
  std::fprintf(err,
               "Aviso: con los decimales fijos del formato dat (2 para T, 6 para las demás columnas), %s %s con "
               "menos de tres cifras significativas; -f csv conserva la precisión completa.\n",
               list.c_str(), names.size() == 1 ? "queda" : "quedan");
}

// Reports a refusal of the computation; rethrows any other failure.
int report(const std::exception& failure, std::FILE* err) {
  const std::optional<Refusal> refusal = refusal_of(failure);
  if (!refusal) throw;
  if (refusal->usage) {
    std::fputs(usage_message(refusal->sentence, false).c_str(), err);
    return exit_usage;
  }
  std::fprintf(err, "Error: %s\n", refusal->sentence.c_str());
  return exit_bad_input;
}

// V = Z RT/P overflows when RT/P does (a subnormal pressure): unlike a missing
// gas root (NaN) that is no state of the gas but a pressure out of range.
int refuse_infinite_volumes(const Table& table, std::FILE* err) {
  const Column* V = table.column(V_key);
  const Column* Z = table.column(Z_key);
  if (V == nullptr || Z == nullptr) return exit_success;
  for (std::size_t i = 0; i < table.T_K.size(); ++i) {
    if (!std::isinf(V->values[i]) && !std::isinf(Z->values[i])) continue;
    std::fputs(usage_message("con --pressure " + shortest(*table.pressure_bar) + " bar, a T = " +
                                 shortest(table.T_K[i]) + " K el volumen molar V = Z RT/P no es finito (" +
                                 shortest(V->values[i]) + " cm3/mol): la presión es demasiado baja para esa "
                                 "temperatura; no se escribió nada.",
                             false)
                   .c_str(),
               err);
    return exit_usage;
  }
  return exit_success;
}

// Checks that every value is finite, warns where they need it, and writes the
// table (and its plot).
int write_checked_table(const TableOptions& options, const Table& table, const std::string& output, std::FILE* out,
                        std::FILE* err) {
  if (const int status = refuse_infinite_volumes(table, err); status != exit_success) return status;
  if (const std::size_t bad = first_non_finite_row(table); bad < table.T_K.size()) {
    const double T = table.T_K[bad];
    std::string values = "1/T = " + shortest(1.0 / T);
    for (const Column& c : table.columns) values += ", " + column_symbol(c) + " = " + shortest(c.values[bad]);
    const std::string reduced = table.mixture.empty() ? " (T/epsilon = " + shortest(T / table.epsilon_K) + ")" : "";
    std::fprintf(err,
                 "Error: a T = %s K%s el resultado no es un número finito (%s): queda fuera del "
                 "alcance del método; no se escribió nada.\n",
                 shortest(T).c_str(), reduced.c_str(), values.c_str());
    return exit_bad_input;
  }
  warn_of(table.diagnostics, table.pressure_bar, err);
  warn_of_lost_digits(options, table, err);
  if (options.plot && table.T_K.empty()) {
    std::fputs("Error: la tabla no tiene filas: no hay nada que dibujar.\n", err);
    return exit_bad_input;
  }
  // The table and its plot replace earlier files once both are drawn: an
  // interruption before then leaves every file as it was.
  StagedFiles files;
  int status = report_io(files.write(output, out, [&](std::FILE* file) { write_table(file, table, options.format); }),
                         err);
  if (status == exit_success && options.plot) {
    status = report_io(run_gnuplot(table_plot_script(table, *options.plot), *options.plot, out, err, files), err);
  }
  // A plot that fails leaves the table to be put in place all the same.
  const int committed = report_io(files.commit(), err);
  return status != exit_success ? status : committed;
}


int run_mixture_table(const TableOptions& options, const std::string& output, std::FILE* out, std::FILE* err) {
  if (options.mixture_typed_sum) {
    std::string used;
    for (const Component& c : options.mixture->components) {
      used += (used.empty() ? "" : ", ") + c.name + " " + shortest(c.mole_fraction);
    }
    std::fprintf(err, "Aviso: las fracciones molares suman %s, no 1; se usan normalizadas: %s.\n",
                 shortest(*options.mixture_typed_sum).c_str(), used.c_str());
  }
  const std::vector<double> temperatures = mixture_temperatures(options, *options.mixture);
  ProgressLine progress(err, temperatures.size(), "filas");
  const Table table = compute_mixture_table(*options.mixture, temperatures,
                                            Quantities{options.derivative, options.third, options.pressure_bar, std::nullopt},
                                            options.quantum, Parallelism{options.threads, progress.counter()});
  return write_checked_table(options, table, output, out, err);
}

}  // namespace

int run_table(const TableOptions& options, std::FILE* in, std::FILE* out, std::FILE* err) {
  const std::string output = options.output.value_or(options.summary ? "-" : default_results_path);
  if (options.plot) {
    const std::vector<std::pair<std::string, Endpoint>> outputs{
        {options.output ? "-o" : "la tabla", {output, 1, options.output.has_value()}},
        {"--plot", {*options.plot, 1, true}}};
    if (const auto clash = clashing_outputs(outputs, std::nullopt)) {
      std::fputs(usage_message(clash_message(outputs, *clash), false).c_str(), err);
      return exit_usage;
    }
  }

  if (options.mixture) {
    try {
      return run_mixture_table(options, output, out, err);
    } catch (const std::exception& refusal) {
      return report(refusal, err);
    }
  }

  // Hard spheres have no epsilon; any positive value stands in for it.
  const bool hard_spheres = !has_well_depth(options.potential);
  double epsilon = hard_spheres ? 1.0 : 0.0;
  double sigma = 0.0;
  if (options.sigma_A && (options.epsilon_K || hard_spheres)) {
    epsilon = options.epsilon_K.value_or(epsilon);
    sigma = *options.sigma_A;
  } else {
    // Keep standard output for the results when they go there.
    write_dialogue(output == "-" ? err : out, output, options.potential,
                   options.method.value_or(default_method(options.potential)));
    if (!read_parameters(in, err, epsilon, sigma)) return exit_bad_input;
  }
  Table table;
  try {
    check_parameters(epsilon, sigma);
    if (options.summary) return run_summary(options, epsilon, sigma, output, out, err);
    const std::vector<double> temperatures = requested_temperatures(options, epsilon);
    GasModel model = pure_gas_model(options, epsilon, sigma);
    if (!temperatures.empty()) {
      const auto [lowest, highest] = std::minmax_element(temperatures.begin(), temperatures.end());
      prepare_exact(model, options, *lowest, *highest, err);
    }
    ProgressLine progress(err, temperatures.size(), "filas");
    table = compute_table(model, temperatures,
                          Quantities{options.derivative, options.third, options.pressure_bar, std::nullopt},
                          Parallelism{options.threads, progress.counter()});
  } catch (const std::exception& refusal) {
    return report(refusal, err);
  }
  return write_checked_table(options, table, output, out, err);
}

}  // namespace lennard
