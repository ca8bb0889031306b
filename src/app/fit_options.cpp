// fit's options: set-up, and the checks that turn them into the request
// run_fit runs.
#include "cli_options.hpp"
#include "lennard/physics/gas_library.hpp"
#include "lennard/physics/quantum_exact.hpp"
#include "lennard/physics/validation.hpp"

namespace lennard::cli {

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
               "Ajusta B con su primera corrección cuántica (Wigner-Kirkwood), o con '--quantum exact' con el B "
               "cuántico exacto (por desfases; lleva segundos por paso); necesita --mass (o --gas) y lj o mie:N,M");
  add_spin_options(fit, s.spin_setup);
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
  check_fittable(o.potential);
  if (o.free_repulsion && !std::holds_alternative<Mie>(o.potential)) {
    return "--free-repulsion ajusta el exponente N de mie:N,M; no se usa con " + potential_name(o.potential) + ".";
  }
  if (auto refusal = mass_refusal(s.quantum, s.mass_option->count() > 0 || (from_library && s.quantum))) {
    return refusal;
  }
  if (auto refusal = spin_options_refusal(s.spin_setup, s.quantum_exact)) return refusal;
  if (!s.quantum_exact) check_pure_gas(o.potential, Method::series, s.quantum);
  if (s.quantum) {
    if (o.free_repulsion) return "--quantum y --free-repulsion no se combinan.";
    o.quantum_molar_mass_g_per_mol = from_library ? find_gas(s.gas).molar_mass_g_per_mol : *s.mass.value();
  }
  if (s.quantum_exact) {
    o.quantum_exact = true;
    o.statistics = spin_statistics(s.spin_setup, from_library ? &find_gas(s.gas) : nullptr);
    radial_potential(o.potential);  // refuses the square well and hard spheres
  }
  if (s.output_option->count() > 0) o.output = s.output;
  if (s.plot_option->count() > 0) o.plot = s.plot;
  return std::nullopt;
}

}  // namespace lennard::cli
