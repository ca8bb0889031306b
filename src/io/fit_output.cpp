// The fit's writers: the summary for the screen, the points with their
// residuals, and the same as JSON.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <nlohmann/json.hpp>
#include <string>

#include "lennard/io/output.hpp"
#include "lennard/physics/constants.hpp"

namespace lennard {

namespace {

std::string fit_number(double value) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%.10g", value);
  return buffer;
}

// "1 grado de libertad", "12 grados de libertad".
std::string degrees_of_freedom(std::size_t dof) {
  return std::to_string(dof) + (dof == 1 ? " grado" : " grados") + " de libertad";
}

std::string four_digits(double value) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%.4g", value);
  return buffer;
}

}  // namespace

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

void write_fit_summary(std::FILE* file, const std::string& source, const DataSet& data, const FitResult& fit) {
  const std::string model = std::holds_alternative<LennardJones>(fit.potential)
                                ? "de Lennard-Jones"
                                : "del potencial " + potential_name(fit.potential);
  std::fprintf(file, "Ajuste %s (serie exacta, N_A = %s 1/mol) a %zu puntos de %s%s\n", model.c_str(),
               shortest(avogadro_per_mol).c_str(), data.points.size(), source.c_str(),
               data.has_uncertainties ? ", con sus incertidumbres" : "");
  std::fprintf(file, "epsilon/k_B = %s K\n", with_uncertainty(fit.epsilon_K, fit.epsilon_K_stderr).c_str());
  std::fprintf(file, "sigma = %s A\n", with_uncertainty(fit.sigma_A, fit.sigma_A_stderr).c_str());
  if (fit.exact) {
    std::fprintf(file, "con el B cuántico exacto (estadística %s, espín %s): Lambda* = %s\n",
                 statistics_name(fit.statistics->statistics), shortest(fit.statistics->spin).c_str(),
                 four_digits(*fit.de_boer).c_str());
  } else if (fit.de_boer) {
    std::fprintf(file, "con la corrección cuántica de primer orden: Lambda* = %s\n", four_digits(*fit.de_boer).c_str());
  }
  if (fit.repulsive_exponent) {
    std::fprintf(file, "exponente repulsivo N = %s\n",
                 with_uncertainty(*fit.repulsive_exponent, *fit.repulsive_exponent_stderr).c_str());
  }
  std::fprintf(file, "residuo RMS = %s cm3/mol\n", four_digits(fit.rms_cm3_per_mol).c_str());
  if (data.has_uncertainties) {
    std::fprintf(file, "chi² = %s con %s; chi² reducido = %s\n", four_digits(fit.chi2).c_str(),
                 degrees_of_freedom(fit.dof).c_str(), four_digits(fit.reduced_chi2).c_str());
    // A chi^2 this large is unlikely if the model and the uncertainties are right.
    const double p = fit.chi2_probability.value_or(1.0);
    if (p < 1e-3) {
      std::fprintf(file,
                   "Atención: un chi² reducido de %s es muy improbable con las incertidumbres dadas (p = %.1e): "
                   "ni el modelo ni ellas explican la dispersión de los datos, y los errores estándar de arriba "
                   "subestiman la incertidumbre de epsilon/k_B y sigma.\n",
                   four_digits(fit.reduced_chi2).c_str(), p);
    }
  } else {
    std::fprintf(file,
                 "chi² = %s (cm3/mol)² con %s (sin incertidumbres: pesos iguales); "
                 "chi² reducido = %s (cm3/mol)²\n",
                 four_digits(fit.chi2).c_str(), degrees_of_freedom(fit.dof).c_str(), four_digits(fit.reduced_chi2).c_str());
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
  nlohmann::ordered_json document = {{"potential", potential_name(fit.potential)},
                                     {"epsilon_K", fit.epsilon_K},
                                     {"epsilon_K_stderr", fit.epsilon_K_stderr},
                                     {"sigma_A", fit.sigma_A},
                                     {"sigma_A_stderr", fit.sigma_A_stderr}};
  if (fit.repulsive_exponent) {
    document["repulsive_exponent"] = *fit.repulsive_exponent;
    document["repulsive_exponent_stderr"] = *fit.repulsive_exponent_stderr;
  }
  if (fit.de_boer) document["de_boer_parameter"] = *fit.de_boer;
  if (fit.exact) {
    // As a table's, with the bound states of the fitted gas.
    nlohmann::ordered_json states = nlohmann::ordered_json::array();
    for (const BoundState& state : fit.exact->bound_states()) {
      states.push_back({{"l", state.l}, {"energy_K", state.energy * fit.epsilon_K}});
    }
    document["quantum"] = {{"order", "exact"},
                           {"statistics", statistics_name(fit.statistics->statistics)},
                           {"spin", fit.statistics->spin},
                           {"bound_states", std::move(states)}};
  }
  document["rms_cm3_per_mol"] = fit.rms_cm3_per_mol;
  document["chi2"] = fit.chi2;
  document["dof"] = fit.dof;
  document["reduced_chi2"] = fit.reduced_chi2;
  document["points"] = std::move(points);
  const std::string text = document.dump(2) + "\n";
  std::fwrite(text.data(), 1, text.size(), file);
}

}  // namespace lennard
