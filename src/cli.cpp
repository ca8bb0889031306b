#include "lennard/cli.hpp"

#include <CLI/CLI.hpp>
#include <nlohmann/json.hpp>

#include <fcntl.h>
#include <unistd.h>

#include <boost/math/distributions/chi_squared.hpp>

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <map>
#include <regex>
#include <vector>

#include "lennard/characteristic.hpp"
#include "lennard/console.hpp"
#include "lennard/files.hpp"
#include "lennard/fit.hpp"
#include "lennard/series.hpp"
#include "lennard/plot.hpp"
#include "lennard/progress.hpp"
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
  formatter->label("Positionals", "Argumentos");
  formatter->column_width(30);
  app.option_defaults()->group("Opciones");
  app.set_help_flag("-h,--help", "Muestra esta ayuda y termina");
  // What CLI11 would refuse in English (extras, missing or excluded options)
  // is checked after parsing, with Spanish messages.
  app.allow_extras();
}

// A usage error, pointing to the help of the command it is about.
ParseResult usage_error(const std::string& sentence, bool in_fit) {
  return {std::nullopt, exit_usage,
          "Error: " + sentence + "\nEjecute '" + (in_fit ? "lennard fit --help" : "lennard --help") +
              "' para ver las opciones.\n"};
}

// CLI11's own parse errors, in Spanish. They carry no structured fields, so
// the option's name is read from the English message.
std::string spanish(const CLI::ParseError& error) {
  const std::string text = error.what();
  std::smatch option;
  const std::string name = std::regex_search(text, option, std::regex("-{1,2}[A-Za-z][A-Za-z0-9_-]*"))
                               ? option.str()
                               : printable(text.substr(0, text.find(':')));
  if (dynamic_cast<const CLI::ValidationError*>(&error) != nullptr) {
    return printable(text, 200);  // "NAME: " and the Spanish sentence of one of our validators
  }
  if (dynamic_cast<const CLI::ArgumentMismatch*>(&error) != nullptr) {
    if (text.find("At Most") != std::string::npos) return name + " se dio más de una vez.";
    if (text.find("flag override") != std::string::npos) return name + " no lleva valor.";
    return "falta el valor de " + name + ".";
  }
  if (dynamic_cast<const CLI::RequiredError*>(&error) != nullptr) {
    return "falta el archivo de datos ('-' para la entrada estándar).";  // the one required argument
  }
  if (dynamic_cast<const CLI::ConversionError*>(&error) != nullptr) {
    return name + " no admite ese valor.";
  }
  return "la línea de órdenes no es válida (" + printable(text, 200) + ").";
}

// Arguments left over after parsing: unknown options or stray words.
std::optional<std::string> leftover(const std::vector<std::string>& remaining) {
  if (remaining.empty()) return std::nullopt;
  const std::string& first = remaining.front();
  if (first.size() > 1 && first[0] == '-') return "opción desconocida: '" + printable(first) + "'.";
  return "argumento inesperado: '" + printable(first) + "'.";
}

}  // namespace

ParseResult parse_command_line(int argc, const char* const argv[]) {
  CLI::App app{
      "Segundo coeficiente del virial B(T) de un gas con potencial de Lennard-Jones 12-6.\n"
      "Sin argumentos pregunta epsilon/k_B y sigma y escribe la tabla en 'Lennard.dat'.",
      "lennard"};
  spanish_labels(app);
  app.set_version_flag("--version", version_text, "Muestra la versión y termina");

  NumberOption epsilon, sigma, tmin, tmax, step;
  CLI::Option* epsilon_option =
      epsilon.add(app, "-e,--epsilon", "Profundidad del pozo epsilon/k_B, en K (con -s)", "K");
  CLI::Option* sigma_option = sigma.add(app, "-s,--sigma", "Diámetro de colisión sigma, en Å (con -e)", "A");

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
  app.add_flag(
      "--summary", command.summary,
      "En lugar de la tabla, las temperaturas características (serie exacta): Boyle, inversión de "
      "Joule-Thomson y máximo de B; sin --tmin, --tmax, --step, -m, --derivative ni --plot");
  std::string plot;
  CLI::Option* plot_option =
      app.add_option("--plot", plot,
                     "Dibuja B(T) con gnuplot en ARCHIVO (.png, .svg o .pdf; '-': en el terminal)")
          ->option_text("ARCHIVO")
          ->check(plot_path);

  CLI::App* fit = app.add_subcommand(
      "fit", "Ajusta epsilon/k_B y sigma (serie exacta) a valores medidos de B(T)");
  fit->group("Subórdenes");
  spanish_labels(*fit);
  std::string fit_data, fit_output, fit_plot;
  Format fit_format = Format::dat;
  fit->add_option("DATOS", fit_data,
                      "Archivo de datos ('-': la entrada estándar): T (K), B (cm3/mol) y, si se quiere, la "
                      "incertidumbre de B, separados por blancos o tabuladores, o bien por comas; el separador "
                      "decimal es '.'; '#' inicia un comentario")
          ->option_text("ARCHIVO")
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
    return usage_error(spanish(error), fit->parsed());
  }
  if (fit->parsed()) {
    for (const CLI::Option* table_option : app.get_options()) {
      if (table_option->count() > 0) {
        return usage_error(table_option->get_name() + " no se usa con 'fit'; las opciones de 'fit' van tras su nombre.",
                           true);
      }
    }
    if (const auto extra = leftover(fit->remaining())) return usage_error(*extra, true);
    command.fit_data = fit_data;
    command.format = fit_format;
    if (fit_output_option->count() > 0) command.output = fit_output;
    if (fit_plot_option->count() > 0) command.plot = fit_plot;
    result.command = command;
    return result;
  }
  if (const auto extra = leftover(app.remaining())) return usage_error(*extra, false);
  if (epsilon_option->count() != sigma_option->count()) {
    return usage_error(std::string(epsilon_option->count() > 0 ? "--epsilon requiere --sigma"
                                                               : "--sigma requiere --epsilon") +
                           ": se dan los dos o ninguno (y entonces se preguntan).",
                       false);
  }
  if (command.summary) {
    for (const CLI::Option* excluded :
         {tmin_option, tmax_option, step_option, method_option, derivative_option, plot_option}) {
      if (excluded->count() > 0) {
        return usage_error("--summary no se combina con " + excluded->get_name() +
                               ": da las temperaturas características, no una tabla.",
                           false);
      }
    }
    if (command.format == Format::csv) {
      return usage_error("--summary se escribe como texto (-f dat) o como JSON (-f json), no como csv.", false);
    }
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

// A value and its standard uncertainty, the uncertainty to two significant
// digits and the value to the same decimal place. An uncertainty below the
// last digit a double holds is shown on its own, after the full value.
std::string with_uncertainty(double value, double u) {
  char buffer[128];
  if (!(u > 0.0)) return shortest(value) + " ± 0";
  const int decimals = std::max(0, 1 - static_cast<int>(std::floor(std::log10(u))));
  if (value != 0.0 && decimals > 16 - static_cast<int>(std::floor(std::log10(std::fabs(value))))) {
    std::snprintf(buffer, sizeof buffer, "%s ± %.1e", shortest(value).c_str(), u);
  } else {
    std::snprintf(buffer, sizeof buffer, "%.*f ± %.*f", decimals, value, decimals, u);
  }
  return buffer;
}

std::string four_digits(double value) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%.4g", value);
  return buffer;
}

void write_fit_summary(std::FILE* file, const std::string& source, const DataSet& data, const FitResult& fit) {
  std::fprintf(file, "Ajuste de Lennard-Jones (serie exacta, N_A = %s 1/mol) a %zu puntos de %s%s\n",
               shortest(avogadro_per_mol).c_str(), data.points.size(), source.c_str(),
               data.has_uncertainties ? ", con sus incertidumbres" : "");
  std::fprintf(file, "epsilon/k_B = %s K\n", with_uncertainty(fit.epsilon_K, fit.epsilon_K_stderr).c_str());
  std::fprintf(file, "sigma = %s A\n", with_uncertainty(fit.sigma_A, fit.sigma_A_stderr).c_str());
  std::fprintf(file, "residuo RMS = %s cm3/mol\n", four_digits(fit.rms_cm3_per_mol).c_str());
  if (data.has_uncertainties) {
    std::fprintf(file, "chi² = %s con %zu grados de libertad; chi² reducido = %s\n", four_digits(fit.chi2).c_str(),
                 fit.dof, four_digits(fit.reduced_chi2).c_str());
    // How likely a chi^2 this large is if the model and the uncertainties are right.
    const double p = boost::math::cdf(
        boost::math::complement(boost::math::chi_squared_distribution<double>(static_cast<double>(fit.dof)), fit.chi2));
    if (p < 1e-3) {
      std::fprintf(file,
                   "Atención: un chi² reducido de %s es muy improbable con las incertidumbres dadas (p = %.1e): "
                   "ni el modelo ni ellas explican la dispersión de los datos, y los errores estándar de arriba "
                   "subestiman la incertidumbre de epsilon/k_B y sigma.\n",
                   four_digits(fit.reduced_chi2).c_str(), p);
    }
  } else {
    std::fprintf(file,
                 "chi² = %s (cm3/mol)² con %zu grados de libertad (sin incertidumbres: pesos iguales); "
                 "chi² reducido = %s (cm3/mol)²\n",
                 four_digits(fit.chi2).c_str(), fit.dof, four_digits(fit.reduced_chi2).c_str());
  }
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
                                           {"chi2", fit.chi2},
                                           {"dof", fit.dof},
                                           {"reduced_chi2", fit.reduced_chi2},
                                           {"points", std::move(points)}};
  const std::string text = document.dump(2) + "\n";
  std::fwrite(text.data(), 1, text.size(), file);
}

// How an output is named in a message.
std::string shown_name(const Endpoint& endpoint) {
  return endpoint.name == "-" ? "la salida estándar" : quoted_name(endpoint.name);
}

// Refuses outputs that would overwrite the input or each other, before
// anything is read or written. Each output is (option, endpoint).
std::optional<std::string> clashing_outputs(const std::vector<std::pair<std::string, Endpoint>>& outputs,
                                            const std::optional<Endpoint>& input) {
  for (std::size_t i = 0; i < outputs.size(); ++i) {
    const auto& [option, endpoint] = outputs[i];
    if (input && same_destination(endpoint, *input)) {
      return option + " escribiría en " + shown_name(endpoint) +
             ", que es el archivo de datos: se perderían los datos. Elija otro archivo.";
    }
    for (std::size_t j = i + 1; j < outputs.size(); ++j) {
      if (same_destination(endpoint, outputs[j].second)) {
        return option + " y " + outputs[j].first + " escribirían los dos en " + shown_name(endpoint) +
               (endpoint.name == "-" ? ", mezclados" : ": uno borraría al otro") + ". Elija archivos distintos.";
      }
    }
  }
  return std::nullopt;
}

int refuse_usage(std::FILE* err, const std::string& sentence, bool in_fit) {
  std::fputs(usage_error(sentence, in_fit).text.c_str(), err);
  return exit_usage;
}

int run_fit(const CommandLine& command, std::FILE* in, std::FILE* out, std::FILE* err) {
  const std::string& path = *command.fit_data;
  std::vector<std::pair<std::string, Endpoint>> outputs{
      {command.output ? "-o" : "la salida", {command.output.value_or("-"), 1, command.output.has_value()}}};
  if (command.plot) outputs.push_back({"--plot", {*command.plot, 1, true}});
  if (const auto clash = clashing_outputs(outputs, Endpoint{path, 0, true})) return refuse_usage(err, *clash, true);

  if (path == "-" && isatty(fileno(in)) == 1) {
    std::fputs("Escriba un punto por línea: T (K), B (cm3/mol) y, si se quiere, la incertidumbre de B; "
               "termine con Ctrl-D.\n",
               err);
  }
  DataSet data;
  FitResult fit;
  try {
    data = read_data_file(path);
    fit = fit_lennard_jones(data);
  } catch (const InputError& refusal) {
    std::fprintf(err, "Error: %s\n", refusal.what());
    return exit_bad_input;
  }
  const std::string source = path == "-" ? "la entrada estándar" : quoted_name(path);
  int status = exit_success;
  if (command.format == Format::json) {
    status = write_to_path(command.output.value_or("-"), out, err,
                           [&](std::FILE* file) { write_fit_json(file, data, fit); });
  } else {
    write_fit_summary(out, source, data, fit);
    status = write_to_path(command.output.value_or("-"), out, err,
                           [&](std::FILE* file) { write_fit_points(file, data, fit); });
  }
  if (status != exit_success || !command.plot) return status;
  return run_gnuplot(fit_plot_script(data, fit, *command.plot), *command.plot, out, err);
}

int run_summary(double epsilon, double sigma, const CommandLine& command, const std::string& output, std::FILE* out,
                std::FILE* err) {
  if (!(epsilon > 0.0)) {
    std::fputs("Error: las temperaturas características requieren epsilon/k_B positivo.\n", err);
    return exit_bad_input;
  }
  const Characteristics values = characteristics(epsilon, sigma);
  const std::pair<double, const char*> checked[] = {
      {values.boyle_temperature_K, "la temperatura de Boyle"},
      {values.inversion_temperature_K, "la temperatura de inversión"},
      {values.max_B_temperature_K, "la temperatura del máximo de B"},
      {values.max_B_cm3_per_mol, "el máximo de B"}};
  for (const auto& [value, name] : checked) {
    if (!std::isfinite(value)) {
      std::fprintf(err,
                   "Error: con epsilon/k_B = %s K y sigma = %s A, %s no es un número finito (%s); no se escribió "
                   "nada.\n",
                   shortest(epsilon).c_str(), shortest(sigma).c_str(), name, shortest(value).c_str());
      return exit_bad_input;
    }
  }
  return write_to_path(output, out, err,
                       [&](std::FILE* file) { write_characteristics(file, values, command.format); });
}

int run_table(const CommandLine& command, std::FILE* in, std::FILE* out, std::FILE* err) {
  const std::string output = command.output.value_or(command.summary ? "-" : default_results_path);
  if (command.plot) {
    const std::vector<std::pair<std::string, Endpoint>> outputs{
        {command.output ? "-o" : "la tabla", {output, 1, command.output.has_value()}},
        {"--plot", {*command.plot, 1, true}}};
    if (const auto clash = clashing_outputs(outputs, std::nullopt)) return refuse_usage(err, *clash, false);
  }

  double epsilon = 0.0;
  double sigma = 0.0;
  if (command.epsilon_K && command.sigma_A) {
    epsilon = *command.epsilon_K;
    sigma = *command.sigma_A;
  } else {
    // Keep standard output for the results when they go there.
    write_dialogue(output == "-" ? err : out, output);
    if (!read_parameters(in, err, epsilon, sigma)) return exit_bad_input;
  }
  try {
    check_parameters(epsilon, sigma);
  } catch (const InputError& refusal) {
    std::fprintf(err, "Error: %s\n", refusal.what());
    return exit_bad_input;
  }
  if (command.summary) return run_summary(epsilon, sigma, command, output, out, err);

  std::vector<double> temperatures;
  try {
    temperatures = requested_temperatures(command, epsilon);
  } catch (const SweepRefusal& refusal) {
    std::fprintf(err, "Error: %s\n", refusal.message.c_str());
    return refusal.exit_status;
  }
  Table table;
  {
    ProgressLine progress(err, temperatures.size(), "filas");
    table = compute_table(epsilon, sigma, temperatures, command.method, command.derivative,
                          Parallelism{0, progress.counter()});
  }
  if (const std::size_t bad = first_non_finite_row(table); bad < table.rows.size()) {
    const TableRow& row = table.rows[bad];
    std::fprintf(err,
                 "Error: a T = %s K (T/epsilon = %s) el resultado no es un número finito (1/T = %s, B = %s%s%s): "
                 "queda fuera del alcance del método; no se escribió nada.\n",
                 shortest(row.T_K).c_str(), shortest(row.T_K / epsilon).c_str(), shortest(1.0 / row.T_K).c_str(),
                 shortest(row.B_cm3_per_mol).c_str(), table.with_derivative ? ", dB/dT = " : "",
                 table.with_derivative ? shortest(row.dB_dT_cm3_per_mol_K).c_str() : "");
    return exit_bad_input;
  }
  const int status =
      write_to_path(output, out, err, [&](std::FILE* file) { write_table(file, table, command.format); });
  if (status != exit_success || !command.plot) return status;
  if (table.rows.empty()) {
    std::fputs("Error: la tabla no tiene filas: no hay nada que dibujar.\n", err);
    return exit_bad_input;
  }
  return run_gnuplot(table_plot_script(table, *command.plot), *command.plot, out, err);
}

// Output that sits in stdout's buffer fails at the latest when flushed.
int checked_standard_output(std::FILE* out, std::FILE* err, int status) {
  errno = 0;
  const bool flushed = std::fflush(out) == 0;
  if (flushed && std::ferror(out) == 0) return status;
  if (status != exit_success) return status;  // the failure that came first is already reported
  std::fprintf(err, "Error: no se pudo escribir en la salida estándar: %s\n",
               errno != 0 ? std::strerror(errno) : "error de escritura");
  return exit_write_failed;
}

int dispatch(int argc, const char* const argv[], std::FILE* in, std::FILE* out, std::FILE* err) {
  CommandLine command;  // with no arguments: the dialogue and the default table
  if (argc > 1) {
    const ParseResult parsed = parse_command_line(argc, argv);
    if (!parsed.command) {
      std::fputs(parsed.text.c_str(), parsed.exit_status == exit_success ? out : err);
      return parsed.exit_status;
    }
    command = *parsed.command;
  }
  return command.fit_data ? run_fit(command, in, out, err) : run_table(command, in, out, err);
}

}  // namespace

int run(int argc, const char* const argv[], std::FILE* in, std::FILE* out, std::FILE* err) {
  return checked_standard_output(out, err, dispatch(argc, argv, in, out, err));
}

void guard_standard_descriptors() {
  for (int fd = 0; fd <= 2; ++fd) {
    if (fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
    // Open for the other direction: every read or write fails with EBADF, as
    // on the closed descriptor. open() takes the lowest free number: fd.
    const int stand_in = open("/dev/null", fd == 0 ? O_WRONLY : O_RDONLY);
    if (stand_in >= 0 && stand_in != fd) {
      dup2(stand_in, fd);
      close(stand_in);
    }
  }
}

}  // namespace lennard
