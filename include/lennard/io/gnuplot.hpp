// Drawing a plot: gnuplot run on a script, in a process group of its own, its
// script fed through a socket and its picture written into a file.
#pragma once

#include <cstdio>
#include <string>

#include "lennard/io/outcome.hpp"
#include "lennard/io/staged_files.hpp"

namespace lennard {

// Runs gnuplot on script, drawing into the file at path, staged in files to
// be committed with the command's other results, or on out for "-" (or a
// device, a pipe). gnuplot says why it failed on err. Nothing is written to
// path unless gnuplot succeeds: an earlier plot is then left whole.
IoOutcome run_gnuplot(const std::string& script, const std::string& path, std::FILE* out, std::FILE* err,
                      StagedFiles& files);

}  // namespace lennard
