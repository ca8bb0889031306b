#include "lennard/virial_table.hpp"

#include <cmath>

namespace lennard {

const Column* Table::column(std::string_view key) const {
  for (const Column& c : columns) {
    if (c.key == key) return &c;
  }
  return nullptr;
}

Table compute_table(const Potential& potential, double epsilon_K, double sigma_A,
                    const std::vector<double>& temperatures_K, Method method, bool with_derivative,
                    const Parallelism& parallelism) {
  const std::size_t rows = temperatures_K.size();
  Table table{potential, epsilon_K, sigma_A, method, temperatures_K, {}};
  table.columns.push_back({std::string(B_key), "B (cm3/mol)", std::vector<double>(rows)});
  if (with_derivative) table.columns.push_back({std::string(dB_dT_key), "dB/dT (cm3/(mol K))", std::vector<double>(rows)});
  // Blocks of about a millisecond of work: a row by the trapezoid costs some
  // 100 us, by the series some 50 ns.
  const std::size_t block = method == Method::series ? 16384 : 16;
  for_each_block(rows, block, parallelism, [&](std::size_t begin, std::size_t end) {
    for (std::size_t i = begin; i < end; ++i) {
      const double T = temperatures_K[i];
      table.columns[0].values[i] = second_virial_B(method, potential, epsilon_K, sigma_A, T);
      if (with_derivative) table.columns[1].values[i] = second_virial_dB_dT(method, potential, epsilon_K, sigma_A, T);
    }
  });
  return table;
}

Table compute_table(double epsilon_K, double sigma_A, const std::vector<double>& temperatures_K, Method method,
                    bool with_derivative, const Parallelism& parallelism) {
  return compute_table(LennardJones{}, epsilon_K, sigma_A, temperatures_K, method, with_derivative, parallelism);
}

std::size_t first_non_finite_row(const Table& table) {
  for (std::size_t i = 0; i < table.T_K.size(); ++i) {
    bool finite = std::isfinite(table.T_K[i]) && std::isfinite(1.0 / table.T_K[i]);
    for (const Column& c : table.columns) finite = finite && std::isfinite(c.values[i]);
    if (!finite) return i;
  }
  return table.T_K.size();
}

}  // namespace lennard
