#include "lennard/app/messages.hpp"

#include "lennard/app/exit_status.hpp"
#include "lennard/io/text.hpp"
#include "lennard/physics/shortest.hpp"

namespace lennard {

namespace {

std::string joined(const std::vector<std::string>& items) {
  std::string text;
  for (const std::string& item : items) text += (text.empty() ? "" : ", ") + item;
  return text;
}

std::string sentence(const InvalidArgument& e) {
  const std::string& value = e.value();
  const std::vector<std::string>& d = e.details();
  const auto detail = [&](std::size_t i) { return i < d.size() ? d[i] : std::string(); };
  const std::string spelling = "potencial '" + printable(value) + "': ";
  switch (e.reason()) {
    case Reason::not_finite: return "epsilon/k_B y sigma deben ser números finitos.";
    case Reason::zero: return "epsilon/k_B no puede ser cero: el barrido de temperaturas no avanzaría.";
    case Reason::too_large: return "epsilon/k_B = " + value + " K es demasiado grande: 5*epsilon/k_B desborda.";
    case Reason::not_positive: return "sigma debe ser positivo; se leyó " + value + " A.";
    case Reason::unknown:
      if (e.parameter() == Parameter::gas) {
        return "gas desconocido: '" + printable(value) + "'. Los más parecidos: " + joined(d) +
               " ('lennard gases' da la lista).";
      }
      return "potencial desconocido: '" + printable(value) + "'; los hay lj, mie:N,M, sw:LAMBDA, hs, he-abinitio y he3-abinitio.";
    case Reason::not_a_number: return spelling + "'" + printable(detail(0)) + "' no es un número.";
    case Reason::wrong_parameter_count:
      return spelling + "se esperaban " + detail(0) + (detail(0) == "1" ? " número" : " números") + " tras ':'.";
    case Reason::takes_no_parameters: return spelling + "'" + detail(0) + "' no lleva parámetros.";
    case Reason::missing_exponents: return "potencial 'mie': faltan los exponentes, p. ej. mie:14,6.";
    case Reason::missing_well_width: return "potencial 'sw': falta la anchura LAMBDA del pozo, p. ej. sw:1.5.";
    case Reason::well_width_out_of_range: return spelling + "LAMBDA debe ser finito y mayor que 1.";
    case Reason::exponents_out_of_range:
      return value + ": los exponentes deben ser finitos con N > M > 3 (B no existe si M <= 3).";
    case Reason::exponents_too_close:
      return value + ": exponentes demasiado próximos; mie:N,M necesita N - M >= N/20.";
    case Reason::no_components: return "la mezcla no tiene componentes.";
    case Reason::repeated_component:
      return value + " aparece dos veces en la mezcla: dé cada gas una sola vez, con la suma de sus fracciones.";
    case Reason::out_of_range:
      if (e.parameter() == Parameter::kij) return "k_ij = " + value + " no es válido: debe ser finito y menor que 1.";
      if (e.parameter() == Parameter::quantum) {
        return "el B cuántico exacto no se calcula con Lambda* o un número de onda de " + value + ".";
      }
      return "la fracción molar de " + detail(0) + " (" + value + ") debe estar en (0, 1].";
    case Reason::sum_not_one:
      return "las fracciones molares de la mezcla suman " + value +
             ", no 1 (tolerancia 1e-9; a menos de 1e-3 de 1 se normalizan).";
    case Reason::binary_only: return "--kij es para mezclas binarias; esta tiene " + detail(0) + " componentes.";
    case Reason::not_combinable:
      return "no se combinan " + detail(0) + " (" + detail(1) + ") y " + detail(2) + " (" + detail(3) +
             "): las reglas de Lorentz-Berthelot unen lj con lj, o mie con mie de iguales exponentes.";
    case Reason::needs_smooth_potential:
      return "--quantum necesita un potencial continuo (lj, mie:N,M o he-abinitio); con " + value +
             " la corrección de Wigner-Kirkwood no existe.";
    case Reason::needs_exact_method:
      return "--quantum se suma a B exacto: use -m series o quadrature, no " + value + ".";
    case Reason::needs_lennard_jones:
      return "-m " + value + " es la regla del potencial de Lennard-Jones 12-6; con " + detail(0) +
             " use series o quadrature.";
    case Reason::too_many_rows: return "el barrido de temperaturas tendría más de " + value + " filas.";
    case Reason::does_not_advance:
      return "el paso de temperatura " + value + " K no hace avanzar T = " + detail(0) +
             " K: el barrido no terminaría.";
    case Reason::needs_well_depth:
      return "con " + value + ", B no depende de T: no hay epsilon/k_B ni sigma que ajustar a B(T).";
    case Reason::needs_mie:
      return "--free-repulsion ajusta el exponente N de mie:N,M; no se usa con " + value + ".";
    case Reason::grid_too_large:
      return value + ": C (--third) necesitaría una malla de " + detail(0) + " pasos y el límite es " + detail(1) +
             " (su alcance, 10^(12/(2M-3)) sigma, crece cuando M se acerca a 3, y su paso, 0.02 sigma, "
             "se acorta como 12/N si N > 12): con N <= 12 hace falta M >= 3.73.";
    case Reason::spin_mismatch:
      return "--spin " + value + " no es un espín de " + (detail(0) == "bose" ? "bosones" : "fermiones") +
             ": los bosones tienen espín entero y los fermiones semientero (0, 1/2, 1, 3/2...).";
    case Reason::too_costly:
      return "--quantum exact hasta T* = " + value + " llevaría demasiado tiempo (los desfases crecen con T); con este "
             "gas llega hasta T* = " + detail(0) + " (T = T* epsilon/k_B). Más arriba use --quantum 2.";
    case Reason::outside_prepared_range:
      return "T* = " + value + " queda fuera del intervalo para el que se calcularon los desfases (" + detail(0) +
             " a " + detail(1) + ").";
    case Reason::no_series:
      return detail(0) + " no tiene serie para B: se calcula por cuadratura (-m quadrature, su método por "
             "defecto), no con -m " + value + ".";
    case Reason::no_free_parameters:
      return value + " es un potencial de primeros principios con su propio epsilon/k_B y sigma: no tiene "
             "parámetros que ajustar.";
    case Reason::not_in_mixture:
      return detail(0) + " (" + value + ") no se mezcla: las reglas de Lorentz-Berthelot no se aplican a un "
             "potencial de primeros principios.";
    case Reason::not_fitted: {
      std::string models;
      for (std::size_t i = 1; i < e.details().size(); ++i) models += (i > 1 ? ", " : "") + e.details()[i];
      return "la biblioteca no tiene un ajuste " + value + " de " + detail(0) + "; tiene: " + models + ".";
    }
  }
  return e.what();
}

std::string fitted(double parameters) {
  return parameters > 2.0 ? "epsilon/k_B, sigma y el exponente repulsivo" : "epsilon/k_B y sigma";
}

std::string sentence(const FitNotDetermined& e) {
  const std::vector<double>& n = e.numbers();
  const auto number = [&](std::size_t i) { return i < n.size() ? n[i] : 0.0; };
  switch (e.failure()) {
    case FitFailure::too_few_temperatures:
      return "se necesitan puntos a " + shortest(number(0)) + " temperaturas distintas por lo menos para determinar " +
             fitted(number(0) - 1.0) + "; hay " + shortest(number(1)) + ".";
    case FitFailure::range_too_wide:
      return "las temperaturas van de " + shortest(number(0)) + " K a " + shortest(number(1)) +
             " K: un intervalo tan amplio no cabe entre T/epsilon = 0.05 y 1e4, donde se busca el ajuste.";
    case FitFailure::no_minimum:
      return "no hay un mínimo de chi^2 para epsilon/k_B entre " + shortest(number(0)) + " K y " +
             shortest(number(1)) + " K: los datos no se parecen a los de un gas con el potencial " + e.potential() +
             ".";
    case FitFailure::non_positive_volume:
      return "el ajuste da sigma^3 <= 0: los datos no se parecen a los de un gas con el potencial " + e.potential() +
             ".";
    case FitFailure::undetermined:
      return "estos datos no determinan " + fitted(number(0)) +
             (number(0) > 2.0 ? ": sus errores" : ": el ajuste o sus errores") + " estándar no son finitos.";
    case FitFailure::quantum_undetermined:
      return "estos datos no determinan epsilon/k_B y sigma con la corrección cuántica.";
    case FitFailure::quantum_far:
      return "con la corrección cuántica, el mínimo de chi^2 queda lejos del ajuste clásico: la corrección de "
             "primer orden no describe estos datos.";
    case FitFailure::exponent_at_edge:
      return "no hay un mínimo de chi^2 para el exponente repulsivo entre " + shortest(number(0)) + " y " +
             shortest(number(1)) + ": pruebe con otro N de partida.";
  }
  return e.what();
}

// Values the computation cannot work with (refused input, exit_bad_input);
// the other parameters are values of the command line.
bool refused_input(Parameter parameter) {
  return parameter == Parameter::epsilon || parameter == Parameter::sigma ||
         parameter == Parameter::temperature_step;
}

}  // namespace

std::optional<Refusal> refusal_of(const std::exception& error) {
  if (const auto* e = dynamic_cast<const InvalidArgument*>(&error)) {
    return Refusal{sentence(*e), !refused_input(e->parameter())};
  }
  if (const auto* e = dynamic_cast<const FitNotDetermined*>(&error)) return Refusal{sentence(*e), false};
  if (const auto* e = dynamic_cast<const NotConverged*>(&error)) {
    return Refusal{"el ajuste no converge en " + std::to_string(e->iterations()) + " iteraciones.", false};
  }
  if (const auto* e = dynamic_cast<const DataFileError*>(&error)) {
    return Refusal{data_file_sentence(e->problem()), false};
  }
  if (const auto* e = dynamic_cast<const Error*>(&error)) return Refusal{e->what(), e->kind() == ErrorKind::usage};
  return std::nullopt;
}

std::string spanish_sentence(const std::exception& error) {
  const std::optional<Refusal> refusal = refusal_of(error);
  return refusal ? refusal->sentence : error.what();
}

int exit_status_of(const Refusal& refusal) { return refusal.usage ? exit_usage : exit_bad_input; }

}  // namespace lennard
