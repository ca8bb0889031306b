#include "lennard/output.hpp"

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstring>
#include <nlohmann/json.hpp>

#include "lennard/series.hpp"
#include "lennard/table.hpp"
#include "lennard/virial.hpp"

namespace lennard {

std::string_view method_name(Method method) { return method == Method::series ? "series" : "trapezoid"; }

double avogadro_of(Method method) { return method == Method::series ? avogadro_per_mol : 6.022e23; }

double virial_B(Method method, double epsilon_K, double sigma_A, double T_K) {
  return method == Method::series ? virial_B_series(epsilon_K, sigma_A, T_K)
                                  : virial_B_trapezoid(epsilon_K, sigma_A, T_K);
}

double virial_dB_dT(Method method, double epsilon_K, double sigma_A, double T_K) {
  return method == Method::series ? virial_dB_dT_series(epsilon_K, sigma_A, T_K)
                                  : virial_dB_dT_trapezoid(epsilon_K, sigma_A, T_K);
}

Table compute_table(double epsilon_K, double sigma_A, const std::vector<double>& temperatures_K, Method method,
                    bool with_derivative, const Parallelism& parallelism) {
  Table table{epsilon_K, sigma_A, method, with_derivative, {}};
  table.rows.resize(temperatures_K.size());
  // Blocks of about a millisecond of work: a row by the trapezoid costs some
  // 50 us, by the series some 50 ns.
  const std::size_t block = method == Method::trapezoid ? 16 : 16384;
  for_each_block(temperatures_K.size(), block, parallelism, [&](std::size_t begin, std::size_t end) {
    for (std::size_t i = begin; i < end; ++i) {
      const double T = temperatures_K[i];
      const double dB_dT = with_derivative ? virial_dB_dT(method, epsilon_K, sigma_A, T) : 0.0;
      table.rows[i] = {T, virial_B(method, epsilon_K, sigma_A, T), dB_dT};
    }
  });
  return table;
}

std::size_t first_non_finite_row(const Table& table) {
  for (std::size_t i = 0; i < table.rows.size(); ++i) {
    const TableRow& row = table.rows[i];
    if (!std::isfinite(row.T_K) || !std::isfinite(1.0 / row.T_K) || !std::isfinite(row.B_cm3_per_mol) ||
        (table.with_derivative && !std::isfinite(row.dB_dT_cm3_per_mol_K))) {
      return i;
    }
  }
  return table.rows.size();
}

namespace {

void write_dat(std::FILE* file, const Table& table) {
  write_dat_title(file, table.epsilon_K, table.sigma_A);
  if (table.method != Method::trapezoid) {
    std::fprintf(file, "\n#method: %s, N_A = %s 1/mol", std::string(method_name(table.method)).c_str(),
                 shortest(avogadro_of(table.method)).c_str());
  }
  if (table.with_derivative) {
    std::fprintf(file, "\n#column 4: dB/dT (cm3/(mol K))");
  }
  write_dat_column_header(file);
  for (const TableRow& row : table.rows) {
    write_dat_row(file, row.T_K, row.B_cm3_per_mol);
    if (table.with_derivative) std::fprintf(file, " %lf", row.dB_dT_cm3_per_mol_K);
  }
}

void write_csv(std::FILE* file, const Table& table) {
  std::fputs("T_K,inv_T_per_K,B_cm3_per_mol", file);
  if (table.with_derivative) std::fputs(",dB_dT_cm3_per_mol_K", file);
  std::fputc('\n', file);
  for (const TableRow& row : table.rows) {
    std::fprintf(file, "%s,%s,%s", shortest(row.T_K).c_str(), shortest(1.0 / row.T_K).c_str(),
                 shortest(row.B_cm3_per_mol).c_str());
    if (table.with_derivative) std::fprintf(file, ",%s", shortest(row.dB_dT_cm3_per_mol_K).c_str());
    std::fputc('\n', file);
  }
}

void write_json(std::FILE* file, const nlohmann::ordered_json& document) {
  const std::string text = document.dump(2) + "\n";
  std::fwrite(text.data(), 1, text.size(), file);
}

nlohmann::ordered_json table_json(const Table& table) {
  nlohmann::ordered_json rows = nlohmann::ordered_json::array();
  for (const TableRow& row : table.rows) {
    nlohmann::ordered_json item = {
        {"T_K", row.T_K}, {"inv_T_per_K", 1.0 / row.T_K}, {"B_cm3_per_mol", row.B_cm3_per_mol}};
    if (table.with_derivative) item["dB_dT_cm3_per_mol_K"] = row.dB_dT_cm3_per_mol_K;
    rows.push_back(std::move(item));
  }
  return {{"epsilon_K", table.epsilon_K},
          {"sigma_A", table.sigma_A},
          {"method", method_name(table.method)},
          {"N_A_per_mol", avogadro_of(table.method)},
          {"rows", std::move(rows)}};
}

}  // namespace

void write_table(std::FILE* file, const Table& table, Format format) {
  switch (format) {
    case Format::dat: write_dat(file, table); break;
    case Format::csv: write_csv(file, table); break;
    case Format::json: write_json(file, table_json(table)); break;
  }
}

void write_characteristics(std::FILE* file, const Characteristics& values, Format format) {
  if (format == Format::json) {
    write_json(file, {{"boyle_temperature_K", values.boyle_temperature_K},
                      {"inversion_temperature_K", values.inversion_temperature_K},
                      {"max_B_temperature_K", values.max_B_temperature_K},
                      {"max_B_cm3_per_mol", values.max_B_cm3_per_mol}});
    return;
  }
  std::fprintf(file, "Temperatura de Boyle (B = 0): %s K\n", shortest(values.boyle_temperature_K).c_str());
  std::fprintf(file, "Temperatura de inversión de Joule-Thomson (B = T dB/dT): %s K\n",
               shortest(values.inversion_temperature_K).c_str());
  std::fprintf(file, "Temperatura del máximo de B: %s K\n", shortest(values.max_B_temperature_K).c_str());
  std::fprintf(file, "Máximo de B: %s cm3/mol\n", shortest(values.max_B_cm3_per_mol).c_str());
}

int write_to_path(const std::string& path, std::FILE* out, std::FILE* err,
                  const std::function<void(std::FILE*)>& write) {
  const bool to_stdout = path == "-";
  std::FILE* file = to_stdout ? out : std::fopen(path.c_str(), "w");
  const char* name = to_stdout ? "la salida estándar" : path.c_str();
  if (file == nullptr) {
    std::fprintf(err, "Error: no se puede crear '%s': %s\n", path.c_str(), std::strerror(errno));
    return 1;
  }
  write(file);

  // Buffered writes fail at the latest when flushed: check before closing.
  int status = 0;
  if (std::fflush(file) != 0 || std::ferror(file) != 0) {
    std::fprintf(err, "Error: no se pudo escribir en %s%s%s: %s\n", to_stdout ? "" : "'", name,
                 to_stdout ? "" : "'", std::strerror(errno));
    status = -1;
  }
  if (!to_stdout && std::fclose(file) != 0 && status == 0) {
    std::fprintf(err, "Error: no se pudo cerrar '%s': %s\n", name, std::strerror(errno));
    status = -1;
  }
  return status;
}

}  // namespace lennard
