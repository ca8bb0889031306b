// The interactive program: explains the model in Spanish, reads epsilon/k_B
// and sigma, and writes the table of B(T) from epsilon/k_B to 5 epsilon/k_B.
#pragma once

#include <cstdio>

namespace lennard {

// Exit statuses of the program.
inline constexpr int exit_success = 0;
inline constexpr int exit_bad_input = 1;     // input refused, or results file not creatable
inline constexpr int exit_usage = 2;         // bad command line
inline constexpr int exit_write_failed = -1; // a write or the close of the results file failed

inline constexpr const char* default_results_path = "Lennard.dat";

// Writes the seven dialogue texts and flushes them so the prompt shows before
// the program waits for input.
void write_dialogue(std::FILE* out);

// Reads "epsilon sigma" as two numbers. Returns false, with a message on err,
// when the input does not hold two numbers.
bool read_parameters(std::FILE* in, std::FILE* err, double& epsilon, double& sigma);

// Checks epsilon and sigma, builds the default sweep and writes the table to
// path. Every refusal happens before the file is opened. Returns the exit status.
int write_default_table(double epsilon, double sigma, const char* path, std::FILE* err);

// The whole dialogue program; returns its exit status.
int run_console(std::FILE* in, std::FILE* out, std::FILE* err, const char* path = default_results_path);

}  // namespace lennard
