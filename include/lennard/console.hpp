// The interactive dialogue: explains the model in Spanish and reads
// epsilon/k_B and sigma.
#pragma once

#include <cstdio>
#include <string>

#include "lennard/exit_status.hpp"

namespace lennard {

inline constexpr const char* default_results_path = "Lennard.dat";

// Writes the seven dialogue texts and flushes them so the prompt shows before
// the program waits for input. The sixth names where the results go: the
// file results_path, or standard output for "-".
void write_dialogue(std::FILE* out, const std::string& results_path = default_results_path);

// Reads "epsilon sigma" as two numbers. Returns false, with a message on err,
// when the input does not hold two numbers.
bool read_parameters(std::FILE* in, std::FILE* err, double& epsilon, double& sigma);

}  // namespace lennard
