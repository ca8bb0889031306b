// The command line: with no arguments the interactive dialogue; with options,
// the same table (or other methods, formats and the characteristic
// temperatures) without questions.
#pragma once

#include <cstdio>
#include <optional>
#include <string>

#include "lennard/output.hpp"

namespace lennard {

// "lennard X.Y.Z", the project version from CMake.
extern const char* const version_text;

struct CommandLine {
  std::optional<double> epsilon_K;
  std::optional<double> sigma_A;
  std::optional<std::string> output;  // "-" for standard output
  std::optional<double> tmin_K;
  std::optional<double> tmax_K;
  std::optional<double> step_K;
  Method method = Method::trapezoid;
  bool derivative = false;
  Format format = Format::dat;
  bool summary = false;
  std::optional<std::string> plot;      // picture of B(T): .png, .svg, .pdf, or "-" for text
  std::optional<std::string> fit_data;  // "lennard fit DATA": the measured points ("-": stdin)
};

struct ParseResult {
  std::optional<CommandLine> command;  // empty: stop with exit_status
  int exit_status = 0;
  std::string text;  // help or version (for stdout), or the error (for stderr)
};

ParseResult parse_command_line(int argc, const char* const argv[]);

// Reads a whole string as a double the way "%lf" does (strtod, C locale).
bool parse_number(const std::string& text, double& value);

// Runs the program for these arguments; returns the exit status. Whatever
// went to out is flushed and checked before it returns.
int run(int argc, const char* const argv[], std::FILE* in, std::FILE* out, std::FILE* err);

// Gives each closed standard descriptor (0, 1, 2) a stand-in that fails every
// transfer, so that files opened later never take their numbers and writes to
// a closed standard output are still reported as failed.
void guard_standard_descriptors();

}  // namespace lennard
