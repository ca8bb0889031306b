// What became of a results file or a plot: the writers say what happened and
// to which file; the command decides what to tell the user and how to exit.
#pragma once

#include <string>
#include <vector>

namespace lennard {

struct IoOutcome {
  enum class Kind {
    ok,
    cannot_create,        // the file (or its staged temporary) could not be opened
    write_failed,         // a stream written directly failed: it may hold part of the output
    staged_write_failed,  // the staged file failed and was removed: the earlier file is whole
    rename_failed,        // the staged file could not replace the earlier one, which is whole
    no_plot_temporary,    // no anonymous file to draw a plot into before copying it
    plot_cannot_create,   // the device or file a drawn plot is copied to could not be opened
    plot_write_failed,    // copying a drawn plot failed
    gnuplot_missing,      // no gnuplot on PATH
    no_pipe,              // no pipe to feed gnuplot its script
    gnuplot_not_started,  // gnuplot could not be run
    gnuplot_failed,       // gnuplot failed (it said why on the error stream) or died
  };
  Kind kind = Kind::ok;
  std::string path;      // as the user named it; "-" for standard output
  int error_number = 0;  // errno of the failed call; 0 when unknown or none

  bool ok() const { return kind == Kind::ok; }
};

// Several files put in place at once: the failures, in order; empty when every one is.
using IoOutcomes = std::vector<IoOutcome>;

}  // namespace lennard
