#include <cstdio>

#include "lennard/cli.hpp"

int main(int argc, char* argv[]) {
  lennard::guard_standard_descriptors();
  return lennard::run(argc, argv, stdin, stdout, stderr);
}
