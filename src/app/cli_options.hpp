// The pieces the command line's options are built from, shared by the table
// (table_options.cpp), fit (fit_options.cpp) and the parser (cli.cpp): the
// options as CLI11 leaves them, and the checks that turn them into a request.
#pragma once

#include <CLI/CLI.hpp>

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "lennard/app/cli.hpp"
#include "lennard/io/text.hpp"
#include "lennard/physics/gas_library.hpp"
#include "lennard/physics/quantum_exact.hpp"

namespace lennard::cli {

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
CLI::Validator positive_finite(const std::string& what, const std::string& shown);

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
CLI::Option* add_threads(CLI::App& app, unsigned& threads);

// A file name that is not empty; a plot's name with a known ending (or "-");
// a potential's spelling that parse_potential accepts.
extern const CLI::Validator file_name;
extern const CLI::Validator plot_path;
extern const CLI::Validator potential_spelling;

extern const char* const potential_help;

// The checks of --mass the table and fit share; check_pure_gas has those of
// --quantum with the potential and the method.
std::optional<std::string> mass_refusal(bool quantum, bool mass_given);

// Spanish labels and help flag; CLI11's English refusals are left to spanish().
void spanish_labels(CLI::App& app);

// CLI11's own parse errors, in Spanish.
std::string spanish(const CLI::ParseError& error);

// Arguments left over after parsing: unknown options or stray words.
std::optional<std::string> leftover(const std::vector<std::string>& remaining);

// --statistics and --spin (the exact quantum B's nuclear statistics), as typed.
struct SpinSetup {
  std::string statistics, spin;
  CLI::Option *statistics_option = nullptr, *spin_option = nullptr;
};
void add_spin_options(CLI::App& app, SpinSetup& s);
// A sentence when they are given without --quantum exact.
std::optional<std::string> spin_options_refusal(const SpinSetup& s, bool exact);
// The statistics they ask for: those of the gas (if any) overridden by the
// options; throws InvalidArgument when the spin does not suit them.
SpinStatistics spin_statistics(const SpinSetup& s, const Gas* gas);

// The options of the table as CLI11 leaves them, before the checks that span
// several options.
struct TableSetup {
  NumberOption epsilon, sigma, tmin, tmax, step, pressure, mass, kij;
  std::string output, plot, potential = "lj", gas, mix;
  Method method = Method::trapezoid;
  std::string quantum_order;  // as typed after --quantum; empty: 1
  SpinSetup spin_setup;
  TableOptions options;
  CLI::Option *epsilon_option, *sigma_option, *output_option, *tmin_option, *tmax_option, *step_option,
      *method_option, *derivative_option, *third_option, *pressure_option, *quantum_option, *mass_option,
      *plot_option, *potential_option, *gas_option, *mix_option, *kij_option, *summary_option;
};

// Adds the table's options to app.
void setup_table(CLI::App& app, TableSetup& s);

// The checks that span several options, and the request they leave in
// s.options; a sentence for the user when they fail. Throws the physics'
// refusals (an unknown gas, a potential or mixture the rules refuse).
std::optional<std::string> finish_table(TableSetup& s);

// The options of fit as CLI11 leaves them.
struct FitSetup {
  FitOptions options;
  std::string output, plot, potential = "lj";
  bool quantum = false;
  bool quantum_exact = false;  // "exact" followed --quantum
  SpinSetup spin_setup;
  NumberOption mass;
  std::string gas;
  CLI::Option *output_option, *plot_option, *free_option, *mass_option, *gas_option, *potential_option;
};

void setup_fit(CLI::App& fit, FitSetup& s);

// As finish_table, for fit.
std::optional<std::string> finish_fit(FitSetup& s);

}  // namespace lennard::cli
