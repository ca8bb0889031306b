#include "lennard/io/output.hpp"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <vector>
#include <nlohmann/json.hpp>

#include "lennard/physics/constants.hpp"
#include "lennard/physics/gas_library.hpp"
#include "lennard/io/table.hpp"

namespace lennard {

namespace {

bool is_lennard_jones(const Table& table) { return std::holds_alternative<LennardJones>(table.potential); }

// "argon 0.3, krypton 0.7"
std::string mixture_text(const Table& table) {
  std::string text;
  for (const MixturePart& part : table.mixture) {
    text += (text.empty() ? "" : ", ") + part.gas + " " + shortest(part.mole_fraction);
  }
  return text;
}

double energy_K(const Table& table, const BoundState& state) { return state.energy * table.epsilon_K; }

// "2", or "exact, bose, spin 0, 1 bound state(s): l=0 E=-0.0016 K".
std::string quantum_text(const Table& table) {
  if (!table.quantum_exact) return std::to_string(table.quantum_order);
  std::string text = std::string("exact, ") + statistics_name(table.statistics.statistics);
  if (table.statistics.statistics != Statistics::boltzmann) text += ", spin " + shortest(table.statistics.spin);
  text += ", " + std::to_string(table.bound_states.size()) + " bound state(s)";
  for (std::size_t i = 0; i < table.bound_states.size(); ++i) {
    text += (i == 0 ? ": " : ", ") + std::string("l=") + std::to_string(table.bound_states[i].l) +
            " E=" + shortest(energy_K(table, table.bound_states[i])) + " K";
  }
  if (table.series_above_K) text += "; semiclassical series above " + shortest(*table.series_above_K) + " K";
  return text;
}

void write_dat(std::FILE* file, const Table& table) {
  if (!table.mixture.empty()) {
    std::fprintf(file, "#mezcla: %s", mixture_text(table).c_str());
    if (table.kij != 0.0) std::fprintf(file, "\n#kij: %s", shortest(table.kij).c_str());
  } else if (has_well_depth(table.potential)) {
    write_dat_title(file, table.epsilon_K, table.sigma_A);
  } else {
    std::fprintf(file, "#sigma: %lf (A)", table.sigma_A);
  }
  if (!is_lennard_jones(table)) std::fprintf(file, "\n#potencial: %s", potential_name(table.potential).c_str());
  if (table.method != Method::trapezoid) {
    std::fprintf(file, "\n#método: %s (%s), N_A = %s 1/mol", std::string(method_name(table.method)).c_str(),
                 table.method == Method::series ? "serie exacta" : "cuadratura adaptativa",
                 shortest(avogadro_of(table.method)).c_str());
  }
  if (table.de_boer && table.quantum_exact) {
    std::fprintf(file, "\n#corrección cuántica: B cuántico exacto (desfases y estados ligados), Lambda* = %s",
                 shortest(*table.de_boer).c_str());
  } else if (table.de_boer) {
    std::fprintf(file, "\n#corrección cuántica: Wigner-Kirkwood de orden %s, Lambda* = %s",
                 table.quantum_order == 2 ? "hbar^4 (hbar^2 y hbar^4)" : "hbar^2", shortest(*table.de_boer).c_str());
  } else if (table.column(B_classical_key) != nullptr) {
    std::fprintf(file, "\n#corrección cuántica: Wigner-Kirkwood de orden hbar^2, cada par con su masa reducida");
  }
  if (table.de_boer && (table.quantum_exact || table.quantum_order != 1)) {
    std::fprintf(file, "\n#quantum: %s", quantum_text(table).c_str());
  }
  if (table.pressure_bar) std::fprintf(file, "\n#presión: %s bar", shortest(*table.pressure_bar).c_str());
  if (table.column(C_key) != nullptr) {
    std::fprintf(file, "\n#C: N_A = %s 1/mol", shortest(avogadro_per_mol).c_str());
  }
  // Columns 1 to 3 are T, 1/T and B; the header names them.
  for (std::size_t c = 1; c < table.columns.size(); ++c) {
    std::fprintf(file, "\n#columna %zu: %s", c + 3, table.columns[c].label.c_str());
  }
  write_dat_column_header(file);
  for (std::size_t i = 0; i < table.T_K.size(); ++i) {
    write_dat_row(file, table.T_K[i], table.columns[0].values[i]);
    for (std::size_t c = 1; c < table.columns.size(); ++c) std::fprintf(file, " %lf", table.columns[c].values[i]);
  }
}

void write_csv(std::FILE* file, const Table& table) {
  std::fputs("T_K,inv_T_per_K", file);
  for (const Column& c : table.columns) std::fprintf(file, ",%s", c.key.c_str());
  std::fputc('\n', file);
  for (std::size_t i = 0; i < table.T_K.size(); ++i) {
    std::fprintf(file, "%s,%s", shortest(table.T_K[i]).c_str(), shortest(1.0 / table.T_K[i]).c_str());
    for (const Column& c : table.columns) std::fprintf(file, ",%s", shortest(c.values[i]).c_str());
    std::fputc('\n', file);
  }
}

void write_json(std::FILE* file, const nlohmann::ordered_json& document) {
  const std::string text = document.dump(2) + "\n";
  std::fwrite(text.data(), 1, text.size(), file);
}

nlohmann::ordered_json table_json(const Table& table) {
  nlohmann::ordered_json rows = nlohmann::ordered_json::array();
  for (std::size_t i = 0; i < table.T_K.size(); ++i) {
    nlohmann::ordered_json item = {{"T_K", table.T_K[i]}, {"inv_T_per_K", 1.0 / table.T_K[i]}};
    for (const Column& c : table.columns) item[c.key] = c.values[i];
    rows.push_back(std::move(item));
  }
  nlohmann::ordered_json document;
  if (!table.gas.empty()) document["gas"] = table.gas;
  if (!table.mixture.empty()) {
    nlohmann::ordered_json parts = nlohmann::ordered_json::array();
    for (const MixturePart& part : table.mixture) {
      parts.push_back({{"gas", part.gas}, {"mole_fraction", part.mole_fraction}});
    }
    document["mixture"] = std::move(parts);
    document["kij"] = table.kij;
  }
  const bool pure_with_well = table.mixture.empty() && has_well_depth(table.potential);
  document["potential"] = potential_name(table.potential);
  document["epsilon_K"] = pure_with_well ? nlohmann::ordered_json(table.epsilon_K) : nullptr;
  document["sigma_A"] = table.mixture.empty() ? nlohmann::ordered_json(table.sigma_A) : nullptr;
  document["method"] = method_name(table.method);
  document["N_A_per_mol"] = avogadro_of(table.method);
  if (table.pressure_bar) document["pressure_bar"] = *table.pressure_bar;
  if (table.de_boer) document["de_boer_parameter"] = *table.de_boer;
  if (table.de_boer && table.quantum_order != 1 && !table.quantum_exact) {
    document["quantum_order"] = table.quantum_order;
  }
  if (table.de_boer || table.column(B_classical_key) != nullptr) {
    nlohmann::ordered_json quantum;
    if (table.quantum_exact) {
      quantum["order"] = "exact";
      quantum["statistics"] = statistics_name(table.statistics.statistics);
      quantum["spin"] = table.statistics.spin;
      nlohmann::ordered_json states = nlohmann::ordered_json::array();
      for (const BoundState& state : table.bound_states) {
        states.push_back({{"l", state.l}, {"energy_K", energy_K(table, state)}});
      }
      quantum["bound_states"] = std::move(states);
      if (table.series_above_K) quantum["series_above_K"] = *table.series_above_K;
    } else {
      quantum["order"] = table.quantum_order;
    }
    document["quantum"] = std::move(quantum);
  }
  // A value that does not exist (NaN) is written as null.
  document["rows"] = std::move(rows);
  return document;
}

// A value that may not exist: the number, or null.
nlohmann::ordered_json maybe(const std::optional<double>& value) {
  return value ? nlohmann::ordered_json(*value) : nlohmann::ordered_json(nullptr);
}

std::string kelvin_or_none(const std::optional<double>& value, const char* unit) {
  return value ? shortest(*value) + " " + unit : "no existe";
}

}  // namespace

namespace {

// A nonzero value printed with this many decimals keeps fewer than three significant digits.
bool short_of_digits(double value, int decimals) {
  return value != 0.0 && std::fabs(value) < std::pow(10.0, 2 - decimals);
}

}  // namespace

// "B clásico, sin la corrección..." -> "B clásico", "dB/dT (cm3/(mol K))" -> "dB/dT", "Z = PV/(RT)" -> "Z".
std::string column_symbol(const Column& column) {
  const std::string& label = column.label;
  return label.substr(0, std::min({label.find(" ("), label.find(','), label.find(" ="), label.size()}));
}

std::vector<std::string> dat_columns_short_of_digits(const Table& table) {
  // The decimals of write_dat_row ("%.2lf %lf %lf") and of the further columns ("%lf").
  constexpr int T_decimals = 2, decimals = 6;
  std::vector<std::string> names;
  bool T_short = false, inverse_short = false;
  for (const double T : table.T_K) {
    T_short = T_short || short_of_digits(T, T_decimals);
    inverse_short = inverse_short || short_of_digits(1.0 / T, decimals);
  }
  if (T_short) names.push_back("T");
  if (inverse_short) names.push_back("1/T");
  for (const Column& c : table.columns) {
    double largest = 0.0;
    for (const double v : c.values) {
      if (std::isfinite(v)) largest = std::max(largest, std::fabs(v));
    }
    if (short_of_digits(largest, decimals)) names.push_back(column_symbol(c));
  }
  return names;
}

void write_table(std::FILE* file, const Table& table, Format format) {
  switch (format) {
    case Format::dat: write_dat(file, table); break;
    case Format::csv: write_csv(file, table); break;
    case Format::json: write_json(file, table_json(table)); break;
  }
}

void write_characteristics(std::FILE* file, const Characteristics& values, Format format) {
  if (format == Format::json) {
    nlohmann::ordered_json document{{"boyle_temperature_K", maybe(values.boyle_temperature_K)},
                                    {"inversion_temperature_K", maybe(values.inversion_temperature_K)},
                                    {"max_B_temperature_K", maybe(values.max_B_temperature_K)},
                                    {"max_B_cm3_per_mol", maybe(values.max_B_cm3_per_mol)},
                                    {"boyle_temperatures_K", values.boyle_temperatures_K}};
    if (values.searched_K) document["searched_T_K"] = {values.searched_K->first, values.searched_K->second};
    write_json(file, document);
    return;
  }
  if (values.searched_K) {
    std::fprintf(file, "Buscadas solo entre T = %s K y %s K (B cuántico exacto): fuera de ahí no se buscó.\n",
                 shortest(values.searched_K->first).c_str(), shortest(values.searched_K->second).c_str());
  }
  std::fprintf(file, "Temperatura de Boyle (B = 0): %s\n", kelvin_or_none(values.boyle_temperature_K, "K").c_str());
  std::fprintf(file, "Temperatura de inversión de Joule-Thomson (B = T dB/dT): %s\n",
               kelvin_or_none(values.inversion_temperature_K, "K").c_str());
  std::fprintf(file, "Temperatura del máximo de B: %s\n", kelvin_or_none(values.max_B_temperature_K, "K").c_str());
  std::fprintf(file, "Máximo de B: %s\n", kelvin_or_none(values.max_B_cm3_per_mol, "cm3/mol").c_str());
  if (values.boyle_temperatures_K.size() > 1) {
    std::string list;
    for (const double T : values.boyle_temperatures_K) list += (list.empty() ? "" : ", ") + shortest(T) + " K";
    std::fprintf(file, "B cambia de signo a: %s\n", list.c_str());
  }
}

namespace {

// How a gas's parameters were found, told in Spanish from the library's fields
// (its "source" text is English, and kept so in json).
std::string spanish_source(const Gas& gas) {
  if (gas.fitted_data.empty()) {
    const bool helium3 = potential_name(gas.potential) == "he3-abinitio";
    return "sin ajuste: el potencial " + potential_name(gas.potential) + " de primeros principios, con " +
           (helium3 ? "el epsilon/k_B y la sigma del de helio-4 y la corrección adiabática escalada a la masa del núcleo"
                    : "su propio epsilon/k_B y sigma") +
           ". Masa molar: la masa atómica del isótopo." +
           (gas.equation_of_state.empty() ? ""
                                          : " Punto crítico y presión de vapor: los de " +
                                                gas.equation_of_state + ".");
  }
  std::string text = "parámetros del B(T) ";
  text += std::holds_alternative<LennardJones>(gas.potential) ? "de Lennard-Jones"
                                                              : "del potencial " + potential_name(gas.potential);
  if (gas.fitted_with_exact_quantum) {
    return text + ", con el B cuántico exacto, ajustados aquí con 'lennard fit' a los segundos coeficientes del "
                  "virial de primeros principios de data/" + gas.fitted_data +
           " (su cabecera cita la fuente). Masa molar, puntos triple y crítico y presión de vapor: los de la "
           "ecuación de estado de " + gas.equation_of_state + ".";
  }
  text += gas.fitted_with_quantum ? ", con su primera corrección cuántica," : "";
  text += " ajustados aquí con 'lennard fit' a los segundos coeficientes del virial de data/" + gas.fitted_data +
          ", que son los de la ecuación de estado de " + gas.equation_of_state;
  for (std::size_t i = 0; i < gas.coefficients_from.size(); ++i) {
    const bool last = i + 1 == gas.coefficients_from.size();
    text += (i == 0 ? "; coeficientes tomados de " : last ? " y " : ", ") + gas.coefficients_from[i];
  }
  return text + ". Masa molar: la que se da con esa ecuación.";
}

}  // namespace

namespace {

nlohmann::ordered_json gas_entry(const Gas& gas) {
  nlohmann::ordered_json entry({{"name", gas.name},
                               {"formula", gas.formula},
                               {"aliases", gas.aliases},
                               {"molar_mass_g_per_mol", gas.molar_mass_g_per_mol},
                               {"potential", potential_name(gas.potential)},
                               {"epsilon_K", gas.epsilon_K},
                               {"sigma_A", gas.sigma_A},
                               {"fitted_with_quantum_correction", gas.fitted_with_quantum},
                               {"fitted_with_exact_quantum", gas.fitted_with_exact_quantum},
                               {"statistics", statistics_name(gas.statistics)},
                               {"spin", gas.spin},
                               {"source", gas.source}});
  const auto number = [](double x) { return std::isfinite(x) ? nlohmann::ordered_json(x) : nlohmann::ordered_json(); };
  entry["fit_data"] = gas.fitted_data.empty() ? nlohmann::ordered_json() : nlohmann::ordered_json(gas.fitted_data);
  entry["fit_range_K"] = gas.fit_range_K ? nlohmann::ordered_json{gas.fit_range_K->first, gas.fit_range_K->second}
                                         : nlohmann::ordered_json();
  entry["rms_residual_cm3_per_mol"] = number(rms_residual(gas));
  entry["models"] = nlohmann::ordered_json::array();
  for (const FittedModel& m : gas.models) {
    entry["models"].push_back({{"potential", potential_name(m.potential)},
                               {"epsilon_K", m.epsilon_K},
                               {"sigma_A", m.sigma_A},
                               {"rms_residual_cm3_per_mol", m.rms_residual_cm3_per_mol},
                               {"max_residual_cm3_per_mol", m.max_residual_cm3_per_mol}});
  }
  entry["triple_point_K"] = number(gas.triple_point_K);
  entry["critical_temperature_K"] = number(gas.critical_temperature_K);
  entry["critical_pressure_MPa"] = number(gas.critical_pressure_MPa);
  entry["critical_density_mol_per_m3"] = number(gas.critical_density_mol_per_m3);
  return entry;
}

}  // namespace

std::string gas_entry_json(const Gas& gas) { return gas_entry(gas).dump(); }

void write_gas_library(std::FILE* file, Format format) {
  const bool json = format == Format::json;
  if (json) {
    nlohmann::ordered_json list = nlohmann::ordered_json::array();
    for (const Gas& gas : gas_library()) list.push_back(gas_entry(gas));
    const std::string text = list.dump(2) + "\n";
    std::fwrite(text.data(), 1, text.size(), file);
    return;
  }
  std::fputs("# Biblioteca de gases: potencial de Lennard-Jones 12-6 (o Mie N-6 donde ajusta mejor: el de menor residuo "
             "es el de --gas; -p lj elige el de Lennard-Jones) ajustado a B(T) de ecuaciones de estado de "
             "referencia (helium-4 y helium-3: el potencial de helio de primeros principios, he-abinitio y he3-abinitio, sin ajuste).\n# (*) ajustado con la corrección cuántica de primer orden: úsese con --quantum.\n# (**) ajustado con el B cuántico exacto a B(T) de primeros principios: úsese con --quantum exact.\n",
             file);
  // "fórmula" takes one byte more than it shows.
  std::fprintf(file, "# %-21s %-9s %15s %10s %13s\n", "nombre", "fórmula", "epsilon/k_B (K)", "sigma (A)",
               "M (g/mol)");
  for (const Gas& gas : gas_library()) {
    const std::string name =
        gas.name + (gas.fitted_with_exact_quantum ? " (**)" : gas.fitted_with_quantum ? " (*)" : "");
    std::fprintf(file, "%-23s %-8s %15s %10s %13s\n", name.c_str(), gas.formula.c_str(),
                 shortest(gas.epsilon_K).c_str(), shortest(gas.sigma_A).c_str(),
                 shortest(gas.molar_mass_g_per_mol).c_str());
    std::fprintf(file, "    alias: ");
    for (std::size_t i = 0; i < gas.aliases.size(); ++i) std::fprintf(file, "%s%s", i ? ", " : "", gas.aliases[i].c_str());
    std::fprintf(file, "\n    estadística (--quantum exact): %s", statistics_name(gas.statistics));
    if (gas.statistics != Statistics::boltzmann) std::fprintf(file, ", espín %s", shortest(gas.spin).c_str());
    if (gas.fit_range_K) {
      std::fprintf(file, "\n    ajuste: %s K a %s K, residuo RMS %s cm3/mol;", shortest(gas.fit_range_K->first).c_str(),
                   shortest(gas.fit_range_K->second).c_str(), shortest(rms_residual(gas)).c_str());
      for (const FittedModel& m : gas.models) {
        std::fprintf(file, "%s%s (RMS %s, máximo %s)", &m == &gas.models.front() ? " modelos: " : ", ",
                     potential_name(m.potential).c_str(), shortest(m.rms_residual_cm3_per_mol).c_str(),
                     shortest(m.max_residual_cm3_per_mol).c_str());
      }
    }
    std::fprintf(file, "\n    fuente: %s\n", spanish_source(gas).c_str());
  }
}

}  // namespace lennard
