#include "lennard/console.hpp"

#include "lennard/text.hpp"

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

constexpr const char* explanation[] = {
    "\nPotencial de Lennard-Jones: U(r) = 4e{(s/r)^12-(s/r)^6}",
    "\nDefinimos x= s/r)",
    "\n el programa calcula B(T) resolviendo num" LENNARD_E_ACUTE "ricamente",
    "\n B(T)= 2*pi*NA* integral[1-exp{-U(r)/kBT}]r^2dr",
    "\nde cero a infinito",
};
constexpr const char* prompt = "\n\npar" LENNARD_A_ACUTE "metros epsilon/k_B (K) y sigma(A): ";

}  // namespace

void write_dialogue(std::FILE* out, const std::string& results_path) {
  for (const char* text : explanation) {
    std::fputs(text, out);
  }
  if (results_path == "-") {
    std::fputs("\n\n Resultados en la salida est" LENNARD_A_ACUTE "ndar", out);
  } else {
    std::fprintf(out, "\n\n Resultados en archivo de texto: '%s'", printable(results_path, 200).c_str());
  }
  std::fputs(prompt, out);
  std::fflush(out);
}

bool read_parameters(std::FILE* in, std::FILE* err, double& epsilon, double& sigma) {
  double first = 0.0;
  double second = 0.0;
  if (std::fscanf(in, "%lf %lf", &first, &second) != 2) {
    // At the end of the input the cursor still stands on the prompt's line.
    std::fprintf(err, "%sError: se esperaban dos números: epsilon/k_B (K) y sigma (A).\n",
                 std::feof(in) ? "\n" : "");
    return false;
  }
  epsilon = first;
  sigma = second;
  return true;
}

}  // namespace lennard
