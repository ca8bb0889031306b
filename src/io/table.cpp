#include "lennard/io/table.hpp"

#include "lennard/io/output.hpp"
#include "lennard/io/staged_files.hpp"

namespace lennard {

void write_dat_title(std::FILE* file, double epsilon, double sigma) {
  std::fprintf(file, "#epsilon/KB: %lf (K), sigma: %lf (A)", epsilon, sigma);
}

void write_dat_column_header(std::FILE* file) {
  std::fprintf(file, "\n# T(K)  1/T(K-1)   B(cm3/mol)");
  std::fprintf(file, "\n#==============================");
}

void write_dat_row(std::FILE* file, double T, double B) {
  std::fprintf(file, "\n%.2lf %lf %lf", T, 1.0 / T, B);
}

IoOutcome write_dat_file(const char* path, double epsilon, double sigma, const std::vector<double>& temperatures,
                         std::FILE* out) {
  const Table table = compute_table(epsilon, sigma, temperatures, Method::trapezoid, false);
  return write_to_path(path, out, [&](std::FILE* file) { write_table(file, table, Format::dat); });
}

}  // namespace lennard
