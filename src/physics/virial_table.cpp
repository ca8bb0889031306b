#include "lennard/physics/virial_table.hpp"

#include <algorithm>

#include <cmath>

#include "lennard/physics/compressibility.hpp"

namespace lennard {

const Column* Table::column(std::string_view key) const {
  for (const Column& c : columns) {
    if (c.key == key) return &c;
  }
  return nullptr;
}

namespace {

// The value vectors of a table's columns, nullptr for those it does not hold.
struct Columns {
  std::vector<double>*B, *B_classical, *B12, *dB, *C, *dC, *V, *Z;
};

// B first, then the classical B, the cross coefficient of a binary mixture
// and the quantities asked for, in the order the writers print them.
Columns add_columns(Table& table, const Quantities& quantities, bool classical, bool cross, const char* B_label) {
  const std::size_t rows = table.T_K.size();
  const auto add = [&](bool wanted, std::string_view key, const char* label, bool may_be_missing = false) {
    if (!wanted) return static_cast<std::vector<double>*>(nullptr);
    table.columns.push_back({std::string(key), label, std::vector<double>(rows), may_be_missing});
    return &table.columns.back().values;
  };
  table.columns.reserve(8);  // the pointers stay valid
  const bool pressure = quantities.pressure_bar.has_value();
  Columns c{};
  c.B = add(true, B_key, B_label);
  c.B_classical = add(classical, B_classical_key, "B clásico, sin la corrección cuántica (cm3/mol)");
  c.B12 = add(cross, B12_key, "B12, coeficiente cruzado (cm3/mol)");
  c.dB = add(quantities.derivative, dB_dT_key, "dB/dT (cm3/(mol K))");
  c.C = add(quantities.third, C_key, "C (cm6/mol2)");
  c.dC = add(quantities.third && quantities.derivative, dC_dT_key, "dC/dT (cm6/(mol2 K))");
  c.V = add(pressure, V_key, "V (cm3/mol)", true);
  c.Z = add(pressure, Z_key, "Z = PV/(RT)", true);
  return c;
}

}  // namespace

Table compute_table(const GasModel& model, const std::vector<double>& temperatures_K, Quantities quantities,
                    const Parallelism& parallelism) {
  const std::size_t rows = temperatures_K.size();
  if (quantities.pressure_bar) quantities.third = true;
  const PureGas& pure = model.pure();
  Table table{pure.potential, pure.epsilon_K, model.sigma_A(), pure.method, quantities.pressure_bar, pure.de_boer,
              pure.name, {}, model.mixture().kij, temperatures_K, {}, {}};
  table.quantum_order = pure.quantum_order;
  table.quantum_exact = pure.quantum_exact && !model.is_mixture();
  table.statistics = pure.statistics;
  table.bound_states = model.bound_states();
  if (const std::optional<double> junction = model.exact_series_above_K();
      junction && !temperatures_K.empty() &&
      *std::max_element(temperatures_K.begin(), temperatures_K.end()) > *junction) {
    table.series_above_K = junction;
  }
  for (const Component& c : model.mixture().components) table.mixture.push_back({c.name, c.mole_fraction});
  const bool mixture = model.is_mixture();
  const Columns columns = add_columns(table, quantities, model.quantum(), model.mixture().components.size() == 2,
                                      mixture ? "B de la mezcla (cm3/mol)" : "B (cm3/mol)");
  auto [B, B_classical, B12, dB, C, dC, V, Z] = columns;
  // Blocks of about a millisecond of work: a row by the trapezoid costs some
  // 100 us, by the series some 50 ns (a mixture's some microseconds), a C
  // about a millisecond.
  // An exact quantum row sums some thousands of phase shifts: some 10 us.
  const std::size_t block = quantities.third                              ? 1
                            : mixture                                     ? 1024
                            : pure.quantum_exact                          ? 64
                            : (pure.method == Method::series ? 16384 : 16);
  // A mixture's C spreads its pairs and triangles over the cores, which the
  // rows already share when there are enough of them.
  const unsigned row_threads = rows >= thread_count(parallelism) ? 1u : parallelism.threads;
  // The columns captured by copy: structured bindings cannot be captured by every compiler in use (clang 14).
  for_each_block(rows, block, parallelism, [&, B = B, B_classical = B_classical, B12 = B12, dB = dB, C = C, dC = dC,
                                            V = V, Z = Z](std::size_t begin, std::size_t end) {
    for (std::size_t i = begin; i < end; ++i) {
      const double T = temperatures_K[i];
      const SecondVirial b = model.second_virial(T, dB != nullptr);
      (*B)[i] = b.B;
      if (B_classical) (*B_classical)[i] = b.B_classical;
      if (B12) (*B12)[i] = b.B12;
      if (dB) (*dB)[i] = b.dB_dT;
      if (C) {
        const ThirdVirial c = model.third_virial(T, dC != nullptr, row_threads);
        (*C)[i] = c.C;
        if (dC) (*dC)[i] = c.dC_dT;
      }
      if (V) {
        const GasState gas = model.gas_state(T, *quantities.pressure_bar, (*B)[i], (*C)[i]);
        (*V)[i] = gas.V_cm3_per_mol;
        (*Z)[i] = gas.Z;
      }
    }
  });
  const std::vector<double> P = Z ? std::vector<double>(rows, *quantities.pressure_bar) : std::vector<double>{};
  table.diagnostics = model.diagnostics(table.T_K, *B, B_classical ? *B_classical : *B, Z ? *Z : std::vector<double>{}, P);
  return table;
}

Table compute_table(const Potential& potential, double epsilon_K, double sigma_A,
                    const std::vector<double>& temperatures_K, Method method, Quantities quantities,
                    const Parallelism& parallelism) {
  return compute_table(GasModel(PureGas{potential, epsilon_K, sigma_A, method, quantities.de_boer, {}, false}),
                       temperatures_K, quantities, parallelism);
}

Table compute_mixture_table(const Mixture& mixture, const std::vector<double>& temperatures_K, Quantities quantities,
                            bool quantum, const Parallelism& parallelism) {
  return compute_table(GasModel(mixture, quantum), temperatures_K, quantities, parallelism);
}

Table compute_table(double epsilon_K, double sigma_A, const std::vector<double>& temperatures_K, Method method,
                    bool with_derivative, const Parallelism& parallelism) {
  return compute_table(LennardJones{}, epsilon_K, sigma_A, temperatures_K, method, Quantities{with_derivative, false, std::nullopt, std::nullopt},
                       parallelism);
}

std::size_t first_non_finite_row(const Table& table) {
  for (std::size_t i = 0; i < table.T_K.size(); ++i) {
    bool finite = std::isfinite(table.T_K[i]) && std::isfinite(1.0 / table.T_K[i]);
    for (const Column& c : table.columns) finite = finite && (c.may_be_missing || std::isfinite(c.values[i]));
    if (!finite) return i;
  }
  return table.T_K.size();
}

}  // namespace lennard
