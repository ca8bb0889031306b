// What the program does when it is interrupted (Ctrl-C, SIGTERM, a closed
// terminal): it stops a gnuplot it started, removes its temporary files, so
// that every results file is left as it was, says so in one line, and exits
// with 128 + the signal's number.
#pragma once

namespace lennard {

// Installs the handlers for SIGINT, SIGTERM and SIGHUP, and ignores SIGXFSZ so
// that a file-size limit fails a write (reported, with the earlier file kept)
// instead of killing the program.
void install_interrupt_handlers();

}  // namespace lennard
