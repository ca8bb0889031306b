#include <cstdio>

#include "lennard/app/cli.hpp"
#include "lennard/app/interrupt.hpp"

int main(int argc, char* argv[]) {
  lennard::guard_standard_descriptors();
  lennard::install_interrupt_handlers();
  return lennard::run(argc, argv, stdin, stdout, stderr);
}
