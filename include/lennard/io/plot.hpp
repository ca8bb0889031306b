// Plots of B(T) drawn by gnuplot, driven through a pipe with the data inline.
#pragma once

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "lennard/physics/fit.hpp"
#include "lennard/io/output.hpp"
#include "lennard/io/staged_files.hpp"

namespace lennard {

// The gnuplot terminal for a plot path: by extension .png, .svg or .pdf, and
// the text terminal for "-". Empty when the extension is not one of these.
std::optional<std::string> plot_terminal(const std::string& path);

// The gnuplot script of a table's B(T), or of measured points (with error bars
// where given) and the fitted curve.
std::string table_plot_script(const Table& table, const std::string& path);
std::string fit_plot_script(const DataSet& data, const FitResult& fit, const std::string& path);

// Runs gnuplot on script, drawing into the file at path, staged in files to
// be committed with the command's other results, or on out for "-" (or a
// device). Returns exit_success; exit_bad_input, with a message on err, when
// gnuplot is missing or the plot cannot be created; exit_write_failed when
// gnuplot fails or the plot cannot be written (an earlier plot is then left whole).
int run_gnuplot(const std::string& script, const std::string& path, std::FILE* out, std::FILE* err,
                StagedFiles& files);

}  // namespace lennard
