#include "lennard/cli.hpp"

#include <CLI/CLI.hpp>
#include <nlohmann/json.hpp>

#include <cmath>
#include <cstdlib>
#include <map>
#include <vector>

#include "lennard/characteristic.hpp"
#include "lennard/console.hpp"
#include "lennard/fit.hpp"
#include "lennard/series.hpp"
#include "lennard/plot.hpp"
#include "lennard/sweep.hpp"

namespace lennard {

const char* const version_text = "lennard " LENNARD_VERSION;

bool parse_number(const std::string& text, double& value) {
  if (text.empty()) return false;
  char* end = nullptr;
  value = std::strtod(text.c_str(), &end);
  // Overflow gives +-HUGE_VAL, as "%lf" does; the finiteness checks refuse it later.
  return end == text.c_str() + text.size();
}

namespace {

// CLI11 reads doubles through long double, which may round differently from
// "%lf": take the text and convert it here.
class NumberOption {
 public:
  CLI::Option* add(CLI::App& app, const std::string& names, const std::string& help, const std::string& unit) {
    option_ = app.add_option(names, text_, help)->option_text(unit)->check(
        CLI::Validator([](std::string& input) -> std::string {
          double ignored = 0.0;
          return parse_number(input, ignored) ? "" : "'" + input + "' no es un número";
        }, "NUM"));
    return option_;
  }
  std::optional<double> value() const {
    if (option_->count() == 0) return std::nullopt;
    double result = 0.0;
    parse_number(text_, result);
    return result;
  }

 private:
  std::string text_;
  CLI::Option* option_ = nullptr;
};

const CLI::Validator positive_finite(
    [](std::string& input) -> std::string {
      double value = 0.0;
      if (!parse_number(input, value) || !std::isfinite(value) || !(value > 0.0)) {
        return "'" + input + "' no es una temperatura positiva y finita";
      }
      return "";
    },
    "K>0");

// Accepts exactly one of the names of choices and stores its value.
template <class T>
CLI::Option* add_choice(CLI::App& app, const std::string& names, T& target, const std::map<std::string, T>& choices,
                        const std::string& help, const std::string& shown) {
  return app
      .add_option_function<std::string>(
          names, [&target, choices](const std::string& name) { target = choices.at(name); }, help)
      ->option_text(shown)
      ->check(CLI::Validator(
          [choices, shown](std::string& input) -> std::string {
            return choices.count(input) != 0 ? "" : "'" + input + "' no es válido; opciones: " + shown;
          },
          shown));
}

const CLI::Validator file_name(
    [](std::string& input) -> std::string { return input.empty() ? "nombre de archivo vacío" : ""; }, "ARCHIVO");

const CLI::Validator plot_path(
    [](std::string& input) -> std::string {
      return plot_terminal(input) ? "" : "'" + input + "': el gráfico debe terminar en .png, .svg o .pdf, o ser '-'";
    },
    "ARCHIVO");

void spanish_labels(CLI::App& app) {
  auto formatter = app.get_formatter();
  formatter->label("Usage", "Uso");
  formatter->label("OPTIONS", "OPCIONES");
  formatter->label("SUBCOMMAND", "SUBORDEN");
  formatter->label("SUBCOMMANDS", "SUBÓRDENES");
  formatter->label("Subcommands", "Subórdenes");
  formatter->label("Positionals", "Argumentos");
  formatter->label("REQUIRED", "OBLIGATORIO");
  formatter->label("Needs", "Requiere");
  formatter->label("Excludes", "Excluye");
  formatter->column_width(34);
  app.option_defaults()->group("Opciones");
}

}  // namespace

ParseResult parse_command_line(int argc, const char* const argv[]) {
  CLI::App app{
      "Segundo coeficiente del virial B(T) de un gas con potencial de Lennard-Jones 12-6.\n"
      "Sin argumentos pregunta epsilon/k_B y sigma y escribe la tabla en 'Lennard.dat'.",
      "lennard"};
  spanish_labels(app);
  app.set_help_flag("-h,--help", "Muestra esta ayuda y termina");
  app.set_version_flag("--version", version_text, "Muestra la versión y termina");

  NumberOption epsilon, sigma, tmin, tmax, step;
  CLI::Option* epsilon_option =
      epsilon.add(app, "-e,--epsilon", "Profundidad del pozo epsilon/k_B, en K", "K");
  CLI::Option* sigma_option = sigma.add(app, "-s,--sigma", "Diámetro de colisión sigma, en Å", "A");
  epsilon_option->needs(sigma_option);
  sigma_option->needs(epsilon_option);

  std::string output;
  CLI::Option* output_option =
      app.add_option("-o,--output", output,
                     "Archivo de resultados ('-': la salida estándar); por defecto 'Lennard.dat' "
                     "(con --summary, la salida estándar)")
          ->option_text("ARCHIVO")
          ->check(file_name);

  CLI::Option* tmin_option =
      tmin.add(app, "--tmin", "Primera temperatura del barrido, en K (por defecto epsilon/k_B)", "K")
          ->check(positive_finite);
  CLI::Option* tmax_option =
      tmax.add(app, "--tmax", "Cota superior del barrido, en K (por defecto 5 epsilon/k_B)", "K")
          ->check(positive_finite);
  CLI::Option* step_option =
      step.add(app, "--step", "Paso de temperatura, en K (por defecto (tmax - tmin)/100)", "K")
          ->check(positive_finite);

  const std::map<std::string, Method> methods{{"trapezoid", Method::trapezoid}, {"series", Method::series}};
  const std::map<std::string, Format> formats{{"dat", Format::dat}, {"csv", Format::csv}, {"json", Format::json}};
  CommandLine command;
  CLI::Option* method_option = add_choice(app, "-m,--method", command.method, methods,
                                          "Método: trapezoid (regla del trapecio, N_A = 6.022e23; por defecto) "
                                          "o series (serie exacta, N_A = 6.02214076e23)",
                                          "trapezoid|series");
  CLI::Option* derivative_option =
      app.add_flag("--derivative", command.derivative, "Añade la columna dB/dT, en cm3/(mol K)");
  add_choice(app, "-f,--format", command.format, formats, "Formato: dat (por defecto), csv o json", "dat|csv|json");
  CLI::Option* summary_option = app.add_flag(
      "--summary", command.summary,
      "En lugar de la tabla, las temperaturas características (serie exacta): Boyle, inversión de "
      "Joule-Thomson y máximo de B");
  for (CLI::Option* excluded : {tmin_option, tmax_option, step_option, method_option, derivative_option}) {
    summary_option->excludes(excluded);
  }
  std::string plot;
  CLI::Option* plot_option =
      app.add_option("--plot", plot,
                     "Dibuja B(T) con gnuplot en ARCHIVO (.png, .svg o .pdf; '-': en el terminal)")
          ->option_text("ARCHIVO")
          ->check(plot_path);
  plot_option->excludes(summary_option);

  CLI::App* fit = app.add_subcommand(
      "fit", "Ajusta epsilon/k_B y sigma (serie exacta) a valores medidos de B(T)");
  spanish_labels(*fit);
  fit->set_help_flag("-h,--help", "Muestra esta ayuda y termina");
  std::string fit_data, fit_output, fit_plot;
  Format fit_format = Format::dat;
  fit->add_option("DATOS", fit_data,
                  "Archivo de datos ('-': la entrada estándar): T (K), B (cm3/mol) y, si se quiere, la "
                  "incertidumbre de B, separados por blancos, tabuladores o comas; '#' inicia un comentario")
      ->required();
  CLI::Option* fit_output_option =
      fit->add_option("-o,--output", fit_output,
                      "Escribe la tabla de puntos (con -f json, el objeto entero) en ARCHIVO en lugar de la "
                      "pantalla")
          ->option_text("ARCHIVO")
          ->check(file_name);
  add_choice(*fit, "-f,--format", fit_format,
             std::map<std::string, Format>{{"dat", Format::dat}, {"json", Format::json}},
             "Formato: dat (texto, por defecto) o json", "dat|json");
  CLI::Option* fit_plot_option =
      fit->add_option("--plot", fit_plot,
                      "Dibuja los puntos y la curva ajustada con gnuplot en ARCHIVO (.png, .svg o .pdf; '-': "
                      "en el terminal)")
          ->option_text("ARCHIVO")
          ->check(plot_path);

  ParseResult result;
  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp&) {
    result.text = app.help();
    return result;
  } catch (const CLI::CallForVersion&) {
    result.text = std::string(version_text) + "\n";
    return result;
  } catch (const CLI::ParseError& error) {
    result.exit_status = exit_usage;
    result.text = "Error: " + std::string(error.what()) + "\nEjecute 'lennard --help' para ver las opciones.\n";
    return result;
  }
  if (fit->parsed()) {
    for (const CLI::Option* table_option : app.get_options()) {
      if (table_option->count() > 0) {
        result.exit_status = exit_usage;
        result.text = "Error: " + table_option->get_name() +
                      " no se usa con 'fit'; las opciones de 'fit' van tras su nombre.\n"
                      "Ejecute 'lennard fit --help' para ver las opciones.\n";
        return result;
      }
    }
    command.fit_data = fit_data;
    command.format = fit_format;
    if (fit_output_option->count() > 0) command.output = fit_output;
    if (fit_plot_option->count() > 0) command.plot = fit_plot;
    result.command = command;
    return result;
  }
  if (command.summary && command.format == Format::csv) {
    result.exit_status = exit_usage;
    result.text = "Error: --summary se escribe como texto (-f dat) o como JSON (-f json), no como csv.\n";
    return result;
  }
  command.epsilon_K = epsilon.value();
  command.sigma_A = sigma.value();
  if (output_option->count() > 0) command.output = output;
  command.tmin_K = tmin.value();
  command.tmax_K = tmax.value();
  command.step_K = step.value();
  if (plot_option->count() > 0) command.plot = plot;
  result.command = command;
  return result;
}

namespace {

struct SweepRefusal {
  int exit_status;
  std::string message;
};

// The temperatures of the table: the dialogue's sweep, or the one the options ask for.
std::vector<double> requested_temperatures(const CommandLine& command, double epsilon) {
  const bool explicit_sweep = command.tmin_K || command.tmax_K || command.step_K;
  if (!explicit_sweep) {
    try {
      return temperature_grid(default_sweep(epsilon));
    } catch (const InputError& refusal) {
      throw SweepRefusal{exit_bad_input, refusal.what()};
    }
  }
  if (!(epsilon > 0.0)) {
    throw SweepRefusal{exit_bad_input, "epsilon/k_B debe ser positivo con --tmin, --tmax o --step."};
  }
  Sweep sweep{};
  sweep.T1 = command.tmin_K.value_or(epsilon);
  sweep.T2 = command.tmax_K.value_or(epsilon * 5.0);
  if (sweep.T2 < sweep.T1) {
    throw SweepRefusal{exit_usage, "la cota superior del barrido (" + shortest(sweep.T2) +
                                       " K) es menor que la primera temperatura (" + shortest(sweep.T1) + " K)."};
  }
  sweep.dT = command.step_K.value_or(temperature_step(sweep.T1, sweep.T2));
  try {
    return temperature_grid(sweep);
  } catch (const InputError& refusal) {
    throw SweepRefusal{exit_usage, refusal.what()};
  }
}

std::string fit_number(double value) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%.10g", value);
  return buffer;
}

void write_fit_summary(std::FILE* file, const std::string& source, const DataSet& data, const FitResult& fit) {
  std::fprintf(file, "Ajuste de Lennard-Jones (serie exacta, N_A = %s 1/mol) a %zu puntos de %s%s\n",
               shortest(avogadro_per_mol).c_str(), data.points.size(), source.c_str(),
               data.has_uncertainties ? ", con sus incertidumbres" : "");
  std::fprintf(file, "epsilon/k_B = %s ± %s K\n", fit_number(fit.epsilon_K).c_str(),
               fit_number(fit.epsilon_K_stderr).c_str());
  std::fprintf(file, "sigma = %s ± %s A\n", fit_number(fit.sigma_A).c_str(), fit_number(fit.sigma_A_stderr).c_str());
  std::fprintf(file, "residuo RMS = %s cm3/mol\n", fit_number(fit.rms_cm3_per_mol).c_str());
}

void write_fit_points(std::FILE* file, const DataSet& data, const FitResult& fit) {
  std::fputs("# T(K) B_medido(cm3/mol) B_ajustado(cm3/mol) residuo(cm3/mol)\n", file);
  for (std::size_t i = 0; i < data.points.size(); ++i) {
    const DataPoint& p = data.points[i];
    const double B_fit = fit.B_fit_cm3_per_mol[i];
    std::fprintf(file, "%s %s %s %s\n", fit_number(p.T_K).c_str(), fit_number(p.B_cm3_per_mol).c_str(),
                 fit_number(B_fit).c_str(), fit_number(p.B_cm3_per_mol - B_fit).c_str());
  }
}

void write_fit_json(std::FILE* file, const DataSet& data, const FitResult& fit) {
  nlohmann::ordered_json points = nlohmann::ordered_json::array();
  for (std::size_t i = 0; i < data.points.size(); ++i) {
    const DataPoint& p = data.points[i];
    points.push_back({{"T_K", p.T_K},
                      {"B_cm3_per_mol", p.B_cm3_per_mol},
                      {"B_fit_cm3_per_mol", fit.B_fit_cm3_per_mol[i]},
                      {"residual_cm3_per_mol", p.B_cm3_per_mol - fit.B_fit_cm3_per_mol[i]}});
  }
  const nlohmann::ordered_json document = {{"epsilon_K", fit.epsilon_K},
                                           {"epsilon_K_stderr", fit.epsilon_K_stderr},
                                           {"sigma_A", fit.sigma_A},
                                           {"sigma_A_stderr", fit.sigma_A_stderr},
                                           {"rms_cm3_per_mol", fit.rms_cm3_per_mol},
                                           {"points", std::move(points)}};
  const std::string text = document.dump(2) + "\n";
  std::fwrite(text.data(), 1, text.size(), file);
}

int run_fit(const CommandLine& command, std::FILE* out, std::FILE* err) {
  const std::string& path = *command.fit_data;
  DataSet data;
  FitResult fit;
  try {
    data = read_data_file(path);
    fit = fit_lennard_jones(data);
  } catch (const InputError& refusal) {
    std::fprintf(err, "Error: %s\n", refusal.what());
    return exit_bad_input;
  }
  const std::string source = path == "-" ? "la entrada estándar" : "'" + path + "'";
  int status = 0;
  if (command.format == Format::json) {
    status = write_to_path(command.output.value_or("-"), out, err,
                           [&](std::FILE* file) { write_fit_json(file, data, fit); });
  } else {
    write_fit_summary(out, source, data, fit);
    status = write_to_path(command.output.value_or("-"), out, err,
                           [&](std::FILE* file) { write_fit_points(file, data, fit); });
  }
  if (status != 0 || !command.plot) return status;
  return run_gnuplot(fit_plot_script(data, fit, *command.plot), *command.plot, out, err);
}

}  // namespace

int run(int argc, const char* const argv[], std::FILE* in, std::FILE* out, std::FILE* err) {
  if (argc <= 1) return run_console(in, out, err);

  const ParseResult parsed = parse_command_line(argc, argv);
  if (!parsed.command) {
    std::fputs(parsed.text.c_str(), parsed.exit_status == 0 ? out : err);
    return parsed.exit_status;
  }
  const CommandLine& command = *parsed.command;
  if (command.fit_data) return run_fit(command, out, err);
  const std::string output = command.output.value_or(command.summary ? "-" : default_results_path);

  double epsilon = 0.0;
  double sigma = 0.0;
  if (command.epsilon_K && command.sigma_A) {
    epsilon = *command.epsilon_K;
    sigma = *command.sigma_A;
  } else {
    // Keep standard output for the results when they go there.
    write_dialogue(output == "-" ? err : out);
    if (!read_parameters(in, err, epsilon, sigma)) return exit_bad_input;
  }

  try {
    check_parameters(epsilon, sigma);
  } catch (const InputError& refusal) {
    std::fprintf(err, "Error: %s\n", refusal.what());
    return exit_bad_input;
  }

  if (command.summary) {
    if (!(epsilon > 0.0)) {
      std::fputs("Error: las temperaturas características requieren epsilon/k_B positivo.\n", err);
      return exit_bad_input;
    }
    const Characteristics values = characteristics(epsilon, sigma);
    return write_to_path(output, out, err,
                         [&](std::FILE* file) { write_characteristics(file, values, command.format); });
  }

  std::vector<double> temperatures;
  try {
    temperatures = requested_temperatures(command, epsilon);
  } catch (const SweepRefusal& refusal) {
    std::fprintf(err, "Error: %s\n", refusal.message.c_str());
    return refusal.exit_status;
  }
  const Table table = compute_table(epsilon, sigma, temperatures, command.method, command.derivative);
  const int status =
      write_to_path(output, out, err, [&](std::FILE* file) { write_table(file, table, command.format); });
  if (status != 0 || !command.plot) return status;
  if (table.rows.empty()) {
    std::fputs("Error: la tabla no tiene filas: no hay nada que dibujar.\n", err);
    return exit_bad_input;
  }
  return run_gnuplot(table_plot_script(table, *command.plot), *command.plot, out, err);
}

}  // namespace lennard
