#include "lennard/table.hpp"

#include <cerrno>
#include <cstring>

#include "lennard/virial.hpp"

namespace lennard {

void write_dat_header(std::FILE* file, double epsilon, double sigma) {
  std::fprintf(file, "#epsilon/KB: %lf (K), sigma: %lf (A)", epsilon, sigma);
  std::fprintf(file, "\n# T(K)  1/T(K-1)   B(cm3/mol)");
  std::fprintf(file, "\n#==============================");
}

void write_dat_row(std::FILE* file, double T, double B) {
  std::fprintf(file, "\n%.2lf %lf %lf", T, 1.0 / T, B);
}

void write_dat_table(std::FILE* file, double epsilon, double sigma, const std::vector<double>& temperatures) {
  write_dat_header(file, epsilon, sigma);
  for (const double T : temperatures) {
    write_dat_row(file, T, virial_B_trapezoid(epsilon, sigma, T));
  }
}

int write_dat_file(const char* path, double epsilon, double sigma, const std::vector<double>& temperatures,
                   std::FILE* err) {
  std::FILE* file = std::fopen(path, "w");
  if (file == nullptr) {
    std::fprintf(err, "Error: no se puede crear '%s': %s\n", path, std::strerror(errno));
    return 1;
  }
  write_dat_table(file, epsilon, sigma, temperatures);

  // Buffered writes fail at the latest when flushed: check before closing.
  int status = 0;
  if (std::fflush(file) != 0 || std::ferror(file) != 0) {
    std::fprintf(err, "Error: no se pudo escribir '%s': %s\n", path, std::strerror(errno));
    status = -1;
  }
  if (std::fclose(file) != 0 && status == 0) {
    std::fprintf(err, "Error: no se pudo cerrar '%s': %s\n", path, std::strerror(errno));
    status = -1;
  }
  return status;
}

}  // namespace lennard
