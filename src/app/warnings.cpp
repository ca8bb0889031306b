#include "lennard/app/warnings.hpp"

#include <cmath>
#include <string>

#include "lennard/physics/gas_library.hpp"
#include "lennard/physics/shortest.hpp"

namespace lennard {

namespace {

// "entre T = a K y T = b K", or "a T = a K" for a single temperature.
std::string where(const Diagnostic& d) {
  if (d.T_lo_K == d.T_hi_K) return "a T = " + shortest(d.T_lo_K) + " K";
  return "entre T = " + shortest(d.T_lo_K) + " K y T = " + shortest(d.T_hi_K) + " K";
}

}  // namespace

void warn_of(const std::vector<Diagnostic>& diagnostics, std::optional<double> pressure_bar, std::FILE* err) {
  for (const Diagnostic& d : diagnostics) {
    switch (d.kind) {
      case DiagnosticKind::quantum_fit_used_classically:
        if (find_gas(d.gas).fitted_data.empty()) {
          std::fprintf(err,
                       "Aviso: %s es un gas cuántico: sin --quantum exact, B es el clásico de su potencial, que se "
                       "aleja del real a temperaturas bajas.\n",
                       d.gas.c_str());
          break;
        }
        std::fprintf(err,
                     "Aviso: los parámetros de %s se ajustaron con %s; sin %s, B se aleja de los datos a "
                     "temperaturas bajas.\n",
                     d.gas.c_str(),
                     find_gas(d.gas).fitted_with_exact_quantum ? "el B cuántico exacto" : "la corrección cuántica",
                     find_gas(d.gas).fitted_with_exact_quantum ? "--quantum exact" : "--quantum");
        break;
      case DiagnosticKind::no_gas_root:
        // Their V and Z stay NaN (null in json).
        std::fprintf(err,
                     "Aviso: a %s bar la ecuación del virial truncada tras C no tiene raíz gaseosa %s (%zu %s): allí "
                     "V y Z quedan como nan (null en json).\n",
                     shortest(pressure_bar.value_or(std::nan(""))).c_str(), where(d).c_str(), d.count,
                     d.count == 1 ? "fila" : "filas");
        break;
      case DiagnosticKind::condensed:
        std::fprintf(err,
                     "Aviso: a %s bar, %s no es gas %s (%zu %s): la presión supera su presión de vapor (o de "
                     "sublimación), está condensado; allí V y Z quedan como nan (null en json).\n",
                     shortest(pressure_bar.value_or(std::nan(""))).c_str(), d.gas.c_str(), where(d).c_str(), d.count,
                     d.count == 1 ? "fila" : "filas");
        break;
      case DiagnosticKind::below_triple_point:
        std::fprintf(err,
                     "Aviso: a %s bar, %s por debajo del punto triple de %s (%s K) y de su presión no se sabe si es "
                     "gas: su ecuación no da la presión de sublimación (%zu %s); allí V y Z quedan como nan "
                     "(null en json).\n",
                     shortest(pressure_bar.value_or(std::nan(""))).c_str(), where(d).c_str(), d.gas.c_str(),
                     shortest(find_gas(d.gas).triple_point_K).c_str(), d.count, d.count == 1 ? "fila" : "filas");
        break;
      case DiagnosticKind::dense_gas:
        std::fprintf(err,
                     "Aviso: a %s bar la densidad del gas pasa de la mitad de la densidad crítica %s (%zu %s): la "
                     "ecuación del virial truncada tras C no es fiable allí.\n",
                     shortest(pressure_bar.value_or(std::nan(""))).c_str(), where(d).c_str(), d.count,
                     d.count == 1 ? "fila" : "filas");
        break;
      case DiagnosticKind::outside_fitted_range:
        std::fprintf(err,
                     "Aviso: los parámetros de %s se ajustaron a B(T) entre %s K y %s K; %s (%zu %s) B es una "
                     "extrapolación del modelo.\n",
                     d.gas.c_str(), shortest(d.range_K.first).c_str(), shortest(d.range_K.second).c_str(),
                     where(d).c_str(), d.count, d.count == 1 ? "temperatura" : "temperaturas");
        break;
      case DiagnosticKind::quantum_expansion_unreliable:
        std::fprintf(err,
                     "Aviso: %s la corrección cuántica pasa del 9%% de |B clásico| (o de b0): la expansión en "
                     "hbar^2 no es fiable allí: use --quantum exact.\n",
                     where(d).c_str());
        break;
      case DiagnosticKind::exact_continued_by_series:
        std::fprintf(err,
                     "Aviso: por encima de %s K los desfases costarían demasiado; %s (%zu %s) B sigue la serie "
                     "semiclásica hasta hbar^4",
                     shortest(d.range_K.first).c_str(), where(d).c_str(), d.count,
                     d.count == 1 ? "temperatura" : "temperaturas");
        if (std::isnan(d.junction_difference_cm3_per_mol)) {
          std::fputs(" (lo que deja fuera no se ha medido).\n", err);
        } else {
          std::fprintf(err, ", que en %s K difiere del B exacto en %s cm3/mol y menos por encima.\n",
                       shortest(d.range_K.first).c_str(), shortest(d.junction_difference_cm3_per_mol).c_str());
        }
        break;
    }
  }
}

}  // namespace lennard
