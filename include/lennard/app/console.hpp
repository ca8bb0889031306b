// The interactive dialogue: explains the model in Spanish and reads
// epsilon/k_B and sigma.
#pragma once

#include <cstdio>
#include <string>

#include "lennard/app/exit_status.hpp"
#include "lennard/physics/potential.hpp"
#include "lennard/physics/second_virial.hpp"

namespace lennard {

inline constexpr const char* default_results_path = "Lennard.dat";

// Writes the dialogue texts and flushes them so the prompt shows before the
// program waits for input: the potential and how B is computed (for
// Lennard-Jones the five original lines, whatever the method), where the
// results go (the file results_path, or standard output for "-"), the prompt.
void write_dialogue(std::FILE* out, const std::string& results_path = default_results_path,
                    const Potential& potential = LennardJones{}, Method method = Method::trapezoid);

// Reads "epsilon sigma" as two numbers separated by white space (newlines
// too), each converted as "%lf" does; what follows the second after white
// space is not read. Returns false, with a message on err, when the input
// does not hold two numbers or a number is followed directly by anything but
// white space or the end of the input ("3,4", "3.4abc").
bool read_parameters(std::FILE* in, std::FILE* err, double& epsilon, double& sigma);

}  // namespace lennard
