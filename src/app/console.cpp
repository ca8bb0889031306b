#include "lennard/app/console.hpp"

#include <cctype>
#include <cstdlib>
#include <string>

#include "lennard/physics/shortest.hpp"
#include "lennard/io/text.hpp"

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
constexpr const char* numerically = "\n el programa calcula B(T) resolviendo num" LENNARD_E_ACUTE "ricamente";
constexpr const char* mayer_integral =
    "\n B(T)= 2*pi*NA* integral[1-exp{-U(r)/kBT}]r^2dr"
    "\nde cero a infinito";

// The explanation of the other potentials, in the style of the Lennard-Jones one.
void explain_mie(std::FILE* out, const Mie& mie, Method method) {
  const std::string n = shortest(mie.n()), m = shortest(mie.m()), n_m = shortest(mie.n() - mie.m());
  std::fprintf(out, "\nPotencial de Mie %s-%s: U(r) = C*e{(s/r)^%s-(s/r)^%s}", n.c_str(), m.c_str(), n.c_str(),
               m.c_str());
  std::fprintf(out, "\ncon C = (%s/%s)*(%s/%s)^(%s/%s) = %.6g: el pozo tiene profundidad e", n.c_str(), n_m.c_str(),
               n.c_str(), m.c_str(), m.c_str(), n_m.c_str(), mie.prefactor());
  std::fputs(method == Method::quadrature ? numerically : "\n el programa calcula B(T) con su serie exacta", out);
  std::fputs(mayer_integral, out);
}

void explain_square_well(std::FILE* out, const SquareWell& well, Method method) {
  const std::string lambda = shortest(well.lambda);
  std::fprintf(out, "\nPozo cuadrado: U(r) = infinito si r < s, -e si s < r < %s*s, 0 si r > %s*s", lambda.c_str(),
               lambda.c_str());
  std::fputs(method == Method::quadrature ? numerically : "\n el programa calcula B(T) con su forma cerrada", out);
  std::fputs(mayer_integral, out);
}

}  // namespace

void write_dialogue(std::FILE* out, const std::string& results_path, const Potential& potential, Method method) {
  if (const Mie* mie = std::get_if<Mie>(&potential)) {
    explain_mie(out, *mie, method);
  } else if (const SquareWell* well = std::get_if<SquareWell>(&potential)) {
    explain_square_well(out, *well, method);
  } else {
    for (const char* text : explanation) std::fputs(text, out);
  }
  if (results_path == "-") {
    std::fputs("\n\n Resultados en la salida est" LENNARD_A_ACUTE "ndar", out);
  } else {
    std::fprintf(out, "\n\n Resultados en archivo de texto: '%s'", printable(results_path, 200).c_str());
  }
  std::fputs(prompt, out);
  std::fflush(out);
}

namespace {

// What "%lf" reads, refusing a number glued to anything but white space:
// "3,4" would give 3 and "3.4abc" 3.4 without a word.
constexpr std::size_t longest_word = 4096;

enum class Word { number, missing, glued };

// Skips white space (newlines too), takes the word up to the next white space
// or the end of the input, and reads it with strtod as "%lf" does. A glued
// word leaves in rest what follows the number.
Word read_number(std::FILE* in, double& value, std::string& word, std::string& rest) {
  word.clear();
  int c = std::fgetc(in);
  while (c != EOF && std::isspace(c)) c = std::fgetc(in);
  while (c != EOF && !std::isspace(c) && word.size() < longest_word) {
    word += static_cast<char>(c);
    c = std::fgetc(in);
  }
  if (word.empty()) return Word::missing;
  char* end = nullptr;
  value = std::strtod(word.c_str(), &end);
  if (end == word.c_str()) return Word::missing;
  rest = word.substr(static_cast<std::size_t>(end - word.c_str()));
  if (rest.empty() && c != EOF && !std::isspace(c)) rest = std::string(1, static_cast<char>(c));  // a very long word
  return rest.empty() ? Word::number : Word::glued;
}

}  // namespace

bool read_parameters(std::FILE* in, std::FILE* err, double& epsilon, double& sigma) {
  double values[2] = {0.0, 0.0};
  std::string word, rest;
  for (double& value : values) {
    const Word read = read_number(in, value, word, rest);
    if (read == Word::number) continue;
    // At the end of the input the cursor still stands on the prompt's line.
    const char* newline = std::feof(in) ? "\n" : "";
    if (read == Word::missing) {
      std::fprintf(err, "%sError: se esperaban dos números: epsilon/k_B (K) y sigma (A).\n", newline);
    } else {
      std::fprintf(err,
                   "%sError: se leyó '%s': tras el número %s viene '%s' sin un espacio. El separador decimal es "
                   "'.' (3.4, no 3,4), y epsilon/k_B y sigma se separan con espacios.\n",
                   newline, printable(word).c_str(), shortest(value).c_str(), printable(rest, 20).c_str());
    }
    return false;
  }
  epsilon = values[0];
  sigma = values[1];
  return true;
}

}  // namespace lennard
