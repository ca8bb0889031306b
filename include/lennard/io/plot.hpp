// The gnuplot scripts of the plots of B(T), with the data inline: text only,
// no processes and no files (gnuplot.hpp runs them).
#pragma once

#include <optional>
#include <string>

#include "lennard/physics/fit.hpp"
#include "lennard/io/output.hpp"

namespace lennard {

// The gnuplot terminal for a plot path: by extension .png, .svg or .pdf, and
// the text terminal for "-". Empty when the extension is not one of these.
std::optional<std::string> plot_terminal(const std::string& path);

// The gnuplot script of a table's B(T), or of measured points (with error bars
// where given) and the fitted curve.
std::string table_plot_script(const Table& table, const std::string& path);
std::string fit_plot_script(const DataSet& data, const FitResult& fit, const std::string& path);

}  // namespace lennard
