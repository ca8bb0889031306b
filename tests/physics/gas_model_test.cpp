// The gas model: its table and its characteristic temperatures agree with its
// own values over every potential, and it says where its approximations fail.
#include "lennard/physics/gas_model.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <utility>
#include <vector>

#include "lennard/physics/quantum.hpp"
#include "lennard/physics/virial_table.hpp"

namespace {

using namespace lennard;

// The table carries the model's own values; the derivatives against central
// differences of those values are in derivative_test.cpp.
TEST(GasModel, TableDerivativesAndQuantumAgreeOverPotentialsAndTemperatures) {
  const double epsilon = 120.0, sigma = 3.4, T_stars[] = {0.7, 1.3, 3.0, 10.0, 40.0};
  for (const char* name : {"lj", "mie:14,6", "mie:9,6", "sw:1.5", "hs"}) {
    const Potential potential = parse_potential(name);
    const bool smooth = std::holds_alternative<LennardJones>(potential) || std::holds_alternative<Mie>(potential);
    // Classical by two methods, and with neon's Lambda* (0.59).
    const std::pair<Method, std::optional<double>> cases[] = {
        {Method::series, std::nullopt}, {Method::quadrature, std::nullopt}, {Method::series, 0.59}};
    for (const auto& [method, de_boer] : cases) {
      if (de_boer && !smooth) continue;
      const PureGas pure{potential, epsilon, sigma, method, de_boer, {}, false};
      const GasModel model(pure);
      std::vector<double> T;
      for (double t : T_stars) T.push_back(t * epsilon);
      const Table table = compute_table(model, T, Quantities{true, smooth, std::nullopt, std::nullopt});
      for (std::size_t i = 0; i < T.size(); ++i) {
        const std::string where = std::string(name) + " " + std::string(method_name(pure.method)) +
                                  (pure.de_boer ? " quantum" : "") + " T = " + std::to_string(T[i]);
        const SecondVirial b = model.second_virial(T[i]);
        EXPECT_EQ(table.column(B_key)->values[i], b.B) << where;
        EXPECT_EQ(table.column(dB_dT_key)->values[i], b.dB_dT) << where;
        if (!smooth || pure.de_boer) continue;
        const ThirdVirial c = model.third_virial(T[i], true);
        EXPECT_EQ(table.column(C_key)->values[i], c.C) << where;
        EXPECT_EQ(table.column(dC_dT_key)->values[i], c.dC_dT) << where;
      }
    }
  }
}

TEST(GasModel, HeliumWithItsCorrectionChangesSignTwiceAndSaysWhereItFails) {
  const GasModel helium(library_gas(find_gas("helium"), true));
  const Characteristics c = helium.characteristics();
  ASSERT_EQ(c.boyle_temperatures_K.size(), 2u);
  for (double T : c.boyle_temperatures_K) {
    EXPECT_LT(helium.B(T * (1.0 - 1e-6)) * helium.B(T * (1.0 + 1e-6)), 0.0) << T;
  }
  ASSERT_TRUE(c.boyle_temperature_K);
  EXPECT_EQ(*c.boyle_temperature_K, c.boyle_temperatures_K.back());
  // Both roots lie where the hbar^2 correction is too large to trust; room
  // temperature does not.
  const std::vector<Diagnostic> found = helium.diagnostics({c.boyle_temperatures_K[0], c.boyle_temperatures_K[1], 300.0});
  ASSERT_EQ(found.size(), 1u);
  const Diagnostic& quantum = found[0];
  EXPECT_EQ(quantum.kind, DiagnosticKind::quantum_expansion_unreliable);
  EXPECT_EQ(quantum.count, 2u);
  EXPECT_EQ(quantum.T_hi_K, c.boyle_temperatures_K[1]);

  // A classical Lennard-Jones gas has one sign change, the Boyle temperature.
  const Characteristics argon = GasModel(library_gas(find_gas("argon"), false)).characteristics();
  ASSERT_EQ(argon.boyle_temperatures_K.size(), 1u);
  EXPECT_EQ(argon.boyle_temperatures_K[0], *argon.boyle_temperature_K);
}

TEST(GasModel, DiagnosesQuantumFittedGasesUsedClassicallyAndMissingGasRoots) {
  const std::vector<double> T{100.0, 150.0, 300.0};
  const auto kinds = [](const std::vector<Diagnostic>& found) {
    std::vector<DiagnosticKind> k;
    for (const Diagnostic& d : found) k.push_back(d.kind);
    return k;
  };
  using K = DiagnosticKind;
  EXPECT_EQ(kinds(GasModel(library_gas(find_gas("helium"), false)).diagnostics(T)),
            std::vector<K>{K::quantum_fit_used_classically});
  EXPECT_EQ(kinds(GasModel(library_gas(find_gas("argon"), false)).diagnostics(T)), std::vector<K>{});
  const Gas& he = find_gas("helium");
  const Gas& ar = find_gas("argon");
  Mixture mix{{{he.name, he.potential, he.epsilon_K, he.sigma_A, he.molar_mass_g_per_mol, 0.5},
               {ar.name, ar.potential, ar.epsilon_K, ar.sigma_A, ar.molar_mass_g_per_mol, 0.5}},
              0.0};
  const std::vector<Diagnostic> mixed = GasModel(mix, false).diagnostics(T);
  ASSERT_EQ(mixed.size(), 1u);
  EXPECT_EQ(mixed[0].gas, "helium");
  EXPECT_TRUE(GasModel(mix, true).diagnostics(T).empty());
  // Argon at 100 bar: above its vapour pressure at 100 K and 150 K (below
  // T_c = 150.687 K), a gas at 300 K. The table marks the same rows NaN.
  const GasModel argon(library_gas(ar, false));
  const std::vector<Diagnostic> roots = argon.diagnostics(T, 100.0);
  ASSERT_EQ(kinds(roots), std::vector<K>{K::condensed});
  EXPECT_EQ(roots[0].T_hi_K, 150.0);
  const Table table = compute_table(argon, T, Quantities{false, false, 100.0, std::nullopt});
  std::size_t missing = 0;
  for (double Z : table.column(Z_key)->values) missing += std::isnan(Z) ? 1u : 0u;
  EXPECT_EQ(roots[0].count, missing);
  EXPECT_EQ(roots[0].T_lo_K, 100.0);
  EXPECT_TRUE(std::isfinite(table.column(Z_key)->values[2]));
}

}  // namespace
