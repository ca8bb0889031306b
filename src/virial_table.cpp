#include "lennard/virial_table.hpp"

#include <cmath>

#include "lennard/compressibility.hpp"
#include "lennard/quantum.hpp"
#include "lennard/series.hpp"
#include "lennard/third_virial.hpp"

namespace lennard {

const Column* Table::column(std::string_view key) const {
  for (const Column& c : columns) {
    if (c.key == key) return &c;
  }
  return nullptr;
}

Table compute_table(const Potential& potential, double epsilon_K, double sigma_A,
                    const std::vector<double>& temperatures_K, Method method, Quantities quantities,
                    const Parallelism& parallelism) {
  const std::size_t rows = temperatures_K.size();
  if (quantities.pressure_bar) quantities.third = true;
  const double volume = molar_volume_cm3_per_mol(sigma_A);
  Table table{potential, epsilon_K, sigma_A, method, quantities.pressure_bar, quantities.de_boer, temperatures_K, {}};
  const auto add = [&](std::string_view key, const char* label, bool may_be_missing = false) {
    table.columns.push_back({std::string(key), label, std::vector<double>(rows), may_be_missing});
    return &table.columns.back().values;
  };
  table.columns.reserve(7);
  std::vector<double>* B = add(B_key, "B (cm3/mol)");
  std::vector<double>* B_classical =
      quantities.de_boer ? add(B_classical_key, "B clásico, sin la corrección cuántica (cm3/mol)") : nullptr;
  std::vector<double>* dB = quantities.derivative ? add(dB_dT_key, "dB/dT (cm3/(mol K))") : nullptr;
  std::vector<double>* C = quantities.third ? add(C_key, "C (cm6/mol2)") : nullptr;
  std::vector<double>* dC =
      quantities.third && quantities.derivative ? add(dC_dT_key, "dC/dT (cm6/(mol2 K))") : nullptr;
  std::vector<double>* V = quantities.pressure_bar ? add(V_key, "V (cm3/mol)", true) : nullptr;
  std::vector<double>* Z = quantities.pressure_bar ? add(Z_key, "Z = PV/(RT)", true) : nullptr;
  // Blocks of about a millisecond of work: a row by the trapezoid costs some
  // 100 us, by the series some 50 ns, a C about a millisecond.
  const std::size_t block = quantities.third ? 1 : (method == Method::series ? 16384 : 16);
  for_each_block(rows, block, parallelism, [&](std::size_t begin, std::size_t end) {
    for (std::size_t i = begin; i < end; ++i) {
      const double T = temperatures_K[i];
      (*B)[i] = second_virial_B(method, potential, epsilon_K, sigma_A, T);
      if (dB) (*dB)[i] = second_virial_dB_dT(method, potential, epsilon_K, sigma_A, T);
      if (B_classical) {
        const ReducedVirial shift = reduced_quantum_shift(potential, T / epsilon_K, *quantities.de_boer);
        (*B_classical)[i] = (*B)[i];
        (*B)[i] += shift.B * volume;
        if (dB) (*dB)[i] += shift.dB_dT * volume / epsilon_K;
      }
      if (C) {
        const ReducedThirdVirial c = reduced_third_virial(potential, T / epsilon_K, dC != nullptr);
        (*C)[i] = c.C * volume * volume;
        if (dC) (*dC)[i] = c.dC_dT * volume * volume / epsilon_K;
      }
      if (V) {
        const GasState gas = gas_state(T, *quantities.pressure_bar, (*B)[i], (*C)[i]);
        (*V)[i] = gas.V_cm3_per_mol;
        (*Z)[i] = gas.Z;
      }
    }
  });
  return table;
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
