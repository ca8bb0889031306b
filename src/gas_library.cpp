#include "lennard/gas_library.hpp"

#include <algorithm>
#include <nlohmann/json.hpp>
#include <stdexcept>
#include <utility>

#include "lennard/errors.hpp"
#include "lennard/shortest.hpp"
#include "lennard/text.hpp"

namespace lennard {

namespace {

std::vector<Gas> parse_library() {
  const nlohmann::json document = nlohmann::json::parse(detail::gas_library_json);
  std::vector<Gas> gases;
  for (const nlohmann::json& entry : document.at("gases")) {
    Gas gas{entry.at("name").get<std::string>(),
            entry.at("formula").get<std::string>(),
            entry.at("aliases").get<std::vector<std::string>>(),
            entry.at("molar_mass_g_per_mol").get<double>(),
            parse_potential(entry.at("potential").get<std::string>()),
            entry.at("epsilon_K").get<double>(),
            entry.at("sigma_A").get<double>(),
            entry.at("source").get<std::string>(),
            entry.at("fitted").at("data").get<std::string>(),
            entry.at("fitted").at("quantum").get<bool>()};
    if (!(gas.molar_mass_g_per_mol > 0.0 && gas.epsilon_K > 0.0 && gas.sigma_A > 0.0) || gas.source.empty()) {
      throw std::logic_error("gas library: incomplete entry for " + gas.name);
    }
    gases.push_back(std::move(gas));
  }
  return gases;
}

// Levenshtein distance between two folded names, in bytes.
std::size_t edit_distance(std::string_view a, std::string_view b) {
  std::vector<std::size_t> row(b.size() + 1);
  for (std::size_t j = 0; j <= b.size(); ++j) row[j] = j;
  for (std::size_t i = 1; i <= a.size(); ++i) {
    std::size_t diagonal = row[0];
    row[0] = i;
    for (std::size_t j = 1; j <= b.size(); ++j) {
      const std::size_t above = row[j];
      row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
      diagonal = above;
    }
  }
  return row[b.size()];
}

}  // namespace

const std::vector<Gas>& gas_library() {
  static const std::vector<Gas> gases = parse_library();
  return gases;
}

std::string folded_gas_name(std::string_view name) {
  // The accented lowercase and uppercase vowels (and u with diaeresis) of
  // Spanish, in UTF-8, and their plain letters.
  static constexpr std::pair<std::string_view, char> accents[] = {
      {"á", 'a'}, {"é", 'e'}, {"í", 'i'}, {"ó", 'o'}, {"ú", 'u'}, {"ü", 'u'},
      {"Á", 'a'}, {"É", 'e'}, {"Í", 'i'}, {"Ó", 'o'}, {"Ú", 'u'}, {"Ü", 'u'}};
  std::string folded;
  for (std::size_t i = 0; i < name.size();) {
    bool replaced = false;
    for (const auto& [accented, plain] : accents) {
      if (name.substr(i, accented.size()) == accented) {
        folded += plain;
        i += accented.size();
        replaced = true;
        break;
      }
    }
    if (replaced) continue;
    const char c = name[i++];
    folded += (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
  }
  return folded;
}

const Gas& find_gas(std::string_view name) {
  const std::string key = folded_gas_name(name);
  std::vector<std::pair<std::size_t, const Gas*>> nearest;
  for (const Gas& gas : gas_library()) {
    std::size_t distance = edit_distance(key, folded_gas_name(gas.name));
    for (const std::string& alias : gas.aliases) {
      distance = std::min(distance, edit_distance(key, folded_gas_name(alias)));
    }
    if (distance == 0) return gas;
    nearest.emplace_back(distance, &gas);
  }
  std::stable_sort(nearest.begin(), nearest.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
  std::string names;
  for (std::size_t i = 0; i < 3 && i < nearest.size(); ++i) names += (i ? ", " : "") + nearest[i].second->name;
  throw UsageError("gas desconocido: '" + printable(std::string(name)) + "'. Los más parecidos: " + names +
                   " ('lennard gases' da la lista).");
}

void write_gas_library(std::FILE* file, bool json) {
  if (json) {
    nlohmann::ordered_json list = nlohmann::ordered_json::array();
    for (const Gas& gas : gas_library()) {
      list.push_back({{"name", gas.name},
                      {"formula", gas.formula},
                      {"aliases", gas.aliases},
                      {"molar_mass_g_per_mol", gas.molar_mass_g_per_mol},
                      {"potential", potential_name(gas.potential)},
                      {"epsilon_K", gas.epsilon_K},
                      {"sigma_A", gas.sigma_A},
                      {"fitted_with_quantum_correction", gas.fitted_with_quantum},
                      {"source", gas.source}});
    }
    const std::string text = list.dump(2) + "\n";
    std::fwrite(text.data(), 1, text.size(), file);
    return;
  }
  std::fputs("# Biblioteca de gases: potencial de Lennard-Jones 12-6 ajustado a B(T) de ecuaciones de estado de "
             "referencia.\n# (*) ajustado con la corrección cuántica de primer orden: úsese con --quantum.\n",
             file);
  // "fórmula" takes one byte more than it shows.
  std::fprintf(file, "# %-21s %-9s %15s %10s %13s\n", "nombre", "fórmula", "epsilon/k_B (K)", "sigma (A)",
               "M (g/mol)");
  for (const Gas& gas : gas_library()) {
    const std::string name = gas.name + (gas.fitted_with_quantum ? " (*)" : "");
    std::fprintf(file, "%-23s %-8s %15s %10s %13s\n", name.c_str(), gas.formula.c_str(),
                 shortest(gas.epsilon_K).c_str(), shortest(gas.sigma_A).c_str(),
                 shortest(gas.molar_mass_g_per_mol).c_str());
    std::fprintf(file, "    alias: ");
    for (std::size_t i = 0; i < gas.aliases.size(); ++i) std::fprintf(file, "%s%s", i ? ", " : "", gas.aliases[i].c_str());
    std::fprintf(file, "\n    fuente: %s\n", gas.source.c_str());
  }
}

}  // namespace lennard
