// The table's options (and the dialogue's, and the summary's): set-up, and
// the checks that turn them into the request run_table runs.
#include <algorithm>
#include <cmath>

#include "cli_options.hpp"
#include "lennard/app/messages.hpp"
#include "lennard/physics/errors.hpp"
#include "lennard/physics/gas_library.hpp"
#include "lennard/physics/gas_model.hpp"
#include "lennard/physics/shortest.hpp"
#include "lennard/physics/third_virial.hpp"
#include "lennard/physics/validation.hpp"

namespace lennard::cli {

namespace {

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
    mixture.components.push_back(mixture_component(gas, fraction));
    start = comma + 1;
  }
  mixture.kij = kij.value_or(0.0);
  double sum = 0.0;
  for (const Component& c : mixture.components) sum += c.mole_fraction;
  if (normalise_mole_fractions(mixture)) typed_sum = sum;
  check_mixture(mixture);
  return mixture;
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
    // -p with --gas picks one of the gas's fitted models.
    if (excluded == s.potential_option && chosen == s.gas_option) continue;
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

// "0", "1", "1/2", "0.5", "3/2": a number, or a fraction of two whole numbers.
bool parse_spin(const std::string& text, double& spin) {
  const std::size_t slash = text.find('/');
  if (slash == std::string::npos) return parse_number(text, spin) && std::isfinite(spin);
  const std::string top = text.substr(0, slash), bottom = text.substr(slash + 1);
  const auto whole = [](const std::string& t) {
    return !t.empty() && t.size() <= 4 && t.find_first_not_of("0123456789") == std::string::npos;
  };
  double numerator = 0.0, denominator = 0.0;
  if (!whole(top) || !whole(bottom) || !parse_number(top, numerator) || !parse_number(bottom, denominator) ||
      denominator == 0.0) {
    return false;
  }
  spin = numerator / denominator;
  return true;
}

}  // namespace

void add_spin_options(CLI::App& app, SpinSetup& s) {
  s.statistics_option = app.add_option("--statistics", s.statistics,
                                       "Con --quantum exact: estadística nuclear; por defecto la del gas de --gas, "
                                       "boltzmann con --mass")
                            ->option_text("bose|fermi|boltzmann")
                            ->check(CLI::Validator(
                                [](std::string& input) -> std::string {
                                  return input == "bose" || input == "fermi" || input == "boltzmann"
                                             ? ""
                                             : "'" + printable(input) + "' no es válido; opciones: bose|fermi|boltzmann";
                                },
                                "bose|fermi|boltzmann"));
  s.spin_option = app.add_option("--spin", s.spin,
                                 "Con --quantum exact: espín nuclear (0, 1/2, 1...); por defecto el del gas, 0 con "
                                 "--mass")
                      ->option_text("I")
                      ->check(CLI::Validator(
                          [](std::string& input) -> std::string {
                            double ignored = 0.0;
                            return parse_spin(input, ignored) ? ""
                                                               : "'" + printable(input) + "' no es un espín (p. ej. 0, "
                                                                 "1/2, 1, 3/2)";
                          },
                          "I"));
}

std::optional<std::string> spin_options_refusal(const SpinSetup& s, bool exact) {
  for (const CLI::Option* exact_only : {s.statistics_option, s.spin_option}) {
    if (exact_only->count() > 0 && !exact) return exact_only->get_name() + " solo sirve con --quantum exact.";
  }
  return std::nullopt;
}

SpinStatistics spin_statistics(const SpinSetup& s, const Gas* gas) {
  // A library gas brings its own statistics; a mass alone, distinguishable molecules.
  SpinStatistics statistics;
  if (gas) statistics = {gas->statistics, gas->spin};
  if (s.statistics_option->count() > 0) {
    statistics.statistics = s.statistics == "bose"    ? Statistics::bose
                            : s.statistics == "fermi" ? Statistics::fermi
                                                      : Statistics::boltzmann;
  }
  if (s.spin_option->count() > 0) parse_spin(s.spin, statistics.spin);
  check_spin_statistics(statistics);
  return statistics;
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
                               "series (serie exacta o forma cerrada; por defecto con los demás, salvo he-abinitio) o "
                               "quadrature (cuadratura adaptativa; por defecto con he-abinitio, que no tiene serie); "
                               "los dos últimos con N_A = 6.02214076e23",
                               "trapezoid|series|quadrature");
  s.derivative_option = app.add_flag("--derivative", s.options.derivative,
                                     "Añade la columna dB/dT, en cm3/(mol K) (y dC/dT con --third)");
  s.third_option = app.add_flag("--third", s.options.third,
                                "Añade el tercer coeficiente del virial C, en cm6/mol2 (siempre con N_A = 6.02214076e23; con -m "
                                "quadrature, por la regla directa de la malla)");
  s.pressure_option =
      s.pressure
          .add(app, "--pressure",
               "Añade el volumen molar V (cm3/mol) y Z = PV/(RT) del gas a esta presión, en bar, según la ecuación "
               "del virial truncada tras C (implica --third)",
               "BAR")
          ->check(positive_finite("una presión", "BAR>0"));
  s.quantum_option = app.add_option("--quantum", s.quantum_order,
                                    "B cuántico de gases ligeros: 1 (Wigner-Kirkwood, hbar^2; también sin valor), 2 "
                                    "(añade hbar^4) o exact (exacto, por desfases; lleva segundos); necesita --mass "
                                    "(o --gas o --mix) y lj, mie:N,M o he-abinitio")
                          ->expected(0, 1)
                          ->option_text("[1|2|exact]")
                          ->check(CLI::Validator(
                              [](std::string& input) -> std::string {
                                return input.empty() || input == "1" || input == "2" || input == "exact"
                                           ? ""
                                           : "orden '" + printable(input) + "' desconocido; use 1 (hbar^2), 2 (hbar^4) "
                                             "o exact";
                              },
                              "1|2|exact"));
  add_spin_options(app, s.spin_setup);
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

std::optional<std::string> finish_table(TableSetup& s) {
  TableOptions& o = s.options;
  if (auto refusal = gas_refusal(s)) return refusal;
  o.quantum = s.quantum_option->count() > 0;
  if (o.quantum) {
    if (s.quantum_order == "2") o.quantum_order = 2;
    o.quantum_exact = s.quantum_order == "exact";
    if (o.quantum_order == 2 && s.mix_option->count() > 0) {
      return "--quantum 2 aún no se aplica a mezclas: use --quantum 1.";
    }
    if (o.quantum_exact && s.mix_option->count() > 0) return "--quantum exact aún no se aplica a mezclas.";
  }
  if (auto refusal = spin_options_refusal(s.spin_setup, o.quantum_exact)) return refusal;
  if (s.gas_option->count() > 0) {
    const Gas gas = s.potential_option->count() > 0 ? gas_with_model(find_gas(s.gas), parse_potential(s.potential))
                                                    : find_gas(s.gas);
    o.gas = gas.name;
    o.potential = gas.potential;
    o.epsilon_K = gas.epsilon_K;
    o.sigma_A = gas.sigma_A;
    if (o.quantum) o.molar_mass_g_per_mol = gas.molar_mass_g_per_mol;
    o.method = exact_method(gas.potential);  // what the library's parameters were fitted with; -m overrides it
  } else if (s.mix_option->count() > 0) {
    o.mixture = parse_mixture(s.mix, s.kij.value(), o.mixture_typed_sum);
    o.potential = o.mixture->components.front().potential;
    o.method = Method::series;
  } else {
    o.potential = parse_potential(s.potential);
  }
  const bool from_library = s.gas_option->count() > 0 || s.mix_option->count() > 0;
  const bool hard_spheres = !has_well_depth(o.potential);
  const std::optional<OwnScale> own = from_library ? std::nullopt : own_scale(o.potential);
  if (own) {
    if (s.epsilon_option->count() > 0 || s.sigma_option->count() > 0) {
      return "con " + potential_name(o.potential) + ", epsilon/k_B (" + shortest(own->epsilon_K) + " K) y sigma (" +
             shortest(own->sigma_A) + " A) son los del propio potencial: no dé -e ni -s.";
    }
  } else if (hard_spheres) {
    if (s.epsilon_option->count() > 0) return "con hs no hay epsilon/k_B: dé solo -s.";
    if (s.sigma_option->count() == 0) return "con hs hace falta -s (sigma).";
    if (!o.summary && (s.tmin_option->count() == 0 || s.tmax_option->count() == 0)) {
      return "con hs no hay epsilon/k_B del que tomar el barrido: dé --tmin y --tmax.";
    }
  } else if (s.epsilon_option->count() != s.sigma_option->count()) {
    return std::string(s.epsilon_option->count() > 0 ? "--epsilon requiere --sigma" : "--sigma requiere --epsilon") +
           ": se dan los dos o ninguno (y entonces se preguntan).";
  }
  if (auto refusal = mass_refusal(o.quantum, s.mass_option->count() > 0 || (from_library && o.quantum))) {
    return refusal;
  }
  if (o.quantum_exact) {
    o.statistics = spin_statistics(s.spin_setup, s.gas_option->count() > 0 ? &find_gas(s.gas) : nullptr);
  }
  if (s.method_option->count() > 0) o.method = s.method;
  else if (o.quantum) o.method = exact_method(o.potential);
  check_pure_gas(o.potential, o.method.value_or(default_method(o.potential)), o.quantum);
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
    o.epsilon_K = own ? std::optional<double>(own->epsilon_K) : s.epsilon.value();
    o.sigma_A = own ? std::optional<double>(own->sigma_A) : s.sigma.value();
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

}  // namespace lennard::cli
