#include <csignal>
#include <cstdio>

#include "lennard/app/cli.hpp"
#include "lennard/app/interrupt.hpp"

int main(int argc, char* argv[]) {
  // A reader that goes away (lennard ... | head) makes a write fail with
  // EPIPE, reported like any failed write, instead of killing the program
  // half-way without a word.
  std::signal(SIGPIPE, SIG_IGN);
  lennard::guard_standard_descriptors();
  lennard::install_interrupt_handlers();
  return lennard::run(argc, argv, stdin, stdout, stderr);
}
