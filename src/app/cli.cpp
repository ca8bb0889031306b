#include "lennard/app/cli.hpp"

#include <CLI/CLI.hpp>

#include <fcntl.h>
#include <sched.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <map>
#include <regex>
#include <thread>
#include <vector>

#include "lennard/app/console.hpp"
#include "lennard/physics/errors.hpp"
#include "lennard/io/files.hpp"
#include "lennard/physics/gas_library.hpp"
#include "lennard/io/plot.hpp"
#include "lennard/physics/third_virial.hpp"

namespace lennard {

const char* const version_text = "lennard " LENNARD_VERSION;

bool parse_number(const std::string& text, double& value) {
  if (text.empty()) return false;
  char* end = nullptr;
  value = std::strtod(text.c_str(), &end);
  // Overflow gives +-HUGE_VAL, as "%lf" does; the finiteness checks refuse it later.
  return end == text.c_str() + text.size();
}

std::string usage_message(const std::string& sentence, bool about_fit) {
  return "Error: " + sentence + "\nEjecute '" + (about_fit ? "lennard fit --help" : "lennard --help") +
         "' para ver las opciones.\n";
}

namespace {

// ---- Pieces of the option set-up ----------------------------------------------

// CLI11 reads doubles through long double, which may round differently from
// "%lf": take the text and convert it here.
class NumberOption {
 public:
  CLI::Option* add(CLI::App& app, const std::string& names, const std::string& help, const std::string& unit) {
    option_ = app.add_option(names, text_, help)->option_text(unit)->check(
        CLI::Validator([](std::string& input) -> std::string {
          double ignored = 0.0;
          return parse_number(input, ignored) ? "" : "'" + printable(input) + "' no es un número";
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

// A positive, finite number; what names it in the refusal ("una temperatura").
CLI::Validator positive_finite(const std::string& what, const std::string& shown) {
  return CLI::Validator(
      [what](std::string& input) -> std::string {
        double value = 0.0;
        if (!parse_number(input, value) || !std::isfinite(value) || !(value > 0.0)) {
          return "'" + printable(input) + "' no es " + what + " positiva y finita";
        }
        return "";
      },
      shown);
}

// Exactly one of the names of choices. (CLI::CheckedTransformer would also
// take the values' numbers, "-m 1", and refuse in English.)
template <class T>
CLI::Option* add_choice(CLI::App& app, const std::string& names, T& target, const std::map<std::string, T>& choices,
                        const std::string& help, const std::string& shown) {
  return app
      .add_option_function<std::string>(
          names, [&target, choices](const std::string& name) { target = choices.at(name); }, help)
      ->option_text(shown)
      ->check(CLI::Validator(
          [choices, shown](std::string& input) -> std::string {
            return choices.count(input) != 0 ? "" : "'" + printable(input) + "' no es válido; opciones: " + shown;
          },
          shown));
}

// --threads N, the same for the table and fit.
CLI::Option* add_threads(CLI::App& app, unsigned& threads) {
  return app
      .add_option_function<std::string>(
          "--threads", [&threads](const std::string& text) { threads = static_cast<unsigned>(std::stoul(text)); },
          "Número de hilos de cálculo (por defecto, uno por CPU disponible); el resultado no depende de él")
      ->option_text("N")
      ->check(CLI::Validator(
          [](std::string& input) -> std::string {
            const bool digits = !input.empty() && input.size() <= 4 &&
                                input.find_first_not_of("0123456789") == std::string::npos;
            if (!digits || std::stoul(input) < 1 || std::stoul(input) > 1024) {
              return "'" + printable(input) + "' no es un número de hilos (un entero de 1 a 1024)";
            }
            return "";
          },
          "N"));
}

const CLI::Validator file_name(
    [](std::string& input) -> std::string { return input.empty() ? "nombre de archivo vacío" : ""; }, "ARCHIVO");

const CLI::Validator plot_path(
    [](std::string& input) -> std::string {
      return plot_terminal(input) ? ""
                                  : "'" + printable(input) + "': el gráfico debe terminar en .png, .svg o .pdf, o ser '-'";
    },
    "ARCHIVO");

const CLI::Validator potential_spelling(
    [](std::string& input) -> std::string {
      try {
        parse_potential(input);
        return "";
      } catch (const UsageError& refusal) {
        return refusal.what();
      }
    },
    "POTENCIAL");

constexpr const char* potential_help =
    "Potencial: lj (Lennard-Jones 12-6, por defecto), mie:N,M (Mie N-M, N > M > 3, N - M >= N/20), sw:LAMBDA (pozo cuadrado de "
    "anchura LAMBDA > 1) o hs (esferas duras, sin epsilon)";

// The checks --quantum and --mass share in the table and in fit.
std::optional<std::string> quantum_refusal(bool quantum, bool mass_given, const Potential& potential) {
  if (!quantum) {
    if (mass_given) return "--mass solo sirve con --quantum.";
    return std::nullopt;
  }
  if (!mass_given) return "--quantum necesita la masa molar: --mass G_POR_MOL.";
  if (!std::holds_alternative<LennardJones>(potential) && !std::holds_alternative<Mie>(potential)) {
    return "--quantum necesita un potencial continuo (lj o mie:N,M); con " + potential_name(potential) +
           " la corrección de Wigner-Kirkwood no existe.";
  }
  return std::nullopt;
}

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

// ---- The table (and the dialogue, and the summary) ------------------------------

// The options of the table as CLI11 leaves them, before the checks that span
// several options.
struct TableSetup {
  NumberOption epsilon, sigma, tmin, tmax, step, pressure, mass, kij;
  std::string output, plot, potential = "lj", gas, mix;
  Method method = Method::trapezoid;
  TableOptions options;
  CLI::Option *epsilon_option, *sigma_option, *output_option, *tmin_option, *tmax_option, *step_option,
      *method_option, *derivative_option, *third_option, *pressure_option, *quantum_option, *mass_option,
      *plot_option, *potential_option, *gas_option, *mix_option, *kij_option, *summary_option;
};

// "argon:0.3,Kr:0.7": library gases (names or aliases) and their mole fractions,
// normalised (and the sum they had given back in typed_sum) when they miss 1
// only by rounding.
Mixture parse_mixture(const std::string& text, std::optional<double> kij, std::optional<double>& typed_sum) {
  Mixture mixture;
  std::size_t start = 0;
  while (start <= text.size()) {
    const std::size_t comma = std::min(text.find(',', start), text.size());
    const std::string part = text.substr(start, comma - start);
    const std::size_t colon = part.rfind(':');
    double fraction = 0.0;
    if (colon == std::string::npos || !parse_number(part.substr(colon + 1), fraction)) {
      throw UsageError("--mix espera GAS:FRACCIÓN separados por comas; '" + printable(part) + "' no lo es.");
    }
    const Gas& gas = find_gas(part.substr(0, colon));
    mixture.components.push_back(
        {gas.name, gas.potential, gas.epsilon_K, gas.sigma_A, gas.molar_mass_g_per_mol, fraction});
    start = comma + 1;
  }
  mixture.kij = kij.value_or(0.0);
  double sum = 0.0;
  for (const Component& c : mixture.components) sum += c.mole_fraction;
  if (normalise_mole_fractions(mixture)) typed_sum = sum;
  check_mixture(mixture);
  return mixture;
}

void setup_table(CLI::App& app, TableSetup& s) {
  s.epsilon_option = s.epsilon.add(app, "-e,--epsilon", "Profundidad del pozo epsilon/k_B, en K (con -s)", "K");
  s.sigma_option = s.sigma.add(app, "-s,--sigma", "Diámetro de colisión sigma, en Å (con -e)", "A");
  s.potential_option = app.add_option("-p,--potential", s.potential, potential_help)
                           ->option_text("POTENCIAL")
                           ->check(potential_spelling);
  s.gas_option = app.add_option("--gas", s.gas,
                                "Un gas de la biblioteca ('lennard gases'): fija el potencial, epsilon/k_B, sigma y "
                                "la masa; sin -e, -s ni -p")
                     ->option_text("NOMBRE");
  s.mix_option = app.add_option("--mix", s.mix,
                                "Una mezcla de gases de la biblioteca con sus fracciones molares, p. ej. "
                                "\"argon:0.3,krypton:0.7\" (serie exacta, reglas de Lorentz-Berthelot)")
                     ->option_text("GAS:X,...");
  s.kij_option = s.kij.add(app, "--kij", "Parámetro k_ij de epsilon_12 = (1 - k_ij) sqrt(epsilon_1 epsilon_2), "
                                         "para una mezcla binaria (por defecto 0)", "K_IJ");
  s.output_option = app.add_option("-o,--output", s.output,
                                   "Archivo de resultados ('-': la salida estándar); por defecto 'Lennard.dat' "
                                   "(con --summary, la salida estándar)")
                        ->option_text("ARCHIVO")
                        ->check(file_name);
  s.tmin_option = s.tmin.add(app, "--tmin", "Primera temperatura del barrido, en K (por defecto epsilon/k_B)", "K")
                      ->check(positive_finite("una temperatura", "K>0"));
  s.tmax_option = s.tmax.add(app, "--tmax", "Cota superior del barrido, en K (por defecto 5 epsilon/k_B)", "K")
                      ->check(positive_finite("una temperatura", "K>0"));
  s.step_option = s.step.add(app, "--step", "Paso de temperatura, en K (por defecto (tmax - tmin)/100)", "K")
                      ->check(positive_finite("una temperatura", "K>0"));
  s.method_option = add_choice(app, "-m,--method", s.method,
                               std::map<std::string, Method>{{"trapezoid", Method::trapezoid},
                                                             {"series", Method::series},
                                                             {"quadrature", Method::quadrature}},
                               "Método: trapezoid (regla del trapecio, solo lj, N_A = 6.022e23; por defecto con lj), "
                               "series (serie exacta o forma cerrada; por defecto con los demás) o quadrature "
                               "(cuadratura adaptativa); los dos últimos con N_A = 6.02214076e23",
                               "trapezoid|series|quadrature");
  s.derivative_option = app.add_flag("--derivative", s.options.derivative,
                                     "Añade la columna dB/dT, en cm3/(mol K) (y dC/dT con --third)");
  s.third_option = app.add_flag("--third", s.options.third,
                                "Añade el tercer coeficiente del virial C, en cm6/mol2 (siempre con N_A = 6.02214076e23)");
  s.pressure_option =
      s.pressure
          .add(app, "--pressure",
               "Añade el volumen molar V (cm3/mol) y Z = PV/(RT) del gas a esta presión, en bar, según la ecuación "
               "del virial truncada tras C (implica --third)",
               "BAR")
          ->check(positive_finite("una presión", "BAR>0"));
  s.quantum_option = app.add_flag("--quantum", s.options.quantum,
                                  "Añade a B su primera corrección cuántica (Wigner-Kirkwood, orden hbar^2), para gases "
                                  "ligeros; necesita --mass (o --gas o --mix, que dan la masa) y un potencial continuo (lj o mie:N,M)");
  s.mass_option = s.mass.add(app, "--mass", "Masa molar, en g/mol (para --quantum)", "G_POR_MOL")
                      ->check(positive_finite("una masa", "G/MOL>0"));
  add_choice(app, "-f,--format", s.options.format,
             std::map<std::string, Format>{{"dat", Format::dat}, {"csv", Format::csv}, {"json", Format::json}},
             "Formato: dat (por defecto), csv o json", "dat|csv|json");
  s.summary_option = app.add_flag("--summary", s.options.summary,
               "En lugar de la tabla, las temperaturas características (serie exacta): Boyle, inversión de "
               "Joule-Thomson y máximo de B, donde existen; sin --tmin, --tmax, --step, -m, --derivative, --third, "
               "--pressure ni --plot");
  s.plot_option = app.add_option("--plot", s.plot,
                                 "Dibuja B(T) con gnuplot en ARCHIVO (.png, .svg o .pdf; '-': en el terminal)")
                      ->option_text("ARCHIVO")
                      ->check(plot_path);
  add_threads(app, s.options.threads);
}

// The checks that span several options; a sentence for the user when they fail.
// --gas and --mix stand for -e, -s, -p and --mass; the sentence when they clash.
std::optional<std::string> gas_refusal(const TableSetup& s) {
  const CLI::Option* chosen = s.mix_option->count() > 0 ? s.mix_option : s.gas_option;
  if (chosen->count() == 0) {
    if (s.kij_option->count() > 0) return "--kij es el parámetro de una mezcla: va con --mix.";
    return std::nullopt;
  }
  if (s.mix_option->count() > 0 && s.gas_option->count() > 0) return "--gas y --mix no se combinan: un gas o una mezcla.";
  for (const CLI::Option* excluded : {s.epsilon_option, s.sigma_option, s.potential_option, s.mass_option}) {
    if (excluded->count() > 0) {
      return chosen->get_name() + " ya fija el potencial, epsilon/k_B, sigma y la masa: no se combina con " +
             excluded->get_name() + ".";
    }
  }
  if (chosen == s.gas_option && s.kij_option->count() > 0) return "--kij es el parámetro de una mezcla: va con --mix.";
  if (chosen == s.mix_option) {
    if (s.summary_option->count() > 0) return "--summary es para un gas, no para una mezcla.";
    if (s.method_option->count() > 0 && s.method != Method::series) {
      return "las mezclas se calculan con la serie exacta: -m " + std::string(method_name(s.method)) +
             " no se usa con --mix.";
    }
  }
  return std::nullopt;
}

std::optional<std::string> finish_table(TableSetup& s) {
  TableOptions& o = s.options;
  if (auto refusal = gas_refusal(s)) return refusal;
  if (s.gas_option->count() > 0) {
    const Gas& gas = find_gas(s.gas);
    o.gas = gas.name;
    o.potential = gas.potential;
    o.epsilon_K = gas.epsilon_K;
    o.sigma_A = gas.sigma_A;
    if (o.quantum) o.molar_mass_g_per_mol = gas.molar_mass_g_per_mol;
    o.method = Method::series;  // what the library's parameters were fitted with; -m overrides it
  } else if (s.mix_option->count() > 0) {
    o.mixture = parse_mixture(s.mix, s.kij.value(), o.mixture_typed_sum);
    o.potential = o.mixture->components.front().potential;
    o.method = Method::series;
  } else {
    o.potential = parse_potential(s.potential);
  }
  const bool from_library = s.gas_option->count() > 0 || s.mix_option->count() > 0;
  const bool hard_spheres = !has_well_depth(o.potential);
  if (hard_spheres) {
    if (s.epsilon_option->count() > 0) return "con hs no hay epsilon/k_B: dé solo -s.";
    if (s.sigma_option->count() == 0) return "con hs hace falta -s (sigma).";
    if (!o.summary && (s.tmin_option->count() == 0 || s.tmax_option->count() == 0)) {
      return "con hs no hay epsilon/k_B del que tomar el barrido: dé --tmin y --tmax.";
    }
  } else if (s.epsilon_option->count() != s.sigma_option->count()) {
    return std::string(s.epsilon_option->count() > 0 ? "--epsilon requiere --sigma" : "--sigma requiere --epsilon") +
           ": se dan los dos o ninguno (y entonces se preguntan).";
  }
  if (auto refusal =
          quantum_refusal(o.quantum, s.mass_option->count() > 0 || (from_library && o.quantum), o.potential)) {
    return refusal;
  }
  if (o.quantum) {
    if (s.method_option->count() > 0 && s.method == Method::trapezoid) {
      return "--quantum se suma a B exacto: use -m series o quadrature, no trapezoid.";
    }
    if (s.method_option->count() == 0) o.method = Method::series;
  }
  if (s.method_option->count() > 0) {
    o.method = s.method;
    if (!method_applies(s.method, o.potential)) {
      return "-m trapezoid es la regla del potencial de Lennard-Jones 12-6; con " + potential_name(o.potential) +
             " use series o quadrature.";
    }
  }
  if (o.third || s.pressure_option->count() > 0) check_third_virial(o.potential);
  if (o.summary) {
    for (const CLI::Option* excluded : {s.tmin_option, s.tmax_option, s.step_option, s.method_option,
                                        s.derivative_option, s.third_option, s.pressure_option, s.plot_option}) {
      if (excluded->count() > 0) {
        return "--summary no se combina con " + excluded->get_name() +
               ": da las temperaturas características, no una tabla.";
      }
    }
    if (o.format == Format::csv) return "--summary se escribe como texto (-f dat) o como JSON (-f json), no como csv.";
  }
  if (!from_library) {
    o.epsilon_K = s.epsilon.value();
    o.sigma_A = s.sigma.value();
    o.molar_mass_g_per_mol = s.mass.value();
  }
  if (s.output_option->count() > 0) o.output = s.output;
  o.tmin_K = s.tmin.value();
  o.tmax_K = s.tmax.value();
  o.step_K = s.step.value();
  o.pressure_bar = s.pressure.value();
  if (s.plot_option->count() > 0) o.plot = s.plot;
  return std::nullopt;
}

// ---- fit ------------------------------------------------------------------------

struct FitSetup {
  FitOptions options;
  std::string output, plot, potential = "lj";
  bool quantum = false;
  NumberOption mass;
  std::string gas;
  CLI::Option *output_option, *plot_option, *free_option, *mass_option, *gas_option, *potential_option;
};

void setup_fit(CLI::App& fit, FitSetup& s) {
  fit.add_option("DATOS", s.options.data,
                 "Archivo de datos ('-': la entrada estándar): T (K), B (cm3/mol) y, si se quiere, la "
                 "incertidumbre de B, separados por blancos o tabuladores, o bien por comas; el separador "
                 "decimal es '.'; '#' inicia un comentario. También lee las tablas del programa (dat, csv "
                 "o json)")
      ->option_text("ARCHIVO")
      ->required();
  s.gas_option = fit.add_option("--gas", s.gas,
                                "Un gas de la biblioteca: su potencial y, con --quantum, su masa; sin -p ni --mass")
                     ->option_text("NOMBRE");
  s.potential_option = fit.add_option("-p,--potential", s.potential, std::string(potential_help) + "; hs no se ajusta")
      ->option_text("POTENCIAL")
      ->check(potential_spelling);
  s.free_option = fit.add_flag("--free-repulsion", s.options.free_repulsion,
                               "Con mie:N,M, ajusta también el exponente repulsivo, partiendo de N");
  fit.add_flag("--quantum", s.quantum,
               "Ajusta B con su primera corrección cuántica (Wigner-Kirkwood); necesita --mass y lj o mie:N,M");
  s.mass_option = s.mass.add(fit, "--mass", "Masa molar, en g/mol (para --quantum)", "G_POR_MOL")
                      ->check(positive_finite("una masa", "G/MOL>0"));
  s.output_option = fit.add_option("-o,--output", s.output,
                                   "Escribe la tabla de puntos (con -f json, el objeto entero) en ARCHIVO en lugar "
                                   "de la pantalla")
                        ->option_text("ARCHIVO")
                        ->check(file_name);
  add_choice(fit, "-f,--format", s.options.format,
             std::map<std::string, Format>{{"dat", Format::dat}, {"json", Format::json}},
             "Formato: dat (texto, por defecto) o json", "dat|json");
  s.plot_option = fit.add_option("--plot", s.plot,
                                 "Dibuja los puntos y la curva ajustada con gnuplot en ARCHIVO (.png, .svg o .pdf; "
                                 "'-': en el terminal)")
                      ->option_text("ARCHIVO")
                      ->check(plot_path);
  add_threads(fit, s.options.threads);
}

std::optional<std::string> finish_fit(FitSetup& s) {
  FitOptions& o = s.options;
  const bool from_library = s.gas_option->count() > 0;
  if (from_library) {
    for (const CLI::Option* excluded : {s.potential_option, s.mass_option}) {
      if (excluded->count() > 0) {
        return "--gas ya fija el potencial y la masa: no se combina con " + excluded->get_name() + ".";
      }
    }
    const Gas& gas = find_gas(s.gas);
    o.gas = gas.name;
    o.potential = gas.potential;
  } else {
    o.potential = parse_potential(s.potential);
  }
  if (!has_well_depth(o.potential)) return "con hs, B no depende de T: no hay epsilon/k_B ni sigma que ajustar.";
  if (o.free_repulsion && !std::holds_alternative<Mie>(o.potential)) {
    return "--free-repulsion ajusta el exponente N de mie:N,M; no se usa con " + potential_name(o.potential) + ".";
  }
  if (auto refusal = quantum_refusal(s.quantum, s.mass_option->count() > 0 || (from_library && s.quantum),
                                     o.potential)) {
    return refusal;
  }
  if (s.quantum) {
    if (o.free_repulsion) return "--quantum y --free-repulsion no se combinan.";
    o.quantum_molar_mass_g_per_mol = from_library ? find_gas(s.gas).molar_mass_g_per_mol : *s.mass.value();
  }
  if (s.output_option->count() > 0) o.output = s.output;
  if (s.plot_option->count() > 0) o.plot = s.plot;
  return std::nullopt;
}

// ---- Errors -----------------------------------------------------------------------

ParseResult usage_error(const std::string& sentence, bool about_fit) {
  ParseResult result;
  result.exit_status = exit_usage;
  result.text = usage_message(sentence, about_fit);
  return result;
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
  if (dynamic_cast<const CLI::ConversionError*>(&error) != nullptr) return name + " no admite ese valor.";
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
      "Segundo coeficiente del virial B(T) de un gas con potencial de Lennard-Jones 12-6 (u otro potencial de par).\n"
      "Sin argumentos pregunta epsilon/k_B y sigma y escribe la tabla en 'Lennard.dat'.",
      "lennard"};
  spanish_labels(app);
  app.set_version_flag("--version", version_text, "Muestra la versión y termina");
  TableSetup table;
  setup_table(app, table);

  CLI::App* fit = app.add_subcommand("fit", "Ajusta epsilon/k_B y sigma (serie exacta) a valores medidos de B(T)");
  fit->group("Subórdenes");
  spanish_labels(*fit);
  FitSetup fitting;
  setup_fit(*fit, fitting);

  CLI::App* gases = app.add_subcommand("gases", "Lista la biblioteca de gases: fórmula, epsilon/k_B, sigma, masa y fuente");
  gases->group("Subórdenes");
  spanish_labels(*gases);
  GasesOptions listing;
  add_choice(*gases, "-f,--format", listing.format,
             std::map<std::string, Format>{{"dat", Format::dat}, {"json", Format::json}},
             "Formato: dat (texto, por defecto) o json", "dat|json");

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
  for (CLI::App* command : {fit, gases}) {
    if (!command->parsed()) continue;
    for (const CLI::Option* table_option : app.get_options()) {
      if (table_option->count() > 0) {
        return usage_error(table_option->get_name() + " no se usa con '" + command->get_name() + "'; las opciones de '" +
                               command->get_name() + "' van tras su nombre.",
                           command == fit);
      }
    }
    if (const auto extra = leftover(command->remaining())) return usage_error(*extra, command == fit);
  }
  try {
    if (gases->parsed()) {
      result.gases = listing;
    } else if (fit->parsed()) {
      if (const auto refusal = finish_fit(fitting)) return usage_error(*refusal, true);
      result.fit = fitting.options;
    } else {
      if (const auto extra = leftover(app.remaining())) return usage_error(*extra, false);
      if (const auto refusal = finish_table(table)) return usage_error(*refusal, false);
      result.table = table.options;
    }
  } catch (const UsageError& refusal) {
    return usage_error(refusal.what(), fit->parsed());
  }
  return result;
}

namespace {

// Output that sits in stdout's buffer fails at the latest when flushed.
int checked_standard_output(std::FILE* out, std::FILE* err, int status) {
  errno = 0;
  const bool flushed = std::fflush(out) == 0;
  if (flushed && std::ferror(out) == 0) return status;
  if (status != exit_success) return status;  // the failure that came first is already reported
  std::fprintf(err, "Error: no se pudo escribir en la salida estándar: %s\n",
               errno != 0 ? system_error_text(errno).c_str() : "error de escritura");
  return exit_write_failed;
}

int dispatch(int argc, const char* const argv[], std::FILE* in, std::FILE* out, std::FILE* err) {
  if (argc <= 1) {  // the dialogue and the default table
    TableOptions dialogue;
    dialogue.threads = available_cpus();
    return run_table(dialogue, in, out, err);
  }
  ParseResult parsed = parse_command_line(argc, argv);
  if (parsed.fit) {
    if (parsed.fit->threads == 0) parsed.fit->threads = available_cpus();
    return run_fit(*parsed.fit, in, out, err);
  }
  if (parsed.gases) return run_gases(*parsed.gases, out, err);
  if (parsed.table) {
    if (parsed.table->threads == 0) parsed.table->threads = available_cpus();
    return run_table(*parsed.table, in, out, err);
  }
  std::fputs(parsed.text.c_str(), parsed.exit_status == exit_success ? out : err);
  return parsed.exit_status;
}

}  // namespace

int run(int argc, const char* const argv[], std::FILE* in, std::FILE* out, std::FILE* err) {
  return checked_standard_output(out, err, dispatch(argc, argv, in, out, err));
}

unsigned available_cpus() {
  cpu_set_t allowed;
  CPU_ZERO(&allowed);
  if (sched_getaffinity(0, sizeof allowed, &allowed) != 0) return std::max(1u, std::thread::hardware_concurrency());
  return static_cast<unsigned>(std::max(1, CPU_COUNT(&allowed)));
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
