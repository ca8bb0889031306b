#include "lennard/physics/gas_library.hpp"

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

#include "lennard/physics/errors.hpp"

namespace lennard {

namespace {

Statistics statistics_named(std::string_view name) {
  if (name == "bose") return Statistics::bose;
  if (name == "fermi") return Statistics::fermi;
  return Statistics::boltzmann;
}

std::vector<Gas> build_library() {
  std::vector<Gas> gases;
  for (const detail::GasRecord& r : detail::gas_records()) {
    gases.push_back({r.name, r.formula, std::vector<std::string>(r.aliases.begin(), r.aliases.end()),
                     r.molar_mass_g_per_mol, parse_potential(r.potential), r.epsilon_K, r.sigma_A, r.source,
                     r.equation_of_state,
                     std::vector<std::string>(r.coefficients_from.begin(), r.coefficients_from.end()),
                     r.fitted_data, r.fitted_with_quantum, r.fitted_with_exact_quantum, statistics_named(r.statistics), r.spin, {}, std::nullopt,
                     r.triple_point_K, r.critical_temperature_K, r.critical_pressure_MPa,
                     r.critical_density_mol_per_m3, r.vapour_pressure, r.sublimation});
    Gas& gas = gases.back();
    for (const detail::GasRecord::Model& m : r.models) {
      gas.models.push_back({parse_potential(m.potential), m.epsilon_K, m.sigma_A, m.rms_residual_cm3_per_mol,
                            m.max_residual_cm3_per_mol});
    }
    if (std::isfinite(r.fit_lo_K) && std::isfinite(r.fit_hi_K)) gas.fit_range_K = std::pair(r.fit_lo_K, r.fit_hi_K);
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

const char* statistics_name(Statistics statistics) {
  switch (statistics) {
    case Statistics::bose: return "bose";
    case Statistics::fermi: return "fermi";
    case Statistics::boltzmann: break;
  }
  return "boltzmann";
}

const std::vector<Gas>& gas_library() {
  static const std::vector<Gas> gases = build_library();
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

std::vector<std::string> closest_gas_names(std::string_view name, std::size_t count) {
  const std::string key = folded_gas_name(name);
  std::vector<std::pair<std::size_t, const Gas*>> nearest;
  for (const Gas& gas : gas_library()) {
    std::size_t distance = edit_distance(key, folded_gas_name(gas.name));
    for (const std::string& alias : gas.aliases) {
      distance = std::min(distance, edit_distance(key, folded_gas_name(alias)));
    }
    nearest.emplace_back(distance, &gas);
  }
  std::stable_sort(nearest.begin(), nearest.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
  std::vector<std::string> names;
  for (std::size_t i = 0; i < count && i < nearest.size(); ++i) names.push_back(nearest[i].second->name);
  return names;
}

Gas gas_with_model(const Gas& gas, const Potential& potential) {
  const std::string wanted = potential_name(potential);
  std::vector<std::string> available{gas.name};
  for (const FittedModel& m : gas.models) {
    if (potential_name(m.potential) == wanted) {
      Gas chosen = gas;
      chosen.potential = m.potential;
      chosen.epsilon_K = m.epsilon_K;
      chosen.sigma_A = m.sigma_A;
      return chosen;
    }
    available.push_back(potential_name(m.potential));
  }
  throw InvalidArgument(Parameter::potential, wanted, Reason::not_fitted, std::move(available));
}

double rms_residual(const Gas& gas) {
  for (const FittedModel& m : gas.models) {
    if (potential_name(m.potential) == potential_name(gas.potential) && m.epsilon_K == gas.epsilon_K &&
        m.sigma_A == gas.sigma_A) {
      return m.rms_residual_cm3_per_mol;
    }
  }
  return std::numeric_limits<double>::quiet_NaN();
}

const Gas& find_gas(std::string_view name) {
  const std::string key = folded_gas_name(name);
  for (const Gas& gas : gas_library()) {
    if (folded_gas_name(gas.name) == key) return gas;
    for (const std::string& alias : gas.aliases) {
      if (folded_gas_name(alias) == key) return gas;
    }
  }
  throw InvalidArgument(Parameter::gas, std::string(name), Reason::unknown, closest_gas_names(name, 3));
}

}  // namespace lennard
