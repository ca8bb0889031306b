// The command line: with no arguments the interactive dialogue; with options,
// the same table (or other potentials, methods, formats and the
// characteristic temperatures) without questions; "fit" fits a potential to
// measured B(T). Parsing only fills an options struct; the run functions act.
#pragma once

#include <cstdio>
#include <optional>
#include <string>

#include "lennard/physics/mixture.hpp"
#include "lennard/io/output.hpp"
#include "lennard/physics/potential.hpp"
#include "lennard/physics/quantum_exact.hpp"
#include "lennard/physics/second_virial.hpp"

namespace lennard {

// "lennard X.Y.Z", the project version from CMake.
extern const char* const version_text;

struct TableOptions {
  std::optional<double> epsilon_K;
  std::optional<double> sigma_A;
  std::optional<std::string> output;  // "-" for standard output
  std::optional<double> tmin_K;
  std::optional<double> tmax_K;
  std::optional<double> step_K;
  Potential potential = LennardJones{};
  std::optional<Method> method;  // when not given, default_method(potential)
  bool derivative = false;
  bool third = false;  // the third virial coefficient C
  std::optional<double> pressure_bar;  // V and Z of the gas at this pressure (implies third)
  bool quantum = false;                      // B with its quantum correction
  int quantum_order = 1;                     // 1: hbar^2; 2: adds hbar^4
  bool quantum_exact = false;                // B exact (phase shifts), instead of an order
  SpinStatistics statistics{};               // with quantum_exact
  std::optional<double> molar_mass_g_per_mol;  // needed by quantum
  Format format = Format::dat;
  bool summary = false;
  std::optional<std::string> plot;  // picture of B(T): .png, .svg, .pdf, or "-" for text
  std::string gas;                  // the library gas that set potential, epsilon, sigma and mass, if any
  std::optional<Mixture> mixture;   // a mixture of library gases instead of one gas
  unsigned threads = 0;             // 0: one per CPU the process may run on
  std::optional<double> mixture_typed_sum;  // the sum of the typed fractions, when they were normalised
};

struct FitOptions {
  std::string data;                   // the measured points; "-" for standard input
  std::optional<std::string> output;  // the point table (with json, everything); default standard output
  Format format = Format::dat;
  std::optional<std::string> plot;
  Potential potential = LennardJones{};
  bool free_repulsion = false;
  std::optional<double> quantum_molar_mass_g_per_mol;  // fit B with its first quantum correction
  bool quantum_exact = false;                          // ... or with the exact quantum B
  SpinStatistics statistics;                           // the nuclear statistics of the exact B
  std::string gas;  // the library gas that set the potential (and the mass), if any
  unsigned threads = 0;  // 0: one per CPU the process may run on
};

// 'lennard gases': the library, as a text table or as JSON.
struct GasesOptions {
  Format format = Format::dat;
};

struct ParseResult {
  std::optional<TableOptions> table;  // the command to run, if any
  std::optional<FitOptions> fit;
  std::optional<GasesOptions> gases;
  int exit_status = 0;
  std::string text;  // help or version (for stdout), or the error (for stderr)
};

ParseResult parse_command_line(int argc, const char* const argv[]);

// Reads a whole string as a double the way "%lf" does (strtod, C locale).
bool parse_number(const std::string& text, double& value);

// "Error: sentence" and where the help is ("lennard --help" or "lennard fit --help").
std::string usage_message(const std::string& sentence, bool about_fit);

// The commands; each returns the exit status.
int run_table(const TableOptions& options, std::FILE* in, std::FILE* out, std::FILE* err);
int run_fit(const FitOptions& options, std::FILE* in, std::FILE* out, std::FILE* err);
int run_gases(const GasesOptions& options, std::FILE* out, std::FILE* err);

// Runs the program for these arguments; returns the exit status. Whatever
// went to out is flushed and checked before it returns.
int run(int argc, const char* const argv[], std::FILE* in, std::FILE* out, std::FILE* err);

// The number of CPUs this process may run on (its affinity mask), at least 1:
// the default number of threads.
unsigned available_cpus();

// Gives each closed standard descriptor (0, 1, 2) a stand-in that fails every
// transfer, so that files opened later never take their numbers and writes to
// a closed standard output are still reported as failed.
void guard_standard_descriptors();

}  // namespace lennard
