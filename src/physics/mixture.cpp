#include "lennard/physics/mixture.hpp"

#include <array>
#include <cmath>
#include <limits>

#include "lennard/physics/constants.hpp"
#include "lennard/physics/errors.hpp"
#include "lennard/physics/gas_model.hpp"
#include "lennard/physics/parallel.hpp"
#include "lennard/physics/quantum.hpp"
#include "lennard/physics/second_virial.hpp"
#include "lennard/physics/series.hpp"
#include "lennard/physics/shortest.hpp"
#include "lennard/physics/third_virial.hpp"

namespace lennard {

namespace {

constexpr double not_asked = std::numeric_limits<double>::quiet_NaN();

bool combinable(const Potential& a, const Potential& b) {
  if (std::holds_alternative<LennardJones>(a)) return std::holds_alternative<LennardJones>(b);
  if (const Mie* ma = std::get_if<Mie>(&a)) {
    const Mie* mb = std::get_if<Mie>(&b);
    return mb != nullptr && ma->n() == mb->n() && ma->m() == mb->m();
  }
  return false;
}

SoftPair soft_pair(const PairInteraction& p) {
  if (const Mie* mie = std::get_if<Mie>(&p.potential)) {
    return {mie->prefactor(), mie->n(), mie->m(), p.epsilon_K, p.sigma_A};
  }
  return {4.0, 12.0, 6.0, p.epsilon_K, p.sigma_A};
}

struct PairSecondVirial {
  double B, dB_dT, B_classical;
};

PairSecondVirial pair_second_virial(const PairInteraction& p, double T, bool quantum) {
  const SecondVirial v = pure_second_virial(
      p.potential, p.epsilon_K, p.sigma_A, Method::series,
      quantum ? std::optional<double>(de_boer_parameter(p.epsilon_K, p.sigma_A, p.molar_mass_g_per_mol))
              : std::nullopt,
      T, true);
  return {v.B, v.dB_dT, v.B_classical};
}

}  // namespace

bool normalise_mole_fractions(Mixture& mixture) {
  double sum = 0.0;
  for (const Component& c : mixture.components) {
    if (!(c.mole_fraction > 0.0 && c.mole_fraction <= 1.0)) return false;  // check_mixture says why
    sum += c.mole_fraction;
  }
  const double off = std::fabs(sum - 1.0);
  if (!(off > mole_fraction_tolerance && off <= mole_fraction_rounding)) return false;
  for (Component& c : mixture.components) c.mole_fraction /= sum;
  return true;
}

void check_mixture(const Mixture& mixture) {
  const std::vector<Component>& parts = mixture.components;
  if (parts.empty()) throw InvalidArgument(Parameter::mixture, "", Reason::no_components);
  for (std::size_t i = 0; i < parts.size(); ++i) {
    for (std::size_t j = i + 1; j < parts.size(); ++j) {
      if (parts[i].name == parts[j].name) {
        throw InvalidArgument(Parameter::mixture, parts[i].name, Reason::repeated_component);
      }
    }
  }
  double sum = 0.0;
  for (const Component& c : parts) {
    if (!(c.mole_fraction > 0.0 && c.mole_fraction <= 1.0)) {
      throw InvalidArgument(Parameter::mole_fraction, shortest(c.mole_fraction), Reason::out_of_range, {c.name});
    }
    sum += c.mole_fraction;
  }
  if (!(std::fabs(sum - 1.0) <= mole_fraction_tolerance)) {
    throw InvalidArgument(Parameter::mole_fraction, shortest(sum), Reason::sum_not_one);
  }
  if (mixture.kij != 0.0) {
    if (parts.size() != 2) {
      throw InvalidArgument(Parameter::kij, shortest(mixture.kij), Reason::binary_only,
                            {std::to_string(parts.size())});
    }
    if (!(std::isfinite(mixture.kij) && mixture.kij < 1.0)) {
      throw InvalidArgument(Parameter::kij, shortest(mixture.kij), Reason::out_of_range);
    }
  }
  for (const Component& c : parts) {
    // Its epsilon and sigma are its own: no combining rule reaches it.
    if (own_scale(c.potential)) {
      throw InvalidArgument(Parameter::potential, potential_name(c.potential), Reason::not_in_mixture, {c.name});
    }
  }
  for (std::size_t i = 0; i < parts.size(); ++i) {
    for (std::size_t j = i + 1; j < parts.size(); ++j) {
      if (!combinable(parts[i].potential, parts[j].potential)) {
        throw InvalidArgument(Parameter::potential, potential_name(parts[j].potential), Reason::not_combinable,
                              {parts[i].name, potential_name(parts[i].potential), parts[j].name,
                               potential_name(parts[j].potential)});
      }
    }
  }
}

PairInteraction pair_interaction(const Component& a, const Component& b, double kij) {
  const double mass = 2.0 * a.molar_mass_g_per_mol * b.molar_mass_g_per_mol /
                      (a.molar_mass_g_per_mol + b.molar_mass_g_per_mol);
  return {a.potential, (1.0 - kij) * std::sqrt(a.epsilon_K * b.epsilon_K), 0.5 * (a.sigma_A + b.sigma_A), mass};
}

MixtureSecondVirial mixture_second_virial(const Mixture& mixture, double T, bool quantum) {
  const std::vector<Component>& parts = mixture.components;
  MixtureSecondVirial total{0.0, 0.0, 0.0, not_asked};
  for (std::size_t i = 0; i < parts.size(); ++i) {
    for (std::size_t j = i; j < parts.size(); ++j) {
      const PairSecondVirial v = pair_second_virial(pair_interaction(parts[i], parts[j], i == j ? 0.0 : mixture.kij), T, quantum);
      // Each unlike pair stands for ij and ji.
      const double weight = (i == j ? 1.0 : 2.0) * parts[i].mole_fraction * parts[j].mole_fraction;
      total.B += weight * v.B;
      total.dB_dT += weight * v.dB_dT;
      total.B_classical += weight * v.B_classical;
      if (parts.size() == 2 && i != j) total.B12 = v.B;
    }
  }
  return total;
}

MixtureThirdVirial mixture_third_virial(const Mixture& mixture, double T, bool with_derivative, unsigned threads) {
  const std::vector<Component>& parts = mixture.components;
  const std::size_t n = parts.size();
  // Each pair once (ij is ji), indexed by i <= j; each triangle once, i <= j <= k.
  std::vector<SoftPair> pairs;
  std::vector<std::vector<std::size_t>> index(n, std::vector<std::size_t>(n));
  for (std::size_t i = 0; i < n; ++i) {
    for (std::size_t j = i; j < n; ++j) {
      index[i][j] = index[j][i] = pairs.size();
      pairs.push_back(soft_pair(pair_interaction(parts[i], parts[j], i == j ? 0.0 : mixture.kij)));
    }
  }
  std::vector<std::array<std::size_t, 3>> triangles;
  std::vector<double> weights;
  for (std::size_t i = 0; i < n; ++i) {
    for (std::size_t j = i; j < n; ++j) {
      for (std::size_t k = j; k < n; ++k) {
        triangles.push_back({index[i][j], index[i][k], index[j][k]});
        // The distinct orderings of (i, j, k) among the n^3 terms of the sum.
        const double orderings = (i == j && j == k) ? 1.0 : (i == j || j == k) ? 3.0 : 6.0;
        weights.push_back(orderings * parts[i].mole_fraction * parts[j].mole_fraction * parts[k].mole_fraction);
      }
    }
  }
  const std::vector<TriangleThirdVirial> c =
      detail::triangles_on_one_grid(pairs, triangles, T, with_derivative, Parallelism{threads, nullptr});
  const double scale = per_molecule_A6_in_cm6_per_mol2;
  MixtureThirdVirial total{0.0, with_derivative ? 0.0 : not_asked};
  // Summed in one order whatever the threads.
  for (std::size_t t = 0; t < triangles.size(); ++t) {
    total.C += weights[t] * c[t].C_A6 * scale;
    if (with_derivative) total.dC_dT += weights[t] * c[t].dC_dT_A6_per_K * scale;
  }
  return total;
}

}  // namespace lennard
