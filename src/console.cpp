#include "lennard/console.hpp"

#include "lennard/sweep.hpp"
#include "lennard/table.hpp"

namespace lennard {

namespace {

// The console's encoding for the two accented letters: UTF-8 on Linux and
// macOS, the single Windows-1252 bytes on Windows.
#ifdef _WIN32
#define LENNARD_E_ACUTE "\xE9"
#define LENNARD_A_ACUTE "\xE1"
#else
#define LENNARD_E_ACUTE "\xC3\xA9"
#define LENNARD_A_ACUTE "\xC3\xA1"
#endif

constexpr const char* dialogue_texts[] = {
    "\nPotencial de Lennard-Jones: U(r) = 4e{(s/r)^12-(s/r)^6}",
    "\nDefinimos x= s/r)",
    "\n el programa calcula B(T) resolviendo num" LENNARD_E_ACUTE "ricamente",
    "\n B(T)= 2*pi*NA* integral[1-exp{-U(r)/kBT}]r^2dr",
    "\nde cero a infinito",
    "\n\n Resultados en archivo de texto: 'Lennard.dat'",
    "\n\npar" LENNARD_A_ACUTE "metros epsilon/k_B (K) y sigma(A): ",
};

}  // namespace

void write_dialogue(std::FILE* out) {
  for (const char* text : dialogue_texts) {
    std::fputs(text, out);
  }
  std::fflush(out);
}

bool read_parameters(std::FILE* in, std::FILE* err, double& epsilon, double& sigma) {
  double first = 0.0;
  double second = 0.0;
  if (std::fscanf(in, "%lf %lf", &first, &second) != 2) {
    std::fputs("Error: se esperaban dos números: epsilon/k_B (K) y sigma (A).\n", err);
    return false;
  }
  epsilon = first;
  sigma = second;
  return true;
}

int write_default_table(double epsilon, double sigma, const char* path, std::FILE* err) {
  std::vector<double> temperatures;
  try {
    check_parameters(epsilon, sigma);
    temperatures = temperature_grid(default_sweep(epsilon));
  } catch (const InputError& refusal) {
    std::fprintf(err, "Error: %s\n", refusal.what());
    return exit_bad_input;
  }
  return write_dat_file(path, epsilon, sigma, temperatures, err);
}

int run_console(std::FILE* in, std::FILE* out, std::FILE* err, const char* path) {
  write_dialogue(out);
  double epsilon = 0.0;
  double sigma = 0.0;
  if (!read_parameters(in, err, epsilon, sigma)) {
    return exit_bad_input;
  }
  return write_default_table(epsilon, sigma, path, err);
}

}  // namespace lennard
