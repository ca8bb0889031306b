// The pieces of the option set-up the table and fit share, and the Spanish
// words for CLI11's own refusals.
#include <cmath>
#include <cstdlib>
#include <regex>

#include "cli_options.hpp"
#include "lennard/app/messages.hpp"
#include "lennard/io/plot.hpp"
#include "lennard/physics/errors.hpp"
#include "lennard/physics/potential.hpp"

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

namespace cli {

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
      } catch (const InvalidArgument& refusal) {
        return spanish_sentence(refusal);
      }
    },
    "POTENCIAL");

const char* const potential_help =
    "Potencial: lj (Lennard-Jones 12-6, por defecto), mie:N,M (Mie N-M, N > M > 3, N - M >= N/20), sw:LAMBDA (pozo cuadrado de "
    "anchura LAMBDA > 1), hs (esferas duras, sin epsilon), he-abinitio (helio de primeros principios, Przybytek et al. "
    "2017, con su propio epsilon/k_B y sigma: sin -e ni -s) o he3-abinitio (el mismo para el helio-3, su corrección "
    "adiabática escalada a la masa del núcleo)";

// The checks of --mass the table and fit share; check_pure_gas has those of
// --quantum with the potential and the method.
std::optional<std::string> mass_refusal(bool quantum, bool mass_given) {
  if (!quantum) {
    if (mass_given) return "--mass solo sirve con --quantum.";
    return std::nullopt;
  }
  if (!mass_given) return "--quantum necesita la masa molar: --mass G_POR_MOL.";
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

}  // namespace cli

}  // namespace lennard
